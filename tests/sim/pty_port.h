#pragma once
// The tool's side of a pseudo-terminal in the simulator's tests, set up the
// way the serial cable driver sets up a cable: raw, 9600 baud, exclusive.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel::sim::test {

class PtyPort {
 public:
  using Bytes = std::vector<std::uint8_t>;
  using Clock = std::chrono::steady_clock;
  using milliseconds = std::chrono::milliseconds;

  explicit PtyPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(fd_, TCSANOW, &tio);
    ::ioctl(fd_, TIOCEXCL);
    setBaud(B9600);
  }
  ~PtyPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  PtyPort(const PtyPort&) = delete;
  PtyPort& operator=(const PtyPort&) = delete;

  bool ok() const { return fd_ >= 0; }

  // Whether the terminal refuses further opens.
  bool exclusive() const {
    int on = 0;
    ::ioctl(fd_, TIOCGEXCL, &on);
    return on != 0;
  }

  void setBaud(speed_t speed) {
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    ::tcsetattr(fd_, TCSANOW, &tio);
  }

  void write(const Bytes& bytes) {
    ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Reads until `done` holds for what arrived, or the time is up; takes no
  // more than `limit` bytes.
  template <typename Done>
  Bytes readUntil(Done done, milliseconds timeout = milliseconds(2000),
                  std::size_t limit = SIZE_MAX) {
    Bytes got;
    const auto deadline = Clock::now() + timeout;
    while (got.size() < limit && !done(got) && Clock::now() < deadline) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      std::uint8_t buf[512];
      const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, limit - got.size()));
      if (n > 0) got.insert(got.end(), buf, buf + n);
    }
    return got;
  }

  // Exactly `count` bytes, or what came before the time was up.
  Bytes read(std::size_t count, milliseconds timeout = milliseconds(1500)) {
    return readUntil([count](const Bytes& b) { return b.size() >= count; }, timeout, count);
  }

  Bytes talk(const Bytes& bytes, std::size_t answerSize) {
    write(bytes);
    return read(answerSize);
  }

  // Drops whatever arrives within a short while.
  void drain() {
    readUntil([](const Bytes&) { return false; }, milliseconds(60));
  }

 private:
  int fd_ = -1;
};

}  // namespace ostrel::sim::test

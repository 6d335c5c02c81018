#include "sim/pty_server.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace ostrel::sim {

namespace {

constexpr auto kLongestWait = std::chrono::milliseconds(20);

std::uint32_t baudOf(speed_t speed) {
  struct Rate {
    speed_t speed;
    std::uint32_t baud;
  };
  static constexpr Rate kRates[] = {
      {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
      {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
      {B38400, 38400},   {B57600, 57600},   {B115200, 115200}, {B230400, 230400},
      {B460800, 460800}, {B921600, 921600},
  };
  for (const Rate& r : kRates) {
    if (r.speed == speed) return r.baud;
  }
  return 0;
}

}  // namespace

PtyServer::PtyServer(UnitEngine& engine) : engine_(engine) {}

PtyServer::~PtyServer() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

std::string PtyServer::open() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return std::string("posix_openpt: ") + std::strerror(errno);
  if (::grantpt(master_) != 0) return std::string("grantpt: ") + std::strerror(errno);
  if (::unlockpt(master_) != 0) return std::string("unlockpt: ") + std::strerror(errno);
  char name[256] = {};
  if (::ptsname_r(master_, name, sizeof name) != 0) {
    return std::string("ptsname: ") + std::strerror(errno);
  }
  slavePath_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) return "open " + slavePath_ + ": " + std::strerror(errno);

  // Raw bytes at the unit's rate until the tool sets its own line up.
  termios tio{};
  if (::tcgetattr(slave_, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(slave_, TCSANOW, &tio);
  }
  const int flags = ::fcntl(master_, F_GETFL);
  ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
  if (const std::uint32_t baud = lineBaud()) engine_.setLineBaud(baud);
  return {};
}

std::uint32_t PtyServer::lineBaud() const {
  termios tio{};
  if (master_ < 0 || ::tcgetattr(master_, &tio) != 0) return 0;
  return baudOf(::cfgetospeed(&tio));
}

void PtyServer::serve(const std::atomic<bool>& stop) {
  while (!stop.load()) step(kLongestWait);
}

void PtyServer::step(std::chrono::milliseconds maxWait) {
  if (master_ < 0) return;
  // The tool may have set exclusive mode; the pty keeps it after the tool
  // closes, which would lock the tool out of its next open.
  ::ioctl(slave_, TIOCNXCL);

  const auto now = UnitEngine::Clock::now();
  const auto next = engine_.nextEvent();
  auto wait = maxWait;
  if (next <= now) {
    wait = std::chrono::milliseconds(0);
  } else if (next - now < maxWait) {
    wait = std::chrono::ceil<std::chrono::milliseconds>(next - now);
  }

  pollfd p{master_, POLLIN, 0};
  const int r = ::poll(&p, 1, static_cast<int>(wait.count()));
  if (r > 0 && (p.revents & POLLIN)) {
    std::uint8_t buf[4096];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n > 0) {
      // The tool sets the rate before it writes; take it fresh each time.
      if (const std::uint32_t baud = lineBaud()) engine_.setLineBaud(baud);
      engine_.write(std::span(buf, static_cast<std::size_t>(n)));
    } else if (n < 0 && errno == EIO) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  } else if (r > 0 && (p.revents & (POLLHUP | POLLERR))) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (const std::uint32_t baud = lineBaud(); baud != 0 && baud != engine_.lineBaud()) {
    engine_.setLineBaud(baud);
  }
  deliver();
}

void PtyServer::deliver() {
  const std::vector<std::uint8_t> out = engine_.readAll();
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::write(master_, out.data() + done, out.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      // Nobody reads and the pty is full: the bytes are lost, as on a wire.
      break;
    }
  }
}

}  // namespace ostrel::sim

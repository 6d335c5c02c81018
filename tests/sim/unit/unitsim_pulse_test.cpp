// ostrel-unitsim --kind pulse-radar as its own process, reached over its
// pseudo-terminal the way the serial driver reaches a cable.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "unit/radar_test_support.h"
#include "unitsim_process.h"

namespace ostrel::sim {
namespace {

using test::Bytes;
using test::hex;
using test::Unitsim;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class RawPort {
 public:
  explicit RawPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(fd_, TCSANOW, &tio);
  }
  ~RawPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }

  void write(const Bytes& bytes) {
    ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Reads until `done` holds for what arrived, or the time is up.
  template <typename Done>
  Bytes readUntil(Done done, milliseconds timeout = milliseconds(2000)) {
    Bytes got;
    const auto deadline = Clock::now() + timeout;
    while (!done(got) && Clock::now() < deadline) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      std::uint8_t buf[512];
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n > 0) got.insert(got.end(), buf, buf + n);
    }
    return got;
  }

  Bytes read(std::size_t count) {
    return readUntil([count](const Bytes& b) { return b.size() >= count; });
  }

  void drain() {
    readUntil([](const Bytes&) { return false; }, milliseconds(60));
  }

  test::ToolReading exchange(const Bytes& tunnelFrame) {
    drain();
    write(tunnelFrame);
    const Bytes got = readUntil([](const Bytes& b) { return test::readReply(b).complete; });
    return test::readReply(got);
  }

 private:
  int fd_ = -1;
};

TEST(UnitsimPulse, WakesIdentifiesAndAnswersHartOverAPty) {
  Unitsim sim(
      {"--kind", "pulse-radar", "--fault", "0x111:1:hart-xor", "--fault", "0x40:2:silence"});
  const std::string path = sim.slavePath();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
  RawPort port(path);
  ASSERT_TRUE(port.ok());

  // Asleep: its own frames, more than 30 bytes within a second, the ping ignored.
  port.write(hex("A5 01 10 B6 00"));
  const auto t0 = Clock::now();
  const Bytes stream = port.read(31);
  EXPECT_LT(Clock::now() - t0, milliseconds(1000));
  ASSERT_GE(stream.size(), 31u);
  EXPECT_NE(test::decimalText(stream).find("165165"), std::string::npos);
  EXPECT_EQ(test::decimalText(stream).find("165347160231"), std::string::npos);

  port.write(test::kWakeListenFrame);
  EXPECT_TRUE(test::containsBytes(
      port.readUntil([](const Bytes& b) { return test::containsBytes(b, hex("A5 A5 57")); }),
      hex("A5 A5 57")));
  port.write(test::kWakeLinkFrame);
  EXPECT_TRUE(test::containsBytes(
      port.readUntil([](const Bytes& b) { return test::containsBytes(b, test::kWakeLinkFrame); }),
      test::kWakeLinkFrame));
  port.drain();

  port.write(hex("A5 01 10 B6 00"));
  EXPECT_EQ(port.read(6), hex("A5 03 2F 10 00 E7"));
  port.write(hex("A5 02 40 00 E7 00"));
  const Bytes ident =
      port.readUntil([](const Bytes& b) { return b.size() > 8 && b.size() >= b[7] + 9u; });
  ASSERT_GT(ident.size(), 9u);
  std::string text(ident.begin() + 9, ident.end() - 1);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return std::toupper(c); });
  EXPECT_NE(text.find("PULSE"), std::string::npos) << text;
  // The second 0x40 falls on the silence fault.
  port.write(hex("A5 02 40 00 E7 00"));
  EXPECT_TRUE(port.readUntil([](const Bytes& b) { return !b.empty(); }, milliseconds(200)).empty());

  const auto zero = port.exchange(hex("A5 0C 60 00 FF FF FF FF FF 02 80 00 00 82 10"));
  EXPECT_EQ(zero.result, 0);
  ASSERT_EQ(zero.payload.size(), 12u);
  EXPECT_EQ(zero.payload[1], 0xF8);

  EXPECT_EQ(port.exchange(test::parameterRequest('G', 0x111)).result, -105) << "the injected fault";
  const auto height = port.exchange(test::parameterRequest('G', 0x111));
  EXPECT_EQ(height.result, 0);
  EXPECT_FLOAT_EQ(test::floatOf(height.value), 6.0f);
  EXPECT_EQ(port.exchange(test::parameterRequest('S', 0x21, {3})).result, -101);
  const auto curve = port.exchange(test::parameterRequest('G', 0x991));
  EXPECT_EQ(curve.result, 0);
  EXPECT_EQ(curve.value.size(), 497u);

  EXPECT_EQ(sim.finish(SIGTERM), 0);
}

TEST(UnitsimPulse, RefusesOptionsThatDoNotFitTheRadar) {
  EXPECT_EQ(Unitsim({"--kind", "pulse-radar", "--dump", "/tmp/x"}).finish(0), 2);
  EXPECT_EQ(Unitsim({"--kind", "pulse-radar", "--fault", "0:1:message-sum"}).finish(0), 2);
  EXPECT_EQ(Unitsim({"--fault", "0x111:1:hart-xor"}).finish(0), 2);
}

}  // namespace
}  // namespace ostrel::sim

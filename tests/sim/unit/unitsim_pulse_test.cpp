// ostrel-unitsim --kind pulse-radar as its own process, reached over its
// pseudo-terminal the way the serial driver reaches a cable.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "pty_port.h"
#include "unit/radar_test_support.h"
#include "unitsim_process.h"

namespace ostrel::sim {
namespace {

using test::Bytes;
using test::hex;
using test::Unitsim;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A tunnel frame out, the tool's reading of the HART reply back.
test::ToolReading askOverPty(test::PtyPort& port, const Bytes& tunnelFrame) {
  port.drain();
  port.write(tunnelFrame);
  const Bytes got = port.readUntil([](const Bytes& b) { return test::readReply(b).complete; });
  return test::readReply(got);
}

TEST(UnitsimPulse, WakesIdentifiesAndAnswersHartOverAPty) {
  Unitsim sim(
      {"--kind", "pulse-radar", "--fault", "0x111:1:hart-xor", "--fault", "0x40:2:silence"});
  const std::string path = sim.slavePath();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
  test::PtyPort port(path);
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

  const auto zero = askOverPty(port, hex("A5 0C 60 00 FF FF FF FF FF 02 80 00 00 82 10"));
  EXPECT_EQ(zero.result, 0);
  ASSERT_EQ(zero.payload.size(), 12u);
  EXPECT_EQ(zero.payload[1], 0xF8);

  EXPECT_EQ(askOverPty(port, test::parameterRequest('G', 0x111)).result, -105)
      << "the injected fault";
  const auto height = askOverPty(port, test::parameterRequest('G', 0x111));
  EXPECT_EQ(height.result, 0);
  EXPECT_FLOAT_EQ(test::floatOf(height.value), 6.0f);
  EXPECT_EQ(askOverPty(port, test::parameterRequest('S', 0x21, {3})).result, -101);
  const auto curve = askOverPty(port, test::parameterRequest('G', 0x991));
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

// The unit's outgoing frames and its command receiver.

#include <gtest/gtest.h>

#include "sim/command_parser.h"
#include "sim/unit_frames.h"
#include "unit/sim_test_support.h"

namespace ostrel::sim {
namespace {

using test::Bytes;
using test::hex;
using Clock = std::chrono::steady_clock;

TEST(UnitFrames, AcknowledgementOfCommand10) {
  EXPECT_EQ(ackFrame(0x10, 0), hex("A5 03 2F 10 00 E7"));
  EXPECT_EQ(ackFrame(0x31, 0x05), hex("A5 03 2F 31 05 0D"));
}

TEST(UnitFrames, AcknowledgementCheckFollowsTheShortRuleForEveryCommandAndStatus) {
  for (unsigned cmd = 0; cmd < 256; cmd += 7) {
    for (unsigned status = 0; status < 256; status += 13) {
      const auto f = ackFrame(static_cast<std::uint8_t>(cmd), static_cast<std::uint8_t>(status));
      ASSERT_EQ(f.size(), 6u);
      EXPECT_EQ(f[5], (0xD7 + cmd + status) % 256) << cmd << " " << status;
    }
  }
}

TEST(UnitFrames, ReadyAndStreamFrames) {
  EXPECT_EQ(readyFrame(), hex("A5 01 10 B6"));
  EXPECT_EQ(streamFrame(100, 0x05), hex("A5 A5 64 00 05 97"));
  EXPECT_EQ(streamFrame(0x1234, 0x0F), hex("A5 A5 34 12 0F AB"));
  // Bits above the four relays never leak into b4.
  EXPECT_EQ(streamFrame(0, 0xF0), hex("A5 A5 00 00 00 00"));
}

TEST(UnitFrames, BlockFrameCarriesHeaderDataAndSum) {
  Bytes block(64);
  for (std::size_t i = 0; i < 64; ++i) block[i] = static_cast<std::uint8_t>(i * 3);
  const auto f = blockFrame(0x01, 0x02, block);
  ASSERT_EQ(f.size(), 69u);
  EXPECT_EQ(Bytes(f.begin(), f.begin() + 4), hex("A5 42 01 02"));
  EXPECT_EQ(Bytes(f.begin() + 4, f.begin() + 68), block);
  unsigned sum = 0;
  for (std::size_t i = 0; i < 68; ++i) sum += f[i];
  EXPECT_EQ(f[68], sum % 256);
  EXPECT_THROW(blockFrame(1, 0, Bytes(63)), std::invalid_argument);
}

TEST(UnitFrames, TextFrameIsZeroTerminatedUnitFrame) {
  EXPECT_EQ(textFrame(0x40, "AB"), hex("A5 04 40 41 42 00 6C"));
}

TEST(CommandParser, SkipsPadAndNoiseBetweenFrames) {
  CommandParser p;
  const auto t = Clock::now();
  std::vector<CommandFrame> frames;
  for (const auto b : hex("00 00 17 A5 03 31 01 00 DA 00 00 A5 01 10 B6 00")) {
    if (auto f = p.feed(b, t)) frames.push_back(*f);
  }
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].cmd, 0x31);
  EXPECT_EQ(frames[0].data, hex("01 00"));
  EXPECT_TRUE(frames[0].checkOk);
  EXPECT_EQ(frames[1].cmd, 0x10);
  EXPECT_TRUE(frames[1].data.empty());
  EXPECT_FALSE(p.midFrame());
}

TEST(CommandParser, FlagsAWrongCheckButStillEndsTheFrame) {
  CommandParser p;
  const auto t = Clock::now();
  std::optional<CommandFrame> f;
  for (const auto b : hex("A5 03 31 01 00 DB")) f = p.feed(b, t);
  ASSERT_TRUE(f);
  EXPECT_FALSE(f->checkOk);
  EXPECT_EQ(f->cmd, 0x31);
  EXPECT_FALSE(p.midFrame());
}

TEST(CommandParser, ZeroLengthIsNoiseAndAStalledFrameIsAbandoned) {
  CommandParser p(0xFF, std::chrono::milliseconds(50));
  const auto t = Clock::now();
  EXPECT_FALSE(p.feed(0xA5, t));
  EXPECT_FALSE(p.feed(0x00, t));
  EXPECT_FALSE(p.midFrame());

  // Half a frame, a long pause, then a whole one: only the whole one counts.
  for (const auto b : hex("A5 03 31")) p.feed(b, t);
  EXPECT_TRUE(p.midFrame());
  std::optional<CommandFrame> f;
  for (const auto b : hex("A5 01 10 B6")) f = p.feed(b, t + std::chrono::milliseconds(60));
  ASSERT_TRUE(f);
  EXPECT_EQ(f->cmd, 0x10);
  EXPECT_TRUE(f->checkOk);
}

TEST(CommandParser, ImpossibleLengthRestartsTheSearch) {
  CommandParser p(0x48);
  const auto t = Clock::now();
  std::vector<CommandFrame> frames;
  // A radar wake frame, then a ping: only the ping is a frame for this unit.
  for (const auto b : hex("A5 A5 57 00 01 00 A8 A5 01 10 B6 00")) {
    if (auto f = p.feed(b, t)) frames.push_back(*f);
  }
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].cmd, 0x10);
  EXPECT_TRUE(frames[0].checkOk);
}

TEST(CommandParser, ResetDropsAPartialFrame) {
  CommandParser p;
  const auto t = Clock::now();
  for (const auto b : hex("A5 03 31 01")) p.feed(b, t);
  p.reset();
  // The rest of the old frame is noise; no frame comes out of it.
  for (const auto b : hex("00 DA 00")) EXPECT_FALSE(p.feed(b, t));
}

}  // namespace
}  // namespace ostrel::sim

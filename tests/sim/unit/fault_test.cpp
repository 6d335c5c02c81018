// Injected faults: their text form, when they strike, and what each does to
// an answer.

#include <gtest/gtest.h>

#include "sim/fault.h"
#include "sim/fault_plan.h"
#include "unit/sim_test_support.h"

namespace ostrel::sim {
namespace {

using test::ack;
using test::Bench;
using test::Bytes;
using test::command;
using test::concat;
using test::hex;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

Fault parsed(std::string_view text) {
  std::string error;
  const auto f = Fault::parse(text, &error);
  EXPECT_TRUE(f) << text << ": " << error;
  return f.value_or(Fault{});
}

TEST(FaultText, ParsesTheDocumentedForms) {
  EXPECT_EQ(parsed("0x31:3:wrong-data-check"),
            (Fault{0x31, 3, FaultKind::WrongDataCheck, 0}));
  EXPECT_EQ(parsed("0x32:*:wrong-ready"), (Fault{0x32, Fault::kEvery, FaultKind::WrongReady, 0}));
  EXPECT_EQ(parsed("0x10:1:slow=1500"), (Fault{0x10, 1, FaultKind::Slow, 1500}));
  EXPECT_EQ(parsed("0x52:*:refuse=7"), (Fault{0x52, Fault::kEvery, FaultKind::Refuse, 7}));
  EXPECT_EQ(parsed("49:2:silence"), (Fault{0x31, 2, FaultKind::Silence, 0}));
  EXPECT_EQ(parsed("0x31:1:drop-byte"), (Fault{0x31, 1, FaultKind::DropByte, Fault::kLastByte}));
  EXPECT_EQ(parsed("0x31:1:drop-byte=0"), (Fault{0x31, 1, FaultKind::DropByte, 0}));
  EXPECT_EQ(parsed("0x32:4:no-ready"), (Fault{0x32, 4, FaultKind::NoReady, 0}));
  EXPECT_EQ(parsed("0x10:*:wrong-ack-check"), (Fault{0x10, Fault::kEvery, FaultKind::WrongAckCheck, 0}));
  EXPECT_EQ(parsed("0x31:1:refuse=0x83").value, 0x83);
  EXPECT_EQ(parsed("0x24:40:power-lost"), (Fault{0x24, 40, FaultKind::PowerLost, 5000}));
  EXPECT_EQ(parsed("0x24:2:power-lost=800"), (Fault{0x24, 2, FaultKind::PowerLost, 800}));
}

TEST(FaultText, RefusesMalformedForms) {
  for (const char* bad : {"", "0x31", "0x31:1", "0x131:1:silence", "0x31:0:silence",
                          "0x31:x:silence", "0x31:1:explode", "0x31:1:silence=3", "0x31:1:refuse",
                          "0x31:1:refuse=0", "0x31:1:refuse=256", "0x31:1:slow", "0x31:1:slow=-5",
                          "0x31:1:slow=1x", "zz:1:silence"}) {
    std::string error;
    EXPECT_FALSE(Fault::parse(bad, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(FaultText, WritesWhatItReads) {
  for (const char* text : {"0x31:3:wrong-data-check", "0x32:*:wrong-ready", "0x10:1:slow=1500",
                           "0x52:*:refuse=7", "0x31:2:drop-byte", "0x31:2:drop-byte=4",
                           "0x24:40:power-lost", "0x24:3:power-lost=800",
                           "0x16:9:silence", "0x32:1:no-ready", "0x37:*:wrong-ack-check"}) {
    EXPECT_EQ(parsed(text).toString(), text);
  }
}

TEST(FaultPlanCount, NthArrivalOrEveryArrival) {
  FaultPlan plan;
  plan.add(parsed("0x31:2:silence"));
  plan.add(parsed("0x10:*:slow=5"));
  plan.add(parsed("0x10:2:slow=7"));
  EXPECT_FALSE(plan.onCommand(0x31).any());
  EXPECT_TRUE(plan.onCommand(0x31).silence);
  EXPECT_FALSE(plan.onCommand(0x31).any());
  EXPECT_EQ(plan.onCommand(0x10).delay, milliseconds(5));
  EXPECT_EQ(plan.onCommand(0x10).delay, milliseconds(12)) << "delays add up";
  EXPECT_EQ(plan.arrivals(0x31), 3u);
  EXPECT_FALSE(plan.onCommand(0x32).any());
  plan.clear();
  EXPECT_EQ(plan.arrivals(0x31), 0u);
  EXPECT_FALSE(plan.onCommand(0x10).any());
}

class FaultyUnit : public ::testing::Test {
 protected:
  void inject(std::string_view text) { bench.unit->addFault(parsed(text)); }
  Bench bench;
};

TEST_F(FaultyUnit, SilenceIgnoresTheCommandEntirely) {
  inject("0x52:1:silence");
  EXPECT_TRUE(bench.talk(command(0x52, {0x00, 0x4B, 0, 0})).empty());
  EXPECT_EQ(bench.unit->baud(), 9600u) << "a silenced command has no effect";
  EXPECT_EQ(bench.talk(command(0x10)), ack(0x10));
}

TEST_F(FaultyUnit, WrongAcknowledgementCheck) {
  inject("0x31:*:wrong-ack-check");
  const Bytes answer = bench.talk(hex("A5 03 31 01 00 DA 00"));
  ASSERT_EQ(answer.size(), 75u);
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 6), hex("A5 03 2F 31 00 09"));
  unsigned sum = 0;
  for (std::size_t i = 6; i < 74; ++i) sum += answer[i];
  EXPECT_EQ(answer[74], sum % 256) << "the data frame stays good";
}

TEST_F(FaultyUnit, WrongDataCheckStrikesOnlyTheThirdRead) {
  inject("0x31:3:wrong-data-check");
  for (int n = 1; n <= 4; ++n) {
    const Bytes answer = bench.talk(hex("A5 03 31 01 00 DA 00"));
    ASSERT_EQ(answer.size(), 75u);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 6), hex("A5 03 2F 31 00 08"));
    unsigned sum = 0;
    for (std::size_t i = 6; i < 74; ++i) sum += answer[i];
    EXPECT_EQ(answer[74], (sum + (n == 3 ? 1 : 0)) % 256) << "read " << n;
  }
}

TEST_F(FaultyUnit, WrongDataCheckOnInformationMemoryAndIdentification) {
  inject("0x37:1:wrong-data-check");
  inject("0x40:1:wrong-data-check");
  for (const Bytes& cmd : {command(0x37, {0}), command(0x40, {0})}) {
    const Bytes answer = bench.talk(cmd);
    ASSERT_GT(answer.size(), 6u);
    unsigned sum = 0;
    for (std::size_t i = 6; i + 1 < answer.size(); ++i) sum += answer[i];
    EXPECT_EQ(answer.back(), (sum + 1) % 256);
  }
}

TEST_F(FaultyUnit, RefusingStatusCarriesNothingOut) {
  inject("0x34:1:refuse=7");
  inject("0x31:1:refuse=0x85");
  const auto before = bench.unit->memories();
  bench.talk(command(0x33));
  EXPECT_EQ(bench.talk(command(0x34, {1})), hex("A5 03 2F 34 07 12"));
  EXPECT_EQ(bench.unit->memories().customer, before.customer);
  EXPECT_EQ(bench.talk(command(0x31, {1, 0})), ack(0x31, 0x85)) << "no data frame after a refusal";
  EXPECT_EQ(bench.talk(command(0x34, {1})), ack(0x34)) << "only the first arrival";
}

TEST_F(FaultyUnit, MissingAndWrongReadyFrames) {
  inject("0x32:2:no-ready");
  inject("0x32:3:wrong-ready");
  Bytes data = {0};
  data.resize(65, 0x42);
  EXPECT_EQ(bench.talk(command(0x32, data)), concat({ack(0x32), hex("A5 01 10 B6")}));
  EXPECT_EQ(bench.talk(command(0x32, data)), ack(0x32));
  EXPECT_EQ(bench.talk(command(0x32, data)), concat({ack(0x32), hex("A5 01 10 B7")}));
  EXPECT_EQ(bench.unit->scratch()[1], 0x42) << "the block is stored all the same";
}

TEST_F(FaultyUnit, DroppedByte) {
  inject("0x10:1:drop-byte");
  inject("0x10:2:drop-byte=0");
  inject("0x32:1:drop-byte=6");
  EXPECT_EQ(bench.talk(command(0x10)), hex("A5 03 2F 10 00"));
  EXPECT_EQ(bench.talk(command(0x10)), hex("03 2F 10 00 E7"));
  Bytes data = {0};
  data.resize(65);
  // Byte 6 of the answer is the ready frame's start.
  EXPECT_EQ(bench.talk(command(0x32, data)), concat({ack(0x32), hex("01 10 B6")}));
}

TEST_F(FaultyUnit, SlowAnswer) {
  inject("0x10:1:slow=80");
  const auto t0 = Clock::now();
  bench.engine.write(command(0x10));
  bench.engine.write(command(0x10));
  // The second answer is ready at once but queues behind the slow first one.
  EXPECT_EQ(bench.engine.available(), 0u);
  ASSERT_TRUE(bench.engine.waitFor(12, t0 + milliseconds(2000)));
  EXPECT_GE(Clock::now() - t0, milliseconds(80));
  EXPECT_LT(Clock::now() - t0, milliseconds(500));
  EXPECT_EQ(bench.engine.readAll(), concat({ack(0x10), ack(0x10)}));
  EXPECT_EQ(bench.talk(command(0x10)), ack(0x10)) << "only the first arrival is slow";
}

TEST_F(FaultyUnit, SlowAnswerDelaysTheWholeDataFrameToo) {
  inject("0x31:1:slow=50");
  const auto t0 = Clock::now();
  bench.engine.write(command(0x31, {2, 2}));
  ASSERT_TRUE(bench.engine.waitFor(75, t0 + milliseconds(2000)));
  EXPECT_GE(Clock::now() - t0, milliseconds(50));
  const Bytes answer = bench.engine.readAll();
  ASSERT_EQ(answer.size(), 75u);
  EXPECT_EQ(answer[6 + 4 + 52], 0x00) << "factory byte 180 of an ultrasonic unit";
}

TEST_F(FaultyUnit, BadCheckFramesDoNotCountAsArrivals) {
  inject("0x10:1:refuse=9");
  EXPECT_EQ(bench.talk(hex("A5 01 10 B5 00")), ack(0x10, PageUnit::kStatusBadCheck));
  EXPECT_EQ(bench.unit->arrivals(0x10), 0u);
  EXPECT_EQ(bench.talk(command(0x10)), ack(0x10, 9));
}

}  // namespace
}  // namespace ostrel::sim

// The line: pacing, baud rates on both ends, buffering and threads.

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "sim/unit_engine.h"
#include "unit/sim_test_support.h"

namespace ostrel::sim {
namespace {

using test::Bench;
using test::Bytes;
using test::hex;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

double msSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

TEST(UnitEnginePacing, DataFrameTricklesInAtTheWireRate) {
  Bench bench;
  bench.engine.setPacing(true);
  const auto t0 = Clock::now();
  bench.engine.write(hex("A5 03 31 01 00 DA 00"));
  // Six command bytes up to the check, then the six of the acknowledgement.
  ASSERT_TRUE(bench.engine.waitFor(6, t0 + milliseconds(1000)));
  const auto tAck = Clock::now();
  EXPECT_GE(msSince(t0), 12.0);
  Bytes ackBytes(6);
  EXPECT_EQ(bench.engine.read(ackBytes), 6u);
  EXPECT_EQ(ackBytes, hex("A5 03 2F 31 00 08"));

  std::set<std::size_t> seen;
  while (bench.engine.available() < 69 && msSince(tAck) < 1000) {
    seen.insert(bench.engine.available());
    std::this_thread::sleep_for(milliseconds(1));
  }
  const double took = msSince(tAck);
  EXPECT_EQ(bench.engine.available(), 69u);
  // 6 + 6 + 69 bytes of 10 bits at 9600 baud: 84.4 ms from the first byte
  // written. (Measured from t0: tAck itself may be taken late on a busy
  // machine, after the data frame has begun.)
  EXPECT_GE(msSince(t0), 84.0);
  EXPECT_LT(took, 250.0);
  // Bytes came one by one, not in one lump.
  EXPECT_GE(seen.size(), 5u);
}

TEST(UnitEnginePacing, FrameIsHandledOnlyOnceItsLastByteArrived) {
  PageUnit::Options slowLine;
  slowLine.only1200 = true;
  Bench bench(PageUnitKind::Ultrasonic, slowLine);
  bench.engine.setPacing(true);
  bench.engine.setLineBaud(1200);
  const auto t0 = Clock::now();
  bench.engine.write(hex("A5 01 10 B6 00"));
  // 4 bytes in (33 ms), 6 bytes back (50 ms), at 8.3 ms a byte.
  std::this_thread::sleep_for(milliseconds(20));
  EXPECT_TRUE(bench.unit->receivedCommands().empty()) << "frame handled before its check byte arrived";
  ASSERT_TRUE(bench.engine.waitFor(6, t0 + milliseconds(1000)));
  EXPECT_GE(msSince(t0), 83.0);
  EXPECT_EQ(bench.engine.readAll(), hex("A5 03 2F 10 00 E7"));
}

TEST(UnitEngineBaud, UnitIgnoresBytesAtAnotherRate) {
  Bench bench;
  bench.engine.setLineBaud(1200);
  EXPECT_TRUE(bench.talk(hex("A5 01 10 B6 00")).empty());
  EXPECT_EQ(bench.engine.noiseHeardByUnit(), 5u);
  EXPECT_TRUE(bench.unit->receivedCommands().empty());
  bench.engine.setLineBaud(9600);
  EXPECT_EQ(bench.talk(hex("A5 01 10 B6 00")), hex("A5 03 2F 10 00 E7"));
}

TEST(UnitEngineBaud, AnswerAtAnotherRateIsNotHeard) {
  PageUnit::Options slowLine;
  slowLine.only1200 = true;
  Bench bench(PageUnitKind::Ultrasonic, slowLine);
  bench.engine.setPacing(true);
  bench.engine.setLineBaud(1200);
  bench.engine.write(hex("A5 01 10 B6 00"));
  // The cable changes rate while the command is still on its way.
  bench.engine.setLineBaud(9600);
  EXPECT_FALSE(bench.engine.waitFor(1, Clock::now() + milliseconds(150)));
  EXPECT_EQ(bench.unit->receivedCommands().size(), 1u);
  EXPECT_EQ(bench.engine.bytesUnheardByCable(), 6u);
}

TEST(UnitEngineBaud, OnlyAt1200UntilTheUnitIsToldToChange) {
  PageUnit::Options slowLine;
  slowLine.only1200 = true;
  Bench bench(PageUnitKind::Ultrasonic, slowLine);
  EXPECT_EQ(bench.unit->baud(), 1200u);
  EXPECT_TRUE(bench.talk(hex("A5 01 10 B6 00")).empty()) << "silent at 9600";

  bench.engine.setLineBaud(1200);
  EXPECT_EQ(bench.talk(hex("A5 01 10 B6 00")), hex("A5 03 2F 10 00 E7"));
  // 9600 as 32-bit little-endian; acknowledged at the old rate.
  EXPECT_EQ(bench.talk(hex("A5 05 52 80 25 00 00 A1 00")), hex("A5 03 2F 52 00 29"));
  EXPECT_EQ(bench.unit->baud(), 9600u);
  EXPECT_TRUE(bench.talk(hex("A5 01 10 B6 00")).empty()) << "the unit has moved on";
  bench.engine.setLineBaud(9600);
  EXPECT_EQ(bench.talk(hex("A5 01 10 B6 00")), hex("A5 03 2F 10 00 E7"));

  bench.unit->powerCycle();
  EXPECT_EQ(bench.unit->baud(), 1200u);
}

TEST(UnitEngineBuffers, FlushesDropWhatTheyShould) {
  Bench bench;
  bench.engine.write(hex("A5 01 10 B6 00"));
  EXPECT_EQ(bench.engine.available(), 6u);
  bench.engine.flushReceive();
  EXPECT_EQ(bench.engine.available(), 0u);
  EXPECT_EQ(bench.engine.written(), hex("A5 01 10 B6 00"));
  bench.engine.clearWritten();
  EXPECT_TRUE(bench.engine.written().empty());

  // Bytes still on their way out of the cable are dropped by a transmit
  // flush. At 1200 baud against a 9600 unit each byte that got through
  // would count as noise.
  bench.engine.setPacing(true);
  bench.engine.setLineBaud(1200);
  bench.engine.write(hex("A5 01 10 B6 00"));
  bench.engine.flushTransmit();
  EXPECT_FALSE(bench.engine.waitFor(1, Clock::now() + milliseconds(60)));
  EXPECT_EQ(bench.engine.noiseHeardByUnit(), 0u);
}

TEST(UnitEngineBuffers, ClosedSideAndEmptyCableHearNothing) {
  UnitEngine empty;
  empty.write(hex("A5 01 10 B6 00"));
  EXPECT_EQ(empty.available(), 0u);
  EXPECT_EQ(empty.nextEvent(), Clock::time_point::max());

  Bench bench;
  bench.engine.setListening(false);
  EXPECT_TRUE(bench.talk(hex("A5 01 10 B6 00")).empty());
  EXPECT_EQ(bench.engine.bytesUnheardByCable(), 6u);
  bench.engine.setListening(true);
  EXPECT_EQ(bench.talk(hex("A5 01 10 B6 00")), hex("A5 03 2F 10 00 E7"));
}

TEST(UnitEngineThreads, WriterAndReaderAtOnce) {
  Bench bench;
  constexpr int kPings = 300;
  std::atomic<bool> done{false};
  Bytes got;
  std::thread reader([&] {
    const auto deadline = Clock::now() + milliseconds(5000);
    while (got.size() < kPings * 6 && Clock::now() < deadline) {
      if (bench.engine.waitFor(1, Clock::now() + milliseconds(20))) {
        const Bytes part = bench.engine.readAll();
        got.insert(got.end(), part.begin(), part.end());
      }
    }
    done = true;
  });
  for (int i = 0; i < kPings; ++i) {
    bench.engine.write(hex("A5 01 10 B6 00"));
    if (i % 50 == 0) std::this_thread::sleep_for(milliseconds(1));
  }
  reader.join();
  ASSERT_EQ(got.size(), static_cast<std::size_t>(kPings * 6));
  for (int i = 0; i < kPings; ++i) {
    ASSERT_EQ(Bytes(got.begin() + 6 * i, got.begin() + 6 * i + 6), hex("A5 03 2F 10 00 E7")) << i;
  }
}

}  // namespace
}  // namespace ostrel::sim

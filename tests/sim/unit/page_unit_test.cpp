// The page unit's answers to each command, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "sim/byte_fields.h"
#include "sim/echo_synthesizer.h"
#include "sim/memory_generator.h"
#include "sim/page_unit.h"
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

Bytes asBytes(std::span<const std::uint8_t> s) { return Bytes(s.begin(), s.end()); }

TEST(PageUnitCommands, AcknowledgesCommand10) {
  Bench bench;
  EXPECT_EQ(bench.talk(hex("A5 01 10 B6 00")), hex("A5 03 2F 10 00 E7"));
}

TEST(PageUnitCommands, ReadOfCustomerBlockZero) {
  Bench bench;
  const Bytes answer = bench.talk(hex("A5 03 31 01 00 DA 00"));
  ASSERT_EQ(answer.size(), 75u);
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 6), hex("A5 03 2F 31 00 08"));
  // Header: selector 1, block 0; sensor height 14160 = 0x3750 at bytes 2..3.
  EXPECT_EQ(Bytes(answer.begin() + 6, answer.begin() + 14), hex("A5 42 01 00 00 00 50 37"));
  EXPECT_EQ(Bytes(answer.begin() + 16, answer.begin() + 18), hex("C8 31")) << "fill height 12744";
  const auto customer = bench.unit->memories().customer;
  EXPECT_EQ(Bytes(answer.begin() + 10, answer.begin() + 74), Bytes(customer.begin(), customer.begin() + 64));
  unsigned sum = 0;
  for (std::size_t i = 6; i < 74; ++i) sum += answer[i];
  EXPECT_EQ(answer[74], sum % 256);
}

TEST(PageUnitCommands, EverySelectorReadsItsOwnMemory) {
  PageUnit::Options o;
  o.liveScan = false;  // the stored scan, not a capture of the moment
  Bench bench(PageUnitKind::Ultrasonic, o);
  const UnitMemories m = bench.unit->memories();
  EXPECT_EQ(test::readPage(bench, 1), asBytes(m.customer));
  EXPECT_EQ(test::readPage(bench, 2), asBytes(m.factory));
  EXPECT_EQ(test::readPage(bench, 3), asBytes(m.history));
  EXPECT_EQ(test::readPage(bench, 4), asBytes(m.ocm));
  EXPECT_EQ(test::readPage(bench, 7), asBytes(m.model));

  // The scan sits behind the OCM page in blocks 64..95.
  const Bytes scan63 = bench.talk(command(0x31, {4, 64}));
  ASSERT_EQ(scan63.size(), 75u);
  EXPECT_EQ(Bytes(scan63.begin() + 10, scan63.begin() + 74), Bytes(m.scan.begin(), m.scan.begin() + 64));
  const Bytes scan95 = bench.talk(command(0x31, {4, 95}));
  ASSERT_EQ(scan95.size(), 75u);
  EXPECT_EQ(Bytes(scan95.begin() + 10, scan95.begin() + 74), Bytes(m.scan.end() - 64, m.scan.end()));
}

TEST(PageUnitCommands, OutOfRangeReadsAreRefused) {
  Bench bench;
  EXPECT_EQ(bench.talk(command(0x31, {1, 8})), ack(0x31, PageUnit::kStatusBadArgument));
  EXPECT_EQ(bench.talk(command(0x31, {6, 0})), ack(0x31, PageUnit::kStatusBadArgument));
  EXPECT_EQ(bench.talk(command(0x31, {4, 63})), ack(0x31, PageUnit::kStatusBadArgument));
  EXPECT_EQ(bench.talk(command(0x31, {4, 96})), ack(0x31, PageUnit::kStatusBadArgument));
  EXPECT_EQ(bench.talk(command(0x31, {5, 32})), ack(0x31, PageUnit::kStatusBadArgument));
  EXPECT_EQ(bench.talk(command(0x37, {2})), ack(0x37, PageUnit::kStatusBadArgument));
}

TEST(PageUnitCommands, BadCheckUnknownCommandAndWrongLength) {
  Bench bench;
  // 0x33 with its check off by one: refused, scratch untouched.
  Bytes data = {0};
  data.resize(65, 0x77);
  bench.talk(command(0x32, data));
  EXPECT_EQ(bench.talk(hex("A5 01 33 DA 00")), ack(0x33, PageUnit::kStatusBadCheck));
  EXPECT_EQ(bench.unit->scratch()[1], 0x77);
  EXPECT_EQ(bench.talk(command(0x99)), ack(0x99, PageUnit::kStatusUnknownCommand));
  EXPECT_EQ(bench.talk(command(0x31, {1})), ack(0x31, PageUnit::kStatusBadLength));
  EXPECT_EQ(bench.talk(command(0x10, {1})), ack(0x10, PageUnit::kStatusBadLength));
  EXPECT_EQ(bench.talk(command(0x32, {0, 1, 2})), ack(0x32, PageUnit::kStatusBadLength));
  EXPECT_EQ(bench.talk(command(0x52, {0x80, 0x25})), ack(0x52, PageUnit::kStatusBadLength));
  // A block beyond the scratch area.
  data[0] = 8;
  EXPECT_EQ(bench.talk(command(0x32, data)), ack(0x32, PageUnit::kStatusBadArgument));
}

TEST(PageUnitWrite, EightBlocksAndCommitEndInThePage) {
  Bench bench;
  Bytes page(512);
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<std::uint8_t>(i * 7 + 1);
  test::writePage(bench, 1, page);
  EXPECT_EQ(asBytes(bench.unit->memories().customer), page);
  EXPECT_EQ(test::readPage(bench, 1), page);

  // The history page is written the same way and leaves the customer page alone.
  Bytes table(512, 0xFF);
  test::writePage(bench, 3, table);
  EXPECT_EQ(asBytes(bench.unit->memories().history), table);
  EXPECT_EQ(asBytes(bench.unit->memories().customer), page);
}

TEST(PageUnitWrite, FirstBlockFrameByHand) {
  Bench bench;
  EXPECT_EQ(bench.talk(hex("A5 01 33 D9 00")), hex("A5 03 2F 33 00 0A"));
  Bytes frame = hex("A5 42 32 00");
  frame.resize(4 + 64, 0x00);
  frame.push_back(0x19);  // A5 + 42 + 32 = 0x119
  frame.push_back(0x00);
  EXPECT_EQ(bench.talk(frame), hex("A5 03 2F 32 00 09 A5 01 10 B6"));
}

TEST(PageUnitWrite, BeginClearsTheScratchAndCommitNeedsAPageSelector) {
  Bench bench;
  Bytes data = {3};
  data.resize(65, 0x55);
  bench.talk(command(0x32, data));
  EXPECT_EQ(bench.unit->scratch()[3 * 64], 0x55);
  bench.talk(command(0x33));
  EXPECT_EQ(bench.unit->scratch()[3 * 64], 0x00);

  const auto before = bench.unit->memories();
  for (const std::uint8_t selector : {0, 5, 6, 8}) {
    EXPECT_EQ(bench.talk(command(0x34, {selector})), ack(0x34, PageUnit::kStatusBadArgument));
  }
  EXPECT_EQ(bench.unit->memories(), before);
  // OCM and model page take a commit like the others.
  EXPECT_EQ(bench.talk(command(0x34, {4})), ack(0x34));
  EXPECT_EQ(bench.talk(command(0x34, {7})), ack(0x34));
  EXPECT_EQ(asBytes(bench.unit->memories().ocm), Bytes(512, 0));
  EXPECT_EQ(asBytes(bench.unit->memories().model), Bytes(512, 0));
}

TEST(PageUnitInfoMemory, ReadBothBlocks) {
  Bench bench;
  const auto info = bench.unit->memories().info;
  for (std::uint8_t b = 0; b < 2; ++b) {
    const Bytes answer = bench.talk(command(0x37, {b}));
    ASSERT_EQ(answer.size(), 75u);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 6), ack(0x37));
    EXPECT_EQ(answer[8], 0x00);
    EXPECT_EQ(answer[9], b);
    EXPECT_EQ(Bytes(answer.begin() + 10, answer.begin() + 74),
              Bytes(info.begin() + 64 * b, info.begin() + 64 * (b + 1)));
    unsigned sum = 0;
    for (std::size_t i = 6; i < 74; ++i) sum += answer[i];
    EXPECT_EQ(answer[74], sum % 256);
  }
}

TEST(PageUnitInfoMemory, CommitTakesTheFirst128BytesOfScratchOnlyWithTheKey) {
  Bench bench;
  Bytes info(128);
  for (std::size_t i = 0; i < info.size(); ++i) info[i] = static_cast<std::uint8_t>(255 - i);
  EXPECT_EQ(bench.talk(command(0x33)), ack(0x33));
  for (std::uint8_t b = 0; b < 2; ++b) {
    Bytes data = {b};
    data.insert(data.end(), info.begin() + 64 * b, info.begin() + 64 * (b + 1));
    EXPECT_EQ(bench.talk(command(0x32, data)), concat({ack(0x32), hex("A5 01 10 B6")}));
  }
  const auto before = bench.unit->memories();
  EXPECT_EQ(bench.talk(command(0x38, {0x5B})), ack(0x38, PageUnit::kStatusBadArgument));
  EXPECT_EQ(bench.unit->memories(), before);
  EXPECT_EQ(bench.talk(hex("A5 02 38 5A 39 00")), hex("A5 03 2F 38 00 0F"));
  EXPECT_EQ(asBytes(bench.unit->memories().info), info);
  // Pages are untouched by an information-memory commit.
  EXPECT_EQ(bench.unit->memories().customer, before.customer);
}

TEST(PageUnitCommands, EraseDisturbanceScan) {
  Bench bench;
  const auto before = bench.unit->memories();
  EXPECT_TRUE(std::any_of(before.scan.begin(), before.scan.end(), [](auto b) { return b != 0; }));
  EXPECT_EQ(bench.talk(hex("A5 01 16 BC 00")), hex("A5 03 2F 16 00 ED"));
  const auto after = bench.unit->memories();
  EXPECT_TRUE(std::all_of(after.scan.begin(), after.scan.end(), [](auto b) { return b == 0; }));
  EXPECT_EQ(after.echo, before.echo) << "only the scan is erased";
  EXPECT_EQ(after.ocm, before.ocm) << "only the scan is erased";
}

TEST(PageUnitCommands, IdentificationTextHasNoPulse) {
  for (const auto kind : {PageUnitKind::Ultrasonic, PageUnitKind::GuidedWave, PageUnitKind::UType}) {
    Bench bench(kind);
    const Bytes answer = bench.talk(command(0x40, {0x00}));
    ASSERT_GE(answer.size(), 6u + 5u);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 6), ack(0x40));
    const Bytes frame(answer.begin() + 6, answer.end());
    EXPECT_EQ(frame[0], 0xA5);
    EXPECT_EQ(frame.size(), frame[1] + 3u);
    EXPECT_EQ(frame[2], 0x40);
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) sum += frame[i];
    EXPECT_EQ(frame.back(), sum % 256);
    // Read as the tool does: from the frame's first byte up to the zero.
    std::string text;
    for (const auto b : frame) {
      if (b == 0) break;
      text += static_cast<char>(std::toupper(b));
    }
    EXPECT_EQ(text.find("PULSE"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(MemoryGenerator::identity(kind).modelText)), std::string::npos)
        << text;
  }
}

TEST(PageUnitCommands, BaudChangeAcceptsOnlyRealRates) {
  Bench bench;
  EXPECT_EQ(bench.talk(command(0x52, {0x39, 0x30, 0, 0})), ack(0x52, PageUnit::kStatusBadArgument));
  EXPECT_EQ(bench.unit->baud(), 9600u);
  EXPECT_EQ(bench.talk(command(0x52, {0x00, 0x4B, 0, 0})), ack(0x52));  // 19200
  EXPECT_EQ(bench.unit->baud(), 19200u);
}

class PageUnitStream : public ::testing::Test {
 protected:
  static PageUnit::Options fast() {
    PageUnit::Options o;
    o.streamPeriod = milliseconds(10);
    return o;
  }
  Bench bench{PageUnitKind::Ultrasonic, fast()};
};

TEST_F(PageUnitStream, StreamsValidFramesUntilACommandArrives) {
  bench.unit->setFixedLevel(MemoryGenerator::kFillHeightCounts / 2);
  EXPECT_EQ(bench.talk(hex("A5 01 21 C7 00")), hex("A5 03 2F 21 00 F8"));
  EXPECT_TRUE(bench.unit->streaming());
  const Bytes frames = bench.collect(6 * 5, milliseconds(2000));
  ASSERT_EQ(frames.size(), 30u);
  const std::uint16_t distance = MemoryGenerator::kSensorHeightCounts - MemoryGenerator::kFillHeightCounts / 2;
  for (std::size_t i = 0; i < frames.size(); i += 6) {
    EXPECT_EQ(frames[i], 0xA5);
    EXPECT_EQ(frames[i + 1], 0xA5);
    EXPECT_EQ(frames[i + 2] + 256 * frames[i + 3], distance);
    EXPECT_EQ((frames[i + 2] + frames[i + 3] + frames[i + 4] + frames[i + 5]) % 256, 0);
  }

  // Any command ends the stream; it is answered as usual.
  bench.engine.write(hex("A5 01 10 B6 00"));
  EXPECT_FALSE(bench.unit->streaming());
  bench.engine.readAll();  // frames sent before the command, and its acknowledgement
  std::this_thread::sleep_for(milliseconds(40));
  EXPECT_TRUE(bench.engine.readAll().empty());
}

TEST_F(PageUnitStream, ACommandWithABadCheckStopsTheStreamToo) {
  bench.talk(command(0x21));
  ASSERT_TRUE(bench.unit->streaming());
  bench.talk(hex("A5 01 10 B7 00"));
  EXPECT_FALSE(bench.unit->streaming());
}

TEST_F(PageUnitStream, RelaysFollowTheSetPointsInThePagesRelayUnits) {
  const auto relaysAtLevel = [&](double feet) {
    bench.unit->setFixedLevel(static_cast<std::uint16_t>(feet * 708));
    bench.talk(command(0x21));
    Bytes f = bench.collect(6, milliseconds(1000));
    bench.talk(command(0x10));
    return f.size() == 6 ? f[4] : 0xFF;
  };
  // The generated points in feet (OUTPUT 2), then the same points written in
  // meters (OUTPUT 3) and in inches (OUTPUT 0): the relays switch at the
  // same heights.
  const UnitMemories generated = bench.unit->memories();
  for (const auto& [output, perFoot] :
       {std::pair<std::uint16_t, double>{2, 1.0}, {3, 0.3048}, {0, 12.0}}) {
    SCOPED_TRACE(output);
    UnitMemories m = generated;
    putU16(m.customer, CustomerLayout::kOutput, output);
    for (std::size_t at = CustomerLayout::kSetPoints; at < CustomerLayout::kSetPoints + 32;
         at += 4) {
      putFloat(m.customer, at, static_cast<float>(getFloat(m.customer, at) * perFoot));
    }
    bench.unit->setMemories(m);
    // Relay 1 high alarm 14 on / 13.5 off, relay 2 low alarm 9 on / 9.5 off,
    // relay 3 12 on / 10 off, relay 4 unused (in feet).
    EXPECT_EQ(relaysAtLevel(15.0), 0b0101);
    EXPECT_EQ(relaysAtLevel(13.8), 0b0101) << "inside both dead bands: relays hold";
    EXPECT_EQ(relaysAtLevel(11.0), 0b0100) << "relay 1 dropped below 13.5, relay 3 holds";
    EXPECT_EQ(relaysAtLevel(8.0), 0b0010);
    EXPECT_EQ(relaysAtLevel(9.2), 0b0010) << "low alarm holds until 9.5";
    EXPECT_EQ(relaysAtLevel(10.0), 0b0000);
  }
}

TEST(PageUnitLevel, MovesSlowlyWithinTheTank) {
  PageUnit::Options o;
  o.levelPeriod = milliseconds(1000);
  PageUnit unit(PageUnitKind::Ultrasonic, o);
  const auto t0 = Clock::now();
  std::uint16_t lo = 0xFFFF;
  std::uint16_t hi = 0;
  for (int i = 0; i <= 100; ++i) {
    const auto t = t0 + milliseconds(10 * i);
    const auto level = unit.levelAt(t);
    lo = std::min(lo, level);
    hi = std::max(hi, level);
    EXPECT_EQ(unit.distanceAt(t), MemoryGenerator::kSensorHeightCounts - level);
  }
  EXPECT_GE(lo, MemoryGenerator::kFillHeightCounts * 0.39);
  EXPECT_LE(hi, MemoryGenerator::kFillHeightCounts * 0.86);
  EXPECT_GT(hi - lo, MemoryGenerator::kFillHeightCounts / 3) << "the level hardly moved";
}

TEST(PageUnitEcho, ReadingTheEchoCapturesTheCurrentLevel) {
  Bench bench;
  const std::uint16_t level = 10 * 708;
  bench.unit->setFixedLevel(level);
  Bytes record;
  for (std::uint8_t b = 0; b < 32; ++b) {
    const Bytes answer = bench.talk(command(0x31, {5, b}));
    ASSERT_EQ(answer.size(), 75u);
    record.insert(record.end(), answer.begin() + 10, answer.begin() + 74);
  }
  ASSERT_EQ(record.size(), 2048u);
  const std::uint16_t distance = MemoryGenerator::kSensorHeightCounts - level;
  EXPECT_EQ(getU16(record, 2 * 1021), distance);
  EXPECT_EQ(getU16(record, 2 * 1022), level);
  // 10 of 18 ft: 4 + 16 * 10/18 = 12.89 mA.
  EXPECT_EQ(getU16(record, 2 * 1023), 1289);
  // The strongest sample past the ring-down sits at the surface.
  std::size_t peak = 300;
  for (std::size_t j = 300; j < 1021; ++j) {
    if (std::abs(getI16(record, 2 * j)) > std::abs(getI16(record, 2 * peak))) peak = j;
  }
  const auto expected = EchoSynthesizer::sampleForDistance(distance);
  EXPECT_NEAR(static_cast<double>(peak), static_cast<double>(expected), 3.0);
}

TEST(PageUnitEcho, ScanShowsTheSurfaceAtTheCurrentLevelUntilErased) {
  Bench bench;
  const auto readScan = [&bench] {
    Bytes record;
    for (std::uint8_t b = 64; b < 96; ++b) {
      const Bytes answer = bench.talk(command(0x31, {4, b}));
      EXPECT_EQ(answer.size(), 75u);
      if (answer.size() == 75u) record.insert(record.end(), answer.begin() + 10, answer.begin() + 74);
    }
    return record;
  };
  const auto strongestPastRingDown = [](const Bytes& record) {
    std::size_t peak = 300;
    for (std::size_t j = 300; j < 1021; ++j) {
      if (std::abs(getI16(record, 2 * j)) > std::abs(getI16(record, 2 * peak))) peak = j;
    }
    return peak;
  };
  for (const std::uint16_t level : {std::uint16_t(12 * 708), std::uint16_t(5 * 708)}) {
    SCOPED_TRACE(level);
    bench.unit->setFixedLevel(level);
    const Bytes scan = readScan();
    ASSERT_EQ(scan.size(), 2048u);
    const std::uint16_t distance = MemoryGenerator::kSensorHeightCounts - level;
    EXPECT_EQ(getU16(scan, 2 * 1021), distance);
    EXPECT_EQ(getU16(scan, 2 * 1022), level);
    EXPECT_NEAR(static_cast<double>(strongestPastRingDown(scan)),
                static_cast<double>(EchoSynthesizer::sampleForDistance(distance)), 3.0);
  }
  // Erased, the scan stays empty however the level moves.
  EXPECT_EQ(bench.talk(hex("A5 01 16 BC 00")), hex("A5 03 2F 16 00 ED"));
  bench.unit->setFixedLevel(9 * 708);
  const Bytes erased = readScan();
  EXPECT_TRUE(std::all_of(erased.begin(), erased.end(), [](auto b) { return b == 0; }));
}

TEST(PageUnitEcho, StoredRecordIsServedWhenLiveCaptureIsOff) {
  PageUnit::Options o;
  o.liveEcho = false;
  Bench bench(PageUnitKind::Ultrasonic, o);
  UnitMemories m = bench.unit->memories();
  m.echo.fill(0x5C);
  bench.unit->setMemories(m);
  const Bytes answer = bench.talk(command(0x31, {5, 0}));
  ASSERT_EQ(answer.size(), 75u);
  EXPECT_EQ(Bytes(answer.begin() + 10, answer.begin() + 74), Bytes(64, 0x5C));
}

TEST(PageUnitKinds, FactoryPageTellsTheKind) {
  Bench ultrasonic(PageUnitKind::Ultrasonic);
  Bench guided(PageUnitKind::GuidedWave);
  Bench utype(PageUnitKind::UType);
  EXPECT_EQ(test::readPage(ultrasonic, 2)[180], 0x00);
  EXPECT_EQ(test::readPage(guided, 2)[180], 'G');
  EXPECT_EQ(test::readPage(utype, 2)[180], 'U');
  const Bytes model = test::readPage(guided, 7);
  EXPECT_EQ(Bytes(model.begin(), model.begin() + 9), Bytes({'K', 'M', '5', '0', '-', 'G', 'W', 'R', 0}));
  EXPECT_EQ(model[16] + 256 * model[17], 105);
}

}  // namespace
}  // namespace ostrel::sim

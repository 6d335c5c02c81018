// The pulse-radar unit on the line: its own stream while asleep, the wake
// frames, unit frames once awake, and the HART exchange of command 0 and the
// parameter messages, byte for byte and through the tool's reply rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <thread>
#include <tuple>

#include "sim/pulse_radar_unit.h"
#include "sim/radar_parameters.h"
#include "sim/radar_receiver.h"
#include "unit/radar_test_support.h"

namespace ostrel::sim {
namespace {

using test::ack;
using test::Bytes;
using test::command;
using test::concat;
using test::containsBytes;
using test::decimalText;
using test::floatBytes;
using test::floatOf;
using test::hex;
using test::kUnitLongAddress;
using test::kWakeLinkFrame;
using test::kWakeListenFrame;
using test::RadarBench;
using test::readReply;
using test::tunnel;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using P = RadarParameters;

// Every byte must belong to a whole idle frame A5 A5 01 lo hi k.
void expectIdleFramesOnly(const Bytes& bytes) {
  ASSERT_EQ(bytes.size() % 6, 0u) << test::toHex(bytes);
  for (std::size_t i = 0; i < bytes.size(); i += 6) {
    EXPECT_EQ(bytes[i], 0xA5);
    EXPECT_EQ(bytes[i + 1], 0xA5);
    EXPECT_EQ(bytes[i + 2], 0x01);
    EXPECT_EQ((bytes[i + 2] + bytes[i + 3] + bytes[i + 4] + bytes[i + 5]) % 256, 0);
  }
}

// ---------------------------------------------------------------------------

TEST(PulseRadarAsleep, StreamsMoreThan30BytesWithinASecond) {
  RadarBench bench;
  bench.unit->setFixedLevel(2.0);  // 6.0 m sensor: 4000 mm to the surface
  const auto t0 = Clock::now();
  ASSERT_TRUE(bench.engine.waitFor(31, t0 + milliseconds(1000)));
  EXPECT_LT(Clock::now() - t0, milliseconds(1000));
  const Bytes got = bench.engine.readAll();
  const Bytes whole(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(got.size() / 6 * 6));
  expectIdleFramesOnly(whole);
  EXPECT_EQ(Bytes(got.begin(), got.begin() + 6), hex("A5 A5 01 A0 0F 50"));
  // What the tool's listener looks for: two start bytes in a row.
  EXPECT_NE(decimalText(got).find("165165"), std::string::npos);
  EXPECT_FALSE(bench.unit->awake());
}

TEST(PulseRadarAsleep, IgnoresThePingUnitFramesAndTunnels) {
  RadarBench bench;
  for (const Bytes& frame : {hex("A5 01 10 B6 00"), command(0x40, {0}), command(0x10),
                             tunnel(test::commandZeroRequest())}) {
    const Bytes answer = bench.talk(frame);
    expectIdleFramesOnly(answer);
    EXPECT_EQ(decimalText(answer).find("165347160231"), std::string::npos);
  }
  EXPECT_TRUE(bench.unit->receivedCommands().empty());
  EXPECT_TRUE(bench.unit->receivedHart().empty());
  EXPECT_FALSE(bench.unit->awake());
}

TEST(PulseRadarAsleep, StreamNeverOutrunsASlowLine) {
  auto options = test::quickRadar();
  options.only1200 = true;
  RadarBench bench(options);
  bench.engine.setPacing(true);
  bench.engine.setLineBaud(1200);  // 8.3 ms a byte: a frame takes 50 ms
  std::this_thread::sleep_for(milliseconds(400));
  const Bytes before = bench.engine.readAll();
  EXPECT_GE(before.size(), 31u);
  // No backlog: the wake reply follows the frame (58 ms) within two idle frames.
  const auto t0 = Clock::now();
  bench.engine.write(kWakeLinkFrame);
  Bytes got;
  while (!containsBytes(got, kWakeLinkFrame) && Clock::now() - t0 < milliseconds(2000)) {
    bench.engine.waitFor(1, Clock::now() + milliseconds(20));
    const Bytes more = bench.engine.readAll();
    got.insert(got.end(), more.begin(), more.end());
  }
  EXPECT_TRUE(containsBytes(got, kWakeLinkFrame));
  EXPECT_LT(Clock::now() - t0, milliseconds(300));
}

TEST(PulseRadarAsleep, IdleTextNeverSpellsTheAcknowledgement) {
  // The listener takes the decimal text of 0x10's acknowledgement as a page
  // unit's answer; no run of idle frames may spell it by chance.
  const std::string ackText = decimalText(hex("A5 03 2F 10 00 E7"));
  for (unsigned mm = 0; mm <= 12000; ++mm) {
    const auto a = PulseRadarUnit::idleFrame(static_cast<std::uint16_t>(mm));
    const auto b = PulseRadarUnit::idleFrame(static_cast<std::uint16_t>(mm + 1));
    const std::string text = decimalText(
        concat({Bytes(a.begin(), a.end()), Bytes(a.begin(), a.end()), Bytes(b.begin(), b.end())}));
    ASSERT_EQ(text.find(ackText), std::string::npos) << mm << " mm";
  }
}

TEST(PulseRadarWake, BothWakeFramesAreAnsweredAndTheStreamStops) {
  RadarBench bench;
  const Bytes first = bench.talk(kWakeListenFrame);
  ASSERT_GE(first.size(), 7u);
  EXPECT_EQ(Bytes(first.end() - 7, first.end()), hex("A5 A5 57 00 01 00 A8"));
  EXPECT_FALSE(bench.unit->awake()) << "the first frame alone does not wake it";

  const Bytes second = bench.talk(kWakeLinkFrame);
  ASSERT_GE(second.size(), 7u);
  EXPECT_EQ(Bytes(second.end() - 7, second.end()), hex("A5 A5 4C 00 01 00 B3"));
  EXPECT_TRUE(bench.unit->awake());
  EXPECT_FALSE(bench.engine.waitFor(1, Clock::now() + milliseconds(120))) << "silent once awake";

  // Awake, it still answers wake frames (a tool that reconnects sends them again).
  EXPECT_EQ(bench.talk(kWakeListenFrame), kWakeListenFrame);
}

TEST(PulseRadarWake, LinkFrameAloneWakesButABadSumDoesNot) {
  RadarBench bench;
  const Bytes bad = hex("A5 A5 4C 00 01 00 B4");
  EXPECT_FALSE(containsBytes(bench.talk(bad), hex("A5 A5 4C")));
  EXPECT_FALSE(bench.unit->awake());
  EXPECT_TRUE(containsBytes(bench.talk(kWakeLinkFrame), kWakeLinkFrame));
  EXPECT_TRUE(bench.unit->awake());
}

TEST(PulseRadarWake, WakeFramesAmidPingsAndPads) {
  // The pinger's frames may sit right before the wake frame on the line.
  RadarBench bench;
  const Bytes answer = bench.talk(concat({hex("A5 01 10 B6 00 A5 01 10 B6 00"), kWakeLinkFrame}));
  EXPECT_TRUE(containsBytes(answer, kWakeLinkFrame));
  EXPECT_TRUE(bench.unit->awake());
}

TEST(PulseRadarWake, AnUnwakeableUnitStreamsOn) {
  auto options = test::quickRadar();
  options.wakeable = false;
  RadarBench bench(options);
  expectIdleFramesOnly(bench.talk(kWakeListenFrame));
  expectIdleFramesOnly(bench.talk(kWakeLinkFrame));
  EXPECT_FALSE(bench.unit->awake());
  EXPECT_TRUE(bench.engine.waitFor(6, Clock::now() + milliseconds(500)));
}

TEST(PulseRadarWake, PowerCycleSendsItBackToSleep) {
  RadarBench bench;
  bench.wakeUp();
  bench.unit->powerCycle();
  EXPECT_FALSE(bench.unit->awake());
  EXPECT_TRUE(bench.engine.waitFor(12, Clock::now() + milliseconds(500)));
  expectIdleFramesOnly(bench.talk(hex("A5 01 10 B6 00")));
}

// ---------------------------------------------------------------------------

std::vector<RadarLineFrame> feedAll(RadarReceiver& r, const Bytes& bytes, Clock::time_point t,
                                    milliseconds step = milliseconds(1)) {
  std::vector<RadarLineFrame> frames;
  for (const auto b : bytes) {
    if (auto f = r.feed(b, t)) frames.push_back(*f);
    t += step;
  }
  return frames;
}

TEST(PulseRadarReceiver, TellsTheThreeFrameKindsApart) {
  RadarReceiver r;
  const auto frames =
      feedAll(r,
              concat({hex("00 A5 01 10 B6 00"), kWakeListenFrame,
                      tunnel(test::commandZeroRequest()), hex("A5 A5 4C 00 01 00 B4")}),
              Clock::now());
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(frames[0].kind, RadarLineFrame::Kind::Command);
  EXPECT_EQ(frames[0].cmd, 0x10);
  EXPECT_TRUE(frames[0].checkOk);
  EXPECT_EQ(frames[1].kind, RadarLineFrame::Kind::Wake);
  EXPECT_EQ(frames[1].data, hex("00 01 00"));
  EXPECT_TRUE(frames[1].checkOk);
  EXPECT_EQ(frames[2].kind, RadarLineFrame::Kind::Tunnel);
  EXPECT_EQ(frames[2].data, test::commandZeroRequest());
  EXPECT_TRUE(frames[2].checkOk);
  EXPECT_EQ(frames[3].kind, RadarLineFrame::Kind::Wake);
  EXPECT_FALSE(frames[3].checkOk);
}

TEST(PulseRadarReceiver, LongTunnelsStalledFramesAndImpossibleLengths) {
  RadarReceiver r;
  // A tunnel longer than 255 bytes takes its high length byte into account.
  const Bytes big = tunnel(Bytes(300, 0x11));
  ASSERT_EQ(big[3], 0x01);
  auto frames = feedAll(r, big, Clock::now());
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].data.size(), 300u);
  EXPECT_TRUE(frames[0].checkOk);

  // A frame that stalls is dropped; the next one is whole.
  const auto t = Clock::now();
  EXPECT_TRUE(feedAll(r, hex("A5 01"), t).empty());
  frames = feedAll(r, hex("A5 01 10 B6"), t + milliseconds(500));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].cmd, 0x10);

  // A length no command has, or a tunnel beyond the limit, is noise and
  // does not swallow what follows.
  frames =
      feedAll(r, concat({hex("A5 7F 31"), hex("A5 FF 60 7F"), hex("A5 01 10 B6")}), Clock::now());
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].cmd, 0x10);
}

TEST(PulseRadarUnitFrames, PresenceAndIdentification) {
  RadarBench bench;
  bench.wakeUp();
  EXPECT_EQ(bench.talk(hex("A5 01 10 B6 00")), hex("A5 03 2F 10 00 E7"));

  const Bytes answer = bench.talk(command(0x40, {0x00}));
  ASSERT_GT(answer.size(), 10u);
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 6), ack(0x40));
  const Bytes frame(answer.begin() + 6, answer.end());
  EXPECT_EQ(frame[0], 0xA5);
  EXPECT_EQ(frame[2], 0x40);
  ASSERT_EQ(frame.size(), frame[1] + 3u) << "A5 L cmd data.. check";
  unsigned sum = 0;
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) sum += frame[i];
  EXPECT_EQ(frame.back(), sum % 256);
  // The tool reads the frame from its first byte as zero-terminated text.
  std::string text(reinterpret_cast<const char*>(frame.data()));
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return std::toupper(c); });
  EXPECT_NE(text.find("PULSE"), std::string::npos) << text;
  EXPECT_EQ(bench.unit->identificationText(), "Pulse Radar KM70-2610 FW 2.15");
}

TEST(PulseRadarUnitFrames, RefusesWhatItDoesNotKnow) {
  RadarBench bench;
  bench.wakeUp();
  EXPECT_EQ(bench.talk(command(0x31, {1, 0})), ack(0x31, PulseRadarUnit::kStatusUnknownCommand));
  EXPECT_EQ(bench.talk(command(0x40)), ack(0x40, PulseRadarUnit::kStatusBadLength));
  EXPECT_EQ(bench.talk(command(0x10, {1})), ack(0x10, PulseRadarUnit::kStatusBadLength));
  EXPECT_EQ(bench.talk(hex("A5 01 10 B7 00")), ack(0x10, PulseRadarUnit::kStatusBadCheck));
  EXPECT_EQ(bench.talk(command(0x52, {0xD2, 0x04, 0, 0})),
            ack(0x52, PulseRadarUnit::kStatusBadArgument));
  EXPECT_EQ(bench.unit->receivedCommands().size(), 5u);
}

TEST(PulseRadarUnitFrames, BaudCommandMovesTheRateAfterAnswering) {
  auto options = test::quickRadar();
  options.only1200 = true;
  RadarBench bench(options);
  EXPECT_EQ(bench.unit->baud(), 1200u);
  bench.engine.setLineBaud(1200);
  bench.wakeUp();
  EXPECT_EQ(bench.talk(hex("A5 05 52 80 25 00 00 A1 00")), hex("A5 03 2F 52 00 29"));
  EXPECT_EQ(bench.unit->baud(), 9600u);
}

TEST(PulseRadarUnitFrames, UnitFrameFaults) {
  RadarBench bench;
  bench.unit->addFault(Fault{0x10, 1, FaultKind::Refuse, 7});
  bench.unit->addFault(Fault{0x10, 2, FaultKind::Silence, 0});
  bench.unit->addFault(Fault{0x40, Fault::kEvery, FaultKind::WrongDataCheck, 0});
  bench.unit->addFault(Fault{0x10, 3, FaultKind::WrongAckCheck, 0});
  bench.wakeUp();
  EXPECT_EQ(bench.talk(command(0x10)), ack(0x10, 7));
  EXPECT_TRUE(bench.talk(command(0x10)).empty());
  EXPECT_EQ(bench.talk(command(0x10)), hex("A5 03 2F 10 00 E8"));
  EXPECT_EQ(bench.talk(command(0x10)), ack(0x10));
  const Bytes answer = bench.talk(command(0x40, {0}));
  ASSERT_GT(answer.size(), 7u);
  unsigned sum = 0;
  for (std::size_t i = 6; i + 1 < answer.size(); ++i) sum += answer[i];
  EXPECT_EQ(answer.back(), (sum + 1) % 256);
}

// ---------------------------------------------------------------------------

TEST(PulseRadarHart, RequestFramesByHand) {
  // The tool's own frames, written out by hand.
  EXPECT_EQ(tunnel(test::commandZeroRequest()),
            hex("A5 0C 60 00 FF FF FF FF FF 02 80 00 00 82 10"));
  EXPECT_EQ(test::paramMessage('G', 0x111), hex("FE 47 0A 00 00 4F 00 11 01 B0"));
  EXPECT_EQ(test::paramMessage('S', 0x502, {3}), hex("FE 53 0B 00 00 5C 00 02 05 03 C2"));
  EXPECT_EQ(test::parameterRequest('G', 0x111),
            hex("A5 1B 60 00 FF FF FF FF FF A2 38 70 0A D6 64 00 80 0A FE 47 0A 00 00 4F 00 11 01 "
                "B0 84 17"));
}

TEST(PulseRadarHart, CommandZeroReplyLayout) {
  RadarBench bench;
  bench.wakeUp();
  const Bytes reply = bench.talk(hex("A5 0C 60 00 FF FF FF FF FF 02 80 00 00 82 10"));
  EXPECT_EQ(reply, hex("FF FF FF FF FF 06 80 00 0E 00 00 FE F8 70 05 05 02 0F 08 00 0A D6 64 43"));
  EXPECT_TRUE(bench.talk(hex("A5 01 10 B6 00")) == ack(0x10)) << "no acknowledgement was owed";

  const auto reading = readReply(reply);
  ASSERT_TRUE(reading.complete);
  EXPECT_EQ(reading.result, 0);
  ASSERT_EQ(reading.payload.size(), 12u);
  // The long address the tool derives.
  const Bytes derived = {static_cast<std::uint8_t>(reading.payload[1] & 0x3F), reading.payload[2],
                         reading.payload[9], reading.payload[10], reading.payload[11]};
  EXPECT_EQ(derived, kUnitLongAddress);
  const auto la = PulseRadarUnit::longAddress();
  EXPECT_EQ(Bytes(la.begin(), la.end()), kUnitLongAddress);
  EXPECT_EQ(bench.unit->receivedHart().size(), 1u);
}

TEST(PulseRadarHart, CommandZeroInALongFrameGetsALongReply) {
  RadarBench bench;
  bench.wakeUp();
  const Bytes reply = bench.talk(tunnel(test::longRequest(kUnitLongAddress, 0, {}, false)));
  const auto reading = readReply(reply);
  ASSERT_TRUE(reading.complete);
  EXPECT_EQ(reading.delimiter, 0xA6);
  EXPECT_EQ(reading.result, 0);
  EXPECT_EQ(reading.byteCount, 14u);
}

TEST(PulseRadarHart, ReadReplyByteForByte) {
  RadarBench bench;
  bench.wakeUp();
  // Sensor height 6.0 = 00 00 C0 40.
  EXPECT_EQ(bench.talk(test::parameterRequest('G', 0x111)),
            hex("FF FF FF FF FF A6 38 70 0A D6 64 00 80 10 00 00 "
                "FE 47 0E 00 00 53 01 11 01 00 00 C0 40 B9 0A"));
}

TEST(PulseRadarHart, WriteIsEchoedWithoutValueAndStored) {
  RadarBench bench;
  bench.wakeUp();
  EXPECT_EQ(
      bench.talk(hex("A5 1C 60 00 FF FF FF FF FF A2 38 70 0A D6 64 00 80 0B "
                     "FE 53 0B 00 00 5C 00 02 05 03 C2 E5 9E")),
      hex("FF FF FF FF FF A6 38 70 0A D6 64 00 80 0C 00 00 FE 53 0A 00 00 5B 01 02 05 BE 9E"));
  EXPECT_EQ(bench.unit->parameters().byteValue(P::kFoam), 3);
  const auto read = bench.ask('G', 0x502);
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.value, Bytes{3});

  const auto write = bench.ask('S', 0x111, floatBytes(7.25f));
  EXPECT_EQ(write.result, 0);
  EXPECT_EQ(write.payload[1], 'S');
  EXPECT_EQ(write.payload.size(), 10u);
  EXPECT_FLOAT_EQ(floatOf(bench.ask('G', 0x111).value), 7.25f);
  EXPECT_EQ(bench.ask('S', 9, {30, 0}).result, 0);
  EXPECT_EQ(bench.unit->parameters().wordValue(P::kDampingTime), 30);
}

TEST(PulseRadarHart, EveryParameterReadsWithItsSizeAndFactoryValue) {
  RadarBench bench;
  bench.wakeUp();
  struct Expect {
    std::uint16_t number;
    Bytes value;
  };
  const auto text = [](std::string_view s, std::size_t width) {
    Bytes b(s.begin(), s.end());
    b.resize(width, 0);
    return b;
  };
  const Expect table[] = {
      {0x50, text("KM70-2610", 14)},
      {0x51, text("710244", 28)},
      {0x53, text("215", 14)},
      {0x111, floatBytes(6.0f)},
      {0x113, floatBytes(0.8f)},
      {0x800, floatBytes(0.3f)},
      {6, floatBytes(10.0f)},
      {0x110, Bytes(4, 0)},
      {0x112, Bytes(4, 0)},
      {1, {0}},
      {2, {1}},
      {4, {0x53}},
      {5, {1}},
      {0x10, {1}},
      {0x12, {2}},
      {0x13, {1}},
      {0x20, {0}},
      {0x21, {1}},
      {0x22, {0}},
      {0x500, {0}},
      {0x501, {0}},
      {0x502, {0}},
      {0x503, {0}},
      {0x504, {0}},
      {0x505, {0}},
      {0x506, {0}},
      {0x507, {0}},
      {9, {6, 0}},
      {0x510, {0, 0}},
  };
  for (const auto& e : table) {
    const auto r = bench.ask('G', e.number);
    EXPECT_EQ(r.result, 0) << std::hex << e.number;
    EXPECT_EQ(r.value, e.value) << std::hex << e.number;
    // Message length M = 10 + value bytes, HART count = M + 2.
    EXPECT_EQ(r.byteCount, 12 + e.value.size()) << std::hex << e.number;
  }
}

TEST(PulseRadarHart, UnknownParametersAndTypesGetE) {
  RadarBench bench;
  bench.wakeUp();
  const std::tuple<char, std::uint16_t, Bytes> asked[] = {
      {'G', 0x777, {}}, {'S', 0x777, {1}}, {'G', 3, {}}, {'Q', 0x111, {}}};
  for (const auto& [type, number, value] : asked) {
    const auto r = bench.ask(type, number, value);
    EXPECT_EQ(r.result, -100) << type << ' ' << number;
    ASSERT_EQ(r.payload.size(), 10u);
    EXPECT_EQ(r.payload[1], 'E');
    EXPECT_EQ(r.payload[7] | r.payload[8] << 8, number) << "the parameter is echoed";
  }
}

TEST(PulseRadarHart, OutOfRangeAndMisfitWritesGetMAndChangeNothing) {
  RadarBench bench;
  bench.wakeUp();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::tuple<std::uint16_t, Bytes> refused[] = {
      {0x111, floatBytes(-1.0f)},
      {0x111, floatBytes(0.05f)},
      {0x111, floatBytes(150.0f)},
      {0x111, floatBytes(nan)},
      {0x111, {0, 0}},
      {0x113, floatBytes(-0.1f)},
      {0x800, floatBytes(101.0f)},
      {6, floatBytes(0.4f)},
      {6, floatBytes(1e30f)},
      {1, {4}},
      {1, {1, 0}},
      {2, {0}},
      {2, {11}},
      {4, {0x50}},
      {4, {0x59}},
      {5, {0}},
      {5, {3}},
      {0x10, {0}},
      {0x12, {5}},
      {0x20, {2}},
      {0x21, {3}},
      {0x22, {2}},
      {0x502, {4}},
      {0x505, {10}},
      {9, {0xE8, 0x03}},
      {9, {6}},
      {0x510, {0xE9, 0x03}},
      {0x50, {'X'}},
      {0x991, {0}},
      {0x110, {1, 2, 3}},
  };
  const RadarParameters before = bench.unit->parameters();
  for (const auto& [number, value] : refused) {
    const auto r = bench.ask('S', number, value);
    EXPECT_EQ(r.result, -101) << std::hex << number << ' ' << test::toHex(value);
  }
  // A write without value bytes, and a read that carries some.
  EXPECT_EQ(bench.ask('S', 1).result, -101);
  EXPECT_EQ(bench.ask('G', 1, {1}).result, -101);
  const RadarParameters after = bench.unit->parameters();
  for (const auto& rule : RadarParameters::rules()) {
    EXPECT_EQ(before.value(rule.number), after.value(rule.number)) << std::hex << rule.number;
  }
}

TEST(PulseRadarHart, RangeEdgesAreAccepted) {
  RadarBench bench;
  bench.wakeUp();
  const std::tuple<std::uint16_t, Bytes> accepted[] = {
      {0x111, floatBytes(0.1f)},
      {0x111, floatBytes(100.0f)},
      {0x113, floatBytes(0.0f)},
      {6, floatBytes(0.5f)},
      {1, {3}},
      {2, {10}},
      {4, {0x58}},
      {5, {2}},
      {0x13, {4}},
      {0x505, {9}},
      {9, {0xE7, 0x03}},
      {0x510, {0xE8, 0x03}},
      {0x110, {1, 2, 3, 4}},
  };
  for (const auto& [number, value] : accepted) {
    EXPECT_EQ(bench.ask('S', number, value).result, 0) << std::hex << number;
    EXPECT_EQ(bench.unit->parameters().value(number), value) << std::hex << number;
  }
}

TEST(PulseRadarHart, SilentToWhatIsNotForIt) {
  RadarBench bench;
  bench.wakeUp();
  const Bytes good = test::parameterRequest('G', 0x111);
  Bytes badSum = good;
  ++badSum.back();
  Bytes badXor = good;
  ++badXor[badXor.size() - 2];
  ++badXor.back();  // keeps the tunnel sum right
  const Bytes otherUnit = tunnel(
      test::longRequest({0x38, 0x70, 0x0A, 0xD6, 0x65}, 128, test::paramMessage('G', 0x111)));
  const Bytes shortFrame = tunnel(hex("FF FF 02 80 80 0A FE 47 0A 00 00 4F 00 11 01 B0 54"));
  const Bytes otherPolling = tunnel(hex("FF FF FF 02 81 00 00 83"));
  const Bytes onePreamble = tunnel(hex("FF 02 80 00 00 82"));
  Bytes messageSum = test::paramMessage('G', 0x111);
  ++messageSum.back();
  const Bytes badMessage = tunnel(test::longRequest(kUnitLongAddress, 128, messageSum));
  const Bytes markedRequest =
      tunnel(test::longRequest(kUnitLongAddress, 128, test::paramMessage('G', 0x111, {}, 1)));
  const Bytes otherAddress =
      tunnel(test::longRequest(kUnitLongAddress, 128, test::paramMessage('G', 0x111, {}, 0, 1)));
  for (const Bytes& frame : {badSum, badXor, otherUnit, shortFrame, otherPolling, onePreamble,
                             badMessage, markedRequest, otherAddress}) {
    EXPECT_TRUE(bench.talk(frame).empty()) << test::toHex(frame);
  }
  // Still listening afterwards, and the master bit of an address is no bar.
  EXPECT_EQ(bench.ask('G', 0x111).result, 0);
  const Bytes withMasterBit =
      tunnel(test::longRequest({0xB8, 0x70, 0x0A, 0xD6, 0x64}, 128, test::paramMessage('G', 5)));
  EXPECT_EQ(readReply(bench.talk(withMasterBit)).result, 0);
}

TEST(PulseRadarHart, OtherCommandsAreNotImplemented) {
  RadarBench bench;
  bench.wakeUp();
  const Bytes reply = bench.talk(tunnel(test::longRequest(kUnitLongAddress, 3, {})));
  EXPECT_EQ(reply, hex("FF FF FF FF FF A6 38 70 0A D6 64 00 03 02 40 00 17"));
}

TEST(PulseRadarHart, ReplyPreamblesFollowTheOption) {
  auto options = test::quickRadar();
  options.replyPreambles = 2;
  RadarBench bench(options);
  bench.wakeUp();
  const Bytes reply = bench.talk(tunnel(test::commandZeroRequest()));
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), hex("FF FF 06"));
  EXPECT_EQ(readReply(reply).result, 0);
}

// ---------------------------------------------------------------------------

struct FaultCase {
  const char* text;
  std::uint16_t parameter;
  int result;  // what the tool makes of the reply
};

class PulseRadarFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(PulseRadarFaults, StrikeTheNamedRequestOnly) {
  const FaultCase& c = GetParam();
  RadarBench bench;
  std::string error;
  const auto fault = PulseFault::parse(c.text, &error);
  ASSERT_TRUE(fault) << error;
  bench.unit->addFault(*fault);
  bench.wakeUp();
  const auto ask = [&] {
    return c.parameter == 0 ? readReply(bench.talk(tunnel(test::commandZeroRequest())))
                            : bench.ask('G', c.parameter);
  };
  EXPECT_EQ(ask().result, 0) << "first request";
  EXPECT_EQ(bench.ask('G', 0x51).result, 0) << "other parameters are spared";
  const auto second = ask();
  EXPECT_TRUE(second.complete);
  EXPECT_EQ(second.result, c.result);
  EXPECT_EQ(ask().result, 0) << "third request";
  EXPECT_EQ(bench.unit->requests(c.parameter), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, PulseRadarFaults,
    ::testing::Values(
        FaultCase{"0x111:2:hart-xor", 0x111, -105},
        FaultCase{"0x991:2:hart-xor", 0x991, 0},  // a curve is taken all the same
        FaultCase{"0:2:hart-xor", 0, -105}, FaultCase{"0x111:2:message-sum", 0x111, -102},
        FaultCase{"0x111:2:message-length", 0x111, -1}, FaultCase{"0x111:2:header-fe", 0x111, -103},
        FaultCase{"0x50:2:header-address", 0x50, -103}, FaultCase{"6:2:header-marker", 6, -103},
        FaultCase{"0x111:2:unknown-type", 0x111, -104}, FaultCase{"0:2:unknown-type", 0, -104}));

TEST(PulseRadarFaultEffects, NoReplyLeavesAWriteUndone) {
  RadarBench bench;
  bench.unit->addFault(PulseFault{0x111, 1, PulseFaultKind::NoReply, 0});
  bench.unit->addFault(PulseFault{0, PulseFault::kEvery, PulseFaultKind::NoReply, 0});
  bench.wakeUp();
  EXPECT_TRUE(bench.talk(test::parameterRequest('S', 0x111, floatBytes(8.0f))).empty());
  EXPECT_FLOAT_EQ(bench.unit->parameters().floatValue(P::kSensorHeight), 6.0f);
  EXPECT_EQ(bench.ask('S', 0x111, floatBytes(8.0f)).result, 0);
  EXPECT_FLOAT_EQ(bench.unit->parameters().floatValue(P::kSensorHeight), 8.0f);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(bench.talk(tunnel(test::commandZeroRequest())).empty());
}

TEST(PulseRadarFaultEffects, AFaultedWriteIsStillCarriedOut) {
  RadarBench bench;
  bench.unit->addFault(PulseFault{0x20, PulseFault::kEvery, PulseFaultKind::MessageSum, 0});
  bench.wakeUp();
  EXPECT_EQ(bench.ask('S', 0x20, {1}).result, -102);
  EXPECT_EQ(bench.unit->parameters().byteValue(P::kOutputAtEmpty), 1);
}

TEST(PulseRadarFaultEffects, MessageFaultsOnTheRefusals) {
  RadarBench bench;
  bench.unit->addFault(PulseFault{0x777, 1, PulseFaultKind::MessageSum, 0});
  bench.wakeUp();
  // The tool looks at E before any sum.
  EXPECT_EQ(bench.ask('G', 0x777).result, -100);
  bench.unit->addFault(PulseFault{0x777, 2, PulseFaultKind::HartXor, 0});
  EXPECT_EQ(bench.ask('G', 0x777).result, -105);
}

TEST(PulseRadarFaultEffects, LateRepliesLeaveLate) {
  RadarBench bench;
  bench.unit->addFault(PulseFault{5, 1, PulseFaultKind::Late, 150});
  bench.wakeUp();
  const auto t0 = Clock::now();
  EXPECT_TRUE(bench.talk(test::parameterRequest('G', 5)).empty());
  ASSERT_TRUE(bench.engine.waitFor(10, t0 + milliseconds(2000)));
  EXPECT_GE(Clock::now() - t0, milliseconds(150));
  bench.engine.waitFor(31, Clock::now() + milliseconds(200));
  EXPECT_EQ(readReply(bench.engine.readAll()).result, 0);
}

TEST(PulseRadarFaultEffects, ClearFaultsForgetsThemAndTheCounts) {
  RadarBench bench;
  bench.unit->addFault(PulseFault{0x111, PulseFault::kEvery, PulseFaultKind::HartXor, 0});
  bench.unit->addFault(Fault{0x10, Fault::kEvery, FaultKind::Silence, 0});
  bench.wakeUp();
  EXPECT_EQ(bench.ask('G', 0x111).result, -105);
  EXPECT_TRUE(bench.talk(command(0x10)).empty());
  bench.unit->clearFaults();
  EXPECT_EQ(bench.unit->requests(0x111), 0u);
  EXPECT_EQ(bench.ask('G', 0x111).result, 0);
  EXPECT_EQ(bench.talk(command(0x10)), ack(0x10));
}

}  // namespace
}  // namespace ostrel::sim

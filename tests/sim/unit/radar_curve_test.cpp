// The pulse radar's curve blocks: their layout as the echo-curve page
// decodes it, the shape of each curve, and how they follow the unit's
// settings and level.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "sim/radar_curve_synthesizer.h"
#include "unit/radar_test_support.h"

namespace ostrel::sim {
namespace {

using test::Bytes;
using test::floatBytes;
using test::floatOf;
using test::RadarBench;
using Clock = std::chrono::steady_clock;

constexpr double kIndexesPerMetre = 1e6 / 29299.8128;

struct Sample {
  unsigned x;
  unsigned amplitude;
  unsigned step;
};

struct Decoded {
  unsigned count = 0;
  unsigned lastIndex = 0;
  unsigned parameter = 0;
  unsigned expected = 0;
  float echoMetres = 0;
  float levelMetres = 0;
  unsigned sensorType = 0;
  std::vector<Sample> samples;
};

unsigned u16(const Bytes& b, std::size_t at) { return b.at(at) | b.at(at + 1) << 8; }

// As the echo-curve page reads a block: samples from byte 17 in steps of 2
// while the position is below the length minus 1.
Decoded decode(const Bytes& block) {
  Decoded d;
  d.count = u16(block, 0);
  d.lastIndex = u16(block, 2);
  d.parameter = u16(block, 4);
  d.expected = u16(block, 6);
  d.echoMetres = floatOf(block, 8);
  d.levelMetres = floatOf(block, 12);
  d.sensorType = block.at(16);
  unsigned x = 0;
  for (std::size_t pos = 17; pos < block.size() - 1; pos += 2) {
    const unsigned w = u16(block, pos);
    d.samples.push_back({x, w & 0x0FFFu, w >> 12});
    x += w >> 12;
  }
  return d;
}

const Sample* at(const Decoded& d, unsigned x) {
  for (const auto& s : d.samples) {
    if (s.x == x) return &s;
  }
  return nullptr;
}

Bytes build(RadarCurve curve, const RadarScene& scene) {
  const auto b = RadarCurveSynthesizer::build(curve, scene);
  return Bytes(b.begin(), b.end());
}

RadarScene scene(double levelDistance, double maxRange = 10.0, std::uint8_t sensorType = 2) {
  RadarScene s;
  s.levelDistanceMetres = levelDistance;
  s.maxRangeMetres = maxRange;
  s.sensorType = sensorType;
  s.capture = 7;
  return s;
}

// ---------------------------------------------------------------------------

TEST(RadarCurveBlocks, ReadThroughTheProtocol) {
  RadarBench bench;
  bench.unit->setFixedLevel(2.0);  // 4.0 m below the 6.0 m sensor
  bench.wakeUp();
  for (const std::uint16_t number : {0x991, 0x992, 0x993}) {
    const Bytes raw = bench.talk(test::parameterRequest('G', number));
    const auto reading = test::readReply(raw);
    ASSERT_TRUE(reading.complete) << std::hex << number;
    EXPECT_EQ(reading.result, 0);
    EXPECT_EQ(reading.delimiter, 0xA6);
    ASSERT_EQ(reading.value.size(), 497u);
    EXPECT_LE(reading.value.size(), 512u) << "the page holds at most 512 bytes";
    // Count 2 + 10 + 497 = 509: expansion byte 1, count byte 0xFD.
    EXPECT_EQ(reading.byteCount, 509u);
    EXPECT_EQ(raw.at(11), 0x01);
    EXPECT_EQ(raw.at(13), 0xFD);
    const Decoded d = decode(reading.value);
    EXPECT_EQ(d.parameter, number);
    EXPECT_EQ(d.count, 240u);
    EXPECT_EQ(d.samples.size(), 240u);
    EXPECT_EQ(d.samples.back().x, d.lastIndex);
    EXPECT_EQ(d.samples.back().step, 0u);
    EXPECT_EQ(d.expected, 137u) << "4.0 m x 34.13 indexes per metre";
    EXPECT_NEAR(d.echoMetres, 137 / kIndexesPerMetre, 1e-4);
    EXPECT_FLOAT_EQ(d.levelMetres, 4.0f);
    EXPECT_EQ(d.sensorType, 2u);
  }
}

TEST(RadarCurveBlocks, EveryReadIsAFreshCapture) {
  RadarBench bench;
  bench.unit->setFixedLevel(2.0);
  bench.wakeUp();
  const Bytes a = bench.ask('G', 0x991).value;
  const Bytes b = bench.ask('G', 0x991).value;
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(Bytes(a.begin(), a.begin() + 17), Bytes(b.begin(), b.begin() + 17)) << "same level";
  EXPECT_NE(a, b) << "new noise";
  // The stored disturbance map does not change.
  EXPECT_EQ(bench.ask('G', 0x992).value, bench.ask('G', 0x992).value);
}

TEST(RadarCurveShapes, EchoPeakSitsAtTheExpectedIndex) {
  for (const double distance : {0.9, 2.0, 4.0, 7.5, 9.5}) {
    const Decoded d = decode(build(RadarCurve::Echo, scene(distance)));
    const unsigned expected = static_cast<unsigned>(std::lround(distance * kIndexesPerMetre));
    EXPECT_EQ(d.expected, expected);
    // The strongest sample beyond the antenna's ringing is the surface.
    const Sample* best = nullptr;
    for (const auto& s : d.samples) {
      if (s.x >= 0.5 * kIndexesPerMetre && (!best || s.amplitude > best->amplitude)) best = &s;
    }
    ASSERT_NE(best, nullptr);
    EXPECT_EQ(best->x, expected) << distance << " m";
    // The echo page's peak rule: larger than the three samples on each side.
    const auto k = static_cast<std::size_t>(best - d.samples.data());
    ASSERT_GE(k, 3u);
    for (std::size_t j = k - 3; j <= k + 3; ++j) {
      if (j == k) continue;
      EXPECT_GT(best->amplitude, d.samples[j].amplitude) << distance << " m, sample " << j;
    }
    // Single-index steps around the echo.
    for (unsigned x = expected > 20 ? expected - 20 : 0; x <= expected + 20; ++x) {
      EXPECT_NE(at(d, x), nullptr) << distance << " m, index " << x;
    }
    EXPECT_GT(best->amplitude, 1200u);
  }
}

TEST(RadarCurveShapes, GridReachesPastTheDrawnRange) {
  // The page draws indexes up to trunc(trunc(1.1 R k) f).
  struct Case {
    double range;
    std::uint8_t sensorType;
    unsigned drawn;
  };
  for (const Case& c :
       {Case{10.0, 2, 375}, Case{10.0, 4, 412}, Case{30.0, 2, 1126}, Case{2.0, 0, 75}}) {
    const Decoded d = decode(build(RadarCurve::Echo, scene(1.5, c.range, c.sensorType)));
    EXPECT_GE(d.samples.back().x, c.drawn) << c.range << " m";
    EXPECT_EQ(d.samples.size(), 240u);
    for (std::size_t i = 0; i + 1 < d.samples.size(); ++i) {
      ASSERT_GE(d.samples[i].step, 1u) << "index " << i;
      ASSERT_EQ(d.samples[i + 1].x, d.samples[i].x + d.samples[i].step);
    }
  }
}

TEST(RadarCurveShapes, FalseEchoCurveHoldsTheDisturbancesOnly) {
  const RadarScene s = scene(4.0);
  const Decoded echo = decode(build(RadarCurve::Echo, s));
  const Decoded fixed = decode(build(RadarCurve::FalseEcho, s));
  ASSERT_EQ(echo.samples.size(), fixed.samples.size());
  for (std::size_t i = 0; i < echo.samples.size(); ++i)
    ASSERT_EQ(echo.samples[i].x, fixed.samples[i].x);

  const Sample* surface = at(fixed, echo.expected);
  ASSERT_NE(surface, nullptr);
  EXPECT_LT(surface->amplitude, 400u) << "no surface on the disturbance map";
  EXPECT_GT(at(echo, echo.expected)->amplitude, 1500u);

  for (const double metres : RadarCurveSynthesizer::kDisturbanceMetres) {
    const double x = metres * kIndexesPerMetre;
    // The largest sample within two indexes of the disturbance stands out.
    unsigned near = 0;
    unsigned floor = 4095;
    for (const auto& smp : fixed.samples) {
      if (std::abs(smp.x - x) <= 2.0) near = std::max(near, smp.amplitude);
      if (smp.x > 3.0 * kIndexesPerMetre) floor = std::min(floor, smp.amplitude);
    }
    EXPECT_GT(near, floor + 400) << metres << " m";
  }
}

TEST(RadarCurveShapes, EnvelopeLiesSmoothlyAboveBoth) {
  for (const double distance : {1.0, 3.0, 8.0}) {
    const RadarScene s = scene(distance);
    const Decoded echo = decode(build(RadarCurve::Echo, s));
    const Decoded fixed = decode(build(RadarCurve::FalseEcho, s));
    const Decoded env = decode(build(RadarCurve::Envelope, s));
    ASSERT_EQ(env.samples.size(), echo.samples.size());
    // Smooth: the noise that makes the echo curve turn at nearly every
    // sample is gone; only the features turn it.
    const auto turns = [](const Decoded& c) {
      int count = 0;
      int last = 0;
      for (std::size_t i = 1; i < c.samples.size(); ++i) {
        const int diff =
            static_cast<int>(c.samples[i].amplitude) - static_cast<int>(c.samples[i - 1].amplitude);
        const int dir = (diff > 0) - (diff < 0);
        if (dir != 0 && last != 0 && dir != last) ++count;
        if (dir != 0) last = dir;
      }
      return count;
    };
    for (std::size_t i = 0; i < env.samples.size(); ++i) {
      ASSERT_EQ(env.samples[i].x, echo.samples[i].x);
      EXPECT_GE(env.samples[i].amplitude, echo.samples[i].amplitude)
          << distance << " m, sample " << i;
      EXPECT_GE(env.samples[i].amplitude, fixed.samples[i].amplitude)
          << distance << " m, sample " << i;
    }
    EXPECT_LT(turns(env) * 4, turns(echo)) << distance << " m";
    EXPECT_EQ(env.expected, echo.expected);
  }
}

TEST(RadarCurveShapes, AnEchoOutOfReachStillGivesAWholeBlock) {
  const Bytes block = build(RadarCurve::Echo, scene(250.0, 100.0));
  ASSERT_EQ(block.size(), RadarCurveSynthesizer::kBlockSize);
  const Decoded d = decode(block);
  EXPECT_EQ(d.samples.size(), 240u);
  for (std::size_t i = 0; i + 1 < d.samples.size(); ++i) ASSERT_LE(d.samples[i].step, 15u);
}

// ---------------------------------------------------------------------------

TEST(RadarCurveFollowsTheUnit, LevelMovesSlowlyBetweenItsBounds) {
  auto options = test::quickRadar();
  options.levelPeriod = std::chrono::seconds(10);
  PulseRadarUnit unit(options);
  const auto t0 = Clock::now();
  // 5.2 m fill height: the level swings between 40 % and 85 % of it.
  const double low = 6.0 - unit.levelAt(t0);
  const double high = 6.0 - unit.levelAt(t0 + std::chrono::seconds(5));
  EXPECT_NEAR(unit.distanceAt(t0), low, 1e-9);
  EXPECT_NEAR(low, 6.0 - 0.40 * 5.2, 0.05);
  EXPECT_NEAR(high, 6.0 - 0.85 * 5.2, 0.05);
  const auto near = unit.distanceAt(t0 + std::chrono::milliseconds(100));
  EXPECT_LT(std::abs(near - low), 0.01) << "slowly";

  const Decoded first = decode([&] {
    const auto b = unit.curve(0x991, t0);
    return Bytes(b.begin(), b.end());
  }());
  const Decoded later = decode([&] {
    const auto b = unit.curve(0x991, t0 + std::chrono::seconds(5));
    return Bytes(b.begin(), b.end());
  }());
  EXPECT_EQ(first.expected, static_cast<unsigned>(std::lround(low * kIndexesPerMetre)));
  EXPECT_EQ(later.expected, static_cast<unsigned>(std::lround(high * kIndexesPerMetre)));
  EXPECT_TRUE(unit.curve(0x111, t0).empty());
}

TEST(RadarCurveFollowsTheUnit, SensorTypeAndUnitsReachTheHeader) {
  RadarBench bench;
  bench.unit->setFixedLevel(2.0);
  bench.wakeUp();
  ASSERT_EQ(bench.ask('S', 4, {0x55}).result, 0);  // type 4
  Decoded d = decode(bench.ask('G', 0x991).value);
  EXPECT_EQ(d.sensorType, 4u);
  EXPECT_EQ(d.expected, static_cast<unsigned>(std::lround(4.0 * 1.1 * kIndexesPerMetre)));
  EXPECT_NEAR(d.echoMetres, 4.0, 0.02);

  // In feet: a 20 ft sensor is 6.096 m; the header stays in metres.
  ASSERT_EQ(bench.ask('S', 5, {2}).result, 0);
  ASSERT_EQ(bench.ask('S', 0x111, floatBytes(20.0f)).result, 0);
  ASSERT_EQ(bench.ask('S', 0x113, floatBytes(3.0f)).result, 0);
  d = decode(bench.ask('G', 0x993).value);
  EXPECT_NEAR(d.levelMetres, 4.096, 1e-4);
  EXPECT_EQ(d.parameter, 0x993u);
}

}  // namespace
}  // namespace ostrel::sim

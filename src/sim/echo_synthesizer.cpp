#include "sim/echo_synthesizer.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>

#include "sim/byte_fields.h"

namespace ostrel::sim {

namespace {

constexpr double kCarrierPeriod = 5.0;  // samples per cycle of the received burst
constexpr double kPeak = 2047.0;        // the converter's full scale

// A burst of the carrier under a bell-shaped envelope centred on `centre`.
void addBurst(std::span<double> samples, double centre, double amplitude, double width) {
  const auto from = static_cast<std::ptrdiff_t>(centre - 4 * width);
  const auto to = static_cast<std::ptrdiff_t>(centre + 4 * width);
  for (std::ptrdiff_t j = std::max<std::ptrdiff_t>(from, 0);
       j <= to && j < static_cast<std::ptrdiff_t>(samples.size()); ++j) {
    const double d = static_cast<double>(j) - centre;
    samples[static_cast<std::size_t>(j)] +=
        amplitude * std::exp(-d * d / (2 * width * width)) *
        std::cos(2 * std::numbers::pi * d / kCarrierPeriod);
  }
}

}  // namespace

std::size_t EchoSynthesizer::sampleForDistance(std::uint32_t counts) {
  const double mm = counts / kCountsPerFoot * 304.8;
  return kZeroSample + static_cast<std::size_t>(mm / kMillimetresPerSample + 0.5);
}

UnitMemories::Record EchoSynthesizer::build(const EchoScene& scene) {
  std::array<double, kSamples> s{};

  // Ring-down of the transducer after the transmit pulse.
  for (std::size_t j = 0; j < 220; ++j) {
    const double t = static_cast<double>(j);
    s[j] += 1900.0 * std::exp(-t / 38.0) * std::sin(2 * std::numbers::pi * t / kCarrierPeriod);
  }
  // Noise floor from a fixed generator, so equal scenes give equal records.
  std::uint32_t seed = 0x2545F491u;
  for (double& v : s) {
    seed = seed * 1664525u + 1013904223u;
    v += static_cast<double>(static_cast<int>(seed >> 24) - 128) / 128.0 * 24.0;
  }
  // Fixed disturbances: a weld seam and a ladder rung.
  addBurst(s, static_cast<double>(sampleForDistance(kDisturbanceCounts[0])), 380.0, 3.0);
  addBurst(s, static_cast<double>(sampleForDistance(kDisturbanceCounts[1])), 260.0, 3.0);
  if (scene.surfaceEcho && scene.distanceCounts > 0) {
    addBurst(s, static_cast<double>(sampleForDistance(scene.distanceCounts)), 1500.0, 5.0);
    // The double bounce: twice the path, much weaker and smeared.
    addBurst(s, static_cast<double>(sampleForDistance(2u * scene.distanceCounts)), 420.0, 7.0);
  }

  UnitMemories::Record record{};
  for (std::size_t j = 0; j < kSamples; ++j) {
    const double v = std::clamp(std::round(s[j]), -kPeak, kPeak);
    putI16(record, 2 * j, static_cast<std::int16_t>(v));
  }
  putU16(record, 2 * 1021, scene.distanceCounts);
  putU16(record, 2 * 1022, scene.levelCounts);
  putU16(record, 2 * 1023, scene.currentHundredthsMa);
  return record;
}

}  // namespace ostrel::sim

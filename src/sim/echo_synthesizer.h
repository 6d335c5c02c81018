#pragma once
// Echo records as an ultrasonic unit captures them: 1021 signed 16-bit
// amplitude samples (transducer ring-down, noise floor, the fixed
// disturbances of the tank, the echo of the liquid surface and its weaker
// double-bounce), then three words: the distance from the top of the threads
// and the measured level, both in level counts, and the loop current in
// hundredths of a milliampere.

#include <cstddef>
#include <cstdint>

#include "sim/unit_memories.h"

namespace ostrel::sim {

struct EchoScene {
  std::uint16_t distanceCounts = 0;  // sensor to surface
  std::uint16_t levelCounts = 0;
  std::uint16_t currentHundredthsMa = 400;
  bool surfaceEcho = true;  // false: the disturbance scan of an empty tank
};

class EchoSynthesizer {
 public:
  static constexpr std::size_t kSamples = 1021;
  // The first samples are the transmit burst; distance zero sits here.
  static constexpr std::size_t kZeroSample = 70;
  // Path length per sample, chosen so that the 917 plotted samples span a
  // bit over 18 ft (5.5 m).
  static constexpr double kMillimetresPerSample = 6.0;
  static constexpr double kCountsPerFoot = 708.0;

  // Sample index where an echo from this distance peaks (may lie beyond
  // the record).
  static std::size_t sampleForDistance(std::uint32_t counts);

  // Disturbances fixed in the tank, in level counts from the sensor.
  static constexpr std::uint16_t kDisturbanceCounts[2] = {1770, 4248};  // 2.5 ft, 6 ft

  static UnitMemories::Record build(const EchoScene& scene);
};

}  // namespace ostrel::sim

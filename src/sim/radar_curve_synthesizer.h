#pragma once
// The pulse radar's three curves as raw blocks, shaped like what a radar
// receives: a ringing burst at the antenna, a noise floor, two fixed
// disturbances, and (on the echo curve) the surface echo, weaker with
// distance.
//
// Block layout (497 bytes, 240 samples):
//   0..1    u16  number of samples
//   2..3    u16  index of the last sample
//   4..5    u16  the curve's parameter number
//   6..7    u16  expected echo index (where the surface echo is)
//   8..11   f32  echo distance, metres (the echo index as a distance)
//   12..15  f32  level distance, metres (sensor to surface)
//   16      u8   sensor type (0..7)
//   17..    u16  samples: bits 0..11 amplitude, bits 12..15 the step to the
//                next sample's index (0 after the last one)
// All multi-byte values little-endian. An index is a distance d in metres
// as d * f * 1e6 / 29299.8128, f = 1.1 for sensor types 4 and up, else 1.
// The samples step by one index within 20 of the echo and by a wider step
// elsewhere, enough for the 240 samples to reach past 1.1 x max range.
// The three curves share one index grid, so they line up sample by sample;
// the envelope lies smoothly above both other curves.

#include <cstdint>
#include <vector>

namespace ostrel::sim {

struct RadarScene {
  double levelDistanceMetres = 3.0;  // sensor to surface
  double maxRangeMetres = 10.0;
  std::uint8_t sensorType = 2;
  // Changes the noise between captures of the echo curve.
  std::uint32_t capture = 0;
};

enum class RadarCurve : std::uint16_t {
  Echo = 0x991,
  FalseEcho = 0x992,
  Envelope = 0x993,
};

class RadarCurveSynthesizer {
 public:
  static constexpr std::size_t kSamples = 240;
  static constexpr std::size_t kHeaderSize = 17;
  static constexpr std::size_t kBlockSize = kHeaderSize + 2 * kSamples;
  static constexpr std::size_t kFineHalfWidth = 20;
  // Fixed disturbances (an inlet and a strut), metres from the sensor.
  static constexpr double kDisturbanceMetres[] = {0.8, 1.25};

  static std::vector<std::uint8_t> build(RadarCurve curve, const RadarScene& scene);

  // Indexes per metre for a sensor type.
  static double indexesPerMetre(std::uint8_t sensorType);
};

}  // namespace ostrel::sim

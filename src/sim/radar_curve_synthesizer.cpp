#include "sim/radar_curve_synthesizer.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "sim/byte_fields.h"

namespace ostrel::sim {

namespace {

constexpr double kMetresPerIndex = 29299.8128 / 1e6;
constexpr std::size_t kLongestStep = 15;
constexpr std::uint32_t kFalseEchoSeed = 0x5EED;

constexpr double kNoiseFloor = 160.0;
constexpr double kNoiseSpread = 35.0;
constexpr double kRinging = 1400.0;
constexpr double kRingingDecayMetres = 0.15;
constexpr double kSurfaceEcho = 3300.0;
constexpr double kSurfaceWidth = 2.5;  // indexes
constexpr double kDisturbanceAmplitude[] = {950.0, 700.0};
constexpr double kDisturbanceWidth = 2.0;
constexpr int kEnvelopeReach = 4;
constexpr int kEnvelopeSmoothing = 2;
constexpr double kEnvelopeMargin = 60.0;

// Deterministic noise in [-1, 1] for index x.
double noise(std::size_t x, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 2654435761u ^ (seed * 40503u + 0x9E3779B9u);
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return (h % 2001u) / 1000.0 - 1.0;
}

double attenuation(double metres) { return 1.0 / (1.0 + metres / 10.0); }

double bump(double x, double centre, double width) {
  const double u = (x - centre) / width;
  return std::exp(-0.5 * u * u);
}

struct Grid {
  std::array<std::uint16_t, RadarCurveSynthesizer::kSamples> x{};
  bool echoOnGrid = false;
};

// Fine steps around the echo so its peak lands on a sample; coarse steps
// elsewhere, wide enough to reach `end`.
Grid makeGrid(std::size_t echo, std::size_t end) {
  constexpr std::size_t n = RadarCurveSynthesizer::kSamples;
  constexpr std::size_t half = RadarCurveSynthesizer::kFineHalfWidth;
  const std::size_t reach = kLongestStep * (n - 1 - 2 * half) + 2 * half;
  Grid g;
  g.echoOnGrid = echo + half <= reach;
  const std::size_t fineFrom = g.echoOnGrid ? (echo > half ? echo - half : 0) : reach + 1;
  const std::size_t fineTo = g.echoOnGrid ? echo + half : reach + 1;
  const std::size_t fineSamples = g.echoOnGrid ? fineTo - fineFrom : 0;
  const std::size_t coarseSpan = end > fineSamples ? end - fineSamples : 1;
  const std::size_t coarseSamples = n - 1 - fineSamples;
  const std::size_t step =
      std::clamp<std::size_t>((coarseSpan + coarseSamples - 1) / coarseSamples, 1, kLongestStep);

  std::size_t x = 0;
  for (std::size_t k = 0; k < n; ++k) {
    g.x[k] = static_cast<std::uint16_t>(x);
    if (x >= fineFrom && x < fineTo) {
      x += 1;
    } else if (x < fineFrom) {
      x += std::min(step, fineFrom - x);
    } else {
      x += step;
    }
  }
  return g;
}

}  // namespace

double RadarCurveSynthesizer::indexesPerMetre(std::uint8_t sensorType) {
  return (sensorType >= 4 ? 1.1 : 1.0) / kMetresPerIndex;
}

std::vector<std::uint8_t> RadarCurveSynthesizer::build(RadarCurve curve, const RadarScene& scene) {
  const double k = indexesPerMetre(scene.sensorType);
  const double level = std::max(scene.levelDistanceMetres, 0.0);
  const std::size_t echo = static_cast<std::size_t>(std::lround(level * k));
  const double range = std::clamp(scene.maxRangeMetres, 0.5, 100.0);
  const std::size_t end =
      std::max<std::size_t>(static_cast<std::size_t>(std::ceil(1.1 * range * k * 1.05)), echo + 30);
  const Grid grid = makeGrid(echo, end);

  std::array<double, kSamples> withEcho{};
  std::array<double, kSamples> fixed{};
  for (std::size_t i = 0; i < kSamples; ++i) {
    const double x = grid.x[i];
    const double m = x / k;
    const double ringing = kRinging * std::exp(-m / kRingingDecayMetres);
    double disturbances = 0;
    for (std::size_t d = 0; d < std::size(kDisturbanceMetres); ++d) {
      disturbances += kDisturbanceAmplitude[d] * attenuation(kDisturbanceMetres[d]) *
                      bump(x, std::round(kDisturbanceMetres[d] * k), kDisturbanceWidth);
    }
    const double surface =
        kSurfaceEcho * attenuation(level) * bump(x, static_cast<double>(echo), kSurfaceWidth);
    fixed[i] =
        kNoiseFloor + kNoiseSpread * noise(grid.x[i], kFalseEchoSeed) + ringing + disturbances;
    withEcho[i] = kNoiseFloor + kNoiseSpread * noise(grid.x[i], scene.capture) + ringing +
                  disturbances + surface;
  }

  std::array<double, kSamples> amplitude{};
  switch (curve) {
    case RadarCurve::Echo: amplitude = withEcho; break;
    case RadarCurve::FalseEcho: amplitude = fixed; break;
    case RadarCurve::Envelope: {
      // The largest of both curves nearby, then smoothed: every averaged
      // window still holds the sample itself, so the envelope never dips
      // below either curve.
      std::array<double, kSamples> widest{};
      const int n = static_cast<int>(kSamples);
      for (int i = 0; i < n; ++i) {
        double v = 0;
        for (int j = std::max(0, i - kEnvelopeReach); j <= std::min(n - 1, i + kEnvelopeReach);
             ++j) {
          v = std::max(
              {v, withEcho[static_cast<std::size_t>(j)], fixed[static_cast<std::size_t>(j)]});
        }
        widest[static_cast<std::size_t>(i)] = v;
      }
      for (int i = 0; i < n; ++i) {
        double sum = 0;
        int count = 0;
        for (int j = std::max(0, i - kEnvelopeSmoothing);
             j <= std::min(n - 1, i + kEnvelopeSmoothing); ++j) {
          sum += widest[static_cast<std::size_t>(j)];
          ++count;
        }
        amplitude[static_cast<std::size_t>(i)] = sum / count + kEnvelopeMargin;
      }
      break;
    }
  }

  std::vector<std::uint8_t> block(kBlockSize, 0);
  putU16(block, 0, static_cast<std::uint16_t>(kSamples));
  putU16(block, 2, grid.x[kSamples - 1]);
  putU16(block, 4, static_cast<std::uint16_t>(curve));
  putU16(block, 6, static_cast<std::uint16_t>(std::min<std::size_t>(echo, 0xFFFF)));
  putFloat(block, 8, static_cast<float>(static_cast<double>(echo) / k));
  putFloat(block, 12, static_cast<float>(level));
  block[16] = scene.sensorType;
  for (std::size_t i = 0; i < kSamples; ++i) {
    const auto a = static_cast<std::uint16_t>(std::clamp(std::lround(amplitude[i]), 0L, 4095L));
    const std::size_t step = i + 1 < kSamples ? grid.x[i + 1] - grid.x[i] : 0;
    putU16(block, kHeaderSize + 2 * i, static_cast<std::uint16_t>(a | step << 12));
  }
  return block;
}

}  // namespace ostrel::sim

#include "sim/stream_reading.h"

#include <algorithm>

#include "sim/byte_fields.h"

namespace ostrel::sim {

namespace {

// The history page: step in level counts at 10, 248 points from 16.
constexpr std::size_t kStepAt = 10;
constexpr std::size_t kPointsAt = 16;
constexpr std::size_t kPoints = 248;
constexpr std::uint16_t kBeyond = 0xFFFF;

constexpr std::uint8_t kStateMeasured = 0x30;
constexpr std::uint8_t kStateFull = 0x10;
constexpr std::uint8_t kStateEmpty = 0x20;

std::uint16_t tableCount(std::span<const std::uint8_t> page, std::uint16_t level) {
  const std::uint16_t step = getU16(page, kStepAt);
  if (step == 0) return 0;
  const std::size_t i = std::min<std::size_t>(level / step, kPoints - 1);
  const std::uint16_t here = getU16(page, kPointsAt + 2 * i);
  if (i + 1 >= kPoints) return here;
  const std::uint16_t next = getU16(page, kPointsAt + 2 * (i + 1));
  if (here == kBeyond || next == kBeyond) return here;
  const double part = static_cast<double>(level % step) / step;
  return static_cast<std::uint16_t>(here + (next - here) * part + 0.5);
}

}  // namespace

Surface surfaceOf(std::optional<double> fixedFraction) {
  if (!fixedFraction) return Surface::Measured;
  if (*fixedFraction >= 1.0) return Surface::Full;
  if (*fixedFraction <= 0.0) return Surface::Empty;
  return Surface::Measured;
}

StreamReading streamReading(bool invertDemo, std::span<const std::uint8_t> historyPage,
                            std::uint16_t levelCounts, std::uint16_t distanceCounts,
                            Surface surface) {
  StreamReading r;
  if (invertDemo) {
    r.raw = tableCount(historyPage, levelCounts);
    r.state = surface == Surface::Full    ? kStateFull
              : surface == Surface::Empty ? kStateEmpty
                                          : kStateMeasured;
  } else {
    r.raw = surface == Surface::Full ? 1 : surface == Surface::Empty ? 2 : distanceCounts;
  }
  return r;
}

std::vector<std::uint8_t> readingFrame(const StreamReading& reading, std::uint8_t relays) {
  std::vector<std::uint8_t> f = {0xA5,
                                 0xA5,
                                 static_cast<std::uint8_t>(reading.raw & 0xFF),
                                 static_cast<std::uint8_t>(reading.raw >> 8),
                                 static_cast<std::uint8_t>((relays & 0x0F) | reading.state),
                                 0};
  f[5] = static_cast<std::uint8_t>(0x100 - ((f[2] + f[3] + f[4]) & 0xFF));
  return f;
}

}  // namespace ostrel::sim

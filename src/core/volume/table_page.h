#pragma once
// The unit's table page (history page, 512 bytes): the table's offset and
// scale as fixed-point integers, span, step, the full-scale output value and
// the 248 points, all little-endian.

#include <array>
#include <cstdint>
#include <optional>

namespace ostrel {

class VolumeTable;
struct StrappingRows;

class TablePage {
 public:
  static constexpr std::size_t kSize = 512;
  static constexpr std::int32_t kFixedPoint = 655350;  // Offset and Scale are stored times this
  using Bytes = std::array<std::uint8_t, kSize>;

  // Writes the table into page (a copy of the write buffer). Bytes 12-15
  // take fullScale, or keep what the page held when it is empty. False, and
  // the page untouched, for a table the page cannot hold (fits()).
  static bool encode(const VolumeTable& table, std::optional<float> fullScale, Bytes& page);
  // Offset, Scale, MaxLevel, Step and the points from a page; the rest of
  // the table (PointCount among it, which the page does not carry) stays.
  // Offset and Scale are the floats nearest to count / 655350 that encode
  // back to the same count.
  static void decode(const Bytes& page, VolumeTable& table);
  // The float in bytes 12-15.
  static float storedFullScale(const Bytes& page);

  // The full-scale value the unit shows for the table: the last strapping
  // volume (class 7), the capacity or the user's value (volume outputs), the
  // flow at the maximum head D1 (flow outputs); none for a length output,
  // whose page keeps its bytes.
  static std::optional<float> fullScaleValue(const VolumeTable& table, std::uint16_t shape,
                                             int dimensionUnit, int outputUnit,
                                             const StrappingRows& rows);

  // value * 655350 as the unit stores it: the product in float, truncated.
  // A product beyond 32 bits gives 0; see holds().
  static std::int32_t fixedPoint(float value);
  // Whether value * 655350 fits the page's signed 32-bit count.
  static bool holds(float value);
  // Whether the page can hold the table's Offset and Scale. A table of some
  // 215 million volume or flow units does not: its Scale passes 3276.8.
  static bool fits(const VolumeTable& table);
  // The value to name when a table does not fit: the larger in size of its
  // full value and its offset.
  static double tooLargeValue(const VolumeTable& table);
};

}  // namespace ostrel

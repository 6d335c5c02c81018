#pragma once
// A tank's calibration as level/volume pairs, the strapping table.

#include <array>
#include <cstdint>

namespace ostrel {

struct StrappingRows {
  static constexpr int kCapacity = 32;
  static constexpr int kFormRows = 16;  // the form and the customer page keep 16

  std::int32_t RowCount = 0;
  std::array<float, kCapacity> Levels{};   // in the dimension unit; Levels[0] is 0
  std::array<float, kCapacity> Volumes{};  // in the output unit

  void clear() { *this = StrappingRows{}; }
  // The full-scale value: the last pair's volume (0 without pairs).
  float lastVolume() const;
  // The volume at level l (dimension units), interpolated between the first
  // pair of neighbours that holds l; beyond the last pair towards a (0, 0)
  // pair after it. A pair of equal levels gives its first volume.
  double volumeAt(double level) const;
};

static_assert(sizeof(StrappingRows) == 260, "the record is 260 bytes");

}  // namespace ostrel

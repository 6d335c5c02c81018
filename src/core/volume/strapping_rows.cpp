#include "core/volume/strapping_rows.h"

#include <algorithm>

namespace ostrel {

float StrappingRows::lastVolume() const {
  if (RowCount < 1) return 0.0f;
  return Volumes[static_cast<std::size_t>(std::min(RowCount, kCapacity) - 1)];
}

double StrappingRows::volumeAt(double l) const {
  const int n = std::clamp(RowCount, 0, kCapacity);
  // Pair j of the interpolation; the pair after the last is (0, 0) even when
  // the record is full.
  auto level = [&](int j) { return j < n ? Levels[static_cast<std::size_t>(j)] : 0.0f; };
  auto volume = [&](int j) { return j < n ? Volumes[static_cast<std::size_t>(j)] : 0.0f; };
  int j = 1;
  while (j < n && !(static_cast<double>(level(j - 1)) <= l && l <= static_cast<double>(level(j)))) {
    ++j;
  }
  if (j >= n) j = n;
  if (j < 1) return 0.0;
  // Level and volume differences are taken in float, the rest in double.
  const float dv = volume(j) - volume(j - 1);
  const float dl = level(j) - level(j - 1);
  // A zero-length segment would divide by zero: it stands for its first pair.
  if (dl == 0.0f) return static_cast<double>(volume(j - 1));
  return static_cast<double>(volume(j - 1)) +
         static_cast<double>(dv) * (l - static_cast<double>(level(j - 1))) /
             static_cast<double>(dl);
}

}  // namespace ostrel

#pragma once
// Float-to-integer conversions of the table code. They truncate toward zero
// like a C cast, but a value that is not finite or whose truncation lies
// outside the target type gives 0 instead of undefined behaviour.

#include <cmath>
#include <cstdint>
#include <limits>

namespace ostrel {

template <typename T>
T truncateOrZero(double v) {
  if (!std::isfinite(v)) return 0;
  const double t = std::trunc(v);
  if (t < static_cast<double>(std::numeric_limits<T>::min()) ||
      t > static_cast<double>(std::numeric_limits<T>::max())) {
    return 0;
  }
  return static_cast<T>(t);
}

// A level in counts for the lookups: below 0 (or NaN) is 0, beyond 32 bits
// stays beyond every table.
inline std::uint32_t levelCounts(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(v);
}

}  // namespace ostrel

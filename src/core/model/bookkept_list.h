#pragma once
// A fixed-capacity list with the two counters every model list carries:
// Count (entries counted) and Last (highest index used). The two differ
// after several appended lines, so both are kept as the files fill them.

#include <array>
#include <cstddef>
#include <cstdint>

namespace ostrel {

// The index a line stores at, after the list's bookkeeping, or -1 when the
// line must be ignored: the list is full, or the index (after an append)
// lies outside the list. A refused line leaves the counters untouched.
int bookkeepIndex(std::int32_t& count, std::int32_t& last, int capacity, int index, bool append);

// The entries a list holds: appended lines can leave Count behind Last + 1,
// and neither may pass the capacity.
inline int usedLength(std::int32_t count, std::int32_t last, int capacity) {
  const int n = count > last + 1 ? count : last + 1;
  return n < 0 ? 0 : n > capacity ? capacity : n;
}

template <typename T, std::size_t N>
struct BookkeptList {
  static constexpr int kCapacity = static_cast<int>(N);

  std::array<T, N> Items{};
  std::int32_t Count = 0;
  std::int32_t Last = -1;

  void clearCounters() {
    Count = 0;
    Last = -1;
  }
  // Index to store a line at, or -1 (see bookkeepIndex).
  int bookkeep(int index, bool append) {
    return bookkeepIndex(Count, Last, kCapacity, index, append);
  }

  int used() const { return usedLength(Count, Last, kCapacity); }

  T& operator[](std::size_t i) { return Items[i]; }
  const T& operator[](std::size_t i) const { return Items[i]; }
};

}  // namespace ostrel

#include "core/model/bookkept_list.h"

namespace ostrel {

int bookkeepIndex(std::int32_t& count, std::int32_t& last, int capacity, int index, bool append) {
  if (count >= capacity) return -1;
  // Whether the list grows depends on the index as written, before an append
  // moves it: that is why appended lines leave Count behind Last + 1.
  const bool grows = index >= last;
  const long long target = append ? static_cast<long long>(last) + 1 : index;
  if (target < 0 || target >= capacity) return -1;
  if (grows) ++count;
  if (last < target) last = static_cast<std::int32_t>(target);
  return static_cast<int>(target);
}

}  // namespace ostrel

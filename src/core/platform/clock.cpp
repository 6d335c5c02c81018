#include "core/platform/clock.h"

#include <thread>

namespace ostrel {

std::uint64_t tickCount() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void sleepMs(std::int64_t milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::tm localTime(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm out{};
  ::localtime_r(&t, &out);
  return out;
}

}  // namespace ostrel

#pragma once
// Millisecond clock and sleeps for the device timings.

#include <chrono>
#include <cstdint>
#include <ctime>

namespace ostrel {

// Milliseconds on a monotonic clock; differences are what matter.
std::uint64_t tickCount();

void sleepMs(std::int64_t milliseconds);

// The local calendar time of a moment.
std::tm localTime(std::chrono::system_clock::time_point when);

}  // namespace ostrel

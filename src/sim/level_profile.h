#pragma once
// How a simulated unit's level moves: a slow rise and fall between 40 % and
// 85 % of the fill height, or pinned at one fraction of it, so that scripts
// and tests can choose the pace or a fixed reading.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::sim {

struct LevelProfile {
  static constexpr double kLow = 0.40;
  static constexpr double kHigh = 0.85;

  std::chrono::milliseconds period{180'000};  // one rise and fall
  std::optional<double> fixedFraction;        // of the fill height, 0..1

  // "moving:SECONDS" or "fixed:PERCENT"; nothing (and *error) otherwise.
  static std::optional<LevelProfile> parse(std::string_view text, std::string* error);
  // The fraction of the fill height the level stands at after elapsed.
  double fraction(std::chrono::duration<double> elapsed) const;
};

}  // namespace ostrel::sim

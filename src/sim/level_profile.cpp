#include "sim/level_profile.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace ostrel::sim {

std::optional<LevelProfile> LevelProfile::parse(std::string_view text, std::string* error) {
  const auto fail = [&](const std::string& why) -> std::optional<LevelProfile> {
    if (error) *error = "--level-profile " + std::string(text) + ": " + why;
    return std::nullopt;
  };
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return fail("expected moving:SECONDS or fixed:PERCENT");
  const std::string kind(text.substr(0, colon));
  const std::string number(text.substr(colon + 1));
  char* end = nullptr;
  const double v = std::strtod(number.c_str(), &end);
  if (number.empty() || *end != '\0' || !std::isfinite(v)) return fail("not a number");
  LevelProfile p;
  if (kind == "moving") {
    if (v < 1.0 || v > 86400.0) return fail("the period takes 1 to 86400 seconds");
    p.period = std::chrono::milliseconds(static_cast<long long>(v * 1000.0));
  } else if (kind == "fixed") {
    if (v < 0.0 || v > 100.0) return fail("the level takes 0 to 100 percent of the fill height");
    p.fixedFraction = v / 100.0;
  } else {
    return fail("expected moving:SECONDS or fixed:PERCENT");
  }
  return p;
}

double LevelProfile::fraction(std::chrono::duration<double> elapsed) const {
  if (fixedFraction) return *fixedFraction;
  const double turns = elapsed.count() / std::chrono::duration<double>(period).count();
  const double rise = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * turns);
  return kLow + (kHigh - kLow) * rise;
}

}  // namespace ostrel::sim

#include "core/volume/number_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/support/key_value_file.h"
#include "core/volume/model_link.h"

namespace ostrel {

int NumberRules::unitDecimals(int unitCode, bool guidedWaveOrUgus) {
  if (unitCode == 0) return guidedWaveOrUgus ? 2 : 1;
  if (unitCode == 1) return 1;
  if (unitCode == 2 || (unitCode >= 32 && unitCode <= 34)) return 2;
  return 3;
}

int NumberRules::sizeDecimals(double x) {
  if (x < 2) return 6;
  if (x < 10) return 5;
  if (x < 100) return 4;
  if (x < 1000) return 3;
  if (x < 10000) return 2;
  if (x < 100000) return 1;
  return 0;
}

std::string NumberRules::formatTrimmed(double x, int decimals) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed,
                               std::clamp(decimals, 0, 17));
  std::string text(buf, r.ec == std::errc() ? r.ptr : buf);
  const std::size_t point = text.find('.');
  if (point == std::string::npos) return text;
  std::size_t end = text.find_last_not_of('0');
  if (end == point) ++end;  // keep one digit after the point
  text.erase(end + 1);
  return text;
}

std::string NumberRules::display(double x, int unitCode, bool guidedWaveOrUgus) {
  return formatTrimmed(x, std::min(unitDecimals(unitCode, guidedWaveOrUgus), sizeDecimals(x)));
}

std::string NumberRules::displayBySize(double x) { return formatTrimmed(x, sizeDecimals(x)); }

double NumberRules::round(double x, int n) {
  if (n <= 0) return x;
  const double p = std::pow(10.0, n);
  return std::trunc(x * p + 0.5) / p;
}

double NumberRules::modelValue(double x, int unit, const ModelLink& link) {
  if (unit == 0) return x;
  const bool fine = link.guidedWave() || link.ugus();
  return round(x * link.levelCountsPerUnit(0) / link.levelCountsPerUnit(unit),
               unitDecimals(unit, fine));
}

std::string NumberRules::convertField(std::string_view text, int from, int to,
                                      const ModelLink& link) {
  if (text.empty() || !isSignedNumber(text)) return std::string(text);
  const double x = read(text);
  if (x == 0) return std::string(text);
  const double converted = x * link.levelCountsPerUnit(from) / link.levelCountsPerUnit(to);
  return display(converted, to, link.guidedWave() || link.ugus());
}

bool NumberRules::isUnsignedNumber(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

bool NumberRules::isSignedNumber(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; });
}

bool NumberRules::isNumber(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty()) return true;
  if (text.front() == '+' || text.front() == '-') text.remove_prefix(1);
  int digits = 0, points = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return false;
    }
  }
  return digits > 0 && points <= 1;
}

double NumberRules::read(std::string_view text) {
  const double v = keyvalue::readDouble(text);
  return std::isnan(v) ? 0.0 : v;
}

}  // namespace ostrel

#include "sim/fault_text.h"

#include <charconv>

namespace ostrel::sim {
namespace {

std::optional<long> parseNumber(std::string_view s, int base) {
  if (s.empty()) return std::nullopt;
  long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

}  // namespace

std::optional<long> parseDecimal(std::string_view s) { return parseNumber(s, 10); }

std::optional<long> parseFaultNumber(std::string_view s) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    return parseNumber(s.substr(2), 16);
  }
  return parseNumber(s, 10);
}

std::optional<std::string> faultKindProblem(bool known, const FaultText& parts, bool takesValue,
                                            bool needsValue) {
  const std::string kind(parts.kind);
  if (!known) return "unknown fault kind '" + kind + "'";
  if (parts.value && !takesValue) return "fault kind '" + kind + "' takes no value";
  if (!parts.value && needsValue) return "fault kind '" + kind + "' needs =VALUE";
  return std::nullopt;
}

std::optional<FaultText> parseFaultText(std::string_view text, std::string_view targetName,
                                        long targetMax, std::string* error) {
  const auto fail = [error](std::string message) -> std::optional<FaultText> {
    if (error) *error = std::move(message);
    return std::nullopt;
  };
  const auto c1 = text.find(':');
  const auto c2 = c1 == std::string_view::npos ? c1 : text.find(':', c1 + 1);
  if (c2 == std::string_view::npos) {
    return fail("fault '" + std::string(text) + "' is not " + std::string(targetName) +
                ":WHEN:KIND");
  }
  const std::string_view targetText = text.substr(0, c1);
  const std::string_view whenText = text.substr(c1 + 1, c2 - c1 - 1);

  FaultText f;
  const auto target = parseFaultNumber(targetText);
  if (!target || *target < 0 || *target > targetMax) {
    return fail("fault target '" + std::string(targetText) + "' is not a " +
                (targetMax == 0xFF ? "byte" : "16-bit number"));
  }
  f.target = *target;
  if (whenText != "*") {
    const auto n = parseDecimal(whenText);
    if (!n || *n < 1 || *n > 0x7FFFFFFF) {
      return fail("fault occurrence '" + std::string(whenText) + "' is not * or a count from 1");
    }
    f.occurrence = static_cast<std::uint32_t>(*n);
  }
  f.kind = text.substr(c2 + 1);
  if (const auto eq = f.kind.find('='); eq != std::string_view::npos) {
    f.value = f.kind.substr(eq + 1);
    f.kind = f.kind.substr(0, eq);
  }
  return f;
}

}  // namespace ostrel::sim

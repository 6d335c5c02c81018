#pragma once
// The text form shared by every injected fault, TARGET:WHEN:KIND[=VALUE]:
// the target (a command byte or a parameter number, decimal or 0x hex), the
// occurrence (n-th arrival from 1, or * for every one), the kind's name and
// its optional value.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::sim {

struct FaultText {
  long target = 0;
  std::uint32_t occurrence = 0;  // 0: every arrival
  std::string_view kind;
  std::optional<std::string_view> value;
};

// Splits and reads the common parts; targetName ("CMD", "PARAM") and
// targetMax bound the target. On failure returns nothing and explains in *error.
std::optional<FaultText> parseFaultText(std::string_view text, std::string_view targetName,
                                        long targetMax, std::string* error);

// The complaint about a kind and its value, or nothing when they fit: an
// unknown kind, a value the kind does not take, or a missing value it needs.
std::optional<std::string> faultKindProblem(bool known, const FaultText& parts, bool takesValue,
                                            bool needsValue);

// A whole decimal number, or with the 0x prefix a hexadecimal one.
std::optional<long> parseFaultNumber(std::string_view s);
std::optional<long> parseDecimal(std::string_view s);

}  // namespace ostrel::sim

#pragma once
// printf-style formatting for texts that come from files. Language texts are
// format strings filled with "%s"/"%d" values; since the file is data, the
// formatter never trusts it: a directive without a matching argument yields
// an empty text or zero, a directive of another type converts the argument,
// and nothing is read or written outside the arguments given.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace ostrel {

class FormatArg {
 public:
  FormatArg(int v) : value_(static_cast<long long>(v)) {}                 // NOLINT
  FormatArg(unsigned v) : value_(static_cast<long long>(v)) {}            // NOLINT
  FormatArg(long v) : value_(static_cast<long long>(v)) {}                // NOLINT
  FormatArg(long long v) : value_(v) {}                                   // NOLINT
  FormatArg(unsigned long v) : value_(static_cast<long long>(v)) {}       // NOLINT
  FormatArg(unsigned long long v) : value_(static_cast<long long>(v)) {}  // NOLINT
  FormatArg(double v) : value_(v) {}                                      // NOLINT
  FormatArg(float v) : value_(static_cast<double>(v)) {}                  // NOLINT
  FormatArg(const char* v) : value_(std::string(v ? v : "")) {}           // NOLINT
  FormatArg(std::string v) : value_(std::move(v)) {}                      // NOLINT
  FormatArg(std::string_view v) : value_(std::string(v)) {}               // NOLINT

  long long asInteger() const;
  double asDouble() const;
  std::string asText() const;

 private:
  std::variant<long long, double, std::string> value_;
};

// Formats fmt with the arguments. Understands the flags "-+ #0", a width and
// a precision (numbers or '*'), the length modifiers h, hh, l, ll, L, q, j,
// z, t, I, I32, I64 (all ignored) and the conversions d i u o x X c s S f F
// e E g G a A and %%. Any other directive is copied as it stands.
std::string formatText(std::string_view fmt, std::initializer_list<FormatArg> args);
std::string formatText(std::string_view fmt, const std::vector<FormatArg>& args);
std::string formatText(std::string_view fmt, const FormatArg* first, const FormatArg* last);

}  // namespace ostrel

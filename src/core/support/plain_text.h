#pragma once
// Small text helpers for captions and typed names: blanks trimmed, ASCII
// letters folded (other bytes, such as UTF-8 sequences, are kept as they are).

#include <string>
#include <string_view>

namespace ostrel::plaintext {

// Without the blanks, tabs and line ends at either end.
inline std::string trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(first, last - first + 1));
}

// A to Z as a to z.
inline std::string lowered(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && lowered(std::string(a)) == lowered(std::string(b));
}

}  // namespace ostrel::plaintext

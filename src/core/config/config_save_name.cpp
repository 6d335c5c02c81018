#include "core/config/config_save_name.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "core/support/key_value_file.h"
#include "core/support/text_format.h"

namespace ostrel {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The number after the first "[" of a name, when something precedes it.
int bracketNumber(std::string_view name) {
  const std::size_t open = name.find('[');
  if (open == std::string_view::npos || open == 0) return 0;
  std::size_t pos = open + 1;
  long long n = 0;
  if (!keyvalue::scanInt(name, pos, n)) return 0;
  return keyvalue::saturate(n);
}

std::string_view stemOf(std::string_view name) { return name.substr(0, name.find_first_of("[.")); }

}  // namespace

std::string ConfigSaveName::fileName(std::string_view boxText) {
  std::string name(keyvalue::trimBlanks(boxText));
  if (name.empty()) name = "Config.txt";
  // Case matters here: "CONFIG.TXT" becomes "CONFIG.TXT.txt".
  if (name.size() < 4 || name.compare(name.size() - 4, 4, ".txt") != 0) name += ".txt";
  return name;
}

bool ConfigSaveName::matchesPattern(std::string_view name, std::string_view pattern) {
  // Iterative wildcard match with one back-tracking point per "*".
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

int ConfigSaveName::nextFreeNumber(const std::filesystem::path& folder, std::string_view name) {
  const std::size_t dot = name.rfind('.');
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  const std::string pattern = std::string(stemOf(name)) + "[*]." + std::string(extension);
  int largest = -1;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (!matchesPattern(entry, pattern)) continue;
    largest = std::max(largest, bracketNumber(entry));
  }
  return largest == std::numeric_limits<int>::max() ? largest : largest + 1;
}

std::variant<std::string, Notice> ConfigSaveName::propose(const std::filesystem::path& folder,
                                                          std::string_view boxText) {
  std::string name = fileName(boxText);
  const int number = nextFreeNumber(folder, name);
  const std::string stem(stemOf(name));
  if (stem.empty()) return Notice::message("ERROR_MESSAGE56", {}, kStyleError);
  return stem + formatText("[%d].txt", {number});
}

}  // namespace ostrel

#pragma once
// The name "Save Config File" proposes: the name from the file-name box,
// made a ".txt" name, cut to its stem and given the next free number in
// brackets ("Tank" -> "Tank[0].txt", "Tank[4].txt" once "Tank[3].txt" exists).

#include <filesystem>
#include <string>
#include <string_view>
#include <variant>

#include "core/support/notice.h"

namespace ostrel {

class ConfigSaveName {
 public:
  // The box's text with blanks trimmed ("Config.txt" when empty), with
  // ".txt" appended unless it already ends in exactly ".txt".
  static std::string fileName(std::string_view boxText);

  // The largest bracketed number among the folder's files named like
  // stem + "[*]." + extension (case ignored, "*" and "?" wild), plus one;
  // a file whose number cannot be read counts as 0; none at all gives 0.
  static int nextFreeNumber(const std::filesystem::path& folder, std::string_view name);

  // The proposed name, or the notice ERROR_MESSAGE56 when no stem is left.
  static std::variant<std::string, Notice> propose(const std::filesystem::path& folder,
                                                   std::string_view boxText);

  // Whether name matches pattern, "*" any run and "?" any one character,
  // case ignored; every other character stands for itself.
  static bool matchesPattern(std::string_view name, std::string_view pattern);
};

}  // namespace ostrel

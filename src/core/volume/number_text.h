#pragma once
// Whether a form field holds exactly one number. The character checks of
// the forms let "1.2.3" or "1-2" through, and reading such a text stops at
// the second point or sign, so the value used would not be the one typed.

#include <string_view>

namespace ostrel {

class NumberText {
 public:
  // Digits with at most one point and at least one digit; with signAllowed
  // a single leading "-" as well.
  static bool isOneNumber(std::string_view text, bool signAllowed);
};

}  // namespace ostrel

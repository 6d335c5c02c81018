#include "core/volume/number_text.h"

namespace ostrel {

bool NumberText::isOneNumber(std::string_view text, bool signAllowed) {
  if (signAllowed && !text.empty() && text.front() == '-') text.remove_prefix(1);
  bool digit = false;
  bool point = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

}  // namespace ostrel

#include "core/service/direct_entry.h"

namespace ostrel {
namespace {

// An unsigned decimal number up to limit; anything else (signs, letters,
// trailing characters, more digits than the limit allows) is not one.
bool readUnsigned(std::string_view text, long limit, int& value) {
  std::size_t b = text.find_first_not_of(" \t");
  std::size_t e = text.find_last_not_of(" \t");
  if (b == std::string_view::npos) return false;
  text = text.substr(b, e - b + 1);
  long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > limit) return false;
  }
  value = static_cast<int>(v);
  return true;
}

bool blank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

}  // namespace

DirectEntryCheck checkDirectEntry(std::string_view addressText, std::string_view valueText,
                                  int page) {
  DirectEntryCheck c;
  if (blank(addressText)) {
    c.errorKey = "ERROR_MESSAGE67";
  } else if (blank(valueText)) {
    c.errorKey = "ERROR_MESSAGE68";
  } else if (!readUnsigned(addressText, 255, c.request.address)) {
    c.errorKey = "ERROR_MESSAGE67";
  } else if (!readUnsigned(valueText, 65535, c.request.value)) {
    c.errorKey = "ERROR_MESSAGE68";
  } else if (page != 1 && page != 2) {
    c.errorKey = "ERROR_MESSAGE69";
  } else {
    c.request.page = page;
    c.ok = true;
  }
  return c;
}

void applyDirectEntry(std::uint8_t* page, const DirectEntryRequest& request) {
  page[2 * request.address] = static_cast<std::uint8_t>(request.value & 0xFF);
  page[2 * request.address + 1] = static_cast<std::uint8_t>((request.value >> 8) & 0xFF);
}

}  // namespace ostrel

#include "core/service/memory_page_text.h"

#include <cstdio>

namespace ostrel {
namespace {

constexpr int kPageBytes = 512;

void integerLines(const std::uint8_t* page, std::string_view lineEnd, std::string& out) {
  out += "       HEX    DEC";
  out += lineEnd;
  char line[32];
  for (int i = 0; i < kPageBytes / 2; ++i) {
    const unsigned word = page[2 * i] | (page[2 * i + 1] << 8);
    std::snprintf(line, sizeof line, "%03d: 0x%04X  %05u", i, word, word);
    out += line;
    out += lineEnd;
  }
}

void hexLines(const std::uint8_t* page, std::string_view lineEnd, std::string& out) {
  out += "      0  1  2  3  4  5  6  7    8  9  A  B  C  D  E  F";
  out += lineEnd;
  char cell[8];
  for (int r = 0; r < kPageBytes / 16; ++r) {
    std::snprintf(cell, sizeof cell, "%03X: ", 16 * r);
    out += cell;
    const std::uint8_t* row = page + 16 * r;
    for (int c = 0; c < 16; ++c) {
      std::snprintf(cell, sizeof cell, "%02X ", row[c]);
      out += cell;
      if (c == 7) out += "  ";
    }
    out += ' ';
    for (int c = 0; c < 16; ++c) out += row[c] >= 0x20 && row[c] <= 0x7E ? char(row[c]) : '.';
    out += lineEnd;
  }
}

}  // namespace

std::string memoryPageText(const std::uint8_t* page, PageTextFormat format,
                           std::string_view lineEnd) {
  std::string out;
  if (format == PageTextFormat::Integer) {
    integerLines(page, lineEnd, out);
  } else {
    hexLines(page, lineEnd, out);
  }
  return out;
}

}  // namespace ostrel

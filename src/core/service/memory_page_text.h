#pragma once
// The data pages viewer's two ways of showing a 512-byte page: 256 words
// in hex and decimal, or a hex dump with a character column.

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

enum class PageTextFormat { Integer, Hex };

// The whole text the viewer shows for one page image (512 bytes), each line
// ended by lineEnd ("\r\n" in the viewer's box, "\n" on a terminal).
std::string memoryPageText(const std::uint8_t* page, PageTextFormat format,
                           std::string_view lineEnd = "\r\n");

}  // namespace ostrel

#pragma once
// Conversions between the encodings the tool meets on disk and on the wire:
// Windows-1252 (8-bit text files, unit texts), UTF-16LE (Unicode text files)
// and UTF-8, which is the encoding of every std::string inside the tool.

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

// Windows-1252 bytes to UTF-8. The five undefined bytes (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value, as Windows does.
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252. Characters without a Windows-1252 form become '?';
// malformed UTF-8 sequences are taken byte by byte as Windows-1252.
std::string utf8ToCp1252(std::string_view text);

// UTF-16LE code units to UTF-8. Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view units);

// UTF-8 to UTF-16 code units. Malformed bytes become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// Number of UTF-16 code units the UTF-8 text needs.
std::size_t utf16Length(std::string_view text);

// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, char32_t cp);

// Decodes one code point from UTF-8 at pos, advancing pos. Malformed input
// yields U+FFFD and advances by one byte.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);

}  // namespace ostrel

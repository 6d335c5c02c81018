#include "core/support/text_codec.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(TextCodec, Windows1252RoundTripsEveryDefinedByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = cp1252ToUtf8(all);
  EXPECT_EQ(utf8ToCp1252(utf8), all);
}

TEST(TextCodec, Windows1252HighControlsMapToTheirCharacters) {
  EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(cp1252ToUtf8("\x99"), "\xE2\x84\xA2");  // trade mark
  EXPECT_EQ(cp1252ToUtf8("\xB0"
                         "F"),
            "\xC2\xB0"
            "F");                                // degree sign
  EXPECT_EQ(utf8ToCp1252("\xE6\xB6\xB2"), "?");  // CJK has no 8-bit form
}

TEST(TextCodec, MalformedUtf8IsKeptByteByByteIn8BitText) {
  // A lone continuation byte and a truncated sequence stay as they were.
  EXPECT_EQ(utf8ToCp1252(std::string("a\xB0"
                                     "b\xE6",
                                     4)),
            std::string("a\xB0"
                        "b\xE6",
                        4));
}

TEST(TextCodec, Utf16RoundTripIncludingSurrogatePairs) {
  const std::string text = "Level \xE6\xB6\xB2\xE4\xBD\x8D \xF0\x9F\x98\x80 end";
  const std::u16string units = utf8ToUtf16(text);
  EXPECT_EQ(units.size(), utf16Length(text));
  EXPECT_EQ(utf16ToUtf8(units), text);
}

TEST(TextCodec, UnpairedSurrogatesAndBadBytesBecomeReplacementCharacters) {
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  std::size_t pos = 0;
  EXPECT_EQ(decodeUtf8("\xC0\x80", pos), U'\xFFFD');  // overlong zero
  EXPECT_EQ(pos, 1u);
  pos = 0;
  EXPECT_EQ(decodeUtf8("\xE6\xB6", pos), U'\xFFFD');  // truncated at the end
  EXPECT_EQ(pos, 1u);
}

}  // namespace
}  // namespace ostrel

#include "core/model/fmf_cipher.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

// Computed with an independent implementation of the block cipher written
// from the file-format description (not with this code).
constexpr char kVectorKey[] = "00112233445566778899AABBCCDDEEFF";
const std::string kVectorPlain =
    "MODELID = KM\r\nUNITTYPE[1] = KM-100 G\r\nCFGLABEL[1] = 3|Output  \r\n";
const std::string kVectorCipher(
    "\x2E\xA9\xDE\x16\xA8\xEA\x23\x32\xC7\x8C\x80\x2C\x6A\x58\x32\xFA"
    "\x68\x61\x35\xC3\x24\xAC\x4D\x8F\xEF\x1C\x52\x80\x36\xFB\x19\x04"
    "\xA4\x73\x93\x81\xB6\xA4\xE9\x41\x11\x34\x22\x20\xDF\x3F\x4F\x44"
    "\xA1\x1F\x68\xAC\x6D\x2E\xC0\x74\xD6\xBC\x38\xFE\xC7\x1F\x06\xD1",
    64);
// The same reference's decipherment of an all-zero block.
const std::string kZeroBlockDeciphered(
    "\xC1\xA7\x17\xDB\xF9\x7B\x1B\xEE\xD7\xB0\x48\xC8\x5E\x43\xB7\xE4"
    "\x5B\xD6\x66\xA0\x90\x75\x11\x2F\xE4\xBC\x7E\xDF\x2C\x5C\x62\xD3"
    "\x2C\x8E\x91\x14\x8C\x1E\xEB\xF5\xE7\xC6\x21\xBF\x8B\xE8\x00\x87"
    "\xF8\x65\x2E\xA9\xFE\x9E\x0D\x12\x99\x2E\xCE\x16\xC2\xE6\x21\xF1",
    64);

TEST(FmfCipher, MatchesTheIndependentReferenceVector) {
  const auto key = FmfCipher::parseKey(kVectorKey);
  ASSERT_TRUE(key.has_value());
  EXPECT_EQ(*key, (FmfKey{0x00112233u, 0x44556677u, 0x8899AABBu, 0xCCDDEEFFu}));
  const FmfCipher cipher(*key);
  ASSERT_EQ(kVectorPlain.size(), 64u);
  EXPECT_EQ(cipher.encipher(kVectorPlain), kVectorCipher);
  EXPECT_EQ(cipher.decipher(kVectorCipher), kVectorPlain);
  EXPECT_EQ(cipher.decipher(std::string(64, '\0')), kZeroBlockDeciphered);
}

TEST(FmfCipher, ShortLastBlocksArePaddedAndTheTextStripped) {
  const FmfCipher cipher;
  for (std::size_t size : {1u, 63u, 64u, 65u, 200u}) {
    std::string text(size, 'a');
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('A' + i % 26);
    const std::string enciphered = cipher.encipher(text);
    EXPECT_EQ(enciphered.size(), (size + 63) / 64 * 64) << size;
    std::string padded = text;
    padded.resize(enciphered.size(), '\0');
    EXPECT_EQ(cipher.decipher(enciphered), padded) << size;
    EXPECT_EQ(cipher.decipherText(enciphered), text) << size;
  }
  EXPECT_EQ(cipher.encipher(""), "");
  // Blocks are independent: a second copy of a block enciphers alike.
  const std::string twice = cipher.encipher(kVectorPlain + kVectorPlain);
  EXPECT_EQ(twice.substr(0, 64), twice.substr(64));
  // A wrong key reads noise.
  EXPECT_NE(FmfCipher(FmfKey{1, 2, 3, 4}).decipher(cipher.encipher(kVectorPlain)), kVectorPlain);
}

TEST(FmfCipher, PaddingIsStrippedByWholeCodeUnits) {
  std::string ansi("AB\0\0\0", 5);
  FmfCipher::stripZeroPadding(ansi);
  EXPECT_EQ(ansi, "AB");
  // UTF-16: "A" then padding; the zero high byte of 'A' must stay.
  std::string wide(
      "\xFF\xFE"
      "A\0"
      "\0\0\0\0",
      8);
  FmfCipher::stripZeroPadding(wide);
  EXPECT_EQ(wide, std::string("\xFF\xFE"
                              "A\0",
                              4));
  std::string mark("\xFF\xFE\0\0", 4);
  FmfCipher::stripZeroPadding(mark);
  EXPECT_EQ(mark, "\xFF\xFE");
}

TEST(FmfCipher, KeysAreExactly32HexDigits) {
  EXPECT_TRUE(FmfCipher::parseKey("00112233445566778899aabbccddeeff").has_value());
  for (const char* bad :
       {"", "0011223344556677889AABBCCDDEEFF", "00112233445566778899AABBCCDDEEFF0",
        "0x112233445566778899AABBCCDDEEFF", "00112233 445566778899AABBCCDDEEF",
        "0011223344556677889gAABBCCDDEEFF", "+0112233445566778899AABBCCDDEEFF"}) {
    EXPECT_FALSE(FmfCipher::parseKey(bad).has_value()) << bad;
  }
  const FmfKey own = FmfCipher::projectKey();
  EXPECT_EQ(FmfCipher::parseKey(FmfCipher::keyToHex(own)), own);
  EXPECT_EQ(FmfCipher::keyToHex(FmfKey{0x00112233u, 0x44556677u, 0x8899AABBu, 0xCCDDEEFFu}),
            kVectorKey);
}

}  // namespace
}  // namespace ostrel

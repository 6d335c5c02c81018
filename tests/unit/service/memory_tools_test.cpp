#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "core/service/direct_entry.h"
#include "core/service/info_memory_fields.h"
#include "core/service/memory_page_text.h"

namespace ostrel {
namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    out.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

TEST(MemoryPageText, IntegerAndHexViewsOfOnePage) {
  std::array<std::uint8_t, 512> page{};
  page[10] = 0xFF;  // word 5 = 0x00FF
  for (int i = 16; i < 32; ++i) page[i] = static_cast<std::uint8_t>(i);
  page[34] = 0x41;
  page[510] = 0x34;
  page[511] = 0x12;

  const std::vector<std::string> ints = lines(memoryPageText(page.data(), PageTextFormat::Integer));
  ASSERT_EQ(ints.size(), 257u);
  EXPECT_EQ(ints[0], "       HEX    DEC");
  EXPECT_EQ(ints[1 + 5], "005: 0x00FF  00255");
  EXPECT_EQ(ints[256], "255: 0x1234  04660");

  const std::vector<std::string> hex = lines(memoryPageText(page.data(), PageTextFormat::Hex));
  ASSERT_EQ(hex.size(), 33u);
  EXPECT_EQ(hex[0], "      0  1  2  3  4  5  6  7    8  9  A  B  C  D  E  F");
  EXPECT_EQ(hex[2], "010: 10 11 12 13 14 15 16 17   18 19 1A 1B 1C 1D 1E 1F  ................");
  EXPECT_EQ(hex[3].substr(0, 11), "020: 00 00 ");
  EXPECT_EQ(hex[3].substr(hex[3].size() - 16), "..A.............");
  EXPECT_EQ(hex[32].substr(0, 5), "1F0: ");

  const std::string unix = memoryPageText(page.data(), PageTextFormat::Hex, "\n");
  EXPECT_EQ(unix.find('\r'), std::string::npos);
  EXPECT_EQ(std::count(unix.begin(), unix.end(), '\n'), 33);
}

TEST(DirectEntry, ChecksInOrderAndBounds) {
  struct Case {
    const char* address;
    const char* value;
    int page;
    const char* key;  // empty: accepted
  };
  const Case cases[] = {
      {"", "", 0, "ERROR_MESSAGE67"},       {"3", "", 0, "ERROR_MESSAGE68"},
      {"256", "1", 1, "ERROR_MESSAGE67"},   {"255", "65536", 1, "ERROR_MESSAGE68"},
      {"-1", "1", 1, "ERROR_MESSAGE67"},    {"12abc", "1", 1, "ERROR_MESSAGE67"},
      {"1", "+5", 1, "ERROR_MESSAGE68"},    {"99999999999999999999", "1", 1, "ERROR_MESSAGE67"},
      {"255", "65535", 0, "ERROR_MESSAGE69"}, {"255", "65535", 2, ""},
      {" 7 ", "0", 1, ""},
  };
  for (const Case& c : cases) {
    const DirectEntryCheck r = checkDirectEntry(c.address, c.value, c.page);
    EXPECT_EQ(r.ok, std::string(c.key).empty()) << c.address << " " << c.value;
    EXPECT_EQ(r.errorKey, c.key) << c.address << " " << c.value;
  }
  const DirectEntryCheck top = checkDirectEntry("255", "65535", 2);
  EXPECT_EQ(top.request.page, 2);
  EXPECT_EQ(top.request.address, 255);
  EXPECT_EQ(top.request.value, 65535);

  std::array<std::uint8_t, 512> page{};
  applyDirectEntry(page.data(), {1, 255, 0x1A2B});
  EXPECT_EQ(page[510], 0x2B);
  EXPECT_EQ(page[511], 0x1A);
}

std::array<std::uint8_t, 128> sampleInfo() {
  std::array<std::uint8_t, 128> info{};
  for (std::size_t i = 0; i < info.size(); ++i) info[i] = static_cast<std::uint8_t>(0xA0 + i);
  info[10] = 0x01, info[11] = 0x00, info[12] = 0x02, info[13] = 0x00;  // HWSERIAL words 1, 2
  for (int i = 32; i < 36; ++i) info[static_cast<std::size_t>(i)] = 0xFF;  // UNITNUM -1
  const char model[] = "KM30-U\0junkjunkj";
  std::copy(model, model + 16, info.begin() + 14);
  return info;
}

TEST(InfoMemoryFields, ShownAndReadBackUnchanged) {
  std::array<std::uint8_t, 128> info = sampleInfo();
  const auto shown = showInfoMemory(info.data());
  EXPECT_EQ(shown[0], "0xA1A0");
  EXPECT_EQ(shown[5], "65538");
  EXPECT_EQ(shown[6], "KM30-U");
  EXPECT_EQ(shown[8], "-1");

  // Update without changes: every field read back from what it showed.
  std::vector<std::pair<std::string, std::string>> all;
  for (int i = 0; i < kInfoFieldCount; ++i) all.emplace_back(kInfoFieldLabels[i], shown[i]);
  const std::array<std::uint8_t, 128> before = info;
  EXPECT_TRUE(applyInfoMemoryFields(info.data(), all).ok);
  EXPECT_EQ(info, before);
}

TEST(InfoMemoryFields, WordRuleAndModelBytes) {
  EXPECT_EQ(readInfoWord("0x1a2b"), 0x1A2B);
  EXPECT_EQ(readInfoWord("1234"), 0x04D2);
  EXPECT_EQ(readInfoWord("0x12345"), 0x2345);
  EXPECT_EQ(readInfoWord("70000"), 70000 & 0xFFFF);
  EXPECT_EQ(readInfoWord(""), 0);
  for (const char* bad : {"12abc", "0x", "0xG1", "abc", "-1", "1 2", "0x100000000"}) {
    EXPECT_FALSE(readInfoWord(bad)) << bad;
  }
  EXPECT_EQ(readInfoSigned("-2147483648"), INT32_MIN);
  EXPECT_EQ(readInfoSigned("+65538"), 65538);
  for (const char* bad : {"2147483648", "", "-", "1e3", "0x10", "12abc"}) {
    EXPECT_FALSE(readInfoSigned(bad)) << bad;
  }

  std::array<std::uint8_t, 128> info = sampleInfo();
  const std::array<std::uint8_t, 128> before = info;
  ASSERT_TRUE(applyInfoMemoryFields(info.data(), {{"HWMODEL", "ABC"}, {"CALD", "0x12345"},
                                                  {"UNITNUM", "-2"}})
                  .ok);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&info[14]), 4), std::string("ABC\0", 4));
  EXPECT_TRUE(std::equal(info.begin() + 18, info.begin() + 30, before.begin() + 18));
  EXPECT_EQ(info[8], 0x45);
  EXPECT_EQ(info[9], 0x23);
  EXPECT_EQ((std::array<std::uint8_t, 4>{info[32], info[33], info[34], info[35]}),
            (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFE, 0xFF}));
  EXPECT_TRUE(std::equal(info.begin() + 36, info.end(), before.begin() + 36));

  // Sixteen bytes fit without terminator; seventeen, or a character with no
  // 8-bit form, are refused and nothing is written, not even the good fields.
  std::array<std::uint8_t, 128> again = before;
  EXPECT_TRUE(applyInfoMemoryFields(again.data(), {{"HWMODEL", "0123456789ABCDEF"}}).ok);
  EXPECT_EQ(again[29], 'F');
  EXPECT_EQ(again[30], before[30]);
  again = before;
  for (const auto& edits : std::vector<std::vector<std::pair<std::string, std::string>>>{
           {{"TCAL", "5"}, {"HWMODEL", "0123456789ABCDEFG"}},
           {{"TCAL", "5"}, {"HWMODEL", "\xE6\xB6\xB2"}},
           {{"TCAL", "5"}, {"HWSERIAL", "12abc"}},
           {{"TCAL", "5"}, {"NOSUCH", "1"}}}) {
    const InfoEditResult r = applyInfoMemoryFields(again.data(), edits);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.field, edits[1].first);
    EXPECT_FALSE(r.errorKey.empty());
    EXPECT_EQ(again, before);
  }
}

}  // namespace
}  // namespace ostrel

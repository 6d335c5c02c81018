#include "core/support/text_format.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(TextFormat, FillsTextsAndNumbersLikePrintf) {
  EXPECT_EQ(formatText("Version %s Started", {"5.0.0"}), "Version 5.0.0 Started");
  EXPECT_EQ(formatText("Error %d reading page", {-5}), "Error -5 reading page");
  EXPECT_EQ(formatText("%s %d.%d.%d", {"KM", 5, 1, 2}), "KM 5.1.2");
  EXPECT_EQ(formatText("%05.1f|%-4d|%x|%X|%%", {3.14159, 7, 255, 255}), "003.1|7   |ff|FF|%");
  EXPECT_EQ(formatText("%ld %I64d %hu", {1, 2, 3}), "1 2 3");
}

TEST(TextFormat, MissingArgumentsGiveEmptyTextOrZero) {
  EXPECT_EQ(formatText("%s and %s", {"one"}), "one and ");
  EXPECT_EQ(formatText("code %d, %d", {}), "code 0, 0");
  EXPECT_EQ(formatText("%s%s%s%s%s%n%p", {}), "%n%p");
}

TEST(TextFormat, MismatchedTypesAreConverted) {
  EXPECT_EQ(formatText("%d", {"42"}), "42");
  EXPECT_EQ(formatText("%s", {42}), "42");
  EXPECT_EQ(formatText("%u", {-1}), "4294967295");
}

TEST(TextFormat, HugeWidthsAreBoundedAndTrailingPercentIsKept) {
  EXPECT_LE(formatText("%999999999d", {1}).size(), 4096u);
  EXPECT_EQ(formatText("100%", {}), "100%");
  EXPECT_EQ(formatText("%c%c", {'O', 0x6DB2}), "O\xE6\xB6\xB2");
}

}  // namespace
}  // namespace ostrel

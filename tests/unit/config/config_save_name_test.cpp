// The names "Save Config File" proposes, in a real folder.

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "core/config/config_save_name.h"
#include "test_support.h"

namespace ostrel {
namespace {

std::string proposed(const test::TempDir& dir, std::string_view box) {
  const auto r = ConfigSaveName::propose(dir.path(), box);
  if (const auto* notice = std::get_if<Notice>(&r)) return "notice " + notice->key;
  return std::get<std::string>(r);
}

TEST(ConfigSaveName, ProposesTheNextFreeNumber) {
  test::TempDir dir;
  EXPECT_EQ(proposed(dir, "Tank"), "Tank[0].txt");
  EXPECT_EQ(proposed(dir, "  "), "Config[0].txt");
  // ".txt" is appended by a case-sensitive test, then the name is cut.
  EXPECT_EQ(proposed(dir, "CONFIG.TXT"), "CONFIG[0].txt");
  EXPECT_EQ(proposed(dir, ".txt"), "notice ERROR_MESSAGE56");

  test::writeBytes(dir / "Tank[3].txt", "");
  EXPECT_EQ(proposed(dir, "Tank"), "Tank[4].txt");
  EXPECT_EQ(proposed(dir, " Tank[3].txt "), "Tank[4].txt");
  // Listing ignores case; a bracket without a number counts as 0; other
  // stems, extensions and names with more after the extension do not count.
  test::writeBytes(dir / "tank[11].TXT", "");
  test::writeBytes(dir / "Tanks[40].txt", "");
  test::writeBytes(dir / "Tank[50].txt.bak", "");
  test::writeBytes(dir / "Tank[60].dat", "");
  EXPECT_EQ(proposed(dir, "Tank.txt"), "Tank[12].txt");
  test::TempDir other;
  test::writeBytes(other / "Pump[x].txt", "");
  EXPECT_EQ(proposed(other, "Pump"), "Pump[1].txt");
}

TEST(ConfigSaveName, OnlyStarAndQuestionMarkAreWild) {
  EXPECT_TRUE(ConfigSaveName::matchesPattern("TANK[7].txt", "Tank[*].txt"));
  EXPECT_TRUE(ConfigSaveName::matchesPattern("Tank[].txt", "Tank[*].txt"));
  EXPECT_FALSE(ConfigSaveName::matchesPattern("Tank7].txt", "Tank[*].txt"));
  EXPECT_TRUE(ConfigSaveName::matchesPattern("A[1].txt", "?[*].txt"));
  EXPECT_FALSE(ConfigSaveName::matchesPattern("AB[1].txt", "?[*].txt"));
  // A stem taken from the box may carry wildcards of its own.
  EXPECT_TRUE(ConfigSaveName::matchesPattern("Tank 2[1].txt", "Tank*[*].txt"));
}

}  // namespace
}  // namespace ostrel

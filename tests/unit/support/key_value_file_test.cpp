#include "core/support/key_value_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>

#include "test_support.h"

namespace ostrel {
namespace {

using test::folderNames;
using test::readBytes;
using test::TempDir;
using test::utf16FileBytes;
using test::writeBytes;

TEST(KeyValueLine, KeyValueAndIndicesFollowTheLineRules) {
  KeyValueLine l = keyvalue::SplitLine("CFGITEM[2][1] = 3|Relay");
  EXPECT_EQ(l.Key, "CFGITEM");
  EXPECT_EQ(l.Value, "3|Relay");
  EXPECT_EQ(l.Index1, 1);
  EXPECT_EQ(l.Written1, 2);
  EXPECT_EQ(l.Index2, 1);
  EXPECT_FALSE(l.Append1);
  EXPECT_FALSE(l.Append2);

  // Only spaces are trimmed: a tab before '=' stays in the key.
  l = keyvalue::SplitLine("  KEY\t=  a\tb  ");
  EXPECT_EQ(l.Key, "KEY\t");
  EXPECT_EQ(l.Value, "a\tb");

  // No index, index 0 and negative indices ask for the next free slot.
  EXPECT_TRUE(keyvalue::SplitLine("UNITS = Feet").Append1);
  EXPECT_EQ(keyvalue::SplitLine("UNITS = Feet").Index1, -1);
  EXPECT_TRUE(keyvalue::SplitLine("UNITS[0] = Feet").Append1);
  EXPECT_TRUE(keyvalue::SplitLine("UNITS[-4] = Feet").Append1);
  l = keyvalue::SplitLine("UNITS[+3] = Feet");
  EXPECT_TRUE(l.Append1);
  EXPECT_EQ(l.Index1, 2);
  l = keyvalue::SplitLine("CFGITEM[3][+] = 1|x");
  EXPECT_EQ(l.Index1, 2);
  EXPECT_TRUE(l.Append2);
  EXPECT_EQ(l.Index2, 0);

  // A key without brackets takes the first bracket of the value.
  l = keyvalue::SplitLine("UNITS = Feet [7][2]");
  EXPECT_EQ(l.Key, "UNITS");
  EXPECT_EQ(l.Index1, 6);
  EXPECT_EQ(l.Index2, 2);

  // The scan's literal "][" must follow the number directly.
  EXPECT_EQ(keyvalue::SplitLine("K[ 3 ][2] = v").Index2, 0);
  EXPECT_EQ(keyvalue::SplitLine("K[ 3][2] = v").Index1, 2);
  EXPECT_EQ(keyvalue::SplitLine("K[3] [2] = v").Index2, 0);
  // Nothing before the first '[' fails the whole scan.
  l = keyvalue::SplitLine("[3][4] = v");
  EXPECT_EQ(l.Key, "");
  EXPECT_EQ(l.Index2, 0);
  EXPECT_EQ(l.Index1, -1);
  // Huge numbers saturate rather than wrap.
  EXPECT_EQ(keyvalue::SplitLine("K[99999999999999999999] = v").Index1, INT32_MAX - 1);

  l = keyvalue::SplitLine("JUST TEXT");
  EXPECT_EQ(l.Key, "");
  EXPECT_FALSE(l.HasEquals);
  EXPECT_EQ(l.Value, "JUST TEXT");
}

TEST(SplitFields, ReadsEachItemUpToItsBar) {
  std::vector<FieldValue> f;
  EXPECT_EQ(keyvalue::SplitFields("5|Output Type", "%d|%s", f), 2);
  EXPECT_EQ(std::get<std::int32_t>(f[0]), 5);
  EXPECT_EQ(std::get<std::string>(f[1]), "Output Type");

  // Blanks inside a text field stay; integers skip leading blanks and stop
  // at the first non-digit; floating fields take exponents.
  EXPECT_EQ(keyvalue::SplitFields("  12abc| a b |2.5e1", "%d|%s|%f", f), 3);
  EXPECT_EQ(std::get<std::int32_t>(f[0]), 12);
  EXPECT_EQ(std::get<std::string>(f[1]), " a b ");
  EXPECT_DOUBLE_EQ(std::get<double>(f[2]), 25.0);

  // Missing fields at the end store 0 or empty text and are not counted.
  EXPECT_EQ(keyvalue::SplitFields("7", "%d|%s|%f|%d", f), 1);
  ASSERT_EQ(f.size(), 4u);
  EXPECT_EQ(std::get<std::string>(f[1]), "");
  EXPECT_EQ(std::get<double>(f[2]), 0.0);
  EXPECT_EQ(std::get<std::int32_t>(f[3]), 0);

  // Unreadable and out-of-range numbers.
  keyvalue::SplitFields("abc|-99999999999|1e999|-x", "%d|%d|%f|%f", f);
  EXPECT_EQ(std::get<std::int32_t>(f[0]), 0);
  EXPECT_EQ(std::get<std::int32_t>(f[1]), INT32_MIN);
  EXPECT_TRUE(std::isinf(std::get<double>(f[2])));
  EXPECT_EQ(std::get<double>(f[3]), 0.0);
}

TEST(KeyValueRead, ReadsTheFirstLineOrAnyLineOfTheKey) {
  TempDir dir;
  writeBytes(dir / "s.txt",
             "' settings\r\nUNITTYPE = KM-100\r\nUNITTYPE = g12 ' note\r\n"
             "OPTOUT = true\r\n");
  std::string dest = "untouched";
  EXPECT_FALSE(keyvalue::ReadKeyValue(dir / "s.txt", "UNITTYPE", "G12", &dest, false));
  EXPECT_EQ(dest, "KM-100");
  EXPECT_TRUE(keyvalue::ReadKeyValue(dir / "s.txt", "UNITTYPE", "G12", &dest, true));
  EXPECT_EQ(dest, "g12");
  EXPECT_TRUE(keyvalue::ReadKeyValue(dir / "s.txt", "OPTOUT", "TRUE", nullptr, false));
  EXPECT_FALSE(keyvalue::ReadKeyValue(dir / "s.txt", "PENDING", "", &dest, true));
  EXPECT_FALSE(keyvalue::ReadKeyValue(dir / "none.txt", "OPTOUT", "TRUE", &dest, true));
  EXPECT_EQ(dest, "g12");
}

TEST(KeyValueRewrite, RewritesEveryLineOfTheKeyWithoutComments) {
  TempDir dir;
  writeBytes(dir / "s.txt",
             "' header comment\r\nGUIDE = TRUE ' shown\r\n\r\nPENDING = TRUE\r\n"
             "PREF_UNITS = Feet\r\nPENDING = maybe\r\n");
  EXPECT_EQ(keyvalue::RewriteKeyValue(dir / "s.txt", "PENDING", "FALSE"), RewriteResult::Rewritten);
  EXPECT_EQ(readBytes(dir / "s.txt"),
            utf16FileBytes("GUIDE = TRUE\nPENDING = FALSE\nPREF_UNITS = Feet\nPENDING = FALSE\n"));

  // A missing key still rewrites the file (already without comments here).
  writeBytes(dir / "t.txt", "' c\r\nGUIDE = TRUE\r\n");
  EXPECT_EQ(keyvalue::RewriteKeyValue(dir / "t.txt", "PENDING", "FALSE"), RewriteResult::KeyMissing);
  EXPECT_EQ(readBytes(dir / "t.txt"), utf16FileBytes("GUIDE = TRUE\n"));

  EXPECT_EQ(keyvalue::RewriteKeyValue(dir / "absent.txt", "GUIDE", "TRUE"), RewriteResult::Failed);
  EXPECT_FALSE(std::filesystem::exists(dir / "absent.txt"));
  EXPECT_EQ(folderNames(dir.path()), (std::vector<std::string>{"s.txt", "t.txt"}));
}

TEST(KeyValueRewrite, AFailedWriteLeavesTheOriginalIntact) {
  TempDir dir;
  const std::string original =
      "GUIDE = TRUE\r\nPENDING = TRUE\r\n" + std::string(200, ' ') + "\r\n";
  writeBytes(dir / "s.txt", original);

  // Writes beyond 64 bytes fail (EFBIG instead of the signal), so the
  // UTF-16 copy cannot be completed.
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const RewriteResult result = keyvalue::RewriteKeyValue(dir / "s.txt", "PENDING", "FALSE");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_EQ(result, RewriteResult::Failed);
  EXPECT_EQ(readBytes(dir / "s.txt"), original);
  EXPECT_EQ(folderNames(dir.path()), (std::vector<std::string>{"s.txt"}));
}

TEST(KeyValueRewrite, AReadErrorLeavesTheOriginalInPlace) {
  TempDir dir;
  // The settings file is a link to a file whose reading fails with EIO; a
  // rewrite that took the lines read so far would put an empty file in the
  // link's place.
  std::filesystem::create_symlink("/proc/self/mem", dir / "s.txt");
  EXPECT_EQ(keyvalue::RewriteKeyValue(dir / "s.txt", "PENDING", "FALSE"), RewriteResult::Failed);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "s.txt"));
  EXPECT_EQ(folderNames(dir.path()), (std::vector<std::string>{"s.txt"}));
}

}  // namespace
}  // namespace ostrel

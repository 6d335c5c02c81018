#include "core/support/cstdio_file_ex.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "test_support.h"

namespace ostrel {
namespace {

using test::readBytes;
using test::RecordingPresenter;
using test::TempDir;
using test::writeBytes;

std::vector<std::string> readAll(const std::filesystem::path& path, bool* unicode = nullptr) {
  CStdioFileEx f;
  std::vector<std::string> lines;
  if (!f.Open(path, CStdioFileEx::modeRead)) return lines;
  if (unicode) *unicode = f.IsUnicode();
  std::string line;
  while (f.ReadString(line)) lines.push_back(line);
  return lines;
}

TEST(CStdioFileEx, Utf16AndWindows1252FilesReadAlike) {
  TempDir dir;
  const std::string text =
      "KEY = caf\xC3\xA9 -> \xE6\xB6\xB2\xE4\xBD\x8D\nSECOND = 20\xC2\xB0"
      "C\nlast";
  writeBytes(dir / "u16.txt", test::utf16FileBytes(text));
  writeBytes(dir / "ansi.txt",
             "KEY = caf\xE9 -> ??\r\nSECOND = 20\xB0"
             "C\r\nlast");
  bool unicode = false;
  const auto u = readAll(dir / "u16.txt", &unicode);
  EXPECT_TRUE(unicode);
  ASSERT_EQ(u.size(), 3u);
  EXPECT_EQ(u[0], "KEY = caf\xC3\xA9 -> \xE6\xB6\xB2\xE4\xBD\x8D");  // the mark is not part of it
  EXPECT_EQ(u[1],
            "SECOND = 20\xC2\xB0"
            "C");
  EXPECT_EQ(u[2], "last");
  const auto a = readAll(dir / "ansi.txt", &unicode);
  EXPECT_FALSE(unicode);
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0], "KEY = caf\xC3\xA9 -> ??");
  EXPECT_EQ(a[1], u[1]);
  EXPECT_EQ(a[2], "last");
}

TEST(CStdioFileEx, OddEndingsDoNotBreakReading) {
  TempDir dir;
  // LF-only lines, a lone mark, and a UTF-16 file with an odd trailing byte.
  writeBytes(dir / "lf.txt", "a\nb\n\nc");
  EXPECT_EQ(readAll(dir / "lf.txt"), (std::vector<std::string>{"a", "b", "", "c"}));
  writeBytes(dir / "mark.txt", "\xFF\xFE");
  EXPECT_TRUE(readAll(dir / "mark.txt").empty());
  writeBytes(dir / "odd.txt", std::string("\xFF\xFE"
                                          "A\0B\0\n",
                                          7));
  EXPECT_EQ(readAll(dir / "odd.txt"), (std::vector<std::string>{"AB"}));
}

TEST(CStdioFileEx, UnicodeCheckReportsMissingAndEmptyFiles) {
  TempDir dir;
  writeBytes(dir / "empty.txt", "");
  CStdioFileEx f;
  EXPECT_FALSE(f.Open(dir / "none.txt", CStdioFileEx::modeRead));
  EXPECT_EQ(f.LastUnicodeCheck(), CStdioFileEx::UnicodeCheck::CannotOpen);
  EXPECT_TRUE(f.Open(dir / "empty.txt", CStdioFileEx::modeRead));
  EXPECT_EQ(f.LastUnicodeCheck(), CStdioFileEx::UnicodeCheck::CannotRead);

  RecordingPresenter p;
  for (const auto check : {CStdioFileEx::UnicodeCheck::CannotOpen,
                           CStdioFileEx::UnicodeCheck::CannotRead,
                           CStdioFileEx::UnicodeCheck::Plain}) {
    showNotices(p, CStdioFileEx::UnicodeCheckNotices(check), nullptr, 0);
  }
  ASSERT_EQ(p.messages.size(), 2u);
  EXPECT_EQ(p.messages[0].text, "Error:  Cannot open file for Unicode type check.");
  EXPECT_EQ(p.messages[1].text, "Error:  Cannot read file for Unicode type check.");
  EXPECT_EQ(p.messages[1].style, unsigned{kStyleError});
}

TEST(CStdioFileEx, WritesUtf16WithMarkAndCrLf) {
  TempDir dir;
  CStdioFileEx f;
  ASSERT_TRUE(f.Open(dir / "out.txt", CStdioFileEx::modeWrite | CStdioFileEx::modeCreate |
                                          CStdioFileEx::modeWriteUnicode));
  f.WriteString("A = 1\n");
  f.WriteString("\xE6\xB6\xB2\n");
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(readBytes(dir / "out.txt"), std::string("\xFF\xFE"
                                                    "A\0 \0=\0 \0"
                                                    "1\0\r\0\n\0\xB2\x6D\r\0\n\0",
                                                    22));
}

TEST(CStdioFileEx, Writes8BitTextWithCrLf) {
  TempDir dir;
  CStdioFileEx f;
  ASSERT_TRUE(f.Open(dir / "out.txt", CStdioFileEx::modeWrite | CStdioFileEx::modeCreate));
  f.WriteString(
      "20\xC2\xB0"
      "C\n");
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(readBytes(dir / "out.txt"),
            "20\xB0"
            "C\r\n");
}

TEST(CStdioFileEx, AtomicWriteReplacesOnlyOnCloseAndKeepsPermissions) {
  TempDir dir;
  const auto target = dir / "settings.txt";
  writeBytes(target, "old");
  ::chmod(target.c_str(), 0640);
  {
    CStdioFileEx f;
    ASSERT_TRUE(f.Open(
        target, CStdioFileEx::modeWrite | CStdioFileEx::modeCreate | CStdioFileEx::modeAtomic));
    f.WriteString("new\n");
    EXPECT_EQ(readBytes(target), "old");  // nothing visible before commit
    f.Abandon();
  }
  EXPECT_EQ(readBytes(target), "old");
  {
    CStdioFileEx f;
    ASSERT_TRUE(f.Open(
        target, CStdioFileEx::modeWrite | CStdioFileEx::modeCreate | CStdioFileEx::modeAtomic));
    f.WriteString("new\n");
    // Destroyed without Close: the write was interrupted and is dropped.
  }
  EXPECT_EQ(readBytes(target), "old");
  {
    CStdioFileEx f;
    ASSERT_TRUE(f.Open(
        target, CStdioFileEx::modeWrite | CStdioFileEx::modeCreate | CStdioFileEx::modeAtomic));
    f.WriteString("new\n");
    ASSERT_TRUE(f.Close());
  }
  EXPECT_EQ(readBytes(target), "new\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // No temporary file is left beside the target.
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1);
}

TEST(CStdioFileEx, MemoryBytesReadLikeAFile) {
  CStdioFileEx f;
  ASSERT_TRUE(f.OpenBytes(test::utf16FileBytes("one\ntwo")));
  EXPECT_TRUE(f.IsUnicode());
  std::string line;
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ(line, "two");
  EXPECT_FALSE(f.ReadString(line));
  ASSERT_TRUE(f.OpenBytes(""));
  EXPECT_FALSE(f.ReadString(line));
}

}  // namespace
}  // namespace ostrel

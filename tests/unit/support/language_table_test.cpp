#include "core/support/language_table.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace ostrel {
namespace {

using test::RecordingPresenter;
using test::TempDir;
using test::writeBytes;

class LanguageTableTest : public ::testing::Test {
 protected:
  // Loads the 8-bit text (lines separated by \n, written with CR LF).
  LanguageTable load(const std::string& text) {
    std::string crlf;
    for (char c : text) {
      if (c == '\n') crlf.push_back('\r');
      crlf.push_back(c);
    }
    writeBytes(dir / "lang.txt", crlf);
    LanguageTable table;
    table.setFolder(dir.path());
    EXPECT_EQ(table.Load("lang.txt"), 0);
    return table;
  }
  std::string text(const LanguageTable& t, const std::string& key, int column = 0) {
    std::string out = "<unchanged>";
    t.Lookup(key, column, out);
    return out;
  }

  TempDir dir;
  RecordingPresenter presenter;
};

TEST_F(LanguageTableTest, ColumnsSplitAtTheFirstArrowAfterTheEqualsSign) {
  const auto t = load(
      "KEY = abc -> def\n"
      "ONE = abc\n"
      "TWO = a -> b -> c\n"
      "ARROW->KEY = x -> y\n");
  EXPECT_EQ(text(t, "KEY", 0), "abc");
  EXPECT_EQ(text(t, "KEY", 1), "def");
  EXPECT_EQ(text(t, "ONE", 1), "");
  EXPECT_EQ(text(t, "TWO", 0), "a");
  EXPECT_EQ(text(t, "TWO", 1), "b -> c");
  EXPECT_EQ(text(t, "ARROW->KEY", 1), "y");  // an arrow before '=' belongs to the key
}

TEST_F(LanguageTableTest, KeysIgnoreBracketsCommentsAndAreCaseSensitive) {
  const auto t = load(
      "' a whole-line comment\n"
      "\n"
      "   \t  \n"
      "KEY[3][1] = text\n"
      "QUOTE = it's here\n"
      "Lower = lower\n"
      "lower = other\n");
  EXPECT_EQ(t.Count(), 4);
  EXPECT_EQ(text(t, "KEY"), "text");
  EXPECT_EQ(text(t, "QUOTE"), "it");
  EXPECT_EQ(text(t, "Lower"), "lower");
  EXPECT_EQ(text(t, "lower"), "other");
  EXPECT_EQ(text(t, "LOWER"), "<unchanged>");
}

TEST_F(LanguageTableTest, FirstEntryOfAKeyWinsAndLineBreaksAreExpanded) {
  const auto t = load(
      "MSG = First sentence.\\nSecond sentence. -> A\\nB\n"
      "MSG = later\n");
  EXPECT_EQ(text(t, "MSG", 0), "First sentence.\nSecond sentence.");
  EXPECT_EQ(text(t, "MSG", 1), "A\nB");
}

TEST_F(LanguageTableTest, LineWithoutKeyIsStoredUnderTheEmptyKey) {
  const auto t = load("just some words\n");
  ASSERT_EQ(t.Count(), 1);
  EXPECT_EQ(t.Entry(0).Key, "");
  EXPECT_EQ(text(t, ""), "just some words");
}

TEST_F(LanguageTableTest, ContinuationLinesUseTheFirstLinesColumns) {
  // Column 0 starts right after '=' (position 6) and runs to the arrow.
  const auto t = load(
      "LONG = first part \\      -> one \\\n"
      "       it's second       ->  two\n"
      "SHORT = a \\\n"
      "x\n"
      "NEXT = b\n");
  EXPECT_EQ(text(t, "LONG", 0), "first part it's second");
  EXPECT_EQ(text(t, "LONG", 1), "one two");
  // A continuation line shorter than the column start adds nothing.
  EXPECT_EQ(text(t, "SHORT", 0), "a ");
  EXPECT_EQ(text(t, "NEXT", 0), "b");
}

TEST_F(LanguageTableTest, ContinuationTurnsDoubleBackslashNIntoLineBreaks) {
  const auto t = load(
      "K = one\\\n"
      "    two\\\\nthree\n");
  EXPECT_EQ(text(t, "K"), "onetwo\nthree");
}

TEST_F(LanguageTableTest, UnterminatedContinuationAtEndOfFileKeepsWhatItHas) {
  const auto t = load("K = one \\");
  EXPECT_EQ(text(t, "K"), "one ");
}

TEST_F(LanguageTableTest, OtherLanguageNumbersReadColumnZero) {
  const auto t = load("K = en -> zh\n");
  EXPECT_EQ(text(t, "K", 7), "en");
  EXPECT_EQ(text(t, "K", -1), "en");
}

TEST_F(LanguageTableTest, StopsAtCapacityAndIgnoresTheRest) {
  std::string file;
  for (int i = 0; i < 1200; ++i)
    file += "K" + std::to_string(i) + " = v" + std::to_string(i) + "\n";
  const auto t = load(file);
  EXPECT_EQ(t.Count(), LanguageTable::kCapacity);
  EXPECT_EQ(text(t, "K999"), "v999");
  EXPECT_EQ(text(t, "K1000"), "<unchanged>");
}

TEST_F(LanguageTableTest, Utf16FileGivesTheSameTableAs8BitText) {
  const std::string body = "A = alpha -> beta\nB[2] = caf\xC3\xA9\nC = x \\\n    y\n";
  writeBytes(dir / "u16.txt", test::utf16FileBytes(body));
  LanguageTable u16;
  u16.setFolder(dir.path());
  ASSERT_EQ(u16.Load("u16.txt"), 0);
  const auto ansi = load("A = alpha -> beta\nB[2] = caf\xE9\nC = x \\\n    y\n");
  ASSERT_EQ(u16.Count(), ansi.Count());
  for (int i = 0; i < ansi.Count(); ++i) {
    EXPECT_EQ(u16.Entry(i).Key, ansi.Entry(i).Key);
    EXPECT_EQ(u16.Entry(i).Texts, ansi.Entry(i).Texts);
  }
  EXPECT_EQ(u16.Entry(0).Key, "A");
}

TEST_F(LanguageTableTest, MissingFileShowsBothMessagesAndLeavesTableEmpty) {
  LanguageTable t;
  t.setFolder(dir.path());
  EXPECT_EQ(t.Load("absent.txt"), -1);
  EXPECT_EQ(t.Count(), 0);
  showNotices(presenter, t.takeNotices(), nullptr, 0);
  ASSERT_EQ(presenter.messages.size(), 2u);
  EXPECT_EQ(presenter.messages[0].text, "Error:  Cannot open file for Unicode type check.");
  EXPECT_EQ(presenter.messages[1].text, "Error:  Cannot open the Language File. \n");
}

TEST_F(LanguageTableTest, BinaryNoiseAndHugeLinesLoadWithoutHarm) {
  std::string noise;
  for (int i = 0; i < 20000; ++i) noise.push_back(static_cast<char>((i * 7919) & 0xFF));
  noise += "\n" + std::string(100000, 'x') + " = " + std::string(100000, '\\') + "\n";
  const auto t = load(noise);
  EXPECT_LE(t.Count(), LanguageTable::kCapacity);
}

}  // namespace
}  // namespace ostrel

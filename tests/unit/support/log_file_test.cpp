#include "core/support/log_file.h"

#include <gtest/gtest.h>

#include <thread>

#include "test_support.h"

namespace ostrel {
namespace {

using test::readBytes;
using test::TempDir;

std::tm at(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(LogFile, StartEntryHasTheExactLineFormat) {
  TempDir dir;
  LogFile log;
  log.setFolder(dir.path());
  log.setClock([] { return at(2011, 3, 14, 14, 5, 9); });
  ASSERT_TRUE(log.Open());
  const int n = log.LogEvent("BRIMLET", "Version %s Started", {"5.0.0"});
  const std::string expected = "03/14/11 02:05:09PM BRIMLET->Version 5.0.0 Started\r\n";
  EXPECT_EQ(readBytes(dir / "logfile.txt"), expected);
  EXPECT_EQ(n, static_cast<int>(expected.size()));
}

TEST(LogFile, TwelveHourClockAroundMidnightAndNoon) {
  EXPECT_EQ(LogFile::TimeStamp(at(2026, 12, 9, 0, 0, 1)), "12/09/26 12:00:01AM");
  EXPECT_EQ(LogFile::TimeStamp(at(2026, 1, 2, 12, 30, 0)), "01/02/26 12:30:00PM");
  EXPECT_EQ(LogFile::TimeStamp(at(2000, 7, 4, 23, 59, 59)), "07/04/00 11:59:59PM");
}

TEST(LogFile, AppendsToAnExistingFileAndNeverEmptiesIt) {
  TempDir dir;
  test::writeBytes(dir / "logfile.txt", "earlier run\r\n");
  {
    LogFile log;
    log.setFolder(dir.path());
    ASSERT_TRUE(log.Open());
    log.LogEvent("SAVECONFIG", "saved");
  }
  LogFile again;
  again.setFolder(dir.path());
  ASSERT_TRUE(again.Open());
  again.LogEvent("LOADCONFIG", "loaded");
  const std::string all = readBytes(dir / "logfile.txt");
  EXPECT_EQ(all.rfind("earlier run\r\n", 0), 0u);
  EXPECT_NE(all.find("SAVECONFIG->saved\r\n"), std::string::npos);
  EXPECT_NE(all.find("LOADCONFIG->loaded\r\n"), all.npos);
}

TEST(LogFile, LongMessagesAreCutAt511Characters) {
  TempDir dir;
  LogFile log;
  log.setFolder(dir.path());
  log.setClock([] { return at(2026, 1, 1, 9, 0, 0); });
  ASSERT_TRUE(log.Open());
  log.LogEvent("WRITETARGET", std::string(5000, 'm'));
  const std::string line = readBytes(dir / "logfile.txt");
  EXPECT_EQ(line, "01/01/26 09:00:00AM WRITETARGET->" + std::string(511, 'm') + "\r\n");
}

TEST(LogFile, MessagesAreWrittenAs8BitText) {
  TempDir dir;
  LogFile log;
  log.setFolder(dir.path());
  ASSERT_TRUE(log.Open());
  log.LogEvent("LOADCONFIG", "Config file 'Tank 20\xC2\xB0.txt' loaded");
  EXPECT_NE(readBytes(dir / "logfile.txt").find("'Tank 20\xB0.txt'"), std::string::npos);
}

TEST(LogFile, ClosedLogLosesEntriesQuietly) {
  TempDir dir;
  LogFile log;
  log.setFolder(dir / "missing-folder");
  EXPECT_FALSE(log.Open());
  EXPECT_EQ(log.LogEvent("BRIMLET", "lost"), 0);
}

TEST(LogFile, EntriesFromTwoThreadsNeverMixWithinALine) {
  TempDir dir;
  LogFile log;
  log.setFolder(dir.path());
  ASSERT_TRUE(log.Open());
  const auto writer = [&log](char c) {
    for (int i = 0; i < 500; ++i) log.LogEvent("WRITEPROGRAM", std::string(200, c));
  };
  std::thread a(writer, 'a');
  std::thread b(writer, 'b');
  a.join();
  b.join();
  const std::string all = readBytes(dir / "logfile.txt");
  std::size_t pos = 0;
  int lines = 0;
  while (pos < all.size()) {
    const std::size_t end = all.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos);
    const std::string line = all.substr(pos, end - pos);
    const std::string body = line.substr(line.find("->") + 2);
    EXPECT_TRUE(body == std::string(200, 'a') || body == std::string(200, 'b')) << line;
    pos = end + 2;
    ++lines;
  }
  EXPECT_EQ(lines, 1000);
}

TEST(LogFile, AnotherProcessHoldingTheLogKeepsItClosedHere) {
  TempDir dir;
  LogFile first;
  first.setFolder(dir.path());
  ASSERT_TRUE(first.Open());
  LogFile second;  // a separate open file description, as another process would have
  second.setFolder(dir.path());
  EXPECT_FALSE(second.Open());
}

}  // namespace
}  // namespace ostrel

#include "core/config/production_record.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/config/unit_configuration.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

TEST(ProductionRecord, LinesAppendWholeAndReadBackSince) {
  test::TempDir dir;
  const fs::path file = dir / "Logs" / "Production.csv";
  UnitConfiguration c;
  c.serial = 410237;
  c.model = "KM30-1020";
  c.firmware = "KM30-US";
  c.softwareRevision = 412;
  c.configurationIndex = 3;

  std::string error;
  ProductionEntry first = productionEntry(c, "/cfg/tank, \"east\".txt", true, "");
  first.time = "2026-12-09T23:59:59Z";
  ASSERT_TRUE(appendProductionRecord(file, first, error)) << error;
  ASSERT_TRUE(recordWrittenUnit(file, c, "/cfg/b.txt", false, "verify failed\non page 1", error));
  const std::string text = test::readBytes(file);
  EXPECT_EQ(text.substr(0, text.find("\r\n")), kProductionHeader);
  EXPECT_NE(text.find("2026-12-09T23:59:59Z,410237,KM30-1020,KM30-US,41.2,"
                      "\"/cfg/tank, \"\"east\"\".txt\",3,verified,\r\n"),
            std::string::npos);

  auto all = readProductionRecord(file, "", error);
  ASSERT_TRUE(all) << error;
  ASSERT_EQ(all->size(), 2u);
  EXPECT_EQ((*all)[0].configFile, "/cfg/tank, \"east\".txt");
  EXPECT_FALSE((*all)[1].verified);
  EXPECT_EQ((*all)[1].reason, "verify failed\non page 1");
  EXPECT_TRUE(isProductionTime((*all)[1].time));

  const auto today = readProductionRecord(file, (*all)[1].time.substr(0, 10), error);
  ASSERT_TRUE(today);
  ASSERT_EQ(today->size(), 1u);
  EXPECT_EQ(today->front().reason, "verify failed\non page 1");

  // Writers at once lose nothing: every line is there, whole.
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([&, t] {
      std::string e;
      for (int i = 0; i < 10; ++i) recordWrittenUnit(file, c, "w" + std::to_string(t), true, "", e);
    });
  }
  for (std::thread& w : writers) w.join();
  all = readProductionRecord(file, "", error);
  ASSERT_TRUE(all) << error;
  EXPECT_EQ(all->size(), 42u);

  test::writeBytes(dir / "bad.csv", "not,a,record\n");
  EXPECT_FALSE(readProductionRecord(dir / "bad.csv", "", error));
  EXPECT_FALSE(readProductionRecord(dir / "missing.csv", "", error));
  for (const char* t : {"2026-12-10", "2026-12-10T01:02:03", "2026-12-10T01:02:03Z"}) {
    EXPECT_TRUE(isProductionTime(t)) << t;
  }
  for (const char* t : {"yesterday", "2026-1-10", "2026-12-10 01:02:03", ""}) {
    EXPECT_FALSE(isProductionTime(t)) << t;
  }
}

}  // namespace
}  // namespace ostrel

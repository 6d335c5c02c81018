// "ostrelctl table" end to end in process, and the strict JSON reader it
// stands on.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "cli/json_value.h"
#include "cli/table_commands.h"
#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"
#include "test_support.h"

namespace ostrel::test {
namespace {

struct TableRun {
  int status = -1;
  std::string out;
  std::string err;
};

TableRun table(const std::string& kind, const std::string& input, std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"table", kind, "--json-in", "-"};
  args.insert(args.end(), extra.begin(), extra.end());
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  TableRun r;
  r.status = runTableCommand(args, in, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

JsonValue parsed(const TableRun& r) {
  std::string error;
  auto doc = JsonValue::parse(r.out, error);
  EXPECT_TRUE(doc.has_value()) << error << "\n" << r.out;
  return doc.value_or(JsonValue{});
}

const char* const kMetricTank = R"({
  "unitconv": [708, 59, 2322.835, 23.22835],
  "units": [[0, "Feet", 0], [1, "Inches", 0], [2, "Meters", 0], [3, "Centimeters", 0],
            [32, "Cubic Meters", 1], null, [34, "US Gallons", 0]],
  "nlunitconv": [1, 1, 1, 1, 1, 0, 0.003785411784],
  "cubicareatovol": [0.028316846592, 1.6387064e-5, 1, 1e-6, 1, 0, 264.1720524],
  "shape": "0x0100", "dimension_unit": 2, "output_unit": 32,
  "dimensions": [3.5, 3, 0, 3, 2]
})";

TEST(TableCommand, TankTableWithItsPage) {
  const TableRun r = table("tank", kMetricTank);
  ASSERT_EQ(r.status, 0) << r.err;
  const JsonValue doc = parsed(r);
  EXPECT_EQ(doc.find("MaxLevel")->number(), 6969);
  EXPECT_EQ(doc.find("Step")->number(), 29);
  EXPECT_EQ(doc.find("PointCount")->number(), 241);
  EXPECT_NEAR(doc.find("Capacity")->number(), 9.4248, 5e-5);
  EXPECT_NEAR(doc.find("FullScale")->number(), 9.4248, 5e-5);
  const auto& points = doc.find("Points")->items();
  ASSERT_EQ(points.size(), 248u);
  EXPECT_EQ(points[241].number(), 0xFFFF);

  // The page carries the same table, its scale as the printed bits say.
  const std::string& hex = doc.find("HistoryPage")->text();
  ASSERT_EQ(hex.size(), 1024u);
  TablePage::Bytes page{};
  for (std::size_t i = 0; i < page.size(); ++i) {
    page[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
  }
  VolumeTable back;
  TablePage::decode(page, back);
  for (std::size_t i = 0; i < points.size(); ++i) ASSERT_EQ(back.Points[i], points[i].number());
  const auto scale = static_cast<float>(doc.find("Scale")->number());
  std::uint32_t bits = 0;
  std::memcpy(&bits, &scale, sizeof bits);
  char expected[16];
  std::snprintf(expected, sizeof expected, "0x%08X", bits);
  EXPECT_EQ(doc.find("ScaleBits")->text(), expected);

  // A gallon run: the unit at position 6 after an empty slot.
  std::string gallons = kMetricTank;
  gallons.replace(gallons.find("\"output_unit\": 32"), 17, "\"output_unit\": 34");
  const JsonValue g = parsed(table("tank", gallons));
  EXPECT_NEAR(g.find("CapacityOrUserValue")->number(), 9.42478 * 264.1720524, 1e-3);
}

TEST(TableCommand, ModelFileSuppliesUnitsAndStructure) {
  TempDir dir;
  writeBytes(dir / "KM_Test.txt",
             "UNITS[1] = Feet\nUNITS[2] = Meters\nUNITCONV[1] = 708\nUNITCONV[2] = 2322.835\n"
             "UNITCONV[3] = 2322.835\nMINRANGE = 1\nNONLINEAR[1] = KM_TestTanks.txt\n");
  writeBytes(dir / "KM_TestTanks.txt",
             "SENSORUNITS[1] = 0|Feet|0\nSENSORUNITS[2] = 1|Meters|0\nSENSORUNITS[3] = 32|m3|1\n"
             "NLUNITCONV[1] = 1\nNLUNITCONV[2] = 1\nNLUNITCONV[3] = 1\n"
             "CUBICAREATOVOL[1] = 0.028316846592\nCUBICAREATOVOL[2] = 1\nCUBICAREATOVOL[3] = 1\n");
  const std::string model = (dir / "KM_Test.txt").string();
  const TableRun r = table("tank",
                      R"({"shape": 1280, "dimension_unit": 1, "output_unit": 32,
                          "dimensions": [1.5, 1, 0, 1]})",
                      {"--model", model});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NEAR(parsed(r).find("Capacity")->number(), 0.5236, 5e-5);  // a 1 m sphere

  // A length output takes MINRANGE (1 ft = 0.3 m here) as its lower offset.
  const TableRun length = table("tank", R"({"dimension_unit": 1, "dimensions": [3.3]})",
                           {"--model", model});
  ASSERT_EQ(length.status, 0) << length.err;
  EXPECT_EQ(parsed(length).find("MaxLevel")->number(), 6969);  // 3.0 m
  EXPECT_TRUE(parsed(length).find("FullScale")->isNull());
}

TEST(TableCommand, StrappingAndFlowRuns) {
  const TableRun strap = table("strap", R"({"unitconv": [100], "output_unit": 32,
      "dimensions": [12, 10, 0, 10], "rows": [[0, 0], [5, 100], [10, 300]]})");
  ASSERT_EQ(strap.status, 0) << strap.err;
  const JsonValue s = parsed(strap);
  EXPECT_EQ(s.find("Points")->items()[100].number(), 21845);
  EXPECT_EQ(s.find("FullScale")->number(), 300);

  // A flow at the float's edge prints its infinities as text; its scale
  // has no place in the table page, so there is no page to write.
  const TableRun flow = table("flow", R"({"shape": "0x2000", "output_unit": 64,
      "dimensions": [2, 1e10, 3e38, 2]})");
  ASSERT_EQ(flow.status, 1) << flow.err;
  const JsonValue f = parsed(flow);
  EXPECT_EQ(f.find("FlowAtMaxHead")->text(), "inf");
  EXPECT_EQ(f.find("Scale")->text(), "inf");
  EXPECT_EQ(f.find("HistoryPage"), nullptr);

  // 300 million gallons at full scale: Scale 4577.7 passes the page's
  // 2147483647 / 655350 = 3276.8. Refused with the language file's message,
  // never a page with a zeroed scale; 200 million (Scale 3051.8) still fits.
  const TableRun big = table("strap", R"({"unitconv": [100], "output_unit": 32,
      "dimensions": [12, 10, 0, 10], "rows": [[0, 0], [10, 300000000]]})");
  EXPECT_EQ(big.status, 1);
  EXPECT_EQ(parsed(big).find("HistoryPage"), nullptr);
  EXPECT_NE(big.err.find("The full value 300000000 is too large for the table of the unit"),
            std::string::npos)
      << big.err;
  EXPECT_NE(big.err.find("larger volume or flow unit"), std::string::npos) << big.err;
  const TableRun fits = table("strap", R"({"unitconv": [100], "output_unit": 32,
      "dimensions": [12, 10, 0, 10], "rows": [[0, 0], [10, 200000000]]})");
  ASSERT_EQ(fits.status, 0) << fits.err;
  // Bytes 4-7: 2000000000 = 0x77359400.
  EXPECT_EQ(parsed(fits).find("HistoryPage")->text().substr(8, 8), "00943577");

  // A table that cannot be built still prints, with its result.
  const TableRun empty = table("flow", R"({"output_unit": 64, "dimensions": [0]})");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(parsed(empty).find("result")->number(), -1);
}

TEST(TableCommand, BadInputIsRefusedWithNothingOnStdout) {
  const struct {
    const char* kind;
    const char* input;
    const char* says;
  } cases[] = {
      {"tank", "{\"shape\": 256,}", "not valid JSON: line 1, column 15"},
      {"tank", "{\"dimension\": [1]}", "unknown key \"dimension\""},
      {"tank", R"({"output_unit": 32, "dimensions": [2, 1, 0, 1, 1]})", "not in the structure"},
      {"tank", R"({"units": [[32, "m3", 1]], "output_unit": 32, "dimensions": [2, 1, 0, 1, 1]})",
       "\"nlunitconv\" has no factor at position 0"},
      {"pipe", "{}", "unknown kind 'pipe'"},
      {"flow", R"({"shape": 256})", "weir or flume"},
      {"tank", R"({"shape": "0x1G00"})", "\"shape\" must be"},
      {"tank", R"({"dimensions": [1e39]})", "does not fit a float"},
      {"tank", R"({"output_unit": 2.5})", "whole number"},
      {"strap", "{}", "needs \"rows\""},
      {"strap", R"({"rows": [[1]]})", "[level, volume]"},
      {"tank", R"({"prior_page": "00"})", "1024 hex digits"},
      {"tank", "[1, 2]", "one JSON object"},
  };
  for (const auto& c : cases) {
    const TableRun r = table(c.kind, c.input);
    EXPECT_EQ(r.status, 2) << c.input;
    EXPECT_EQ(r.out, "") << c.input;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.input << "\n" << r.err;
  }
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(runTableCommand({"table", "tank"}, in, out, err), 2);
  EXPECT_NE(err.str().find("--json-in"), std::string::npos);
}

TEST(JsonReader, RefusesWhatIsNotJson) {
  const char* const bad[] = {"",         "{",           "[1,]",        "{\"a\":1,\"a\":2}",
                             "01",       "1.",          "-",           "NaN",
                             "\"\x01\"", "\"\\ud800\"", "\"\xC0\xAF\"", "[1] [2]",
                             "tru",      "// c\n1",     "{'a':1}",     "\"\\x41\""};
  for (const char* text : bad) {
    std::string error;
    EXPECT_FALSE(JsonValue::parse(text, error).has_value()) << text;
    EXPECT_NE(error.find("line 1, column"), std::string::npos) << text << ": " << error;
  }
  std::string error;
  EXPECT_FALSE(JsonValue::parse(std::string(100000, '['), error));
  EXPECT_NE(error.find("nested too deeply"), std::string::npos);

  const auto good = JsonValue::parse(R"( {"a": [true, null, -0.5e1, "\u00e9\ud83d\ude00\n"]} )", error);
  ASSERT_TRUE(good.has_value()) << error;
  const auto& items = good->find("a")->items();
  EXPECT_EQ(items[2].number(), -5.0);
  EXPECT_EQ(items[3].text(), "\xC3\xA9\xF0\x9F\x98\x80\n");
}

}  // namespace
}  // namespace ostrel::test

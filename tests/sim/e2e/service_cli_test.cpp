// ostrelctl's service tools against a simulated unit in its own process over
// a pseudo-terminal, so what one command writes is what the next one reads:
// one word written by direct entry and read back, an information memory
// edit written and read back, and the production record of a write run.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/config_commands.h"
#include "cli/json_value.h"
#include "cli/link_commands.h"
#include "cli/service_commands.h"
#include "cli_run.h"
#include "test_support.h"
#include "unitsim_process.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using sim::test::Unitsim;

using test::CliRun;

CliRun service(const LinkOptions& o, const std::vector<std::string>& args) {
  return test::runCli(runServiceCommand, o, args);
}
CliRun link(const LinkOptions& o, const std::vector<std::string>& args) {
  return test::runCli(runLinkCommand, o, args);
}

LinkOptions over(Unitsim& sim) {
  LinkOptions o;
  o.port = sim.slavePath();
  return o;
}

std::string lineOf(const std::string& text, int n) {
  std::istringstream in(text);
  std::string line;
  for (int i = 0; i <= n && std::getline(in, line);) ++i;
  return line;
}

TEST(ServiceCli, DirectEntryIsWrittenReadBackAndDecoded) {
  Unitsim unit({"--kind", "ultrasonic"});
  const LinkOptions o = over(unit);
  const CliRun before = link(o, {"read-page", "customer", "--format", "int"});
  ASSERT_EQ(before.status, 0) << before.err;
  EXPECT_EQ(lineOf(before.out, 0), "       HEX    DEC");
  EXPECT_EQ(lineOf(before.out, 2), "001: 0x3750  14160");

  // Out of bounds: refused before the unit is touched, --yes or not.
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"poke", "customer", "256", "1", "--yes"}, {"poke", "customer", "1", "65536", "--yes"},
           {"poke", "customer", "1", "12abc", "--yes"}}) {
    const CliRun refused = service(o, args);
    EXPECT_EQ(refused.status, 1) << args[2] << " " << args[3];
    EXPECT_NE(refused.err.find("from 0 to"), std::string::npos) << refused.err;
  }
  EXPECT_EQ(link(o, {"read-page", "customer", "--format", "int"}).out, before.out);

  const CliRun poked = service(o, {"poke", "customer", "255", "65535", "--yes"});
  ASSERT_EQ(poked.status, 0) << poked.err;
  EXPECT_NE(poked.out.find("MODEL = KM30-1020"), std::string::npos) << poked.out;
  const CliRun after = link(o, {"read-page", "customer", "--format", "int"});
  EXPECT_EQ(lineOf(after.out, 256), "255: 0xFFFF  65535");
  EXPECT_EQ(lineOf(after.out, 2), "001: 0x3750  14160");
  const CliRun hex = link(o, {"read-page", "customer", "--format", "hex"});
  EXPECT_EQ(lineOf(hex.out, 32).substr(0, 62),
            "1F0: 00 00 00 00 00 00 00 00   00 00 00 00 00 00 FF FF  ......");
}

TEST(ServiceCli, InformationMemoryEditIsWrittenAndReadBack) {
  Unitsim unit({"--kind", "ultrasonic"});
  const LinkOptions o = over(unit);
  test::TempDir dir;
  ASSERT_EQ(link(o, {"read-page", "info", "--out", (dir / "before.bin").string()}).status, 0);
  const std::string before = test::readBytes(dir / "before.bin");

  for (const char* bad : {"HWSERIAL=12abc", "HWMODEL=0123456789ABCDEFG", "CALD=0x", "NOSUCH=1"}) {
    const CliRun refused = service(o, {"info-memory", "set", "TCAL=1", bad, "--yes"});
    EXPECT_EQ(refused.status, 1) << bad;
    EXPECT_FALSE(refused.err.empty());
  }
  ASSERT_EQ(link(o, {"read-page", "info", "--out", (dir / "same.bin").string()}).status, 0);
  EXPECT_EQ(test::readBytes(dir / "same.bin"), before);

  const CliRun set =
      service(o, {"info-memory", "set", "CALD=0x12345", "hwmodel=ABC", "UNITNUM=-1", "--yes"});
  ASSERT_EQ(set.status, 0) << set.err;
  LinkOptions json = o;
  json.json = true;
  const CliRun shown = service(json, {"info-memory"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  std::string error;
  const auto doc = JsonValue::parse(shown.out, error);
  ASSERT_TRUE(doc) << error;
  EXPECT_EQ(doc->find("CALD")->text(), "0x2345");
  EXPECT_EQ(doc->find("HWMODEL")->text(), "ABC");
  EXPECT_EQ(doc->find("UNITNUM")->text(), "-1");
  EXPECT_EQ(doc->find("HWSERIAL")->text(), "410237");

  ASSERT_EQ(link(o, {"read-page", "info", "--out", (dir / "after.bin").string()}).status, 0);
  const std::string after = test::readBytes(dir / "after.bin");
  ASSERT_EQ(after.size(), 128u);
  EXPECT_EQ(after.substr(14, 4), std::string("ABC\0", 4));
  // After the model's terminator, and from byte 36 on, the unit keeps its bytes.
  EXPECT_EQ(after.substr(18, 12), before.substr(18, 12));
  EXPECT_EQ(after.substr(36), before.substr(36));
  EXPECT_EQ(after.substr(0, 8), before.substr(0, 8));
}

TEST(ServiceCli, GuidedWaveInformationMemoryIsOnlyShown) {
  LinkOptions o;
  o.simulate = "guided-wave";
  const CliRun r = service(o, {"info-memory", "set", "CALD=1", "--yes"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("guided-wave"), std::string::npos) << r.err;
}

TEST(ServiceCli, AWriteRunLeavesItsLineInTheProductionRecord) {
  Unitsim unit({"--kind", "ultrasonic"});
  const LinkOptions o = over(unit);
  test::TempDir dir;
  const std::string file = (dir / "unit.txt").string();
  const std::string record = (dir / "record.csv").string();
  const CliRun read = test::runCli(runConfigCommand, o, {"config", "read", "--out", file});
  ASSERT_EQ(read.status, 0) << read.err;
  const CliRun written =
      test::runCli(runConfigCommand, o, {"config", "write", file, "--yes", "--record", record});
  ASSERT_EQ(written.status, 0) << written.err;

  LinkOptions json;
  json.json = true;
  const CliRun shown = service(json, {"record", "--file", record});
  ASSERT_EQ(shown.status, 0) << shown.err;
  std::string error;
  const auto doc = JsonValue::parse(shown.out, error);
  ASSERT_TRUE(doc) << error << shown.out;
  ASSERT_EQ(doc->items().size(), 1u);
  const JsonValue& line = doc->items()[0];
  EXPECT_EQ(line.find("serial")->text(), "410237");
  EXPECT_EQ(line.find("model")->text(), "KM30-1020");
  EXPECT_EQ(line.find("config_file")->text(), fs::absolute(file).string());
  EXPECT_TRUE(line.find("verified")->boolean());

  EXPECT_EQ(service(json, {"record", "--file", record, "--since", "2999-01-01"}).out, "[]\n");
  EXPECT_EQ(service(json, {"record", "--since", "last week"}).status, 2);
}

}  // namespace
}  // namespace ostrel

// ostrelctl config against the simulated units over a pseudo-terminal: the
// file a unit's configuration makes, read back by config show; the same file
// from the pages alone (config decode); and config diff of a unit with a file
// in other units.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/config_commands.h"
#include "cli/json_value.h"
#include "cli/link_commands.h"
#include "cli_run.h"
#include "test_support.h"
#include "unitsim_process.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using sim::test::Unitsim;

using test::CliRun;

CliRun config(const LinkOptions& options, const std::vector<std::string>& args) {
  return test::runCli(runConfigCommand, options, args);
}

CliRun linkCommand(const LinkOptions& options, const std::vector<std::string>& args) {
  return test::runCli(runLinkCommand, options, args);
}

LinkOptions port(Unitsim& sim) {
  LinkOptions o;
  o.port = sim.slavePath();
  return o;
}

// What each simulated unit holds, from its memory and parameters: a 20 ft
// installation in feet with the relay points 9, 10, 12 and 14 ft (page
// units), a 6 m radar in metres.
struct UnitValues {
  const char* kind;
  const char* model;
  int serial;
  int units;
  double sensor;
  double fill;
  std::vector<double> levels;
  std::vector<int> items;
  const char* notes;
};

const UnitValues kUnits[] = {
    {"ultrasonic", "KM30-1020", 410237, 2, 20.0, 18.0, {-1, -1, 9, 10, 12, 14}, {1, 1, 1, 1},
     "Tank 7, east yard - simulated unit"},
    {"guided-wave", "KM50-2410", 520114, 2, 20.0, 18.0, {-1, -1, 9, 10, 12, 14}, {1, 1, 1, 1},
     "Tank 7, east yard - simulated unit"},
    // The U-type keeps its relay points as counts, which the simulator leaves 0.
    {"u-type", "KM40-1130", 630052, 2, 20.0, 18.0, {-1, -1, -1, -1, 0, 0}, {1, 1, 1},
     "Tank 7, east yard - simulated unit"},
    {"pulse-radar", "KM70-2610", 710244, 1, 6.0, 5.2, {-1, -1, -1, -1, -1, -1}, {1, 1}, ""},
};

double number(const JsonValue& doc, const char* key) {
  const JsonValue* v = doc.find(key);
  EXPECT_TRUE(v != nullptr && v->isNumber()) << key;
  return v != nullptr ? v->number() : 0.0;
}

TEST(ConfigCli, ReadFromEachKindOfUnitShowsBackTheUnitsValues) {
  test::TempDir dir;
  for (const UnitValues& u : kUnits) {
    SCOPED_TRACE(u.kind);
    Unitsim sim({"--kind", u.kind});
    const fs::path file = dir / (std::string(u.kind) + ".txt");
    CliRun r = config(port(sim), {"config", "read", "--out", file.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::readBytes(file).substr(0, 2), std::string("\xFF\xFE", 2));

    // The model file is found from the file's MODEL, as for a unit.
    r = config(LinkOptions{}, {"config", "show", file.string(), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string error;
    const auto doc = JsonValue::parse(r.out, error);
    ASSERT_TRUE(doc) << error << '\n' << r.out;
    EXPECT_EQ(doc->find("MODEL")->text(), u.model);
    EXPECT_EQ(number(*doc, "SERIAL"), u.serial);
    EXPECT_EQ(number(*doc, "UNITS"), u.units);
    EXPECT_EQ(number(*doc, "OUTPUT"), u.units);
    EXPECT_EQ(number(*doc, "NLTYPE"), 0xFFFF);
    EXPECT_DOUBLE_EQ(number(*doc, "SENSORHEIGHT"), u.sensor);
    EXPECT_DOUBLE_EQ(number(*doc, "FILLHEIGHT"), u.fill);
    EXPECT_EQ(doc->find("TANK DESCRIPTION")->text(), u.notes);
    EXPECT_GE(number(*doc, "CONFIGINDEX"), 0);
    const auto& levels = doc->find("LEVEL")->items();
    ASSERT_EQ(levels.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(levels[i].number(), u.levels[i]) << i;
    const auto& items = doc->find("CONFIG")->items();
    for (std::size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(items[i].number(), i < u.items.size() ? u.items[i] : -1) << "CONFIG " << i;
    }
    if (std::string(u.kind) == "pulse-radar") {
      EXPECT_DOUBLE_EQ(number(*doc, "DEADBAND"), 0.3);
      EXPECT_DOUBLE_EQ(number(*doc, "RANGE"), 10.0);
      EXPECT_EQ(number(*doc, "TYPEOFMEDIUM"), 1);
      EXPECT_EQ(number(*doc, "DAMPINGTIME"), 6);
    }
    EXPECT_EQ(sim.finish(SIGTERM), 0);
  }
}

// The file without its identity lines (decode has no unit to identify).
std::string settings(const std::string& text) {
  const std::size_t at = text.find("\n'Configuration Settings");
  return at == std::string::npos ? std::string() : text.substr(at);
}

TEST(ConfigCli, DecodeOfThePagesGivesTheFileReadFromTheUnit) {
  test::TempDir dir;
  const struct {
    const char* kind;
    const char* modelFile;
  } kinds[] = {{"ultrasonic", "KM30_Ultrasonic.txt"},
               {"guided-wave", "KM50_GuidedWave.txt"},
               {"u-type", "KM40_UType.txt"}};
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.kind);
    Unitsim sim({"--kind", k.kind});
    const std::string customer = (dir / "customer.bin").string();
    const std::string history = (dir / "history.bin").string();
    ASSERT_EQ(linkCommand(port(sim), {"read-page", "customer", "--out", customer}).status, 0);
    ASSERT_EQ(linkCommand(port(sim), {"read-page", "history", "--out", history}).status, 0);
    const CliRun read = config(port(sim), {"config", "read"});
    ASSERT_EQ(read.status, 0) << read.err;
    const std::string model = (test::sourceDataDir() / "Models" / k.modelFile).string();
    const CliRun decoded = config(LinkOptions{}, {"config", "decode", "--model", model, customer, history});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    ASSERT_FALSE(settings(read.out).empty()) << read.out;
    EXPECT_EQ(settings(decoded.out), settings(read.out));
    EXPECT_NE(decoded.out.find(std::string("MDL FILE NAME = ") + k.modelFile), std::string::npos);
    EXPECT_EQ(sim.finish(SIGTERM), 0);
  }
}

TEST(ConfigCli, DecodeRefusesAPageWithoutAMatchedConfiguration) {
  test::TempDir dir;
  // Item words the model's choices do not carry: no configuration matches.
  std::string page(512, '\0');
  page[22] = 0x7F;
  test::writeBytes(dir / "page.bin", page);
  const std::string model = (test::sourceDataDir() / "Models" / "KM30_Ultrasonic.txt").string();
  const CliRun r = config(LinkOptions{}, {"config", "decode", "--model", model,
                                       (dir / "page.bin").string(), "--out",
                                       (dir / "out.txt").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not complete"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "out.txt"));
}

TEST(ConfigCli, DiffComparesInTheFilesUnits) {
  test::TempDir dir;
  Unitsim sim({"--kind", "ultrasonic"});
  const CliRun read = config(port(sim), {"config", "read"});
  ASSERT_EQ(read.status, 0) << read.err;
  test::writeBytes(dir / "same.txt", read.out);
  CliRun r = config(port(sim), {"config", "diff", (dir / "same.txt").string()});
  EXPECT_EQ(r.status, 0) << r.out << r.err;

  // The same installation in metres (20 ft = 6.096 m, 18 ft = 5.4864 m,
  // 10, 12 and 14 ft = 3.048, 3.658 and 4.267 m at three decimals), but the
  // low alarm at 3 m instead of 9 ft = 2.743 m.
  std::string metres = read.out;
  for (const auto& [from, to] :
       std::vector<std::pair<std::string, std::string>>{{"UNITS = 2", "UNITS = 3"},
                                                        {"SENSORHEIGHT = 20.0", "SENSORHEIGHT = 6.096"},
                                                        {"FILLHEIGHT = 18.0", "FILLHEIGHT = 5.486"},
                                                        {"LEVEL[5] = 14.0", "LEVEL[5] = 4.267"},
                                                        {"LEVEL[4] = 12.0", "LEVEL[4] = 3.658"},
                                                        {"LEVEL[3] = 10.0", "LEVEL[3] = 3.048"},
                                                        {"LEVEL[2] = 9.0", "LEVEL[2] = 3.0"}}) {
    const std::size_t at = metres.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    metres.replace(at, from.size(), to);
  }
  test::writeBytes(dir / "metres.txt", metres);
  r = config(port(sim), {"config", "diff", (dir / "metres.txt").string(), "--json"});
  EXPECT_EQ(r.status, 1) << r.err;
  std::string error;
  const auto doc = JsonValue::parse(r.out, error);
  ASSERT_TRUE(doc) << error << '\n' << r.out;
  EXPECT_FALSE(doc->find("equal")->boolean());
  std::vector<std::string> keys;
  for (const JsonValue& d : doc->find("differences")->items()) {
    std::string key = d.find("key")->text();
    if (const JsonValue* i = d.find("index")) key += "[" + std::to_string(static_cast<int>(i->number())) + "]";
    keys.push_back(key);
    if (key == "LEVEL[2]") {
      EXPECT_DOUBLE_EQ(d.find("file")->number(), 3.0);
      EXPECT_DOUBLE_EQ(d.find("unit")->number(), 2.743);
    }
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"UNITS", "LEVEL[2]", "OUTPUT"})) << r.out;

  // A file of another model cannot be compared.
  std::string other = read.out;
  other.replace(other.find("KM30-1020"), 9, "KM50-2410");
  test::writeBytes(dir / "other.txt", other);
  r = config(port(sim), {"config", "diff", (dir / "other.txt").string()});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("another model"), std::string::npos) << r.err;
  EXPECT_EQ(sim.finish(SIGTERM), 0);
}

void putFloat(std::string& page, std::size_t at, float v) { std::memcpy(&page[at], &v, 4); }

TEST(ConfigCli, ATankUnitsFileCarriesItsShapeAndDiffSeesItsDimensions) {
  test::TempDir dir;
  std::string page;
  {
    Unitsim plain({"--kind", "ultrasonic"});
    const std::string customer = (dir / "customer.bin").string();
    ASSERT_EQ(linkCommand(port(plain), {"read-page", "customer", "--out", customer}).status, 0);
    page = test::readBytes(customer);
  }
  ASSERT_EQ(page.size(), 512u);
  // A vertical cylinder 18 ft high and 10 ft across under a 1 ft riser, the
  // relay points in US gallons (float copies at words 76, 78, 80, 88).
  page[102] = 0x00;
  page[103] = 0x01;
  page[150] = 32;
  page[151] = 0;
  putFloat(page, 114, 1.0f);
  putFloat(page, 118, 18.0f);
  putFloat(page, 122, 10.0f);
  putFloat(page, 152, 9000.0f);
  putFloat(page, 156, 1000.0f);
  putFloat(page, 160, 8000.0f);
  putFloat(page, 176, 2000.0f);
  fs::create_directories(dir / "image");
  test::writeBytes(dir / "image" / "customer.bin", page);

  Unitsim sim({"--kind", "ultrasonic", "--image", (dir / "image").string()});
  const CliRun read = config(port(sim), {"config", "read"});
  ASSERT_EQ(read.status, 0) << read.err;
  for (const char* line : {"  NLTYPE = 256\t\t' Vertical Cylinder\n", "  OUTPUT = 32\t\t' US Gallons\n",
                           "  D[2] = 1.0\t\t' Riser Height\n", "  D[4] = 10.0\t\t' Diameter (D)\n",
                           "  LEVEL[5] = 9000.0\t' Alarm High\n", "  LEVEL[3] = 2000.0\t' Relay 3 Off\n"}) {
    EXPECT_NE(read.out.find(line), std::string::npos) << line << read.out;
  }
  test::writeBytes(dir / "tank.txt", read.out);
  EXPECT_EQ(config(port(sim), {"config", "diff", (dir / "tank.txt").string()}).status, 0);

  std::string wider = read.out;
  wider.replace(wider.find("D[4] = 10.0"), 11, "D[4] = 10.5");
  wider.replace(wider.find("LEVEL[5] = 9000.0"), 17, "LEVEL[5] = 9100.0");
  test::writeBytes(dir / "wider.txt", wider);
  const CliRun r = config(port(sim), {"config", "diff", (dir / "wider.txt").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "LEVEL[5]: file 9100.0, unit 9000.0\nD[4]: file 10.5, unit 10.0\n");

  // 1550 ft across: some 254 million gallons, a Scale the table page cannot
  // hold (it would go out as 0 and every volume read 0). Check names it,
  // encode makes no pages, write leaves the unit as it was.
  std::string huge = read.out;
  huge.replace(huge.find("D[4] = 10.0"), 11, "D[4] = 1550");
  test::writeBytes(dir / "huge.txt", huge);
  const CliRun checked = config(LinkOptions{}, {"config", "check", (dir / "huge.txt").string()});
  EXPECT_EQ(checked.status, 1);
  EXPECT_EQ(checked.out.rfind("error: Value out of range:\nThe full value ", 0), 0u) << checked.out;
  EXPECT_NE(checked.out.find("is too large for the table of the unit.\nChoose a larger volume or "
                             "flow unit.\n"),
            std::string::npos)
      << checked.out;
  const CliRun encoded =
      config(LinkOptions{}, {"config", "encode", (dir / "huge.txt").string(), "--customer",
                             (dir / "x.bin").string(), "--table", (dir / "y.bin").string()});
  EXPECT_EQ(encoded.status, 1);
  EXPECT_FALSE(fs::exists(dir / "y.bin"));
  const std::string tableBefore = (dir / "before.bin").string();
  ASSERT_EQ(linkCommand(port(sim), {"read-page", "history", "--out", tableBefore}).status, 0);
  ASSERT_EQ(setenv("OSTREL_HOME", dir.path().c_str(), 1), 0);  // the write's log
  EXPECT_EQ(config(port(sim), {"config", "write", (dir / "huge.txt").string()}).status, 1);
  unsetenv("OSTREL_HOME");
  const std::string tableAfter = (dir / "after.bin").string();
  ASSERT_EQ(linkCommand(port(sim), {"read-page", "history", "--out", tableAfter}).status, 0);
  EXPECT_EQ(test::readBytes(tableAfter), test::readBytes(tableBefore));
  EXPECT_EQ(sim.finish(SIGTERM), 0);
}


// A level read from a file reaches the table count as the double it is:
// KM30 in centimetres, sensor at 284.7 cm over MINRANGE 24.4 cm gives the
// linear table Scale 260.3 / 65535 (2603 / 655350 on the table page), and
// the high alarm at 142.6 cm is point 35901 (as a float, 35902).
TEST(ConfigCli, ALevelFromAFileKeepsItsDoubleToTheTableCount) {
  test::TempDir dir;
  test::writeBytes(dir / "level.txt",
                   "  MODEL = KM30\r\n  FIRMWARE = KM30-U\r\n  MDL FILE NAME = KM30_Ultrasonic.txt\r\n"
                   "  CONFIG[0] = 1\r\n  CONFIG[1] = 1\r\n  CONFIG[2] = 1\r\n  CONFIG[3] = 1\r\n"
                   "  UNITS = 1\r\n  SENSORHEIGHT = 284.7\r\n  FILLHEIGHT = 250.0\r\n"
                   "  LEVEL[5] = 142.6\r\n  LEVEL[4] = 120.0\r\n  LEVEL[3] = 50.0\r\n"
                   "  LEVEL[2] = 30.0\r\n'End of File\r\n");
  const CliRun r = config(LinkOptions{}, {"config", "encode", (dir / "level.txt").string(),
                                          "--customer", (dir / "c.bin").string(), "--table",
                                          (dir / "t.bin").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string table = test::readBytes(dir / "t.bin");
  const std::string customer = test::readBytes(dir / "c.bin");
  ASSERT_EQ(table.size(), 512u);
  ASSERT_EQ(customer.size(), 512u);
  const auto byte = [](const std::string& b, std::size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(b[i]));
  };
  EXPECT_EQ(byte(table, 4) | byte(table, 5) << 8 | byte(table, 6) << 16, 2603u);
  EXPECT_EQ(byte(customer, 52) | byte(customer, 53) << 8, 35901u);  // word 26, Alarm High
}

// Each model's factory file written to a unit of its kind: the unit then
// holds exactly the pages config encode makes from the file over what the
// unit held before, config diff finds nothing between unit and file, and
// the tool's log has the write. A value check error writes nothing.
TEST(ConfigCli, WriteOfEachFactoryFileIsWhatEncodeMakesAndDiffFindsItEqual) {
  test::TempDir home;
  ASSERT_EQ(setenv("OSTREL_HOME", home.path().c_str(), 1), 0);
  struct Case {
    const char* kind;
    const char* factory;
    bool pages;
  };
  for (const Case& k : {Case{"ultrasonic", "KM30_Factory.txt", true},
                        Case{"guided-wave", "KM50_Factory.txt", true},
                        Case{"u-type", "KM40_Factory.txt", true},
                        Case{"pulse-radar", "KM70_Factory.txt", false}}) {
    SCOPED_TRACE(k.kind);
    Unitsim sim({"--kind", k.kind});
    const std::string file = (test::sourceDataDir() / "Configs" / k.factory).string();
    const auto path = [&](const char* name) { return (home / (std::string(k.kind) + name)).string(); };
    if (k.pages) {
      ASSERT_EQ(linkCommand(port(sim), {"read-page", "customer", "--out", path("-before.bin")}).status, 0);
      ASSERT_EQ(linkCommand(port(sim), {"read-page", "history", "--out", path("-beforeT.bin")}).status, 0);
    }
    CliRun r = config(port(sim), {"config", "write", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "written to 1 unit\n");
    if (k.pages) {
      ASSERT_EQ(linkCommand(port(sim), {"read-page", "customer", "--out", path("-after.bin")}).status, 0);
      ASSERT_EQ(linkCommand(port(sim), {"read-page", "history", "--out", path("-afterT.bin")}).status, 0);
      r = config(LinkOptions{}, {"config", "encode", file, "--prior", path("-before.bin"),
                                 "--prior-table", path("-beforeT.bin"), "--customer",
                                 path("-enc.bin"), "--table", path("-encT.bin")});
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(test::readBytes(path("-enc.bin")), test::readBytes(path("-after.bin")));
      EXPECT_EQ(test::readBytes(path("-encT.bin")), test::readBytes(path("-afterT.bin")));
    }
    r = config(port(sim), {"config", "diff", file});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
  }
  const std::string logged = test::readBytes(home / "Logs" / "logfile.txt");
  EXPECT_NE(logged.find("WRITETARGET->Successful Write:"), std::string::npos);
  EXPECT_NE(logged.find("WRITETARGET->  MODEL = KM50-2410"), std::string::npos);

  // A sensor height beyond the model's: check names it, encode and write refuse.
  std::string text = test::readBytes(test::sourceDataDir() / "Configs" / "KM30_Factory.txt");
  const std::string from = test::utf16FileBytes("SENSORHEIGHT = 20.0");
  const auto at = text.find(from.substr(2));
  ASSERT_NE(at, std::string::npos);
  text.replace(at, from.size() - 2, test::utf16FileBytes("SENSORHEIGHT = 31.0").substr(2));
  const std::string bad = (home / "TooHigh.txt").string();
  test::writeBytes(bad, text);
  CliRun r = config(LinkOptions{}, {"config", "check", bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("error: Value out of range:\nSensor Height: value above the maximum of 30.000.", 0), 0u) << r.out;
  r = config(LinkOptions{}, {"config", "encode", bad, "--customer", (home / "x.bin").string(),
                             "--table", (home / "y.bin").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(fs::exists(home / "x.bin"));
  Unitsim sim({"--kind", "ultrasonic"});
  r = config(port(sim), {"config", "write", bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  unsetenv("OSTREL_HOME");
}

}  // namespace
}  // namespace ostrel

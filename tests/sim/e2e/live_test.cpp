// The live page's stream against the simulated units: the stream worker's
// life over a page that is left and entered again, and ostrelctl live, echo
// and radar echo-curve over a unit whose level moves.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "cli/config_commands.h"
#include "cli/json_value.h"
#include "cli/live_commands.h"
#include "core/diag/stream_controller.h"
#include "core/link/unit_link.h"
#include "sim/level_profile.h"
#include "sim/page_unit.h"
#include "sim/simulated_cable_driver.h"
#include "cli_run.h"
#include "test_support.h"
#include "unitsim_process.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

TEST(LiveStream, LeavingAndEnteringThreeTimesLeavesOneWorkerAndAClosedLink) {
  sim::PageUnit::Options options;
  options.streamPeriod = 20ms;
  auto unit = std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic, options);
  sim::SimulatedCableDriver driver(unit);
  UnitLink::Timing timing;
  timing.listenMs = 500;
  UnitLink link(driver, timing);
  std::vector<std::string> cables;
  ASSERT_EQ(link.EnumerateCables(cables, 0x10C4, 0x807F), 1);
  link.SetTargetProduct(cables.back());
  {
    StreamController::Timing fast;
    fast.leaveMs = 10;
    fast.pollMs = 10;
    StreamController stream(link, fast);
    FrameQueue queue;
    for (int entry = 1; entry <= 3; ++entry) {
      SCOPED_TRACE(entry);
      // Another page used the link in between: it is open and identified.
      ASSERT_EQ(link.Connect(), 0);
      ASSERT_EQ(stream.start(false, queue.sink()), 0);
      EXPECT_EQ(stream.lastCommandResult(), 0) << "the stream command went out";
      // Activated twice (a re-entered slot) without leaving: still one worker.
      EXPECT_EQ(stream.start(false, queue.sink()), 0);
      EXPECT_EQ(stream.workersStarted(), entry);
      EXPECT_TRUE(stream.running());
      const auto item = queue.pop(3s);
      ASSERT_TRUE(item.has_value()) << "no frame arrived";
      EXPECT_EQ(item->code, 6);
      EXPECT_EQ(item->frame[0], 0xA5);

      stream.stop(true);
      EXPECT_FALSE(stream.running());
      EXPECT_FALSE(link.StreamRunning()) << "the reader ended before the link closed";
      EXPECT_FALSE(link.IsOpen());
    }
  }
  // Leaving with the link already closed and no worker is harmless.
  StreamController idle(link);
  idle.stop(false);
  EXPECT_FALSE(link.IsOpen());
}

TEST(LiveStream, StopRightAfterStartEndsTheWorker) {
  // A stop request that comes before the worker has begun reading must not
  // be lost when the reader starts.
  auto unit = std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic);
  sim::SimulatedCableDriver driver(unit);
  UnitLink link(driver);
  std::vector<std::string> cables;
  ASSERT_EQ(link.EnumerateCables(cables, 0x10C4, 0x807F), 1);
  link.SetTargetProduct(cables.back());
  StreamController::Timing fast;
  fast.pollMs = 5;
  StreamController stream(link, fast);
  for (int i = 0; i < 8; ++i) {
    stream.start(false, nullptr);
    stream.stop(false);
    ASSERT_FALSE(stream.running());
  }
  EXPECT_EQ(stream.workersStarted(), 8);
}

// The frames a unit streams, decoded by the live page's model.
struct StreamedUnit {
  explicit StreamedUnit(sim::PageUnit::Options options)
      : unit(std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic, options)),
        driver(unit),
        link(driver) {
    std::vector<std::string> cables;
    link.EnumerateCables(cables, 0x10C4, 0x807F);
    link.SetTargetProduct(cables.back());
  }
  StreamController::Frame next() {
    EXPECT_EQ(link.Connect(), 0);
    FrameQueue queue;
    StreamController stream(link);
    stream.start(false, queue.sink());
    const auto item = queue.pop(3s);
    stream.stop(false);
    EXPECT_TRUE(item.has_value());
    return item ? item->frame : StreamController::Frame{};
  }
  std::shared_ptr<sim::PageUnit> unit;
  sim::SimulatedCableDriver driver;
  UnitLink link;
};

TEST(LiveStream, InvertDemoUnitsSendTableCountsAndStateBits) {
  sim::PageUnit::Options options;
  options.invertDemo = true;
  StreamedUnit s(options);
  // A table of one point every 100 level counts, point i = 10 i.
  auto memories = s.unit->memories();
  memories.history.fill(0);
  memories.history[10] = 100;
  for (std::size_t i = 0; i < 248; ++i) memories.history[16 + 2 * i] = static_cast<std::uint8_t>(10 * i);
  s.unit->setMemories(memories);
  s.unit->setFixedLevel(250);
  StreamController::Frame f = s.next();
  EXPECT_EQ(f[2] + 256 * f[3], 25) << "halfway between points 2 and 3";
  EXPECT_EQ(f[4] & 0x30, 0x30) << "measured";

  options.fixedFraction = 1.0;
  StreamedUnit full(options);
  EXPECT_EQ(full.next()[4] & 0x30, 0x10);
  options.invertDemo = false;
  StreamedUnit plainFull(options);
  f = plainFull.next();
  EXPECT_EQ(f[2] + 256 * f[3], 1) << "raw 1 is FULL";
  options.fixedFraction = 0.0;
  StreamedUnit plainEmpty(options);
  f = plainEmpty.next();
  EXPECT_EQ(f[2] + 256 * f[3], 2) << "raw 2 is EMPTY";
}

TEST(LevelProfile, PinsOrPacesTheSimulatedLevel) {
  std::string error;
  const auto fixed = sim::LevelProfile::parse("fixed:50", &error);
  ASSERT_TRUE(fixed) << error;
  sim::PageUnit::Options options;
  options.fixedFraction = fixed->fixedFraction;
  auto unit = std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic, options);
  // Half of the 18 ft fill height in counts of 708 per foot, at any time.
  EXPECT_EQ(unit->levelAt(sim::PageUnit::Clock::now()), 9 * 708);
  EXPECT_EQ(unit->levelAt(sim::PageUnit::Clock::now() + 40s), 9 * 708);

  const auto moving = sim::LevelProfile::parse("moving:20", &error);
  ASSERT_TRUE(moving) << error;
  EXPECT_DOUBLE_EQ(moving->fraction(0s), 0.40);
  EXPECT_DOUBLE_EQ(moving->fraction(10s), 0.85);
  EXPECT_NEAR(moving->fraction(20s), 0.40, 1e-12);
  for (const char* bad : {"fixed:101", "moving:0", "moving:", "steady:5", "fixed:5x", "5"}) {
    EXPECT_FALSE(sim::LevelProfile::parse(bad, &error)) << bad;
  }
}

using test::CliRun;

CliRun live(const LinkOptions& o, const std::vector<std::string>& args) {
  return test::runCli(runLiveCommand, o, args);
}

std::vector<JsonValue> jsonLines(const std::string& text) {
  std::vector<JsonValue> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::string error;
    auto v = JsonValue::parse(line, error);
    EXPECT_TRUE(v.has_value()) << error << ": " << line;
    if (v) lines.push_back(std::move(*v));
  }
  return lines;
}

// A pump-down configuration of the ultrasonic unit (20 ft sensor, 18 ft
// fill): relay 1 on at 12 ft and off at 10 ft, relay 2 on at 14, off at 11.
constexpr const char* kPumpDown =
    "'Configuration File for:\n"
    "  MODEL = KM30-1020\n"
    "  SERIAL = 410237\n"
    "  FIRMWARE = KM30-U\n"
    "  SW REV = 412\n"
    "  MDL FILE NAME = KM30_Ultrasonic.txt\n"
    "\n"
    "'Configuration Settings -\n"
    "  CONFIG[0] = 2\n"
    "  CONFIG[1] = 1\n"
    "  CONFIG[2] = 1\n"
    "  CONFIG[3] = 1\n"
    "\n"
    "'Unit Setting -\n"
    "  UNITS = 2\n"
    "\n"
    "'Levels -\n"
    "  SENSORHEIGHT = 20.0\n"
    "  FILLHEIGHT = 18.0\n"
    "  LEVEL[5] = 14.0\n"
    "  LEVEL[4] = 12.0\n"
    "  LEVEL[3] = 11.0\n"
    "  LEVEL[2] = 10.0\n"
    "\n"
    "'End of File\n";

TEST(LiveCli, RelayOneSwitchesWhereTheWrittenConfigurationSetsIt) {
  test::TempDir dir;
  // One rise from 7.2 ft to 15.3 ft and fall back every 16 s.
  sim::test::Unitsim unitsim({"--kind", "ultrasonic", "--level-profile", "moving:16"});
  LinkOptions o;
  o.port = unitsim.slavePath();
  ASSERT_FALSE(o.port.empty());
  const auto file = dir / "pumpdown.txt";
  std::ofstream(file) << kPumpDown;
  const CliRun write =
      test::runCli(runConfigCommand, o, {"config", "write", file.string(), "--yes"});
  ASSERT_EQ(write.status, 0) << write.err;

  const CliRun r = live(o, {"live", "--seconds", "17", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<JsonValue> frames = jsonLines(r.out);
  ASSERT_GT(frames.size(), 80u) << "about ten frames a second";
  bool sawOn = false;
  bool sawOff = false;
  bool previous = false;
  std::set<std::string> switchedAt;
  for (const JsonValue& f : frames) {
    std::vector<std::string> keys;
    for (const auto& [k, v] : f.members()) keys.push_back(k);
    ASSERT_EQ(keys, (std::vector<std::string>{"state", "level", "distance", "relays", "sum_ok"}));
    EXPECT_EQ(f.find("state")->text(), "measurement");
    EXPECT_TRUE(f.find("sum_ok")->boolean());
    const double level = std::stod(f.find("level")->text());
    const double distance = std::stod(f.find("distance")->text());
    EXPECT_NEAR(level + distance, 20.0, 0.11);
    bool relay1 = false;
    for (const JsonValue& n : f.find("relays")->items()) relay1 = relay1 || n.number() == 1;
    if (level >= 12.1) {
      EXPECT_TRUE(relay1) << level;
    }
    if (level <= 9.9) {
      EXPECT_FALSE(relay1) << level;
    }
    if (relay1 != previous) switchedAt.insert(f.find("level")->text());
    sawOn = sawOn || relay1;
    sawOff = sawOff || !relay1;
    previous = relay1;
  }
  EXPECT_TRUE(sawOn);
  EXPECT_TRUE(sawOff);
  EXPECT_GE(switchedAt.size(), 1u);
}

TEST(LiveCli, FramesCountLinesAndEchoCommandsShowThePagesTexts) {
  test::TempDir dir;
  LinkOptions o;
  o.simulate = "ultrasonic";
  CliRun r = live(o, {"live", "--frames", "4", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(jsonLines(r.out).size(), 4u) << r.out;

  const auto csv = dir / "echo.csv";
  r = live(o, {"echo", "record", "--json", "--csv", csv.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string error;
  const auto doc = JsonValue::parse(r.out, error);
  ASSERT_TRUE(doc) << error;
  // The simulated unit starts at 40 % of its 18 ft fill height.
  EXPECT_EQ(doc->find("level")->text(), "00007.2");
  EXPECT_EQ(doc->find("distance")->text(), "00012.8");
  EXPECT_EQ(doc->find("samples")->items().size(), 1021u);
  std::ifstream in(csv);
  std::string header;
  std::getline(in, header);
  EXPECT_EQ(header, "word,amplitude");

  r = live(o, {"echo", "erase-scan"});
  EXPECT_EQ(r.status, 0) << r.err;
  r = live(o, {"echo", "sideways"});
  EXPECT_EQ(r.status, 2);

  o.simulate = "pulse-radar";
  r = live(o, {"radar", "echo-curve", "--curves", "envelope", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto curves = JsonValue::parse(r.out, error);
  ASSERT_TRUE(curves) << error;
  const JsonValue* c = curves->find("curves");
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->members().size(), 1u);
  EXPECT_EQ(c->members()[0].first, "envelope");
  EXPECT_GT(c->find("envelope")->find("count")->number(), 10);
}

}  // namespace
}  // namespace ostrel

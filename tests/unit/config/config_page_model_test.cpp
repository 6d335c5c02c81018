// The configuration page without widgets, on the shipped models: what the
// item lists offer and select by themselves, the status line and buttons as
// the selections grow, the level rows, units changes, a save and open
// through the Configs folder, activation from a simulated unit's pages and
// the service commands.

#include "core/config/config_page_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/config/production_record.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/link/pulse_protocol.h"
#include "core/support/log_file.h"
#include "sim/page_unit.h"
#include "sim_link_session.h"
#include "shipped_model.h"
#include "sim/memory_generator.h"
#include "test_support.h"

namespace ostrel {
namespace {

class RecordingView final : public ConfigPageView {
 public:
  void changed(PagePart part) override { ++counts[part]; }
  int count(PagePart part) const {
    const auto it = counts.find(part);
    return it == counts.end() ? 0 : it->second;
  }
  std::map<PagePart, int> counts;
};

// KM30: item 0 relay function (1 alarms and pump down ... 5 independent,
// 6 relays off), item 1 loop span (2 choices), item 2 failsafe and item 3
// display (3 choices each).
constexpr int kRelayFunction = 0, kLoopSpan = 1, kFailsafe = 2, kDisplay = 3;
constexpr int kAlarmsAndPumpDown = 1, kIndependent = 5, kRelaysOff = 6;

struct Page {
  explicit Page(const std::string& modelFile, bool sample = false)
      : records(test::shippedModel(modelFile)) {
    config.model = modelFile.substr(0, 4) + "-2410";
    config.serial = 30517;
    ConfigPageServices s;
    s.records = records.get();
    s.presenter = &presenter;
    s.configsFolder = configs.path();
    s.drawingsFolder = configs.path();
    s.modelsFolder = test::sourceDataDir() / "Models";
    s.now = [] {
      std::tm day{};
      day.tm_year = 126;
      day.tm_mon = 11;
      day.tm_mday = 9;
      return day;
    };
    model = std::make_unique<ConfigPageModel>(config, s);
    model->setView(&view);
    model->setSampleMode(sample);
    model->activate();
  }
  std::string text(const char* key) const { return records->Language.Text(key, 0, key); }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const auto& m : presenter.messages) out.push_back(m.text);
    return out;
  }

  test::TempDir configs;
  std::unique_ptr<ModelRecords> records;
  test::RecordingPresenter presenter;
  RecordingView view;
  UnitConfiguration config;
  std::unique_ptr<ConfigPageModel> model;
};

TEST(ConfigPageModel, SelectionsNarrowTheListsUntilOneConfigurationIsLeft) {
  Page p("KM30_Ultrasonic.txt");
  ConfigPageModel& m = *p.model;
  // Nothing chosen: every configuration matches, nothing can be saved.
  EXPECT_EQ(m.statusLine(), p.text("STATUS_MESSAGE8"));
  EXPECT_FALSE(m.saveEnabled() || m.writeEnabled() || m.wiringEnabled());
  EXPECT_EQ(m.items()[kRelayFunction].offered.size(), 7u);  // placeholder and six

  // Relays off: two configurations are left, which differ only in the loop
  // span; failsafe and display stay open, so nothing is chosen for them.
  m.selectItem(kRelayFunction, kRelaysOff);
  EXPECT_EQ(m.statusLine(), p.text("STATUS_MESSAGE8"));
  EXPECT_EQ(m.items()[kLoopSpan].offered, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(m.config().itemChoices[kFailsafe], 0);

  // One configuration left, but two present items still at the placeholder.
  m.selectItem(kLoopSpan, 2);
  EXPECT_EQ(m.statusLine(), p.text("STATUS_MESSAGE7"));
  EXPECT_EQ(m.config().configurationIndex, -1);
  EXPECT_FALSE(m.wiringEnabled());

  m.selectItem(kFailsafe, 2);
  m.selectItem(kDisplay, 1);
  ASSERT_TRUE(m.config().configurationValid);
  EXPECT_EQ(m.statusLine(), p.text("IDC_VALIDCFG") + " #3");
  // Its two level rows: the loop's 4 mA and 20 mA levels, not yet entered.
  const auto& rows = m.levelRows();
  EXPECT_EQ(rows[4].caption, "4 mA Level");
  EXPECT_EQ(rows[5].caption, "20 mA Level");
  EXPECT_FALSE(rows[0].shown || rows[3].shown);
  EXPECT_TRUE(m.relayUnitsShown());
  EXPECT_TRUE(m.wiringEnabled());
  EXPECT_FALSE(m.saveEnabled());
  EXPECT_FALSE(m.modified());

  m.editSensorHeight("20");
  m.editLevel(4, "2.5");
  EXPECT_FALSE(m.saveEnabled());  // the 20 mA level is still unset
  m.editLevel(5, "18");
  EXPECT_TRUE(m.saveEnabled() && m.writeEnabled());
  EXPECT_TRUE(m.modified());
  EXPECT_EQ(m.config().levels[5], 18.0);

  // Independent relays do not fit this loop span: the list loses its
  // selection, is left with one real choice and takes it; the configuration
  // has no level rows.
  m.selectItem(kRelayFunction, kIndependent);
  EXPECT_EQ(m.items()[kLoopSpan].shown, 1);
  EXPECT_EQ(m.statusLine(), p.text("IDC_VALIDCFG") + " #1");
  EXPECT_TRUE(std::all_of(rows.begin(), rows.end(), [](const LevelRow& r) { return !r.shown; }));
  EXPECT_FALSE(m.relayUnitsShown());
  EXPECT_GT(p.view.count(PagePart::Items), 0);
  EXPECT_GT(p.view.count(PagePart::Levels), 0);
  EXPECT_TRUE(p.presenter.messages.empty());
}

TEST(ConfigPageModel, AnItemWithOneRealChoiceLeftIsChosenByItself) {
  Page p("KM30_Ultrasonic.txt");
  ConfigPageModel& m = *p.model;
  m.selectItem(kRelayFunction, kIndependent);
  // The independent relays configuration fixes the loop span.
  EXPECT_EQ(m.config().itemChoices[kLoopSpan], 1);
  EXPECT_EQ(m.items()[kLoopSpan].shown, 1);
  EXPECT_TRUE(m.independentMode());
  EXPECT_EQ(m.statusLine(), p.text("STATUS_MESSAGE7"));

  // Widening the loop span list offers only what fits the relay function,
  // and shows the choice it had.
  m.widenList(kLoopSpan);
  EXPECT_EQ(m.items()[kLoopSpan].offered, (std::vector<int>{0, 1}));
  EXPECT_EQ(m.items()[kLoopSpan].shown, 1);

  // Typed text picks the first entry that begins with it.
  m.typeInList(kFailsafe, "go");
  EXPECT_EQ(m.config().itemChoices[kFailsafe], 2);  // Go Empty
  m.typeInList(kDisplay, "Per");
  EXPECT_EQ(m.config().itemChoices[kDisplay], 3);
  EXPECT_TRUE(m.config().configurationValid);

  m.selectItem(kRelayFunction, kRelaysOff);
  EXPECT_FALSE(m.independentMode());
}

TEST(ConfigPageModel, HeightUnitsConvertTheBoxesAndBecomeThePreferredUnits) {
  Page p("KM35_Legacy.txt");
  ConfigPageModel& m = *p.model;
  ASSERT_EQ(m.config().heightUnits, 0);  // inches, 59 counts each
  m.editSensorHeight("240");
  m.editFillHeight("200.5");
  m.selectUnits(3);  // metres: through the raw count, 14160 and 11830 counts
  EXPECT_EQ(m.boxes().sensorHeight, "6.096");
  EXPECT_NEAR(m.config().sensorHeight, 14160 / 2322.835, 1e-12);
  EXPECT_NEAR(m.config().fillHeight, 11830 / 2322.835, 1e-12);
  EXPECT_EQ(p.records->Values.PreferredUnits, "Meters");
  m.selectUnits(0);
  EXPECT_EQ(m.boxes().sensorHeight, "240.0");
  EXPECT_EQ(m.boxes().fillHeight, "200.5");
  EXPECT_EQ(p.records->Values.PreferredUnits, "Inches");
}

TEST(ConfigPageModel, SavedFileOpensBackIntoTheSamePage) {
  Page p("KM30_Ultrasonic.txt");
  ConfigPageModel& m = *p.model;
  m.selectUnits(2);  // feet
  m.selectItem(kRelayFunction, kAlarmsAndPumpDown);
  m.selectItem(kLoopSpan, 1);
  m.selectItem(kFailsafe, 3);
  m.selectItem(kDisplay, 2);
  ASSERT_TRUE(m.config().configurationValid);
  m.editSensorHeight("20");
  m.editFillHeight("18");
  const std::array<const char*, 6> levels = {"", "", "9.0", "10.0", "12.0", "14.0"};
  for (int i = 2; i < 6; ++i) m.editLevel(i, levels[static_cast<std::size_t>(i)]);
  // Notes show what the unit can keep: a character outside Windows-1252 as "?".
  m.editBox(&PageBoxes::notes, "East tank \xE6\xB0\xB4 \xE2\x82\xAC");
  EXPECT_EQ(m.boxes().notes, "East tank ? \xE2\x82\xAC");
  m.editBox(&PageBoxes::notes, "East tank");
  ASSERT_TRUE(m.saveEnabled());

  std::string proposed;
  ASSERT_TRUE(m.saveConfigFile([&](std::string& name) {
    proposed = name;
    return true;
  }));
  EXPECT_EQ(proposed, "Config[0].txt");
  EXPECT_FALSE(m.modified());
  EXPECT_EQ(p.messages().back(), formatText(p.text("STATUS_MESSAGE42"), {"Config[0].txt"}));

  // A cleared screen (no factory file in this folder) forgets it all ...
  m.clearScreen();
  EXPECT_EQ(m.config().itemChoices[kRelayFunction], 0);
  EXPECT_FALSE(m.config().configurationValid);
  // The page itself refuses to save what matches no configuration: no name
  // is asked for and no file is written.
  bool asked = false;
  EXPECT_FALSE(m.saveConfigFile([&](std::string&) { return asked = true; }));
  EXPECT_FALSE(asked);
  EXPECT_EQ(p.messages().back(), p.text("ERROR_MESSAGE55"));
  EXPECT_EQ(test::folderNames(p.configs.path()), std::vector<std::string>{"Config[0].txt"});

  // ... and opening the file brings it back.
  m.editBox(&PageBoxes::fileName, "Config[0].txt");
  EXPECT_EQ(m.openConfigFile(), ConfigPageModel::Request::None);
  EXPECT_TRUE(m.config().configurationValid);
  EXPECT_EQ(m.items()[kFailsafe].shown, 3);
  EXPECT_EQ(m.boxes().sensorHeight, "20.0");
  EXPECT_EQ(m.levelRows()[5].text, "14.0");
  EXPECT_EQ(m.levelRows()[2].text, "9.0");
  EXPECT_EQ(m.boxes().notes, "East tank");
  EXPECT_EQ(m.config().configFileName, "Config[0].txt");
  EXPECT_TRUE(m.saveEnabled());
  EXPECT_FALSE(m.modified());

  // A second save proposes the next number.
  ASSERT_TRUE(m.saveConfigFile([&](std::string& name) {
    proposed = name;
    return true;
  }));
  EXPECT_EQ(proposed, "Config[1].txt");
}

TEST(ConfigPageModel, ActivationShowsWhatTheUnitsPagesHold) {
  Page p("KM30_Ultrasonic.txt");
  // The images as the connect sequence left them.
  std::array<UnitMemory::Page, 4> pages{};
  pages[UnitMemory::kCustomer] = sim::MemoryGenerator::customerPage(sim::PageUnitKind::Ultrasonic);
  ConfigPageServices s;
  s.records = p.records.get();
  s.presenter = &p.presenter;
  s.pages = &pages;
  s.modelsFolder = test::sourceDataDir() / "Models";
  ConfigPageModel m(p.config, s);
  ASSERT_TRUE(m.activate());
  EXPECT_TRUE(m.config().configurationValid);
  EXPECT_EQ(m.items()[kRelayFunction].shown, 1);
  EXPECT_EQ(m.boxes().sensorHeight, "20.0");
  EXPECT_EQ(m.looks().heightUnitsText(), "Feet");
  EXPECT_EQ(m.looks().relayUnitsText(), "Feet");
  EXPECT_EQ(m.boxes().notes, "Tank 7, east yard - simulated unit");
  // High alarm at 14 ft, low alarm at 9 ft, pump on at 12 ft and off at 10 ft.
  std::vector<std::string> shown;
  for (const LevelRow& r : m.levelRows()) {
    if (r.shown) shown.push_back(r.caption + "=" + r.text);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"Alarm Low=9.0", "Relay 3 Off=10.0",
                                              "Relay 3 On=12.0", "Alarm High=14.0"}));
  EXPECT_TRUE(m.saveEnabled());
  EXPECT_FALSE(m.modified());

  // Leaving with a change asks first; once left, the record holds the
  // unit's units again for the other pages.
  m.selectUnits(0);
  m.editLevel(2, "100");
  ASSERT_TRUE(m.modified());
  p.presenter.answer = kResultNo;
  EXPECT_FALSE(m.leave());
  EXPECT_EQ(p.messages().back(), p.text("STATUS_MESSAGE27"));
  p.presenter.answer = kResultYes;
  EXPECT_TRUE(m.leave());
  EXPECT_EQ(m.config().heightUnits, 2);
  EXPECT_EQ(m.config().sensorHeight, 20.0);
}

TEST(ConfigPageModel, ServiceCommandsAreTypedIntoTheFileNameBox) {
  Page p("KM30_Ultrasonic.txt");
  ConfigPageModel& m = *p.model;
  // Without maker mode the command is a file name that does not open.
  m.editBox(&PageBoxes::fileName, "TEST Configurations");
  m.openConfigFile();
  EXPECT_FALSE(m.serviceToolsShown());
  EXPECT_EQ(p.messages().back(), p.text("ERROR_MESSAGE53"));

  p.records->Values.MakerMode = true;
  p.records->Values.TechSupport = true;
  m.editBox(&PageBoxes::fileName, "TEST Configurations");
  m.openConfigFile();
  EXPECT_TRUE(m.serviceToolsShown());
  EXPECT_TRUE(m.boxes().fileName.empty());

  // "Test Configs" walks through the model's configurations.
  m.testConfigs();
  EXPECT_TRUE(m.config().configurationValid);
  EXPECT_EQ(m.statusLine(), p.text("IDC_VALIDCFG") + " #1");
  EXPECT_EQ(m.testCounter(), 2);

  // The support code of the day: six digits after TS, its own for each day.
  std::tm day{};
  day.tm_year = 126, day.tm_mon = 11, day.tm_mday = 9;
  const std::string code = ConfigPageModel::supportCode(day);
  ASSERT_EQ(code.size(), 8u);
  EXPECT_EQ(code.substr(0, 2), "TS");
  EXPECT_EQ(code.find_first_not_of("0123456789", 2), std::string::npos) << code;
  day.tm_mday = 10;
  EXPECT_NE(ConfigPageModel::supportCode(day), code);
  m.editBox(&PageBoxes::fileName, "tech support");
  m.openConfigFile();
  EXPECT_EQ(p.messages().back(), formatText(p.text("STATUS_MESSAGE40"), {code}));
  m.editBox(&PageBoxes::fileName, "ts" + code.substr(2));
  EXPECT_EQ(m.openConfigFile(), ConfigPageModel::Request::OpenTechSupport);
  m.editBox(&PageBoxes::fileName, "Restart");
  EXPECT_EQ(m.openConfigFile(), ConfigPageModel::Request::Restart);
}


// A simulated unit on the cable, its pages read as the connect sequence
// reads them, and a page over it.
struct UnitPage {
  // record: the production record the page keeps (none when empty).
  explicit UnitPage(const std::filesystem::path& record = {})
      : records(test::shippedModel("KM30_Ultrasonic.txt")),
        unit(std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic)),
        session(unit, {.serviceThread = true}) {
    EXPECT_EQ(session.connectAndReadPages(), 0);
    // The identity the simulated unit's memories carry.
    config.model = "KM30-1020";
    config.serial = 410237;
    config.softwareRevision = 412;
    ConfigPageServices s;
    s.records = records.get();
    s.presenter = &presenter;
    s.memory = session.memory.get();
    s.link = session.link.get();
    s.pulse = &pulse;
    s.modelsFolder = test::sourceDataDir() / "Models";
    s.productionRecord = record;
    model = std::make_unique<ConfigPageModel>(config, s);
  }
  CustomerPageDecoding unitsPage() const {
    return CustomerPage::decode(unit->memories().customer, records->Database, config);
  }
  std::string text(const char* key) const { return records->Language.Text(key, 0, key); }

  std::unique_ptr<ModelRecords> records;
  std::shared_ptr<sim::PageUnit> unit;
  test::SimLinkSession session;
  PulseProtocol pulse;
  test::RecordingPresenter presenter;
  UnitConfiguration config;
  std::unique_ptr<ConfigPageModel> model;
};

TEST(ConfigPageModel, WriteToUnitSendsWhatThePageShowsOnceItsChecksPass) {
  UnitPage u;
  ConfigPageModel& m = *u.model;
  ASSERT_TRUE(m.activate());
  const std::uint32_t writesBefore = u.unit->arrivals(0x33);

  // A sensor height beyond the model's 30 ft stops before the unit is touched.
  m.editSensorHeight("31");
  EXPECT_FALSE(m.writeToUnit().has_value());
  EXPECT_EQ(u.unit->arrivals(0x33), writesBefore);
  ASSERT_FALSE(u.presenter.messages.empty());
  EXPECT_EQ(u.presenter.messages.back().text.rfind(u.text("ERROR_MESSAGE46"), 0), 0u)
      << u.presenter.messages.back().text;
  EXPECT_TRUE(m.writeEnabled());

  // The high alarm raised; the write goes through and the unit keeps it.
  m.editSensorHeight("20");
  m.editLevel(5, "15.5");
  u.presenter.messages.clear();
  u.presenter.answer = kResultNo;  // no further unit
  const auto outcome = m.writeToUnit();
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(outcome->status, WriteOutcome::Status::Written);
  EXPECT_EQ(outcome->unitsWritten, 1);
  EXPECT_EQ(u.unit->arrivals(0x33), writesBefore + 2);  // customer and table page
  const CustomerPageDecoding d = u.unitsPage();
  EXPECT_EQ(d.configuration.levels[5], 15.5);
  EXPECT_EQ(d.configuration.levels[2], 9.0);
  EXPECT_EQ(d.configuration.sensorHeight, 20.0);
  ASSERT_EQ(u.presenter.messages.size(), 1u);
  EXPECT_EQ(u.presenter.messages[0].text, u.text("STATUS_MESSAGE23"));
  // The page shows what the unit read back.
  EXPECT_EQ(m.levelRows()[5].text, "15.5");
  EXPECT_TRUE(m.writeEnabled());

  // In sample mode nothing is written.
  m.setSampleMode(true);
  u.presenter.messages.clear();
  EXPECT_FALSE(m.writeToUnit().has_value());
  ASSERT_EQ(u.presenter.messages.size(), 1u);
  EXPECT_EQ(u.presenter.messages[0].text, u.text("STATUS_MESSAGE9"));
  // The tool's own message box, styled like its other messages.
  EXPECT_EQ(u.presenter.messages[0].kind, "box");
  EXPECT_EQ(u.presenter.messages[0].style, unsigned{kStyleInformation});
}

// A box that holds no number is refused by its own name when it is left,
// and again before any check or write, keeping the user's text; nothing
// reaches the unit or a file.
TEST(ConfigPageModel, ABoxThatHoldsNoNumberIsRefusedByName) {
  UnitPage u;
  ConfigPageModel& m = *u.model;
  ASSERT_TRUE(m.activate());
  const std::uint32_t writesBefore = u.unit->arrivals(0x33);

  m.editSensorHeight("abc");
  EXPECT_FALSE(m.leaveBox(&PageBoxes::sensorHeight));
  ASSERT_EQ(u.presenter.messages.size(), 1u);
  EXPECT_EQ(u.presenter.messages[0].text, "Sensor Height: abc is not a valid number.");
  EXPECT_EQ(u.presenter.messages[0].style, unsigned{kStyleError});
  EXPECT_EQ(m.boxes().sensorHeight, "abc");

  // Before the value checks: the refusal, not a fill height blamed.
  u.presenter.messages.clear();
  EXPECT_FALSE(m.writeToUnit().has_value());
  EXPECT_EQ(u.unit->arrivals(0x33), writesBefore);
  ASSERT_EQ(u.presenter.messages.size(), 1u);
  EXPECT_EQ(u.presenter.messages[0].text, "Sensor Height: abc is not a valid number.");
  EXPECT_EQ(m.boxes().sensorHeight, "abc");

  // A level row by its caption; "1.2.3" is no number either, " 20 " is.
  m.editSensorHeight(" 20 ");
  EXPECT_TRUE(m.leaveBox(&PageBoxes::sensorHeight));
  m.editLevel(5, "1.2.3");
  u.presenter.messages.clear();
  EXPECT_FALSE(m.leaveLevel(5));
  EXPECT_FALSE(m.saveConfigFile([](std::string&) { return true; }));
  ASSERT_EQ(u.presenter.messages.size(), 2u);
  EXPECT_EQ(u.presenter.messages[1].text,
            m.levelRows()[5].caption + ": 1.2.3 is not a valid number.");
  EXPECT_EQ(m.levelRows()[5].text, "1.2.3");
  for (const char* text : {"", "-2", "+.5", "7."}) {
    m.editLevel(5, text);
    EXPECT_TRUE(m.leaveLevel(5)) << text;
  }
  for (const char* text : {".", "1e5", "--1", "1 2", "0x10"}) {
    m.editLevel(5, text);
    EXPECT_FALSE(m.leaveLevel(5)) << text;
  }
}

// Every unit a write run writes leaves one line in the production record,
// and so does the unit a failed run ended on, with the reason shown.
TEST(ConfigPageModel, WrittenAndFailedUnitsLeaveTheirLinesInTheProductionRecord) {
  test::TempDir dir;
  const std::filesystem::path record = dir / "Logs" / "Production.csv";
  std::filesystem::create_directories(record.parent_path());
  UnitPage u(record);
  ConfigPageModel& m = *u.model;
  ASSERT_TRUE(m.activate());
  m.editLevel(5, "15.5");
  // Another unit after the first: yes, connect it (OK); the same unit is
  // still there and is written again; then no further unit.
  u.presenter.answers = {kResultYes, kResultOk, kResultNo};
  auto outcome = m.writeToUnit();
  ASSERT_TRUE(outcome.has_value());
  ASSERT_EQ(outcome->status, WriteOutcome::Status::Written);
  ASSERT_EQ(outcome->unitsWritten, 2);

  // The customer page's write refused: the run fails on its first unit.
  u.unit->addFault({0x33, sim::Fault::kEvery, sim::FaultKind::Refuse, 5});
  u.presenter.answers.clear();
  outcome = m.writeToUnit();
  ASSERT_TRUE(outcome.has_value());
  ASSERT_EQ(outcome->status, WriteOutcome::Status::Failed);

  std::string error;
  const auto lines = readProductionRecord(record, "", error);
  ASSERT_TRUE(lines.has_value()) << error;
  ASSERT_EQ(lines->size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const ProductionEntry& e = (*lines)[i];
    EXPECT_EQ(e.serial, "410237") << i;
    EXPECT_EQ(e.model, "KM30-1020") << i;
    EXPECT_EQ(e.softwareRevision, "41.2") << i;
    EXPECT_EQ(e.configNumber, "3") << i;  // CONFIGINDEX, as files carry it
  }
  EXPECT_TRUE((*lines)[0].verified);
  EXPECT_TRUE((*lines)[1].verified);
  EXPECT_TRUE((*lines)[1].reason.empty());
  EXPECT_FALSE((*lines)[2].verified);
  EXPECT_EQ((*lines)[2].reason, outcome->message);
  EXPECT_FALSE((*lines)[2].reason.empty());
}

// A record that cannot be written loses the unit nothing: the write stands,
// and the user is told the record missed it.
TEST(ConfigPageModel, ARecordThatCannotBeWrittenIsSaidAndTheWriteStands) {
  test::TempDir dir;
  test::writeBytes(dir / "Logs", "a file where the folder should be");
  UnitPage u(dir / "Logs" / "Production.csv");
  ConfigPageModel& m = *u.model;
  ASSERT_TRUE(m.activate());
  u.presenter.answer = kResultNo;
  const auto outcome = m.writeToUnit();
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(outcome->status, WriteOutcome::Status::Written);
  const std::string said = u.text("SVC_MESSAGE9");
  const std::string start = said.substr(0, said.find('%'));
  ASSERT_FALSE(start.empty());
  const bool told = std::any_of(u.presenter.messages.begin(), u.presenter.messages.end(),
                                [&](const auto& msg) { return msg.text.rfind(start, 0) == 0; });
  EXPECT_TRUE(told);
}


// Without a unit the page starts from the model's factory file; a tank
// chosen in the Tanks dialog then turns the levels into volumes.
TEST(ConfigPageModel, SampleModeStartsFromTheFactoryFileAndTakesATank) {
  test::TempDir logs;
  auto records = test::shippedModel("KM30_Ultrasonic.txt");
  test::RecordingPresenter presenter;
  LogFile log;
  log.setFolder(logs.path());
  ASSERT_TRUE(log.Open());
  UnitConfiguration config;
  config.model = "KM30";
  ConfigPageServices s;
  s.records = records.get();
  s.presenter = &presenter;
  s.log = &log;
  s.configsFolder = test::sourceDataDir() / "Configs";
  s.modelsFolder = test::sourceDataDir() / "Models";
  ConfigPageModel m(config, s);
  m.setSampleMode(true);
  ASSERT_TRUE(m.activate());
  EXPECT_EQ(m.statusLine(), records->Language.Text("IDC_VALIDCFG", 0) + " #4");
  EXPECT_EQ(m.boxes().sensorHeight, "20.0");
  EXPECT_EQ(m.levelRows()[5].text, "16.0");
  EXPECT_EQ(m.looks().heightUnitsText(), "Feet");
  EXPECT_EQ(config.configFileName, (s.configsFolder / "KM30_Factory.txt").string());
  EXPECT_TRUE(m.saveEnabled());
  EXPECT_FALSE(m.modified());
  EXPECT_TRUE(presenter.messages.empty());
  EXPECT_NE(test::readBytes(logs / "logfile.txt").find("LOADCONFIG->Default Config file 'KM30_Factory.txt' loaded"),
            std::string::npos);

  // A vertical cylinder 10 ft across and 20 ft high in US gallons: the
  // levels in feet no longer mean anything and are emptied.
  VolumeTable& v = m.volume();
  v.Dimensions[0] = 20.0f;
  v.Dimensions[1] = 18.0f;
  v.Dimensions[2] = 0.0f;
  v.Dimensions[3] = 20.0f;
  v.Dimensions[4] = 10.0f;
  m.applyStructure(0x0100, 32, 2);
  EXPECT_EQ(m.levelRows()[5].text, "");
  EXPECT_EQ(m.config().levels[5], -1.0);
  EXPECT_FALSE(m.looks().relayUnitsAreLength());
  EXPECT_EQ(m.capacityLine(), "Capacity: 11750.4");
  EXPECT_TRUE(m.modified());
  EXPECT_FALSE(m.saveEnabled());  // the levels are to be entered again

  // Clear Screen: the factory file again, every selection back to the
  // placeholder.
  m.clearScreen();
  EXPECT_EQ(m.config().itemChoices[0], 0);
  EXPECT_EQ(m.statusLine(), records->Language.Text("STATUS_MESSAGE8", 0));
  EXPECT_EQ(m.boxes().sensorHeight, "20.0");
  EXPECT_TRUE(m.boxes().fileName.empty());
}

// The sample program's page of a shipped model, started from its factory
// file.
struct SamplePage {
  explicit SamplePage(const std::string& modelFile) : records(test::shippedModel(modelFile)) {
    config.model = modelFile.substr(0, 4);
    ConfigPageServices s;
    s.records = records.get();
    s.presenter = &presenter;
    s.configsFolder = test::sourceDataDir() / "Configs";
    s.modelsFolder = test::sourceDataDir() / "Models";
    model = std::make_unique<ConfigPageModel>(config, s);
    model->setSampleMode(true);
    activated = model->activate();
  }
  std::unique_ptr<ModelRecords> records;
  test::RecordingPresenter presenter;
  UnitConfiguration config;
  std::unique_ptr<ConfigPageModel> model;
  bool activated = false;
};

// Roads by which the page once changed values the user never touched.
TEST(ConfigPageModel, ListsBoxesAndTestConfigsKeepWhatTheUserChose) {
  SamplePage p("KM30_Ultrasonic.txt");
  ASSERT_TRUE(p.activated);
  ConfigPageModel& m = *p.model;
  ASSERT_TRUE(m.config().configurationValid);

  // A list dropped down and closed without a pick keeps its choice: the
  // configuration stays valid and can still be saved and written.
  const int relayFunction = m.config().itemChoices[kRelayFunction];
  m.widenList(kRelayFunction);
  EXPECT_FALSE(m.config().configurationValid);  // widened: nothing chosen behind it
  m.listClosed(kRelayFunction);
  EXPECT_EQ(m.config().itemChoices[kRelayFunction], relayFunction);
  EXPECT_TRUE(m.config().configurationValid);
  EXPECT_TRUE(m.saveEnabled() && m.writeEnabled());

  // The page reads a box as its checks do: blanks and a plus sign included.
  m.editLevel(5, " +16.5");
  EXPECT_EQ(m.config().levels[5], 16.5);
  m.editLevel(5, "16.0");

  // Test Configs sets configuration #1, the independent relays: the Relay
  // Set Points button follows.
  EXPECT_FALSE(m.independentMode());
  m.testConfigs();
  EXPECT_EQ(m.statusLine(), p.records->Language.Text("IDC_VALIDCFG", 0) + " #1");
  EXPECT_TRUE(m.independentMode());

  // A units change converts the relay set points, which are in the height
  // units; an unset point stays unset.
  p.config.independentLevels = {2.0f, 1.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  m.selectUnits(3);  // feet to metres
  EXPECT_NEAR(p.config.independentLevels[0], 0.610, 1e-6);
  EXPECT_NEAR(p.config.independentLevels[1], 0.457, 1e-6);
  EXPECT_EQ(p.config.independentLevels[2], 0.0f);
}

// Guided-wave radar: the minimum fill height follows a units change, and the
// Tanks forms of a weir keep their coefficients in the table's dimensions 2
// and 3, where a tank has the minimum fill height and probe length. A
// sequence that ends without OK leaves the table and the structure list as
// they were.
TEST(ConfigPageModel, GuidedWaveHeightsStayHeightsAndCancelledTanksChangeNothing) {
  SamplePage p("KM50_GuidedWave.txt");
  ASSERT_TRUE(p.activated);
  ConfigPageModel& m = *p.model;
  m.selectUnits(2);  // feet
  m.editSensorHeight("20");
  m.editProbeLength("19");
  // 20 - (19 + 6 in nut) + 3.96 in dead band
  EXPECT_EQ(m.boxes().minFillHeight, "0.83");
  m.selectUnits(3);  // metres: 6.096 - (5.791 + 0.152) + 0.101
  EXPECT_NEAR(m.config().minFillHeight, 0.254, 0.002);
  m.selectUnits(2);
  EXPECT_EQ(m.boxes().minFillHeight, "0.83");

  // The page's table holds a weir's coefficients where a tank keeps its
  // heights.
  VolumeTable& table = m.volume();
  table.Dimensions[2] = 2.5f;
  table.Dimensions[3] = 0.75f;
  const VolumeTable before = table;
  const std::string relayUnits = m.looks().relayUnitsText();
  const std::string capacity = m.capacityLine();
  const int loadedBefore = p.records->Structures.NlTypes.used();

  ConfigPageModel::TanksStart start = m.beginTanks();
  if (!start.showPicker) {  // a shape with a curve: the form's "Tanks" button
    m.tanksCancelled(true);
    m.endTanks();
    start = m.beginTanks();
  }
  ASSERT_TRUE(start.showPicker);
  constexpr std::uint16_t kVNotch = 0x2000;
  m.pickerChose(kVNotch);
  EXPECT_EQ(ConfigPageModel::formFor(kVNotch), ConfigPageModel::TanksForm::Flow);
  EXPECT_EQ(table.Dimensions[2], 2.5f);
  EXPECT_EQ(table.Dimensions[3], 0.75f);
  EXPECT_EQ(table.Dimensions[0], 20.0f);
  m.tanksCancelled(false);
  m.endTanks();
  EXPECT_FALSE(m.tanksAgain());
  EXPECT_EQ(table.Dimensions, before.Dimensions);
  EXPECT_EQ(p.records->Structures.NlTypes.used(), loadedBefore);
  EXPECT_EQ(m.looks().relayUnitsText(), relayUnits);
  EXPECT_EQ(m.capacityLine(), capacity);

  // With OK the weir's coefficients stay coefficients: the heights keep
  // their boxes.
  m.beginTanks();
  m.pickerChose(kVNotch);
  table.Dimensions[2] = 3.0f;
  m.applyStructure(kVNotch, 64, 2);
  m.endTanks();
  EXPECT_EQ(m.boxes().minFillHeight, "0.83");
  EXPECT_EQ(m.boxes().probeLength, "19.0");
  EXPECT_EQ(table.Dimensions[2], 3.0f);
}

// A guided-wave radar in volume units shows the volumes at the lowest level
// the probe can measure and at the fill height, and the loop currents they
// give; the Tanks button is framed while the relay units are a volume.
TEST(ConfigPageModel, GuidedWaveVolumePanelShowsTheProbesRangeAsCurrents) {
  auto records = test::shippedModel("KM50_GuidedWave.txt");
  test::RecordingPresenter presenter;
  UnitConfiguration config;
  config.model = "KM50";
  ConfigPageServices s;
  s.records = records.get();
  s.presenter = &presenter;
  s.configsFolder = test::sourceDataDir() / "Configs";
  s.modelsFolder = test::sourceDataDir() / "Models";
  ConfigPageModel m(config, s);
  m.setSampleMode(true);
  ASSERT_TRUE(m.activate());
  EXPECT_FALSE(m.loopCurrent().shown);  // distance units
  EXPECT_FALSE(m.looks().tanksFramed());

  // Vertical cylinder, 10 ft across, 18 ft high; probe 19 ft under a 20 ft
  // sensor height. The lowest measurable level: 20 - (19 + 6 in nut) + 3.96
  // in dead band = 0.83 ft, above the 0.5 ft minimum fill height.
  VolumeTable& v = m.volume();
  const float dims[] = {20.0f, 18.0f, 0.5f, 19.0f, 18.0f, 10.0f};
  std::copy(std::begin(dims), std::end(dims), v.Dimensions.begin());
  m.applyStructure(0x0100, 32, 2);
  ASSERT_TRUE(m.loopCurrent().shown);
  EXPECT_TRUE(m.looks().tanksFramed());
  const double gallonsPerFoot = 3.141592653589793 * 25.0 * 7.480519;  // pi r^2 in US gallons
  EXPECT_NEAR(std::stod(m.loopCurrent().minVolume), 0.83 * gallonsPerFoot, 0.5);
  EXPECT_NEAR(std::stod(m.loopCurrent().maxVolume), 18.0 * gallonsPerFoot, 0.5);
  // 4 mA + 16 mA x 0.83 / 18 (full at the 18 ft tank height).
  EXPECT_EQ(m.loopCurrent().minCurrent, "4.738");
  EXPECT_EQ(m.loopCurrent().maxCurrent, "20.000");

  // A lower fill height lowers the top volume only; item 1's second choice
  // (20 mA at empty) turns the current scale round.
  m.editFillHeight("9");
  EXPECT_NEAR(std::stod(m.loopCurrent().maxVolume), 9.0 * gallonsPerFoot, 0.5);
  EXPECT_EQ(m.loopCurrent().minCurrent, "4.738");
  m.selectItem(1, 2);
  EXPECT_EQ(m.loopCurrent().minCurrent, "19.262");
  EXPECT_EQ(m.loopCurrent().maxCurrent, "4.000");
}

}  // namespace
}  // namespace ostrel

namespace ostrel {
namespace {

// Every road that may bring another model tells the view so once, the
// view then redraws the kind's controls and pages without being asked by
// its own caller.
TEST(ConfigPageModel, RoadsThatMayChangeTheModelTellTheView) {
  Page p("KM30_Ultrasonic.txt");
  ConfigPageModel& m = *p.model;
  EXPECT_EQ(p.view.count(PagePart::Model), 1);  // the activation
  m.beginTanks();
  m.tanksCancelled(false);
  m.endTanks();
  EXPECT_EQ(p.view.count(PagePart::Model), 2);
  EXPECT_FALSE(m.openFile("no such file.txt"));
  EXPECT_EQ(p.view.count(PagePart::Model), 3);
  m.selectItem(kRelayFunction, kAlarmsAndPumpDown);
  m.editSensorHeight("20");
  EXPECT_EQ(p.view.count(PagePart::Model), 3);  // edits do not
}

}  // namespace
}  // namespace ostrel

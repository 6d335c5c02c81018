// "Write to Unit" over whole roads through simulated units: what reaches the
// unit's memory, what the user is asked and shown, and what the log keeps.
#include "core/config/write_procedure.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <memory>

#include "core/config/config_file_writer.h"
#include "core/config/customer_page.h"
#include "core/config/pulse_configuration.h"
#include "core/link/pulse_protocol.h"
#include "core/link/unit_link.h"
#include "core/support/log_file.h"
#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"
#include "shipped_model.h"
#include "sim/page_unit.h"
#include "sim/pulse_radar_unit.h"
#include "sim/simulated_cable_driver.h"
#include "quick_timing.h"

namespace ostrel {
namespace {

using Status = WriteOutcome::Status;

// Answers questions (yes/no, OK/cancel) from a queue; plain messages need
// no answer. Every box and error dialog is kept as "text" or
// "text | details", and may trigger what the person at the unit does then.
class ScriptedPresenter final : public Presenter {
 public:
  int messageBox(const std::string& text, unsigned style) override {
    shown.push_back(text);
    if (onShow) onShow(text);
    if ((style & 0x0F) == kStylePlain) return kResultOk;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return kResultCancel;
    }
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  int platformMessageBox(const std::string& text, unsigned style) override {
    return messageBox(text, style);
  }
  void errorDetail(const std::string& message, const std::string& details) override {
    shown.push_back(message + " | " + details);
    if (onShow) onShow(message);
  }
  ProgressSink& busy() override { return progress; }

  std::deque<int> answers;
  std::vector<std::string> shown;
  std::function<void(const std::string&)> onShow;
  test::RecordingProgress progress;
};

using test::quickTiming;

// A tool session with one cable, the unit's model loaded and its
// configuration on the page, as after startup and activation.
class WriteRoad : public ::testing::Test {
 protected:
  void connect(std::shared_ptr<sim::SimUnit> first, const char* modelFile) {
    records = test::shippedModel(modelFile);
    driver = std::make_unique<sim::SimulatedCableDriver>(std::move(first));
    link = std::make_unique<UnitLink>(*driver, quickTiming());
    link->StartServiceThread();
    std::vector<std::string> cables;
    ASSERT_EQ(link->EnumerateCables(cables, UnitLink::kVendorId, UnitLink::kProductId), 1);
    link->SetTargetProduct(cables.back());
    ASSERT_EQ(link->Connect(), 0);
    memory = std::make_unique<UnitMemory>(*link);
    volume.Link = ModelLink(&db(), &records->Structures);
    volume.Reset();
    log.setFolder(dir.path());
    ASSERT_TRUE(log.Open());
  }
  void TearDown() override {
    if (link) link->StopServiceThread();
  }

  WriteOutcome write(std::initializer_list<int> answers) {
    presenter.answers.assign(answers);
    ConfigFileContent content;
    content.model = &db();
    content.volume = &volume;
    content.rows = &rows;
    content.boxes.sensorHeight = config.sensorHeight;
    content.boxes.fillHeight = config.fillHeight;
    WriteRequest request{.memory = *memory,
                         .link = *link,
                         .pulse = pulse,
                         .presenter = presenter,
                         .language = records->Language,
                         .languageColumn = 0,
                         .log = log,
                         .config = config,
                         .model = db(),
                         .volume = volume,
                         .rows = rows,
                         .radar = radar,
                         .logContent = content,
                         .decodeVerified =
                             [this](const UnitMemory::Page& page) {
                               decoded.push_back(page);
                               return 0;
                             },
                         .writeInProgress = writing,
                         .radarActive = pulse.IsPulse(),
                         .radarSettle = std::chrono::milliseconds(0)};
    // A run gives the flag back; one refused as busy leaves the other's.
    const bool otherRun = writing.load();
    const WriteOutcome out = WriteProcedure(request).run();
    EXPECT_TRUE(presenter.answers.empty()) << "questions not asked";
    EXPECT_EQ(writing.load(), otherRun);
    return out;
  }

  std::string text(const char* key) const { return records->Language.Text(key, 0); }
  std::string logText() const { return test::readBytes(dir / "logfile.txt"); }
  const ModelDatabase& db() const { return records->Database; }

  std::unique_ptr<ModelRecords> records;
  std::unique_ptr<sim::SimulatedCableDriver> driver;
  std::unique_ptr<UnitLink> link;
  std::unique_ptr<UnitMemory> memory;
  PulseProtocol pulse;
  ScriptedPresenter presenter;
  test::TempDir dir;
  LogFile log;
  UnitConfiguration config;
  VolumeTable volume;
  StrappingRows rows;
  RadarAdvancedState radar;
  std::atomic<bool> writing{false};
  std::vector<UnitMemory::Page> decoded;
};

class PageWrite : public WriteRoad {
 protected:
  void SetUp() override {
    unit = std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic);
    ASSERT_NO_FATAL_FAILURE(connect(unit, "KM30_Ultrasonic.txt"));
    ASSERT_EQ(memory->ReadAllPages(nullptr, 0, 0, 0, nullptr), 0);
    before = unit->memories();
    UnitConfiguration current;
    current.model = "KM30-1020";
    current.serial = 410237;
    current.softwareRevision = 412;
    const CustomerPageDecoding d = CustomerPage::decode(memory->Pages[0], db(), current);
    ASSERT_EQ(d.result, 0);
    config = d.configuration;
    TablePage::decode(memory->Pages[2], volume);
    for (std::size_t i = 0; i < d.dimensions.size(); ++i) volume.Dimensions[i] = d.dimensions[i];
    // The user moved the sensor: 19.5 ft is 13806 counts.
    config.sensorHeight = 19.5;
    ASSERT_EQ(CustomerPage::prepareVolumeTable(config, db(), volume, rows), VolumeTable::kBuilt);
  }
  std::uint16_t customerWord(int w) const {
    const auto& p = unit->memories().customer;
    return static_cast<std::uint16_t>(p[2 * w] | (p[2 * w + 1] << 8));
  }
  std::uint32_t pageWrites() const { return unit->arrivals(0x33); }

  std::shared_ptr<sim::PageUnit> unit;
  sim::UnitMemories before;
};

TEST_F(PageWrite, FirstUnitGetsBothPagesReadBackEqualAndTheWholeConfigurationLogged) {
  UnitMemory::Page expected{};
  ASSERT_EQ(CustomerPage::encode(config, db(), volume, rows, memory->Pages[0], expected), 0);

  const WriteOutcome out = write({kResultNo});
  EXPECT_EQ(out.status, Status::Written);
  EXPECT_EQ(out.unitsWritten, 1);
  EXPECT_FALSE(out.serialChanged);
  const sim::UnitMemories after = unit->memories();
  EXPECT_EQ(after.customer, expected);
  EXPECT_EQ(customerWord(1), 13806);
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_EQ(decoded[0], after.customer);
  // The table page carries the table; a length output leaves the unit's own
  // full-scale bytes, not those of the customer page.
  EXPECT_EQ(std::memcmp(after.history.data() + 12, before.history.data() + 12, 4), 0);
  for (std::size_t i = 0; i < VolumeTable::kPoints; ++i) {
    ASSERT_EQ(after.history[16 + 2 * i] | (after.history[17 + 2 * i] << 8), volume.Points[i]);
  }
  EXPECT_EQ(memory->Pages[2], after.history);
  EXPECT_EQ(presenter.shown, (std::vector<std::string>{text("STATUS_MESSAGE23")}));
  EXPECT_EQ(presenter.progress.steps.back(), 100);
  EXPECT_EQ(presenter.progress.messages.back(), text("STATUS_MESSAGE22"));

  const std::string logged = logText();
  EXPECT_NE(logged.find("WRITETARGET->Successful Write:\r\n"), std::string::npos);
  EXPECT_NE(logged.find("WRITETARGET->  MODEL = KM30-1020\r\n"), std::string::npos);
  EXPECT_NE(logged.find("WRITETARGET->  SENSORHEIGHT = 19.5\r\n"), std::string::npos);
  EXPECT_NE(logged.find("WRITETARGET->'End of File\r\n"), std::string::npos);

  // A second write cannot start while one runs.
  writing = true;
  presenter.shown.clear();
  EXPECT_EQ(write({}).status, Status::Busy);
  writing = false;
  EXPECT_TRUE(presenter.shown.empty());
  EXPECT_EQ(pageWrites(), 2u);
}

TEST_F(PageWrite, AnotherSerialIsAskedAndNoWritesNothing) {
  config.serial = 12345;
  WriteOutcome out = write({kResultNo});
  EXPECT_EQ(out.status, Status::Failed);
  EXPECT_EQ(out.messageKey, "ERROR_MESSAGE30");
  EXPECT_EQ(presenter.shown, (std::vector<std::string>{
                                 text("STATUS_MESSAGE11"),
                                 text("ERROR_MESSAGE30") + " | " + text("ERROR_MESSAGE45")}));
  EXPECT_EQ(pageWrites(), 0u);
  EXPECT_EQ(unit->memories(), before);
  EXPECT_NE(logText().find("WRITETARGET->" + text("ERROR_MESSAGE30")), std::string::npos);
  EXPECT_EQ(config.serial, 12345);

  // Yes writes it and the configuration takes the unit's serial.
  out = write({kResultYes, kResultNo});
  EXPECT_EQ(out.status, Status::Written);
  EXPECT_TRUE(out.serialChanged);
  EXPECT_EQ(config.serial, 410237);
  EXPECT_NE(logText().find("  SERIAL = 410237\r\n"), std::string::npos);
}

TEST_F(PageWrite, UnitsThatAreNotThisConfigurationsAreRefused) {
  // Revision 52.0 on the unit against 41.2 in the configuration.
  sim::UnitMemories m = before;
  m.factory[26] = 520 & 0xFF;
  m.factory[27] = 520 >> 8;
  unit->setMemories(m);
  WriteOutcome out = write({});
  EXPECT_EQ(out.status, Status::Stopped);
  EXPECT_EQ(out.messageKey, "ERROR_MESSAGE128");
  ASSERT_EQ(presenter.shown.size(), 1u);
  EXPECT_NE(presenter.shown[0].find("41.2"), std::string::npos) << presenter.shown[0];
  EXPECT_NE(presenter.shown[0].find("52.0"), std::string::npos) << presenter.shown[0];
  unit->setMemories(before);

  // Another model, and the three ways the identity cannot be read.
  struct Case {
    const char* name;
    std::function<void()> arrange;
    const char* key;
    int result;
  };
  sim::UnitMemories noZero = before;
  std::memset(noZero.info.data() + 14, 'X', 16);
  const Case cases[] = {
      {"other model", [this] { config.model = "KM30-1099"; }, "ERROR_MESSAGE32", 2},
      {"factory page", [this] { unit->addFault(*sim::Fault::parse("0x31:*:wrong-data-check")); },
       "ERROR_MESSAGE33", -3},
      {"information memory",
       [this] { unit->addFault(*sim::Fault::parse("0x37:*:wrong-data-check")); },
       "ERROR_MESSAGE33", -2},
      {"hardware model text", [&] { unit->setMemories(noZero); }, "ERROR_MESSAGE33", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const UnitConfiguration kept = config;
    c.arrange();
    out = write({});
    EXPECT_EQ(out.status, Status::Failed);
    EXPECT_EQ(out.messageKey, c.key);
    EXPECT_EQ(out.stepResult, c.result);
    EXPECT_EQ(presenter.shown.back(),
              text(c.key) + " | " + text(c.result == 2 ? "ERROR_MESSAGE31" : "ERROR_MESSAGE45"));
    unit->clearFaults();
    unit->setMemories(before);
    config = kept;
  }
  EXPECT_EQ(pageWrites(), 0u);
}

TEST_F(PageWrite, APageThatDoesNotReadBackFailsAndTheTableIsNotWritten) {
  // The identity check reads eight blocks; every try of the verification
  // then finds a bad check byte on its first block.
  unit->clearFaults();  // counts from here
  for (int n = 9; n <= 13; ++n) {
    unit->addFault({0x31, static_cast<std::uint32_t>(n), sim::FaultKind::WrongDataCheck, 0});
  }
  const WriteOutcome out = write({});
  EXPECT_EQ(out.status, Status::Failed);
  EXPECT_EQ(out.messageKey, "ERROR_MESSAGE36");
  EXPECT_EQ(presenter.shown.back(), text("ERROR_MESSAGE36") + " | " + text("ERROR_MESSAGE45"));
  EXPECT_EQ(presenter.progress.messages.back(), text("ERROR_MESSAGE44"));
  EXPECT_EQ(pageWrites(), 1u);  // the customer page only
  EXPECT_TRUE(decoded.empty());
  EXPECT_EQ(logText().find("Successful"), std::string::npos);
}

// The page refuses both before a run; the run itself sends neither an
// advanced value beyond its word (70000 would wrap to 4464) nor a table whose
// scale the table page cannot hold (it would go out as 0), nor any page.
TEST_F(PageWrite, ValuesTheUnitCannotHoldAreNotWrittenAtAll) {
  config.advanced[0] = {true, 70000};
  WriteOutcome out = write({});
  EXPECT_EQ(out.status, Status::Failed);
  EXPECT_EQ(out.messageKey, "ERROR_MESSAGE34");
  EXPECT_NE(out.details.find("Damping: value above the maximum of 65534.000."), std::string::npos)
      << out.details;

  config.advanced[0] = {true, 30};
  volume.Scale = 4577.7f;
  out = write({});
  EXPECT_EQ(out.status, Status::Failed);
  EXPECT_EQ(out.messageKey, "ERROR_MESSAGE38");
  EXPECT_NE(out.details.find("too large for the table of the unit"), std::string::npos)
      << out.details;
  EXPECT_EQ(pageWrites(), 0u);
  EXPECT_EQ(unit->memories(), before);
}

TEST_F(PageWrite, TheUnitLeftOnTheCableIsWarnedAboutThenWhatIsAttachedIsWritten) {
  // Three units in one run: the first, the same again after the warning,
  // and one the user exchanged while the second warning was up.
  auto next = std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic);
  sim::UnitMemories m = next->memories();
  m.info[12] = m.info[13] = 0;  // serial 0x6427D becomes 0x60000 = 393216
  // Bytes of its pages the configuration does not own stay its own.
  m.customer[300] ^= 0x5A;
  m.history[12] ^= 0x5A;
  next->setMemories(m);
  int warnings = 0;
  presenter.onShow = [&](const std::string& shown) {
    if (shown == text("ERROR_MESSAGE28") && ++warnings == 2) driver->attach(0, next);
  };
  const int opensBefore = driver->openCount();
  const WriteOutcome out = write({kResultYes, kResultOk, kResultYes, kResultOk, kResultNo});
  EXPECT_EQ(out.status, Status::Written);
  EXPECT_EQ(out.unitsWritten, 3);
  EXPECT_EQ(warnings, 2);
  EXPECT_EQ(presenter.shown[2], text("ERROR_MESSAGE28") + " | " + text("ERROR_MESSAGE29"));
  EXPECT_EQ(pageWrites(), 4u);
  EXPECT_EQ(next->arrivals(0x33), 2u);
  sim::UnitMemories written = next->memories();
  EXPECT_EQ(written.customer[300], m.customer[300]);
  EXPECT_EQ(written.history[12], m.history[12]);
  written.customer[300] ^= 0x5A;
  EXPECT_EQ(written.customer, unit->memories().customer);
  EXPECT_GT(driver->openCount(), opensBefore);  // closed for the cable to move
  EXPECT_EQ(decoded.size(), 1u);                // the page is filled from the first unit only
  // The exchanged unit is logged under its own serial.
  EXPECT_TRUE(out.serialChanged);
  EXPECT_EQ(config.serial, 393216);
  const std::string logged = logText();
  EXPECT_NE(logged.find("->Successful Write to Serial #410237 (see detail above)"), std::string::npos);
  EXPECT_NE(logged.find("->Successful Write to Serial #393216 (see detail above)"), std::string::npos);
}

class RadarWrite : public WriteRoad {
 protected:
  void SetUp() override {
    unit = std::make_shared<sim::PulseRadarUnit>();
    ASSERT_NO_FATAL_FAILURE(connect(unit, "KM70_PulseRadar.txt"));
    ASSERT_TRUE(pulse.DetectPulse(*link));
    ASSERT_EQ(pulse.ReadUniqueIdentifier(*link), 0);
    ASSERT_EQ(pulse.ReadIdentitySet(*link, nullptr), 0);
    UnitConfiguration current;
    current.model = pulse.Parameters().ModelNumber;
    config = PulseConfiguration::decode(pulse.Parameters(), db(), current).configuration;
    ASSERT_TRUE(config.configurationValid);
    radar.values = pulse.Parameters();
    unit->clearReceived();
  }
  std::shared_ptr<sim::PulseRadarUnit> unit;
};

TEST_F(RadarWrite, AnUnchangedConfigurationSendsNothingAndSkipsTheModelCheck) {
  const WriteOutcome out = write({kResultNo});
  EXPECT_EQ(out.status, Status::Written);
  EXPECT_EQ(out.unitsWritten, 1);
  EXPECT_TRUE(out.buttonEnabled);
  EXPECT_TRUE(unit->receivedHart().empty());
  EXPECT_EQ(presenter.progress.messages.back(), text("BUSY_MESSAGE11"));
}

TEST_F(RadarWrite, ANextRadarOnTheCableIsWokenAndGetsEverySetting) {
  // The advanced settings were opened on the page: a later unit gets them all.
  ASSERT_EQ(pulse.ReadAdvancedSet(*link, nullptr), 0);
  radar.readThisActivation = true;
  radar.values = pulse.Parameters();
  config.sensorHeight = 7.5;
  radar.values.PowderDust = 2;
  radar.changed[RadarAdvancedState::kPowderDust] = true;
  const std::uint32_t modelReads = unit->requests(0x50);
  auto next = std::make_shared<sim::PulseRadarUnit>();  // just switched on: asleep
  presenter.onShow = [&](const std::string& shown) {
    if (shown == text("STATUS_MESSAGE24")) driver->attach(0, next);
  };
  const WriteOutcome out = write({kResultYes, kResultOk, kResultNo});
  EXPECT_EQ(out.status, Status::Written) << out.message;
  EXPECT_EQ(out.unitsWritten, 2);
  EXPECT_EQ(unit->requests(0x50), modelReads + 1);  // the model check before the first write
  for (const auto* u : {unit.get(), next.get()}) {
    EXPECT_FLOAT_EQ(u->parameters().floatValue(0x111), 7.5f);
    EXPECT_EQ(u->parameters().byteValue(0x506), 2);
  }
  // The page's copy keeps what was written, powder dust among it.
  EXPECT_EQ(radar.values.PowderDust, 2);
  EXPECT_FALSE(radar.changed[RadarAdvancedState::kPowderDust]);
}

}  // namespace
}  // namespace ostrel

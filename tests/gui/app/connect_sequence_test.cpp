// The startup road end to end: the startup window against simulated units
// in-process, from the timer's first tick to the main form and back.

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "core/link/serial_cable_driver.h"
#include "core/session/app_context.h"
#include "core/session/startup_sequence.h"
#include "gui/app/c_main_form.h"
#include "gui/app/c_ostrel_dlg.h"
#include "gui/support/c_property_page.h"
#include "gui/support/qt_presenter.h"
#include "sim/fault.h"
#include "sim/page_unit.h"
#include "sim/pulse_radar_unit.h"
#include "sim/simulated_cable_driver.h"
#include "quick_timing.h"

using ostrel::AppContext;
using ostrel::CMainForm;
using ostrel::COstrelDlg;
using ostrel::QtPresenter;
using ostrel::StartupOptions;
using ostrel::UnitLink;
using Phase = COstrelDlg::Phase;
namespace sim = ostrel::sim;
namespace fs = std::filesystem;

namespace {

std::shared_ptr<sim::PageUnit> pageUnit(sim::PageUnitKind kind, bool only1200 = false) {
  sim::PageUnit::Options o;
  o.only1200 = only1200;
  return std::make_shared<sim::PageUnit>(kind, o);
}

// Writes a text into a unit memory, zero-padded to its field.
template <typename Memory>
void putText(Memory& m, std::size_t at, std::size_t size, std::string_view text) {
  std::fill_n(m.begin() + static_cast<std::ptrdiff_t>(at), size, 0);
  std::memcpy(m.data() + at, text.data(), std::min(size, text.size()));
}

// An ultrasonic unit with its own model text (factory page) and hardware
// model (information memory).
std::shared_ptr<sim::PageUnit> ultrasonicWith(std::string_view firmware, std::string_view model) {
  auto unit = pageUnit(sim::PageUnitKind::Ultrasonic);
  sim::UnitMemories m = unit->memories();
  putText(m.factory, 138, 16, firmware);
  putText(m.info, 14, 16, model);
  unit->setMemories(m);
  return unit;
}

using ostrel::test::quickTiming;

struct FormSeen {
  QString caption;
  QStringList pages;
  int activePage = -1;
  QString identity;  // first page's identity lines
};

// One startup window over a simulated cable library, with what it showed.
class Run {
 public:
  explicit Run(std::unique_ptr<sim::SimulatedCableDriver> driver,
               UnitLink::Timing timing = quickTiming()) {
    driver_ = driver.get();
    init(std::move(driver), timing);
  }

  // Any other cable library, a serial port's.
  explicit Run(std::unique_ptr<ostrel::CableDriver> driver,
               UnitLink::Timing timing = quickTiming()) {
    init(std::move(driver), timing);
  }

  void init(std::unique_ptr<ostrel::CableDriver> driver, UnitLink::Timing timing) {
    StartupOptions o;
    const fs::path root = dir_.path().toStdString();
    o.dataDir = root / "data";
    o.configRoot = root / "config";
    o.unattended = true;
    o.linkTiming = timing;
    o.makeDriver = [&driver]() -> std::unique_ptr<ostrel::CableDriver> {
      return std::move(driver);
    };
    dlg_ = std::make_unique<COstrelDlg>(o);
    QObject::connect(dlg_.get(), &COstrelDlg::mainFormOpened, dlg_.get(), [this](CMainForm* f) {
      FormSeen seen;
      seen.caption = f->windowTitle();
      for (int i = 0; i < f->pageCount(); ++i) seen.pages << f->page(i)->title();
      seen.activePage = f->activeIndex();
      for (int row = 0; row < 4; ++row) {
        seen.identity += f->page(0)->identityLine(row)->text() + "\n";
      }
      forms.push_back(seen);
      int result = closeWith;
      if (onForm) onForm(*f, result);
      f->done(result);
    });
  }

  explicit Run(std::shared_ptr<sim::SimUnit> unit, UnitLink::Timing timing = quickTiming())
      : Run(std::make_unique<sim::SimulatedCableDriver>(std::move(unit)), timing) {}

  fs::path dataRoot() const { return fs::path(dir_.path().toStdString()) / "data"; }
  COstrelDlg& dlg() { return *dlg_; }
  AppContext& ctx() { return dlg_->context(); }
  sim::SimulatedCableDriver& driver() { return *driver_; }
  QtPresenter& presenter() { return dlg_->presenter(); }
  QString status() const { return dlg_->statusLabel()->text(); }
  QString text(const char* key) const { return QString::fromStdString(dlg_->context().text(key)); }
  bool buttonsEnabled() const {
    return dlg_->retryButton()->isEnabled() && dlg_->sampleButton()->isEnabled();
  }

  bool start() { return dlg_->initialise(); }
  bool waitFor(Phase phase, int ms = 20000) {
    QElapsedTimer t;
    t.start();
    while (dlg_->phase() != phase && t.elapsed() < ms) QTest::qWait(5);
    return dlg_->phase() == phase;
  }

  std::vector<FormSeen> forms;
  int closeWith = 0;  // the main form's result
  std::function<void(CMainForm&, int& result)> onForm;

 private:
  QTemporaryDir dir_;
  sim::SimulatedCableDriver* driver_ = nullptr;
  std::unique_ptr<COstrelDlg> dlg_;
};

}  // namespace

class ConnectSequenceTest : public QObject {
  Q_OBJECT

 private slots:
  void pageUnitsReachTheMainFormWithTheirIdentity_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<char>("letter");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("guided");
    QTest::addColumn<bool>("uType");
    // The configuration page sets the other pages by the model's kind: the
    // live display for ultrasonic units, the echo diagnostics for guided-wave
    // radar, neither for the U-type (UGUS) model.
    QTest::addColumn<QStringList>("pages");
    QTest::newRow("ultrasonic") << int(sim::PageUnitKind::Ultrasonic) << '\0' << "KM30-1020"
                                << "KM30-U"
                                << "KM30_Ultrasonic.txt" << false << false
                                << QStringList({"Configuration", "Updates", "Live Display"});
    QTest::newRow("guided-wave, lower-case letter")
        << int(sim::PageUnitKind::GuidedWave) << 'g' << "KM50-2410"
        << "KM50-GWR"
        << "KM50_GuidedWave.txt" << true << false
        << QStringList({"Configuration", "Updates", "Diagnostics"});
    QTest::newRow("u-type") << int(sim::PageUnitKind::UType) << '\0' << "KM40-1130"
                            << "KM40-U2"
                            << "KM40_UType.txt" << false << true
                            << QStringList({"Configuration", "Updates"});
  }
  void pageUnitsReachTheMainFormWithTheirIdentity() {
    QFETCH(int, kind);
    QFETCH(char, letter);
    auto unit = pageUnit(static_cast<sim::PageUnitKind>(kind));
    if (letter != '\0') {
      sim::UnitMemories m = unit->memories();
      m.factory[180] = static_cast<std::uint8_t>(letter);
      unit->setMemories(m);
    }
    Run run(unit);
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Ended));

    QCOMPARE(run.forms.size(), std::size_t{1});
    const FormSeen& form = run.forms[0];
    QCOMPARE(form.caption, QString("Ostrel 5.0.0"));
    QTEST(form.pages, "pages");
    QCOMPARE(form.activePage, 0);

    const ostrel::UnitConfiguration& u = run.ctx().Unit;
    QTEST(QString::fromStdString(u.model), "model");
    QTEST(QString::fromStdString(u.firmware), "firmware");
    QTEST(QString::fromStdString(u.modelFileName), "file");
    QTEST(run.ctx().State.Kind == ostrel::UnitKind::GuidedWave, "guided");
    QTEST(run.ctx().State.Kind == ostrel::UnitKind::UType, "uType");
    QCOMPARE(QString::fromStdString(run.ctx().State.ModelCopy), QString::fromStdString(u.model));
    QVERIFY(run.ctx().State.Kind != ostrel::UnitKind::PulseRadar);
    QVERIFY(form.identity.contains(QString::fromStdString(u.model)));
    QVERIFY(form.identity.contains(QString::number(u.serial)));
    // The model that serves the unit is the one in the model records.
    QCOMPARE(QString::fromStdString(run.ctx().Database.UnitTypes[0]),
             QString::fromStdString(u.model.substr(0, 4)));
    // The page's activation ran to its end in the startup window.
    QCOMPARE(run.dlg().progressBar()->value(), 100);
    QCOMPARE(run.status(), run.text("BUSY_MESSAGE11"));
    // The shipped program files are newer than each unit's revision: the
    // update is offered (and, unattended, no file is chosen).
    const auto shown = run.presenter().shown();
    QCOMPARE(shown.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(shown[0].text), run.text("STATUS_MESSAGE51"));
  }

  void pulseRadarIsIdentifiedOverHartWithoutPageReads() {
    auto radar = std::make_shared<sim::PulseRadarUnit>();
    Run run(radar);
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Ended));
    QCOMPARE(run.forms.size(), std::size_t{1});
    QCOMPARE(run.ctx().State.Kind, ostrel::UnitKind::PulseRadar);
    // No firmware update through the cable and no page-based live display;
    // the radar's own echo curves instead.
    QCOMPARE(run.forms[0].pages, QStringList({"Configuration", "Echo Curve"}));
    const ostrel::UnitConfiguration& u = run.ctx().Unit;
    QCOMPARE(QString::fromStdString(u.firmware), QString("NXRadar"));
    QCOMPARE(QString::fromStdString(u.model), QString("KM70-2610"));
    QCOMPARE(u.serial, 710244);
    QCOMPARE(u.softwareRevision, 215);
    QCOMPARE(QString::fromStdString(u.modelFileName), QString("KM70_PulseRadar.txt"));
    for (const sim::CommandFrame& f : radar->receivedCommands()) {
      QVERIFY2(f.cmd != 0x31 && f.cmd != 0x37, "a memory page was read from a pulse radar");
    }
  }

  void cableLibraryResultsEndInTheirMessages() {
    {  // no cable
      Run run(std::make_unique<sim::SimulatedCableDriver>(std::vector<sim::SimulatedCable>{}));
      QVERIFY(run.start());
      QVERIFY(run.waitFor(Phase::Waiting));
      QCOMPARE(run.status(), QString::fromStdString(
                                 run.ctx().format("IDC_START_STATUS2", {std::string("Ostrel")})));
      QVERIFY(run.buttonsEnabled());
      QVERIFY(run.dlg().troubleshootLink()->isHidden());
      QCOMPARE(run.dlg().progressBar()->value(), 0);
    }
    {  // the cable is there but no driver serves it
      auto driver = std::make_unique<sim::SimulatedCableDriver>();
      driver->setPresentWithoutDriver(true);
      Run run(std::move(driver));
      QVERIFY(run.start());
      QVERIFY(run.waitFor(Phase::Waiting));
      QVERIFY(run.status().startsWith("The Ostrel interface cable is connected"));
      QVERIFY(!run.dlg().troubleshootLink()->isHidden());
      QVERIFY(run.buttonsEnabled());
      // The link opens the shipped driver notes: nothing to complain about.
      emit run.dlg().troubleshootLink()->linkActivated("driver");
      QVERIFY(run.presenter().shown().empty());
      // Notes that are not installed are an error the user is shown.
      run.ctx().Folders.Help = run.dataRoot() / "NoHelp";
      emit run.dlg().troubleshootLink()->linkActivated("driver");
      const auto shown = run.presenter().shown();
      QCOMPARE(shown.size(), std::size_t{1});
      QCOMPARE(QString::fromStdString(shown[0].text), run.text("ERROR_MESSAGE59"));
      QCOMPARE(shown[0].style, unsigned{ostrel::kStyleError});
    }
    {  // a system the cable library does not support: nothing to try
      auto driver = std::make_unique<sim::SimulatedCableDriver>();
      driver->setPlatformSupported(false);
      Run run(std::move(driver));
      QVERIFY(run.start());
      QVERIFY(run.waitFor(Phase::Waiting));
      QCOMPARE(run.status(), run.text("IDC_START_STATUS1"));
      QVERIFY(!run.dlg().retryButton()->isEnabled());
      QVERIFY(!run.dlg().sampleButton()->isEnabled());
    }
    {  // a radar streaming in its own framing that never answers the wake frames
      sim::PulseRadarUnit::Options o;
      o.wakeable = false;
      Run run(std::make_shared<sim::PulseRadarUnit>(o));
      QVERIFY(run.start());
      QVERIFY(run.waitFor(Phase::Waiting));
      QCOMPARE(run.status(), QString::fromStdString(run.ctx().format("IDC_START_STATUS5", {-2})));
      QVERIFY(run.buttonsEnabled());
    }
    {  // a port that is no serial device, named in the words
      Run run(std::make_unique<ostrel::SerialCableDriver>(fs::path("/tmp"), "/ostrel-no-sysfs"));
      QVERIFY(run.start());
      QVERIFY(run.waitFor(Phase::Waiting));
      QCOMPARE(run.status(),
               QString::fromStdString(run.ctx().format("IDC_START_STATUS9", {-1, "/tmp"})));
      QVERIFY2(run.status().contains("/tmp is not a serial device"), qPrintable(run.status()));
      QVERIFY(run.buttonsEnabled());
    }
    {  // a cable with nothing behind it
      Run run(std::make_unique<sim::SimulatedCableDriver>());
      QVERIFY(run.start());
      QVERIFY(run.waitFor(Phase::Waiting));
      QVERIFY2(run.status().startsWith("Cannot connect to the unit (result "),
               qPrintable(run.status()));
      QCOMPARE(run.status(), QString::fromStdString(run.ctx().format("IDC_START_STATUS13", {-1})));
      QVERIFY(run.buttonsEnabled());
      QVERIFY(run.forms.empty());
    }
  }

  // Without its language file the tool says so once and then shows each
  // message by its key rather than as an empty line.
  void missingLanguageFileLeavesMessagesReadableByKey() {
    Run run(std::make_unique<sim::SimulatedCableDriver>(std::vector<sim::SimulatedCable>{}));
    fs::create_directories(run.dataRoot());
    fs::copy(fs::path(OSTREL_SOURCE_DATA_DIR) / "Models", run.dataRoot() / "Models");
    fs::remove(run.dataRoot() / "Models" / "Ostrel_Language.txt");
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Waiting));
    const auto shown = run.presenter().shown();
    QVERIFY(!shown.empty());
    QVERIFY(QString::fromStdString(shown.back().text).contains("Cannot open the Language File"));
    QCOMPARE(run.status(), QString("IDC_START_STATUS2"));
    QCOMPARE(run.dlg().retryButton()->text(), QString("Try Again"));
    QVERIFY(run.buttonsEnabled());
  }

  void secondOfTwoCablesIsUsed() {
    std::vector<sim::SimulatedCable> cables(2);
    cables[0].description = "Linkbud cable A";
    cables[1].description = "Linkbud cable B";
    cables[1].unit = pageUnit(sim::PageUnitKind::Ultrasonic);
    Run run(std::make_unique<sim::SimulatedCableDriver>(std::move(cables)));
    QVERIFY(run.start());
    QVERIFY2(run.waitFor(Phase::Ended), qPrintable(run.status()));
    QCOMPARE(run.forms.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(run.ctx().Link->TargetProduct()), QString("Linkbud cable B"));
  }

  void unitThatOnlyAnswersAt1200BaudIsReached() {
    Run run(pageUnit(sim::PageUnitKind::Ultrasonic, true));
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Ended));
    QCOMPARE(run.forms.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(run.ctx().Unit.model), QString("KM30-1020"));
  }

  void modelFoundByHardwareAloneIsAnnouncedAndOpened() {
    Run run(ultrasonicWith("KM35-X9", "KM35-0100"));
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Ended));
    QCOMPARE(run.forms.size(), std::size_t{1});
    const auto shown = run.presenter().shown();
    QCOMPARE(shown.size(), std::size_t{2});
    QCOMPARE(QString::fromStdString(shown[0].text), run.text("ERROR_MESSAGE130"));
    QCOMPARE(shown[0].style, unsigned{ostrel::kStyleInformation});
    // No program file names the legacy model's program.
    QCOMPARE(QString::fromStdString(shown[1].text), QString("No firmware files found!"));
    QCOMPARE(QString::fromStdString(run.ctx().Unit.modelFileName), QString("KM35_Legacy.txt"));
  }

  // Identity texts the model search has to live with.
  void unitIdentityOddities_data() {
    QTest::addColumn<QByteArray>("hardwareModel");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("statusStart");
    QTest::newRow("model without a dash") << QByteArray("KM30") << true << "";
    QTest::newRow("erased model text")
        << QByteArray(16, '\xFF') << false << "Reading the model and serial number";
    QTest::newRow("model no file serves") << QByteArray("ZX90-1000") << false
                                          << "No model definition was found for this unit.\n"
                                             "Model: ZX90   Unit type: KM30-U";
  }
  void unitIdentityOddities() {
    QFETCH(QByteArray, hardwareModel);
    QFETCH(bool, opens);
    QFETCH(QString, statusStart);
    auto unit = pageUnit(sim::PageUnitKind::Ultrasonic);
    sim::UnitMemories m = unit->memories();
    std::fill_n(m.info.begin() + 14, 16, 0);
    std::memcpy(m.info.data() + 14, hardwareModel.data(),
                std::min<std::size_t>(16, static_cast<std::size_t>(hardwareModel.size())));
    unit->setMemories(m);
    Run run(unit);
    QVERIFY(run.start());
    QVERIFY(run.waitFor(opens ? Phase::Ended : Phase::Waiting));
    QCOMPARE(run.forms.size(), std::size_t{opens ? 1u : 0u});
    if (!opens) {
      QVERIFY2(run.status().startsWith(statusStart), qPrintable(run.status()));
      QVERIFY(run.buttonsEnabled());
    }
  }

  void garbledPagesFailAndTryAgainWorksOnceTheUnitIsBack() {
    auto unit = pageUnit(sim::PageUnitKind::Ultrasonic);
    unit->addFault(*sim::Fault::parse("0x31:*:wrong-data-check"));
    Run run(unit);
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Waiting));
    QVERIFY2(run.status().startsWith("Reading the unit memory failed (result "),
             qPrintable(run.status()));
    QVERIFY(run.buttonsEnabled());
    QVERIFY(run.dlg().captionLabel()->text().isEmpty());
    QCOMPARE(run.dlg().progressBar()->value(), 0);

    unit->clearFaults();
    run.dlg().retryButton()->click();
    QVERIFY(run.waitFor(Phase::Ended));
    QCOMPARE(run.forms.size(), std::size_t{1});
    // The failure's text gave way to the configuration page's activation.
    QCOMPARE(run.status(), run.text("BUSY_MESSAGE11"));
  }

  // Result 1 of the main form connects again; what the next unit is, the
  // session learns anew: no kind flag and no model file name of the first
  // unit survive.
  void reconnectAfterResult1IdentifiesTheNextUnitAfresh() {
    auto first = pageUnit(sim::PageUnitKind::GuidedWave);
    Run run(first);
    run.closeWith = CMainForm::kReconnect;
    run.onForm = [&run](CMainForm&, int& result) {
      if (run.forms.size() == 1) {
        QCOMPARE(run.ctx().State.Kind, ostrel::UnitKind::GuidedWave);
        run.ctx().Link->Close();  // the next unit is on another line
        run.driver().attach(0, ultrasonicWith("KM30-U", "ZX90-1000"));
      } else {
        result = 0;
      }
    };
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Waiting));
    QCOMPARE(run.forms.size(), std::size_t{1});
    QCOMPARE(run.ctx().State.Kind, ostrel::UnitKind::Ultrasonic);
    QVERIFY(run.ctx().Unit.modelFileName.empty());
    QVERIFY(run.status().startsWith(run.text("ERROR_MESSAGE117")));

    // And back to a unit with a model: the road is the same once more.
    run.driver().attach(0, pageUnit(sim::PageUnitKind::UType));
    run.dlg().retryButton()->click();
    QVERIFY(run.waitFor(Phase::Ended));
    QCOMPARE(run.forms.size(), std::size_t{2});
    QCOMPARE(run.ctx().State.Kind, ostrel::UnitKind::UType);
    QCOMPARE(QString::fromStdString(run.ctx().Unit.modelFileName), QString("KM40_UType.txt"));
  }

  void sampleProgramTwiceShowsTheSameSampleForm() {
    Run run(std::make_unique<sim::SimulatedCableDriver>(std::vector<sim::SimulatedCable>{}));
    run.closeWith = CMainForm::kReconnect;
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Waiting));

    std::vector<std::string> names;
    for (int round = 0; round < 2; ++round) {
      run.dlg().sampleButton()->click();
      QVERIFY(run.waitFor(Phase::Waiting));  // result 1: back to connecting, then no cable
      QVERIFY2(run.forms.size() == std::size_t(round + 1), qPrintable(run.status()));
      QCOMPARE(run.forms.back().caption, QString("Ostrel 5.0.0 - Sample Mode"));
      if (round == 0) names = run.ctx().SampleModelNames;
      QVERIFY(run.ctx().SampleModelNames == names);
    }
    // One entry per model of the family, though each ships plain and enciphered.
    QCOMPARE(names, (std::vector<std::string>{"KM30", "KM35", "KM40", "KM50", "KM70"}));
    const ostrel::UnitConfiguration& u = run.ctx().Unit;
    // The configuration page started from the factory file, whose MODEL and
    // FIRMWARE a sample takes; its SERIAL is the file's, not the sample's.
    QCOMPARE(QString::fromStdString(u.model), QString("KM30"));
    QCOMPARE(QString::fromStdString(u.firmware), QString("KM30-U"));
    QCOMPARE(u.serial, 1001);
    QCOMPARE(u.softwareRevision, 1);
    QCOMPARE(QString::fromStdString(u.modelFileName), QString("KM30_Ultrasonic.txt"));
    QVERIFY(std::all_of(
        run.ctx().Memory->Pages.begin(), run.ctx().Memory->Pages.end(), [](const auto& page) {
          return std::all_of(page.begin(), page.end(), [](std::uint8_t b) { return b == 0; });
        }));
  }

  // Hundreds of family files that serve nothing (garbage, an enciphered
  // file that deciphers to noise, an empty one) are all read by the sample
  // program and change nothing it offers or loads.
  void crowdedModelFolderChangesNothingTheSampleFinds() {
    Run run(std::make_unique<sim::SimulatedCableDriver>(std::vector<sim::SimulatedCable>{}));
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Waiting));
    const fs::path models = run.ctx().Folders.Models;
    std::string noise(700, '\0');
    for (int i = 0; i < 300; ++i) {
      for (std::size_t b = 0; b < noise.size(); ++b) {
        noise[b] = static_cast<char>((static_cast<std::size_t>(i) * 31 + b * 7) % 251);
      }
      std::ofstream(models / ("KM9" + std::to_string(i) + "_Junk.txt"), std::ios::binary) << noise;
    }
    std::ofstream(models / "KM99_Noise.fmf", std::ios::binary) << noise;
    std::ofstream(models / "KM98_Empty.txt", std::ios::binary).flush();

    QElapsedTimer t;
    t.start();
    run.dlg().sampleButton()->click();
    QVERIFY(run.waitFor(Phase::Ended));
    qInfo("sample program over 302 extra model files: %lld ms",
          static_cast<long long>(t.elapsed()));
    QCOMPARE(run.forms.size(), std::size_t{1});
    QCOMPARE(run.ctx().SampleModelNames,
             (std::vector<std::string>{"KM30", "KM35", "KM40", "KM50", "KM70"}));
    QCOMPARE(QString::fromStdString(run.ctx().Unit.modelFileName), QString("KM30_Ultrasonic.txt"));
  }

  void liveDisplayOfDemoTabLeavesForGuidedWaveRadar() {
    Run run(pageUnit(sim::PageUnitKind::GuidedWave));
    QVERIFY(run.start());
    run.ctx().Values.DemoTab = true;
    QVERIFY(run.waitFor(Phase::Ended));
    QCOMPARE(run.forms.size(), std::size_t{1});
    QCOMPARE(run.forms[0].pages, QStringList({"Configuration", "Updates", "Diagnostics"}));
  }

  void makerModeAsksBeforeGivingUp() {
    Run run(ultrasonicWith("KM30-U", "ZX90-1000"));
    QVERIFY(run.start());
    run.ctx().Values.MakerMode = true;
    run.presenter().queueAnswer(ostrel::kResultYes);
    QVERIFY(run.waitFor(Phase::Ended));
    const auto shown = run.presenter().shown();
    QCOMPARE(shown.size(), std::size_t{2});
    QCOMPARE(QString::fromStdString(shown[0].text), QString("Would you like to proceed?"));
    // Without a model file no program file fits.
    QCOMPARE(QString::fromStdString(shown[1].text), QString("No firmware files found!"));
    QCOMPARE(run.forms.size(), std::size_t{1});
  }

  void makerModeMayStillOpenASampleWithoutItsModel() {
    Run run(std::make_unique<sim::SimulatedCableDriver>(std::vector<sim::SimulatedCable>{}));
    QVERIFY(run.start());
    QVERIFY(run.waitFor(Phase::Waiting));
    run.ctx().Values.MakerMode = true;
    run.ctx().Values.DemoModel = "ZX00-1";
    run.presenter().queueAnswer(ostrel::kResultNo);  // "Would you like to exit": no
    run.dlg().sampleButton()->click();
    QVERIFY(run.waitFor(Phase::Ended));
    // Asked before the form opened; the page then says its factory file
    // could not be loaded, the model being unknown.
    const auto shown = run.presenter().shown();
    QVERIFY(std::any_of(shown.begin(), shown.end(),
                        [](const auto& m) { return m.text == "Would you like to exit"; }));
    QCOMPARE(run.forms.size(), std::size_t{1});
    QCOMPARE(run.forms[0].caption, QString("Ostrel 5.0.0 - Sample Mode"));
  }

  // A paced unit (every byte at 9600 baud) takes seconds to identify; the
  // window keeps painting throughout, every step reaches the progress bar,
  // and no second device operation starts meanwhile.
  void windowKeepsPaintingWhileAPacedUnitIsIdentified() {
    auto driver =
        std::make_unique<sim::SimulatedCableDriver>(pageUnit(sim::PageUnitKind::Ultrasonic));
    driver->setPacing(true);
    Run run(std::move(driver), UnitLink::Timing{});
    QList<int> steps;
    connect(run.dlg().progressBar(), &QProgressBar::valueChanged, this,
            [&steps](int v) { steps << v; });

    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(5);
    connect(&tick, &QTimer::timeout, this, [&] {
      const qint64 now = clock.elapsed();
      longest = std::max(longest, now - last);
      last = now;
      // A second operation asked for while the first runs is refused.
      if (run.dlg().working()) {
        run.dlg().ConnectSequence();
        run.dlg().SampleProgram();
      }
    });
    run.onForm = [&](CMainForm&, int&) { tick.stop(); };

    QVERIFY(run.start());
    clock.start();
    tick.start();
    QVERIFY(run.waitFor(Phase::Ended, 30000));
    qInfo("connect sequence took %lld ms; longest pause between paints %lld ms",
          static_cast<long long>(clock.elapsed()), static_cast<long long>(longest));
    QVERIFY2(longest < 100, qPrintable(QString("window stalled %1 ms").arg(longest)));
    QCOMPARE(run.forms.size(), std::size_t{1});
    // Each step of the sequence reached the bar, in order, then each step of
    // the configuration page's activation.
    steps.erase(std::unique(steps.begin(), steps.end()), steps.end());
    QCOMPARE(steps, QList<int>({10, 20, 30, 40, 50, 55, 60, 65, 70, 80, 90,  //
                                0, 10, 30, 40, 50, 60, 70, 80, 90, 100}));
  }
};

QTEST_MAIN(ConnectSequenceTest)
#include "connect_sequence_test.moc"

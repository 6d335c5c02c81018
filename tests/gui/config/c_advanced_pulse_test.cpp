// The pulse radar's advanced dialog on the configuration page, offscreen,
// against the simulated pulse-radar unit in-process: the first Advanced
// reads the radar's settings while the windows keep painting, the dialog
// shows them, OK flags what was changed and nothing else; a radar that
// fails the read keeps the dialog shut with the radar error report.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/session/app_context.h"
#include "dialog_test_session.h"
#include "gui/config/c_advanced_pulse.h"
#include "gui/config/c_generic_form.h"
#include "gui/support/c_busy_window.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/qt_presenter.h"
#include "sim/pulse_fault.h"
#include "sim/pulse_radar_unit.h"
#include "sim/simulated_cable_driver.h"
#include "gui_test_helpers.h"

using namespace ostrel;
using S = RadarAdvancedState;

namespace {

// A radar whose advanced settings differ from the factory's: bulk solid,
// the second first-echo choice, fast level change off, powder on, a 50 mm
// pipe and 12 s damping.
std::shared_ptr<sim::PulseRadarUnit> radar() {
  auto unit = std::make_shared<sim::PulseRadarUnit>();
  sim::RadarParameters p = unit->parameters();
  const std::pair<std::uint16_t, std::vector<std::uint8_t>> values[] = {
      {0x2, {2}}, {0x505, {1}}, {0x500, {1}}, {0x506, {1}}, {0x510, {50, 0}}, {0x9, {12, 0}}};
  for (const auto& [number, bytes] : values) p.set(number, bytes);
  unit->setParameters(p);
  return unit;
}

using Session = test::UnitSession<sim::PulseRadarUnit>;

// Acts on the advanced dialog once it is open (a timer may fire earlier,
// inside the local loop of the radar read, when no dialog is up yet).
}  // namespace

class CAdvancedPulseTest : public QObject {
  Q_OBJECT

 private slots:
  void firstAdvancedReadsTheRadarAndOkFlagsOnlyChanges() {
    Session s(radar());
    QVERIFY(s.connect());
    AppContext& ctx = s.ctx();
    QtPresenter& presenter = s.presenter();
    CGenericForm page(PageServices{ctx, presenter, false});
    page.show();
    page.OnSetActive();
    QVERIFY(!page.model().radar().readThisActivation);

    test::PaintGapProbe probe;
    QString busyText;
    QStringList medium;
    int mediumShown = -1, echoShown = -1;
    bool fastLevel = true, powder = false, powderEnabled = false, stillWellShown = true;
    QString pipe, damping;
    test::whenOpen<CAdvancedPulse>(&page, [&](CAdvancedPulse& d) {
      probe.stop();
      busyText = presenter.busyWindow().message();
      for (int i = 0; i < d.mediumList()->count(); ++i) medium << d.mediumList()->itemText(i);
      mediumShown = d.mediumList()->currentIndex();
      echoShown = d.firstEchoList()->currentIndex();
      fastLevel = d.fastLevelChangeBox()->isChecked();
      powder = d.powderDustBox()->isChecked();
      powderEnabled = d.powderDustBox()->isEnabled();
      stillWellShown = d.stillWellBox()->isVisible();
      pipe = d.pipeDiameterBox()->text();
      damping = d.dampingTimeBox()->text();
      QTest::mouseClick(d.okButton(), Qt::LeftButton);
    });
    probe.start();
    QVERIFY(CAdvancedPulse::run(&page, ctx, presenter, page.model()));

    if (!test::sanitized()) {
      QVERIFY2(probe.longest() < 100,
               qPrintable(QString("no paint for %1 ms").arg(probe.longest())));
    }
    QCOMPARE(busyText, QString("Reading Advanced Settings..."));
    QCOMPARE(s.unit->requests(0x510), 1u);
    QVERIFY(page.model().radar().readThisActivation);
    QCOMPARE(medium.size(), 4);
    QCOMPARE(mediumShown, 1);  // Bulk Solid
    QCOMPARE(echoShown, 1);
    QVERIFY(!fastLevel);
    QVERIFY(powder);
    QVERIFY(powderEnabled);  // the second medium's option
    QVERIFY(!stillWellShown);
    QCOMPARE(pipe, QString("50"));
    QCOMPARE(damping, QString("12"));
    QCOMPARE(page.model().radar().changed, (std::array<bool, S::kCount>{}));

    // Read once per activation: the next Advanced goes straight to the
    // dialog. Foam under the first medium, damping 30.
    test::whenOpen<CAdvancedPulse>(&page, [](CAdvancedPulse& d) {
      d.mediumList()->setCurrentIndex(0);
      emit d.mediumList()->activated(0);
      QVERIFY(d.foamBox()->isEnabled());
      QVERIFY(!d.powderDustBox()->isEnabled());
      d.foamBox()->setChecked(true);
      d.dampingTimeBox()->selectAll();
      QTest::keyClicks(d.dampingTimeBox(), "3x0");  // digits only
      QTest::mouseClick(d.okButton(), Qt::LeftButton);
    });
    QVERIFY(CAdvancedPulse::run(&page, ctx, presenter, page.model()));
    QCOMPARE(s.unit->requests(0x510), 1u);
    std::array<bool, S::kCount> changed{};
    changed[S::kTypeOfMedium] = changed[S::kFoam] = changed[S::kDampingTime] = true;
    QCOMPARE(page.model().radar().changed, changed);
    const PulseParameters& block = page.model().radar().values;
    QCOMPARE(int(block.TypeOfMedium), 1);
    QCOMPARE(int(block.Foam), 1);
    QCOMPARE(int(block.DampingTime), 30);
    QCOMPARE(int(block.PowderDust), 1);  // disabled, not cleared

    // Cancel changes nothing.
    test::whenOpen<CAdvancedPulse>(&page, [](CAdvancedPulse& d) {
      QTest::keyClick(&d, Qt::Key_F1);
      QCOMPARE(CHelpBrowser::instance()->source().fileName(), QString("ADVANCED_INPUTS_PULSE.htm"));
      d.defaultsButton()->click();
      QCOMPARE(d.dampingTimeBox()->text(), QString("6"));
      d.reject();
    });
    QVERIFY(!CAdvancedPulse::run(&page, ctx, presenter, page.model()));
    QCOMPARE(int(page.model().radar().values.DampingTime), 30);
    QCOMPARE(page.model().radar().changed, changed);
  }

  void aFailedReadShowsTheRadarReportAndNoDialog() {
    Session s(radar());
    QVERIFY(s.connect());
    AppContext& ctx = s.ctx();
    QtPresenter& presenter = s.presenter();
    CGenericForm page(PageServices{ctx, presenter, false});
    page.show();
    page.OnSetActive();
    s.unit->addFault(*sim::PulseFault::parse("0x510:*:unknown-type"));
    presenter.clearShown();
    bool opened = false;
    test::whenOpen<CAdvancedPulse>(&page, [&](CAdvancedPulse& d) {
      opened = true;
      d.reject();
    });
    QVERIFY(!CAdvancedPulse::run(&page, ctx, presenter, page.model()));
    QVERIFY(!opened);
    QVERIFY(!page.model().radar().readThisActivation);
    const auto shown = presenter.shown();
    QCOMPARE(shown.size(), std::size_t{1});
    QCOMPARE(shown[0].text, ctx.format("ERROR_MESSAGE132", {"Unknown respone type", "Pipe Diameter"}));
  }
};

QTEST_MAIN(CAdvancedPulseTest)
#include "c_advanced_pulse_test.moc"

// The pulse radar's echo-curve page offscreen against a simulated radar
// in-process: Load reads the checked curves as device work while the window
// keeps working, the echo curve's peak is drawn under the level marker,
// only the checked curves are read and drawn, a failed read shows the radar
// report and keeps what was read, and F1 opens the page's help topic.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "../config/dialog_test_session.h"
#include "core/session/app_context.h"
#include "gui/diag/c_echo_curve_pulse.h"
#include "gui/diag/diag_page_tools.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/qt_presenter.h"
#include "sim/pulse_fault.h"
#include "sim/pulse_radar_unit.h"
#include "sim/simulated_cable_driver.h"

using namespace ostrel;

namespace {

int pixelsOf(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour ? 1 : 0;
  }
  return n;
}

using Session = test::UnitSession<sim::PulseRadarUnit>;

}  // namespace

class CEchoCurvePulseTest : public QObject {
  Q_OBJECT

 private slots:
  void loadDrawsTheCheckedCurvesWithTheEchoUnderTheLevelMarker() {
    auto unit = std::make_shared<sim::PulseRadarUnit>();
    unit->setFixedLevel(2.5);
    Session s(unit);
    QVERIFY(s.connect());
    const double distance = unit->distanceAt(std::chrono::steady_clock::now());
    CEchoCurvePulse page(PageServices{s.ctx(), s.presenter(), false});
    page.show();
    page.OnSetActive();
    QVERIFY(!page.plotImage().isNull());
    QCOMPARE(pixelsOf(page.plotImage(), qRgb(255, 0, 0)), 0);
    QVERIFY(!page.saveSamplesButton()->isEnabled());

    // The window's loop keeps turning while the radar is read.
    int ticks = 0;
    QTimer tick;
    tick.setInterval(10);
    connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
    tick.start();
    QTest::mouseClick(page.loadButton(), Qt::LeftButton);
    tick.stop();
    QVERIFY(ticks > 0);
    QVERIFY(s.presenter().shown().empty());

    const PulseCurveModel& m = page.model();
    QCOMPARE(m.slot(PulseCurveModel::kEcho).samples.size(), std::size_t{240});
    QVERIFY(m.slot(PulseCurveModel::kEnvelope).samples.empty());
    QVERIFY(std::abs(m.levelDistance() - distance) < 0.01);
    QVERIFY(pixelsOf(page.plotImage(), qRgb(255, 0, 0)) > 200);
    QVERIFY(page.saveSamplesButton()->isEnabled());

    // The strongest sample past the near disturbances is the surface echo;
    // after the alignment it is drawn where the level marker stands.
    const PulsePlot plot = m.plot(PlotRect{0, 0, page.plotImage().width(), page.plotImage().height()});
    QVERIFY(plot.markers);
    QCOMPARE(plot.levelText, m.distanceText(m.levelDistance(), "%2.3f"));
    const CurveTrace& red = plot.traces.at(0);
    QCOMPARE(red.slot, PulseCurveModel::kEcho);
    const int firstPastDisturbances = static_cast<int>(m.indexOf(1.6));
    const auto& samples = m.slot(PulseCurveModel::kEcho).samples;
    std::size_t peak = 0;
    for (std::size_t k = 0; k < samples.size(); ++k) {
      if (samples[k].x < firstPastDisturbances) continue;
      if (peak == 0 || samples[k].amplitude > samples[peak].amplitude) peak = k;
    }
    const int width = plot.frame.right - 58;
    const int peakX = static_cast<int>(static_cast<double>(samples[peak].x) * width / m.indexRange()) + 58;
    QVERIFY2(std::abs(peakX - plot.levelMarker.x) <= 3,
             qPrintable(QString("peak at %1, level marker at %2").arg(peakX).arg(plot.levelMarker.x)));

    // Only the envelope: read into its slot and drawn in blue; the echo
    // curve's slot keeps its samples but is not drawn.
    page.curveBox(PulseCurveModel::kEcho)->setChecked(false);
    page.curveBox(PulseCurveModel::kEnvelope)->setChecked(true);
    QTest::mouseClick(page.loadButton(), Qt::LeftButton);
    QCOMPARE(m.slot(PulseCurveModel::kEnvelope).samples.size(), std::size_t{240});
    QVERIFY(m.slot(PulseCurveModel::kFalseEcho).samples.empty());
    QCOMPARE(pixelsOf(page.plotImage(), qRgb(255, 0, 0)), 0);
    QVERIFY(pixelsOf(page.plotImage(), qRgb(0, 0, 255)) > 200);
    const std::string csv = m.samplesCsv();
    QVERIFY(csv.rfind("curve,index,amplitude\nenvelope,0,", 0) == 0);
    QVERIFY(csv.find("\necho,") == std::string::npos);

    // The false-echo read fails: the radar report, and the slots read stay.
    unit->addFault(*sim::PulseFault::parse("0x992:*:unknown-type"));
    page.curveBox(PulseCurveModel::kFalseEcho)->setChecked(true);
    s.presenter().clearShown();
    QTest::mouseClick(page.loadButton(), Qt::LeftButton);
    const auto shown = s.presenter().shown();
    QCOMPARE(shown.size(), std::size_t{1});
    QVERIFY(shown[0].text.find("Unknown respone type") != std::string::npos);
    QCOMPARE(m.slot(PulseCurveModel::kEnvelope).samples.size(), std::size_t{240});
    QVERIFY(m.slot(PulseCurveModel::kFalseEcho).samples.empty());

    // What the save buttons write, without their dialogs: the picture reads
    // back as the plot; a folder that is not there writes nothing.
    QTemporaryDir dir;
    const QString png = dir.filePath("curves.png");
    QVERIFY(writePicture(png, page.plotImage()));
    QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32), page.plotImage());
    const QString csvPath = dir.filePath("curves.csv");
    QVERIFY(writeSamples(csvPath, "old\n"));
    QVERIFY(writeSamples(csvPath, csv));
    QFile written(csvPath);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll().toStdString(), csv);
    QVERIFY(!writeSamples(dir.filePath("missing/curves.csv"), csv));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    // F1 anywhere on the page opens its topic.
    page.loadButton()->setFocus();
    QTest::keyClick(page.loadButton(), Qt::Key_F1);
    QVERIFY(CHelpBrowser::instance() != nullptr);
    QCOMPARE(CHelpBrowser::instance()->source().fileName(), QString("ECHO_CURVE_PULSE.htm"));
  }

  void sampleModeLoadsNothing() {
    test::DialogSession s("pulse-radar");
    QVERIFY(s.sample());
    CEchoCurvePulse page(PageServices{s.ctx(), s.presenter(), true});
    page.show();
    page.OnSetActive();
    QTest::mouseClick(page.loadButton(), Qt::LeftButton);
    QVERIFY(page.model().slot(PulseCurveModel::kEcho).samples.empty());
    QVERIFY(s.presenter().shown().empty());
  }
};

QTEST_MAIN(CEchoCurvePulseTest)
#include "c_echo_curve_pulse_test.moc"

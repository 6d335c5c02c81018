// The live display offscreen over the built-in simulated unit: the level
// and lamps the unit streams, leaving and entering the page, and the
// sample program's notice.

#include <QLabel>
#include <QTest>

#include "../config/dialog_test_session.h"
#include "core/diag/stream_controller.h"
#include "core/session/app_context.h"
#include "gui/config/c_generic_form.h"
#include "gui/diag/c_big_display.h"
#include "gui/diag/c_led.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/qt_presenter.h"

using namespace ostrel;

class CBigDisplayTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTheStreamedLevelAndRelaysAndLeavesOneWorker() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.connect());
    const PageServices services{dlg.ctx(), dlg.presenter(), false};
    CGenericForm configuration(services);
    configuration.OnSetActive();
    CBigDisplay live(services);
    live.configurationModel = [&configuration] { return &configuration.model(); };
    live.show();

    for (int entry = 1; entry <= 3; ++entry) {
      live.OnSetActive();
      QVERIFY(live.stream() != nullptr);
      QCOMPARE(live.stream()->workersStarted(), entry);
      // The unit's level starts at 40 % of its 18 ft fill height, 20 ft below
      // the sensor; its low alarm (relay 2, 9 ft) is on.
      QTRY_VERIFY_WITH_TIMEOUT(live.levelDisplay()->text() != "00000.0", 5000);
      const double level = live.levelDisplay()->text().toDouble();
      const double distance = live.distanceDisplay()->text().toDouble();
      QVERIFY(level > 7.0 && level < 9.0);
      QVERIFY(qAbs(level + distance - 20.0) < 0.11);
      QVERIFY(live.relayLamp(1)->isOn());
      QVERIFY(!live.relayLamp(0)->isOn());
      QVERIFY(live.distanceDisplay()->isVisible());

      QVERIFY(live.OnKillActive());
      QVERIFY(!live.stream()->running());
      QVERIFY(!dlg.ctx().Link->IsOpen());
      QVERIFY(!dlg.ctx().Link->StreamRunning());
      // The displays keep their last texts.
      QCOMPARE(live.levelDisplay()->text().toDouble(), level);
    }
  }

  void sampleProgramStartsNoStream() {
    test::DialogSession dlg("ultrasonic");
    QVERIFY(dlg.sample());
    CBigDisplay live(PageServices{dlg.ctx(), dlg.presenter(), true});
    live.OnSetActive();
    QVERIFY(live.stream() == nullptr);
    QCOMPARE(live.statusLine()->text().toStdString(),
             dlg.ctx().format("STATUS_MESSAGE28", {dlg.ctx().Identity.ProgramId}));
    QCOMPARE(live.levelDisplay()->text(), QString("00000.0"));

    // A right click on a control, or F1, opens the page's help topic.
    live.show();
    QTest::mouseClick(live.levelDisplay(), Qt::RightButton);
    QVERIFY(CHelpBrowser::instance() != nullptr);
    QCOMPARE(CHelpBrowser::instance()->source().fileName(), QString("DEMO.htm"));
    QVERIFY(CHelpBrowser::instance()->openFile(dlg.ctx().Folders.Help / "OstrelHelp" /
                                                "GETTING_STARTED.htm"));
    QTest::keyClick(&live, Qt::Key_F1);
    QCOMPARE(CHelpBrowser::instance()->source().fileName(), QString("DEMO.htm"));
    QVERIFY(dlg.presenter().shown().empty());
  }

  void lampPicturesDiffer() {
    CLed lamp;
    lamp.Create(1, 0);
    QVERIFY(!lamp.isOn());
    lamp.Flash(30);
    QVERIFY(lamp.isOn());
    QTRY_VERIFY_WITH_TIMEOUT(!lamp.isOn(), 1000);
    QVERIFY(CLed::lampPicture(1).toImage() != CLed::lampPicture(0).toImage());
    QCOMPARE(CLed::lampPicture(1).size(), QSize(27, 27));
  }
};

QTEST_MAIN(CBigDisplayTest)
#include "c_big_display_test.moc"

// The diagnostics page offscreen over the built-in guided-wave unit: the
// echo record read as device work, its displays and trace, and the
// disturbance scan erased.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "../config/dialog_test_session.h"
#include "core/session/app_context.h"
#include "gui/config/c_generic_form.h"
#include "gui/diag/c_diagnostics.h"
#include "gui/support/c_help_browser.h"

using namespace ostrel;

namespace {

int redPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
  }
  return n;
}

}  // namespace

class CDiagnosticsTest : public QObject {
  Q_OBJECT

 private slots:
  void echoRecordFillsDisplaysAndTraceAndTheScanErases() {
    test::DialogSession dlg("guided-wave");
    QVERIFY(dlg.connect());
    const PageServices services{dlg.ctx(), dlg.presenter(), false};
    // The configuration page comes first and takes the unit's units.
    CGenericForm configuration(services);
    configuration.OnSetActive();
    CDiagnostics page(services);
    page.show();
    page.OnSetActive();
    QCOMPARE(page.curveList()->count(), 3);
    QCOMPARE(page.currentDisplay()->text(), QString("000000"));
    QVERIFY(!page.plotImage().isNull());
    QCOMPARE(redPixels(page.plotImage()), 0);

    emit page.curveList()->activated(2);
    // The unit starts at 40 % of its 18 ft fill height, 20 ft below the sensor.
    QCOMPARE(page.levelDisplay()->text(), QString("00007.2"));
    QCOMPARE(page.distanceDisplay()->text(), QString("00012.8"));
    QVERIFY(redPixels(page.plotImage()) > 300);

    const QString echoCurrent = page.currentDisplay()->text();
    emit page.curveList()->activated(1);
    // The scan shows the surface where the level stands.
    QCOMPARE(page.levelDisplay()->text(), QString("00007.2"));
    QCOMPARE(page.currentDisplay()->text(), echoCurrent);
    QVERIFY(page.saveSamplesButton()->isEnabled());
    QTest::mouseClick(page.eraseButton(), Qt::LeftButton);
    emit page.curveList()->activated(1);
    // The erased scan reads back as zeros.
    QCOMPARE(page.currentDisplay()->text(), QString("0"));

    emit page.curveList()->activated(0);
    QCOMPARE(page.levelDisplay()->text(), QString("00000.0"));

    // A right click on a control opens the page's help topic.
    QTest::mouseClick(page.levelDisplay(), Qt::RightButton);
    QVERIFY(CHelpBrowser::instance() != nullptr);
    QCOMPARE(CHelpBrowser::instance()->source().fileName(), QString("DIAGNOSTICS.htm"));
  }
};

QTEST_MAIN(CDiagnosticsTest)
#include "c_diagnostics_test.moc"

// The independent relays dialog as the user works it, offscreen, over the
// KM30 of the built-in simulated unit: what it opens with, the messages that
// keep it open, and what OK stores.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/session/app_context.h"
#include "dialog_test_session.h"
#include "gui/config/c_indy_relays.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/qt_presenter.h"
#include "gui_test_helpers.h"

using namespace ostrel;
using ostrel::test::retype;

namespace {

}  // namespace

class CIndyRelaysTest : public QObject {
  Q_OBJECT

 private slots:
  void setPointsOpenCheckAndStore() {
    test::DialogSession session("ultrasonic");
    QVERIFY(session.connect());
    AppContext& ctx = session.ctx();
    QtPresenter& presenter = session.presenter();
    ctx.Unit.outputUnits = 2;  // feet: two decimals
    // Relay 1 on 12.5 off 3; relay 2 only an OFF point, as a file can give it.
    ctx.Unit.independentLevels = {12.5f, 0, 0, 0, 3, 4.25f, 0, 0};

    CIndyRelays relays(ctx, presenter, "Feet");
    relays.show();
    QCOMPARE(relays.windowTitle(), QString("Independent Relays"));
    QCOMPARE(relays.unitsBox()->text(), QString("Feet"));
    QVERIFY(relays.picture()->pixmap().width() > 0);
    QVERIFY(relays.relayCaption(3)->font().bold());
    QCOMPARE(relays.relayCaption(3)->text(), QString("Relay 4"));
    QCOMPARE(relays.box(0)->text(), QString("12.5"));
    QCOMPARE(relays.box(1)->text(), QString("0.0"));

    // Relay 3 switched on at 1.2.3 with no OFF point: the missing OFF point
    // is reported first, then the text that is not a number.
    presenter.clearShown();
    QTest::keyClicks(relays.box(2), "1.2.3");
    QTest::mouseClick(relays.okButton(), Qt::LeftButton);
    QVERIFY(relays.isVisible());
    QTest::keyClicks(relays.box(6), "0.5");
    QTest::mouseClick(relays.okButton(), Qt::LeftButton);
    QVERIFY(relays.isVisible());
    const auto shown = presenter.shown();
    QCOMPARE(shown.size(), std::size_t{2});
    QCOMPARE(shown[0].text, ctx.text("ERROR_MESSAGE129"));
    QCOMPARE(shown[1].text, std::string("1.2.3 is not a valid number."));
    QCOMPARE(ctx.Unit.independentLevels[2], 0.0f);

    retype(relays.box(2), "1.2");
    QTest::mouseClick(relays.okButton(), Qt::LeftButton);
    QVERIFY(!relays.isVisible());
    QCOMPARE(relays.result(), int(QDialog::Accepted));
    const std::array<float, 8> stored{12.5f, 0, 1.2f, 0, 3, 4.25f, 0.5f, 0};
    QCOMPARE(ctx.Unit.independentLevels, stored);

    // Help opens the relays' own topic.
    QTest::mouseClick(relays.helpButton(), Qt::LeftButton);
    QVERIFY(CHelpBrowser::instance() != nullptr);
    QCOMPARE(CHelpBrowser::instance()->source().fileName(), QString("Independent Relays.htm"));

    // Cancel leaves the points alone.
    CIndyRelays again(ctx, presenter, "Feet");
    again.show();
    QCOMPARE(again.box(1)->text(), QString("0.0"));  // the lone OFF point is still shown
    retype(again.box(0), "20");
    again.reject();
    QCOMPARE(ctx.Unit.independentLevels, stored);
  }
};

QTEST_MAIN(CIndyRelaysTest)
#include "c_indy_relays_test.moc"

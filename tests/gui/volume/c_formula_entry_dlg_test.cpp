// The weir and flume form offscreen over the shipped models: loading a
// coefficient set in l/min, "Max Flow Rate" and OK with the set in the
// shape code; a change to a CFS unit empties the coefficients; distance
// mode hides the flow controls. Screenshots in English and Chinese.

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "gui/volume/c_formula_entry_dlg.h"
#include "tank_forms_fixture.h"
#include "gui_test_helpers.h"

using namespace ostrel;
using ostrel::test::choose;
using ostrel::test::TankForms;

namespace {

constexpr std::uint16_t kVNotch = 0x2000;
constexpr std::uint16_t kParshall = 0x4000;
constexpr int kFeet = 2, kMetres = 3, kCfs = 64, kLitresPerMinute = 97;

}  // namespace

class CFormulaEntryDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void setLoadingMaxFlowAndOk() {
    TankForms f("KM30_Ultrasonic.txt", kVNotch);
    QVERIFY(f.loaded);
    f.config.heightUnits = kMetres;
    f.config.outputUnits = kLitresPerMinute;
    f.dims({1.5f, 0.3f, 5, 2});
    CFormulaEntryDlg dlg(kVNotch, f.services());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QCOMPARE(dlg.windowTitle(), QString("Formula Entry - V-Notch Weir"));
    QCOMPARE(dlg.setLabel()->text(), QString("V Notch Angle"));
    QCOMPARE(dlg.flowUnitList()->currentText(), QString("L/min"));
    QCOMPARE(dlg.unitsBox()->text(), QString("Meters"));
    QCOMPARE(dlg.fieldLabel(2)->text(), QString("Coefficient (C)"));
    QVERIFY(!dlg.fieldBox(4)->isVisible());
    QCOMPARE(dlg.setList()->count(), 7);
    QCOMPARE(dlg.setList()->currentIndex(), 0);

    // 30 degrees from the l/s list: the coefficient times 60 for l/min.
    dlg.setList()->setCurrentIndex(2);
    QCOMPARE(dlg.fieldBox(1)->text(), QString("0.381"));
    QCOMPARE(dlg.fieldBox(2)->text(), QString("21616.8"));
    QCOMPARE(dlg.fieldBox(3)->text(), QString("2.463"));
    dlg.maxFlowButton()->click();
    // 21616.8 * 0.381^2.463 = 2007.288 l/min.
    QCOMPARE(dlg.maxFlowBox()->text(), QString("2007.29"));
    ostrel::test::keep(dlg, "formula_entry_km30");

    QCOMPARE(QString::fromStdString(dlg.showHelp().filename().string()),
             QString("OPENCHANNEL.htm"));

    dlg.okButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.shape(), std::uint16_t{kVNotch + 34});
    QCOMPARE(dlg.outputUnit(), kLitresPerMinute);
    QCOMPARE(dlg.dimensionUnit(), kMetres);
    QCOMPARE(f.table.Dimensions[2], 21616.8f);
    QVERIFY(f.table.MaxLevel > 0);
  }

  void cfsSwitchAndDistanceMode() {
    TankForms f("KM30_Ultrasonic.txt", kVNotch);
    QVERIFY(f.loaded);
    f.config.heightUnits = kMetres;
    f.config.outputUnits = kLitresPerMinute;
    f.config.shapeCode = kVNotch + 34;
    f.dims({1, 0.381f, 21616.8f, 2.463f});
    CFormulaEntryDlg dlg(kVNotch + 34, f.services());
    dlg.show();
    QCOMPARE(dlg.setList()->currentIndex(), 2);

    choose(dlg.flowUnitList(), "CFS");
    QCOMPARE(dlg.outputUnit(), kCfs);
    QCOMPARE(dlg.unitsBox()->text(), QString("Feet"));
    QCOMPARE(dlg.fieldBox(0)->text(), QString("3.28"));
    QCOMPARE(dlg.fieldBox(2)->text(), QString());
    QCOMPARE(dlg.fieldBox(3)->text(), QString());
    QCOMPARE(dlg.setList()->currentIndex(), 0);
    QCOMPARE(dlg.setList()->itemText(1), QString("22.5 Degrees"));
    dlg.okButton()->click();
    QVERIFY(dlg.isVisible());
    QCOMPARE(f.lastMessage(), std::string("A value is missing. Fill in every field."));

    QTest::mouseClick(dlg.distanceRadio(), Qt::LeftButton);
    QVERIFY(!dlg.dischargeGroup()->isVisible());
    QVERIFY(!dlg.setList()->isVisible());
    QVERIFY(!dlg.fieldBox(2)->isVisible());
    QCOMPARE(dlg.distanceUnitList()->currentText(), QString("Feet"));
    QCOMPARE(dlg.outputUnit(), kFeet);
    dlg.okButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.outputUnit(), kFeet);
  }

  void screenshots() {
    for (const bool chinese : {false, true}) {
      for (const char* model : {"KM30_Ultrasonic.txt", "KM50_GuidedWave.txt"}) {
        TankForms f(model, kParshall, chinese);
        QVERIFY(f.loaded);
        f.records.Values.MakerMode = true;
        f.config.heightUnits = kFeet;
        f.config.outputUnits = kCfs;
        f.dims({3, 2, 4, 1.522f});
        CFormulaEntryDlg dlg(kParshall, f.services());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        if (chinese) QVERIFY(dlg.windowTitle().startsWith(QString::fromUtf8("公式输入")));
        dlg.setList()->setCurrentIndex(3);
        dlg.maxFlowButton()->click();
        ostrel::test::keep(dlg, QString("formula_entry_parshall_%1%2")
                                        .arg(QString(model).left(4).toLower())
                                        .arg(chinese ? "_zh" : ""));
      }
    }
  }
};

QTEST_MAIN(CFormulaEntryDlgTest)
#include "c_formula_entry_dlg_test.moc"

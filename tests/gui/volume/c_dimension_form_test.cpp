// The tank form offscreen over the shipped models: a user's road through
// the ultrasonic form (capacity, the user's own capacity, distance mode and
// a units change, a field that is not one number, OK), the guided-wave
// form's minimum current and "View Curve", and "Tanks" leaving the page's
// table alone. Screenshots in English and Chinese.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "gui/volume/c_dimension_form.h"
#include "gui/volume/c_view_curve.h"
#include "tank_forms_fixture.h"
#include "gui_test_helpers.h"

using namespace ostrel;
using ostrel::test::choose;
using ostrel::test::retype;
using ostrel::test::TankForms;

namespace {

constexpr std::uint16_t kCylinder = 0x0100;
constexpr int kFeet = 2, kUsGallons = 32;

}  // namespace

class CDimensionFormTest : public QObject {
  Q_OBJECT

 private slots:
  void ultrasonicRoad() {
    TankForms f("KM30_Ultrasonic.txt", kCylinder);
    QVERIFY(f.loaded);
    f.config.heightUnits = kFeet;
    f.config.outputUnits = kUsGallons;
    f.dims({20, 15, 0, 16, 10});
    CDimensionForm dlg(kCylinder, f.services());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QCOMPARE(dlg.windowTitle(), QString("Dimensional Inputs - Vertical Cylinder"));
    QVERIFY(dlg.volumeRadio()->isChecked());
    QCOMPARE(dlg.fieldLabel(3)->text(), QString("Tank Height (H)"));
    QVERIFY(dlg.fieldBox(4)->isVisible());
    QVERIFY(!dlg.fieldBox(5)->isVisible());
    QVERIFY(dlg.volumeGroup()->isVisible());
    QVERIFY(!dlg.minCurrentGroup()->isVisible());
    QVERIFY(!dlg.viewCurveButton()->isVisible());
    QVERIFY(!dlg.capacityBox()->isEnabled());
    QCOMPARE(dlg.volumeUnitList()->currentText(), QString("US Gallons"));
    QVERIFY(!dlg.picture()->pixmap().isNull());

    dlg.capacityButton()->click();
    QCOMPARE(dlg.capacityResultBox()->text(), QString("9400.3"));
    QTest::mouseClick(dlg.adjustCapacityCheck(), Qt::LeftButton);
    QVERIFY(dlg.capacityBox()->isEnabled());
    retype(dlg.capacityBox(), "20000");
    ostrel::test::keep(dlg, "dimension_form_km30");

    // Distance: the tank's fields and the volume controls go; metres and
    // back converts the fields.
    QTest::mouseClick(dlg.distanceRadio(), Qt::LeftButton);
    QVERIFY(!dlg.volumeGroup()->isVisible());
    QVERIFY(!dlg.fieldBox(3)->isVisible());
    QVERIFY(!dlg.dimensionUnitList()->isEnabled());
    QCOMPARE(dlg.outputUnit(), kFeet);
    choose(dlg.distanceUnitList(), "Meters");
    QCOMPARE(dlg.fieldBox(0)->text(), QString("6.096"));
    QCOMPARE(dlg.dimensionUnitList()->currentText(), QString("Meters"));
    choose(dlg.distanceUnitList(), "Feet");
    QCOMPARE(dlg.fieldBox(0)->text(), QString("20.0"));
    QTest::mouseClick(dlg.volumeRadio(), Qt::LeftButton);
    QCOMPARE(dlg.outputUnit(), kUsGallons);

    // A diameter of "1.2.3" is refused, not read as 1.2.
    retype(dlg.fieldBox(4), "1.2.3");
    dlg.okButton()->click();
    QVERIFY(dlg.isVisible());
    QCOMPARE(f.lastMessage(), std::string("1.2.3 is not a valid number."));
    QCOMPARE(f.table.MaxLevel, 0);

    retype(dlg.fieldBox(4), "10");
    dlg.okButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.shape(), kCylinder);
    QCOMPARE(dlg.dimensionUnit(), kFeet);
    QCOMPARE(dlg.outputUnit(), kUsGallons);
    QCOMPARE(f.table.Dimensions[9], 1.0f);
    QCOMPARE(f.table.Dimensions[10], 20000.0f);
    QCOMPARE(f.table.MaxLevel, 16 * 708);
    QCOMPARE(f.table.CapacityOrUserValue(kCylinder, kFeet, kUsGallons), 20000.0);
  }

  void guidedWaveMinimumCurrentAndCurve() {
    TankForms f("KM50_GuidedWave.txt", kCylinder);
    QVERIFY(f.loaded);
    f.records.Values.MakerMode = true;
    f.config.heightUnits = kFeet;
    f.config.outputUnits = kUsGallons;
    f.dims({20, 15, 2, 18, 16, 10});
    CDimensionForm dlg(kCylinder, f.services());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QCOMPARE(dlg.fieldLabel(2)->text(), QString("Min Fill Height"));
    QVERIFY(dlg.minCurrentGroup()->isVisible());
    dlg.minCurrentButton()->click();
    QCOMPARE(dlg.minCurrentBox()->text(), QString("6.000"));
    QCOMPARE(dlg.minVolumeBox()->text(), QString("1175.037"));
    ostrel::test::keep(dlg, "dimension_form_km50");

    bool viewed = false;
    dlg.runCurveViewer = [&](CViewCurve& viewer) {
      viewed = true;
      QCOMPARE(viewer.plot().title(), std::string("Vertical Cylinder"));
      QVERIFY(viewer.plot().drawable());
      QCOMPARE(viewer.plot().xMax(), 16.0);
      QCOMPARE(viewer.valueAxisLabel()->text(), QString("US Gallons"));
      QVERIFY(!viewer.capacityField()->text().isEmpty());
    };
    QVERIFY(dlg.viewCurveButton()->isVisible());
    dlg.viewCurveButton()->click();
    QVERIFY(viewed);

    // Distance: D2 follows the sensor height and cannot be typed in.
    QTest::mouseClick(dlg.distanceRadio(), Qt::LeftButton);
    QVERIFY(!dlg.fieldBox(2)->isEnabled());
    QVERIFY(dlg.fieldBox(3)->isVisible());
    QVERIFY(!dlg.minCurrentGroup()->isVisible());
    retype(dlg.fieldBox(0), "21");
    QCOMPARE(dlg.fieldBox(2)->text(), QString("2.83"));
    ostrel::test::keep(dlg, "dimension_form_km50_distance");

    QCOMPARE(QString::fromStdString(dlg.showHelp().filename().string()),
             QString("DIMENSIONENTRY_GWR.htm"));

    // "Tanks": back to the picker, the page's table as it was.
    dlg.tanksButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(dlg.backToShapes());
    QCOMPARE(f.table.Dimensions[0], 20.0f);
    QCOMPARE(f.table.MaxLevel, 0);
  }

  void chineseCaptions() {
    for (const char* model : {"KM30_Ultrasonic.txt", "KM50_GuidedWave.txt"}) {
      TankForms f(model, kCylinder, true);
      QVERIFY(f.loaded);
      QCOMPARE(f.records.Values.LanguageNumber, 1);
      f.config.heightUnits = kFeet;
      f.config.outputUnits = kUsGallons;
      f.dims({20, 15, 2, 18, 16, 10});
      CDimensionForm dlg(kCylinder, f.services());
      dlg.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dlg));
      QVERIFY(dlg.windowTitle().startsWith(QString::fromUtf8("尺寸输入")));
      QCOMPARE(dlg.capacityButton()->text(), QString::fromUtf8("容量"));
      ostrel::test::keep(dlg, QString("dimension_form_%1_zh").arg(QString(model).left(4).toLower()));
    }
  }
};

QTEST_MAIN(CDimensionFormTest)
#include "c_dimension_form_test.moc"

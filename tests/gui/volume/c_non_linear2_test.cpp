// The structure picker offscreen over the shipped models: one page of tanks
// without maker mode, every category with it (the active page's structures
// loaded for the form that follows), a double click choosing, and a
// structure file that cannot be read.

#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "gui/volume/c_alternate_page.h"
#include "gui/volume/c_non_linear2.h"
#include "gui_test_helpers.h"
#include "tank_forms_fixture.h"

using namespace ostrel;
using ostrel::test::TankForms;

class CNonLinear2Test : public QObject {
  Q_OBJECT

 private slots:
  void tanksOnlyWithoutMakerMode() {
    TankForms f("KM30_Ultrasonic.txt", 0x0100);
    QVERIFY(f.loaded);
    // Asked for the weirs page, the user still sees only the tanks.
    CNonLinear2 sheet(f.services(), f.records.Structures, test::kData / "Models", false, 2, 0x0300);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    QCOMPARE(sheet.windowTitle(), QString("Tanks, Flumes and Weirs"));
    QCOMPARE(sheet.pageCount(), 1);
    QCOMPARE(sheet.tabs()->tabText(0), QString("Tanks"));
    QListWidget* list = sheet.page(0)->list();
    QCOMPARE(list->count(), 7);
    QCOMPARE(list->item(0)->text(), QString("Vertical Cylinder"));
    QVERIFY(!list->item(0)->icon().isNull());
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(sheet.chosenShape(), std::uint16_t{0x0300});
    ostrel::test::keep(sheet, "picker_km30");

    const QRect sphere = list->visualItemRect(list->item(4));
    // A double click is a press, then the double click on the same item.
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, sphere.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, sphere.center());
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QCOMPARE(sheet.chosenShape(), std::uint16_t{0x0500});
  }

  void everyCategoryInMakerMode() {
    TankForms f("KM50_GuidedWave.txt", 0x0100);
    QVERIFY(f.loaded);
    CNonLinear2 sheet(f.services(), f.records.Structures, test::kData / "Models", true, 2, 0x2100);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    QCOMPARE(sheet.pageCount(), 4);
    QCOMPARE(sheet.tabs()->tabText(3), QString("Strapping Table"));
    QCOMPARE(sheet.tabs()->currentIndex(), 2);
    // The weirs are loaded and the stored class selected.
    QCOMPARE(f.records.Structures.NlTypes[0], std::uint16_t{0x20});
    QCOMPARE(sheet.page(2)->list()->currentRow(), 1);
    QCOMPARE(sheet.chosenShape(), std::uint16_t{0x2100});
    ostrel::test::keep(sheet, "picker_km50_weirs");

    // The flumes page: its structures replace the weirs; the class is not
    // there, so the first flume is chosen.
    sheet.tabs()->setCurrentIndex(1);
    QCOMPARE(f.records.Structures.NlTypes[0], std::uint16_t{0x40});
    QCOMPARE(sheet.page(1)->list()->count(), 10);
    QCOMPARE(sheet.chosenShape(), std::uint16_t{0x4000});
    sheet.page(1)->list()->setCurrentRow(2);
    sheet.okButton()->click();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QCOMPARE(sheet.chosenShape(), std::uint16_t{0x4200});
  }

  void aStructureFileThatCannotBeRead() {
    TankForms f("KM30_Ultrasonic.txt", 0x0100);
    QVERIFY(f.loaded);
    f.records.Database.NonLinearFiles[0] = "KM_Missing.txt";
    CNonLinear2 sheet(f.services(), f.records.Structures, test::kData / "Models", false, 0, 0xFFFF);
    QCOMPARE(f.lastMessage(), std::string("Error opening model file KM_Missing.txt"));
    QCOMPARE(sheet.page(0)->list()->count(), 0);
    QVERIFY(!sheet.okButton()->isEnabled());
    QCOMPARE(f.records.Structures.StructureCount, 0);
  }

  void chineseTitle() {
    TankForms f("KM30_Ultrasonic.txt", 0x0100, true);
    QVERIFY(f.loaded);
    CNonLinear2 sheet(f.services(), f.records.Structures, test::kData / "Models", true, 0, 0x0100);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    QCOMPARE(sheet.windowTitle(), QString::fromUtf8("储罐、量水槽和堰"));
    ostrel::test::keep(sheet, "picker_km30_zh");
  }
};

QTEST_MAIN(CNonLinear2Test)
#include "c_non_linear2_test.moc"

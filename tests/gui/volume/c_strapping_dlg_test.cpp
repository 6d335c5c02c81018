// The strapping form offscreen over the shipped models: what it opens with
// for an ultrasonic and a guided-wave model, cell edits through the grid's
// own editor, the unit and Rows controls, OK and "View Curve", and a record
// of 32 pairs that OK hands back whole. OSTREL_SHOTS_OUT names a folder for
// screenshots (English, and Chinese with the second language column).

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/volume/structure_file.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/c_strapping_dlg.h"
#include "gui/volume/c_view_curve.h"
#include "gui_test_helpers.h"

using namespace ostrel;
using ostrel::test::keep;
namespace fs = std::filesystem;
using Field = StrappingGrid::Field;

namespace {

const fs::path kData = OSTREL_SOURCE_DATA_DIR;
constexpr std::uint16_t kStrapping = 0x0700;
constexpr int kInches = 0, kFeet = 2, kUsGallons = 32;

// A model, the tank structures, the configuration and the page's records.
struct Form {
  explicit Form(const char* modelFile) {
    records.Language.LoadPath(kData / "Models" / "Ostrel_Language.txt");
    ModelFileParser parser(records.targets());
    loaded = parser.LoadModelFile(kData / "Models" / "Corporate_Model", 0) &&
             parser.LoadModelFile(kData / "Models" / modelFile, 0) &&
             StructureFile::load(records.Database, kData / "Models", kStrapping, records.Structures);
    config.heightUnits = kFeet;
    config.outputUnits = kUsGallons;
    config.shapeCode = kStrapping;
    table.Link = ModelLink(&records.Database, &records.Structures);
    table.Reset();
  }
  VolumeFormServices services() {
    return VolumeFormServices{records, config, presenter, kData / "Bitmaps", kData / "Help",
                              table,   rows};
  }
  void pairs(std::initializer_list<std::pair<float, float>> list) {
    rows.clear();
    for (const auto& [l, v] : list) {
      rows.Levels[static_cast<std::size_t>(rows.RowCount)] = l;
      rows.Volumes[static_cast<std::size_t>(rows.RowCount++)] = v;
    }
  }

  ModelRecords records;
  UnitConfiguration config;
  VolumeTable table;
  StrappingRows rows;
  QtPresenter presenter{&records.Language, &records.Values, true};
  bool loaded = false;
};

// Types into a pair cell through the grid's own editor, as a user would.
void typeInCell(QTableWidget* grid, int row, int column, const QString& text) {
  grid->setCurrentCell(row, column);
  grid->editItem(grid->item(row, column));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  QVERIFY(editor != nullptr);
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Delete);
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  // The editor commits on a queued call, and the cell's message follows it.
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

QColor background(QTableWidget* grid, int row, int column) {
  return grid->item(row, column)->background().color();
}

}  // namespace

class CStrappingDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void ultrasonicFormEditsChecksAndBuilds() {
    Form f("KM30_Ultrasonic");
    QVERIFY(f.loaded);
    f.table.Dimensions = {12, 10, 0, 10};
    f.pairs({{0, 0}, {5, 100}, {10, 300}});
    CStrappingDlg dlg(kStrapping, f.services());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QCOMPARE(dlg.windowTitle(), QString("Strapping Table - Custom Tank Shape"));
    QVERIFY(dlg.picture()->pixmap().width() == 300);
    QVERIFY(dlg.fieldBox(Field::RiserHeight)->isVisible());
    QVERIFY(!dlg.fieldBox(Field::ProbeLength)->isVisible());
    QVERIFY(!dlg.viewCurveButton()->isVisible());  // maker mode off
    QCOMPARE(dlg.fieldBox(Field::TankHeight)->text(), QString("10.0"));
    QCOMPARE(dlg.unitsBox()->text(), QString("Feet"));
    QTableWidget* grid = dlg.table();
    QCOMPARE(grid->rowCount(), 17);
    QCOMPARE(grid->rowHeight(5), 25);
    QCOMPARE(dlg.levelUnitList()->currentText(), QString("Feet"));
    QCOMPARE(dlg.volumeUnitList()->currentText(), QString("US Gallons"));
    QCOMPARE(grid->item(2, 0)->text(), QString("2"));
    QCOMPARE(grid->item(3, 2)->text(), QString("300.0"));
    QVERIFY(!(grid->item(1, 1)->flags() & Qt::ItemIsEditable));
    QCOMPARE(dlg.rowsBox()->value(), 17);
    QCOMPARE(dlg.rowsBox()->maximum(), 17);

    // A level above the tank height: told, and the cell turns red; putting
    // it right turns it white again.
    typeInCell(grid, 3, 1, "10.5");
    QCOMPARE(background(grid, 3, 1), QColor(255, 0, 0));
    QCOMPARE(f.presenter.shown().size(), std::size_t{1});
    QCOMPARE(f.presenter.shown()[0].text, std::string(": value above the maximum of 10.000."));
    QCOMPARE(f.presenter.shown()[0].style, unsigned{kStyleError});
    typeInCell(grid, 3, 1, "10");
    QCOMPARE(background(grid, 3, 1), QColor(255, 255, 255));
    // A typo: red, no message, and OK refuses silently.
    f.presenter.clearShown();
    typeInCell(grid, 4, 2, "4o0");
    QCOMPARE(background(grid, 4, 2), QColor(255, 0, 0));
    QVERIFY(f.presenter.shown().empty());
    typeInCell(grid, 4, 1, "10");
    dlg.okButton()->click();
    QVERIFY(dlg.isVisible());
    QVERIFY(f.presenter.shown().empty());
    typeInCell(grid, 4, 1, "");
    typeInCell(grid, 4, 2, "");

    // Rows: five pair rows, then sixteen again with empty rows at the end.
    dlg.rowsBox()->setValue(5);
    QCOMPARE(grid->rowCount(), 6);
    dlg.rowsBox()->setValue(16);
    QCOMPARE(grid->rowCount(), 17);
    QCOMPARE(grid->item(16, 0)->text(), QString("16"));
    QCOMPARE(grid->item(7, 1)->text(), QString());

    // Inches: fields and levels converted, volumes kept.
    const int inches = dlg.levelUnitList()->findText("Inches");
    dlg.levelUnitList()->setCurrentIndex(inches);
    emit dlg.levelUnitList()->activated(inches);
    QCOMPARE(dlg.unitsBox()->text(), QString("Inches"));
    QCOMPARE(dlg.fieldBox(Field::SensorHeight)->text(), QString("144.0"));
    QCOMPARE(grid->item(2, 1)->text(), QString("60.0"));
    QCOMPARE(grid->item(2, 2)->text(), QString("100.0"));
    keep(dlg, "strapping_ultrasonic");

    // Help opens the form's topic.
    const fs::path help = dlg.showHelp();
    QCOMPARE(QString::fromStdString(help.filename().string()), QString("StrappingTable.htm"));

    // OK builds the page's records and returns the units.
    f.presenter.clearShown();
    dlg.okButton()->click();
    QVERIFY(f.presenter.shown().empty());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.dimensionUnit(), kInches);
    QCOMPARE(dlg.outputUnit(), kUsGallons);
    QCOMPARE(f.rows.RowCount, 3);
    QCOMPARE(f.rows.Levels[1], 60.0f);
    QCOMPARE(f.table.Dimensions[3], 120.0f);
    QCOMPARE(f.table.MaxLevel, 7081);  // trunc(120 * 59 + 1)
    QCOMPARE(f.table.Scale, 300.0f / 65535.0f);
  }

  void guidedWaveFormKeepsThirtyTwoPairsAndShowsTheCurve() {
    Form f("KM50_GuidedWave");
    QVERIFY(f.loaded);
    f.records.Values.MakerMode = true;
    f.table.Dimensions = {20, 15, 0.83f, 19, 15.5f};
    for (int i = 0; i < StrappingRows::kCapacity; ++i) {
      f.rows.Levels[static_cast<std::size_t>(i)] = 0.5f * static_cast<float>(i);
      f.rows.Volumes[static_cast<std::size_t>(i)] = 12.5f * static_cast<float>(i);
    }
    f.rows.RowCount = StrappingRows::kCapacity;
    const StrappingRows before = f.rows;
    CStrappingDlg dlg(kStrapping, f.services());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QVERIFY(!dlg.fieldBox(Field::RiserHeight)->isVisible());
    QVERIFY(dlg.fieldBox(Field::ProbeLength)->isVisible());
    QCOMPARE(dlg.fieldLabel(Field::FillHeight)->text(), QString("Max Fill Height (F)"));
    QCOMPARE(dlg.fieldBox(Field::TankHeight)->text(), QString("15.5"));
    QCOMPARE(dlg.fieldBox(Field::ProbeLength)->text(), QString("19.0"));
    QVERIFY(!dlg.picture()->pixmap().isNull());
    QCOMPARE(dlg.table()->rowCount(), 33);
    QCOMPARE(dlg.rowsBox()->maximum(), 33);
    QCOMPARE(dlg.table()->item(32, 1)->text(), QString("15.5"));
    keep(dlg, "strapping_guided_wave");

    // "View Curve": the grid's table under the header's unit names, up to
    // the tank height; the page's records stay as they were.
    QVERIFY(dlg.viewCurveButton()->isVisible());
    bool viewed = false;
    dlg.runCurveViewer = [&](CViewCurve& viewer) {
      viewed = true;
      viewer.show();
      QCOMPARE(viewer.plot().title(), std::string("Strapping Table"));
      QVERIFY(viewer.plot().drawable());
      QCOMPARE(viewer.plot().xMax(), 15.5);
      QCOMPARE(viewer.levelAxisLabel()->text(), QString("Feet"));
      QCOMPARE(viewer.valueAxisLabel()->text(), QString("US Gallons"));
      viewer.levelSlider()->setValue(viewer.levelSlider()->maximum() / 2);
      keep(viewer, "view_curve_from_strapping");
    };
    dlg.viewCurveButton()->click();
    QVERIFY(viewed);
    QCOMPARE(f.table.MaxLevel, 0);

    dlg.okButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(f.rows.RowCount, 32);
    QVERIFY(f.rows.Levels == before.Levels);
    QVERIFY(f.rows.Volumes == before.Volumes);
    QCOMPARE(f.table.Dimensions[4], 15.5f);
    QCOMPARE(f.table.Dimensions[2], 0.83f);
  }

  void tanksAndCancelLeaveThePageAlone() {
    Form f("KM30_Ultrasonic");
    QVERIFY(f.loaded);
    f.table.Dimensions = {12, 10, 0, 10};
    f.pairs({{0, 0}, {10, 300}});
    CStrappingDlg dlg(kStrapping, f.services());
    dlg.show();
    dlg.fieldBox(Field::TankHeight)->setText("11");
    dlg.tanksButton()->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(dlg.backToShapes());
    QCOMPARE(f.table.Dimensions[3], 10.0f);
    QCOMPARE(f.table.MaxLevel, 0);
  }

  void chineseCaptions() {
    Form f("KM30_Ultrasonic");
    QVERIFY(f.loaded);
    f.records.Values.LanguageNumber = 1;
    f.table.Dimensions = {12, 10, 0, 10};
    f.pairs({{0, 0}, {5, 100}, {10, 300}});
    CStrappingDlg dlg(kStrapping, f.services());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.windowTitle().startsWith(QString::fromUtf8("容积标定表")));
    QCOMPARE(dlg.okButton()->text(), QString::fromUtf8("确定"));
    keep(dlg, "strapping_ultrasonic_zh");
  }
};

QTEST_MAIN(CStrappingDlgTest)
#include "c_strapping_dlg_test.moc"

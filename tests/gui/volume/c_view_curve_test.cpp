// The curve viewer offscreen: what it paints for a strapping table checked
// by hand (black field, yellow axes, blue curve, red cursor) as the slider
// moves and the window is resized, what it paints for a table never built,
// and the picture and table it saves. OSTREL_SHOTS_OUT names a folder for
// screenshots.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "core/volume/strapping_rows.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/c_graph.h"
#include "gui/volume/c_view_curve.h"
#include "gui_test_helpers.h"

using namespace ostrel;
using ostrel::test::keep;

namespace {

// (0, 0), (5, 100), (10, 300) over a tank height of 10 at 100 counts a unit.
VolumeTable strappingTable() {
  StrappingRows rows;
  rows.RowCount = 3;
  rows.Levels = {0, 5, 10};
  rows.Volumes = {0, 100, 300};
  VolumeTable t;
  t.LevelScale = 100;
  t.Dimensions[3] = 10;
  t.StructureName = "Strapping Table";
  t.BuildStrappingTable(rows);
  return t;
}

int countColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour ? 1 : 0;
  }
  return n;
}

const QRgb kBlack = qRgb(0, 0, 0), kYellow = qRgb(255, 255, 0), kBlue = qRgb(0, 0, 255),
           kRed = qRgb(255, 0, 0);

}  // namespace

class CViewCurveTest : public QObject {
  Q_OBJECT

 private slots:
  void drawsTheCurveAndFollowsTheSliderAndTheSize() {
    const VolumeTable table = strappingTable();
    QtPresenter presenter(nullptr, nullptr, true);
    CViewCurve viewer(table, 10.0, "Feet", "US Gallons", nullptr, &presenter);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QCOMPARE(viewer.windowTitle(), QString("View Curve"));
    QCOMPARE(viewer.levelSlider()->maximum(), 1001);
    QCOMPARE(viewer.plot().valueLabel(), std::string("0.000"));
    QCOMPARE(viewer.capacityField()->text(), QString("0"));
    viewer.setMinMaxCapacity(0, 300, 1.0 / 3.0);
    QCOMPARE(viewer.capacityField()->text(), QString("0.333333333333333"));

    CGraph* graph = viewer.graph();
    QImage image = graph->grab().toImage();
    const int w = image.width(), h = image.height();
    QCOMPARE(image.pixel(2, 2), kBlack);
    QCOMPARE(image.pixel(w / 2, static_cast<int>(h * 0.9)), kYellow);  // level axis
    QVERIFY(countColour(image, kBlue) > 100);
    // At level 0 the cursor lies over the value axis, from value 0 upward.
    QCOMPARE(image.pixel(static_cast<int>(w * 0.1), h / 3), kRed);

    // Half way up the slider: the cursor moves to the middle of the data
    // area and reads 5 units, 100 gallons.
    viewer.levelSlider()->setValue(500);
    QCOMPARE(viewer.plot().valueLabel(), std::string("100.000"));
    image = graph->grab().toImage();
    QCOMPARE(image.pixel(static_cast<int>(w * 0.1), h / 3), kYellow);
    const PlotPoint cursor = graph->mapping().toPixel(5.0, 150.0);
    QVERIFY(std::abs(cursor.x - w / 2) <= 1);
    QCOMPARE(image.pixel(cursor.x, cursor.y), kRed);
    viewer.levelSlider()->setValue(1001);
    keep(viewer, "view_curve_strapping");

    // A bigger window: the data area follows it.
    viewer.resize(900, 700);
    QTRY_VERIFY(graph->width() > w);
    const PlotPoint origin = graph->mapping().toPixel(0, 0);
    QCOMPARE(origin.x, static_cast<int>(0.1 * graph->width()));
    QCOMPARE(origin.y, static_cast<int>(0.9 * graph->height()));
    image = graph->grab().toImage();
    QCOMPARE(image.pixel(origin.x + 1, origin.y + 1), kBlack);
    keep(viewer, "view_curve_resized");

    // The picture and the table, saved and read back.
    QTemporaryDir dir;
    const QString png = dir.filePath("curve.png");
    viewer.choosePictureName = [&](const QString& proposed) {
      return proposed.endsWith("Strapping_Table.png") ? png : QString();
    };
    viewer.savePictureButton()->click();
    QImage saved;
    QVERIFY(saved.load(png));
    QCOMPARE(saved.size(), graph->size());
    const QString csvPath = dir.filePath("curve.csv");
    viewer.chooseTableName = [&](const QString&) { return csvPath; };
    viewer.saveTableButton()->click();
    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray content = csv.readAll();
    QVERIFY(content.startsWith("Feet,US Gallons\r\n0.0,0\r\n"));
    // A folder that is not there: the user is told, nothing is left behind.
    viewer.chooseTableName = [&](const QString&) { return dir.filePath("gone/curve.csv"); };
    viewer.saveTableButton()->click();
    QCOMPARE(presenter.shown().size(), std::size_t{1});
    QVERIFY(presenter.shown()[0].text.find("gone/curve.csv") != std::string::npos);
  }

  void anUnbuiltTableShowsTheFieldAxesAndTextsOnly() {
    VolumeTable reset;
    reset.Reset();
    reset.StructureName = "Vertical Cylinder";
    CViewCurve viewer(reset, 0.0, "Feet", "US Gallons");
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QVERIFY(!viewer.levelSlider()->isEnabled());
    viewer.levelSlider()->setValue(10);
    QCOMPARE(viewer.plot().levelLabel(), std::string("0.00000"));
    const QImage image = viewer.graph()->grab().toImage();
    QCOMPARE(image.pixel(2, 2), kBlack);
    QVERIFY(countColour(image, kYellow) > 100);
    QCOMPARE(countColour(image, kBlue), 0);
    QCOMPARE(countColour(image, kRed), 0);
    // The title is there, in magenta.
    QVERIFY(countColour(image, qRgb(255, 0, 255)) > 0);
    QVERIFY(!viewer.saveTableButton()->isEnabled());
    keep(viewer, "view_curve_unbuilt");
  }
};

QTEST_MAIN(CViewCurveTest)
#include "c_view_curve_test.moc"

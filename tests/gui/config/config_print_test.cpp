// The printed configuration report written as PDF, offscreen: one A4 page
// for a plain factory configuration and for the longest report a page can
// give (a full strapping table and long notes), with the unit named in it.
// OSTREL_REPORT_OUT names a folder to leave the PDFs and page pictures in
// for a person to look at.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPrintPreviewDialog>
#include <QTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>

#include "core/config/config_page_model.h"
#include "core/config/config_report.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/volume/strapping_rows.h"
#include "gui/config/config_print.h"
#include "gui/support/qt_presenter.h"

using namespace ostrel;
namespace fs = std::filesystem;

namespace {

const fs::path kData = OSTREL_SOURCE_DATA_DIR;

struct SamplePage {
  SamplePage(const std::string& modelFile, const std::string& model) {
    records.Language.LoadPath(kData / "Models" / "Ostrel_Language.txt");
    ModelFileParser parser(records.targets());
    loaded = parser.LoadModelFile(kData / "Models" / "Corporate_Model", 0) &&
             parser.LoadModelFile(kData / "Models" / modelFile, 0);
    config.model = model;
    ConfigPageServices s;
    s.records = &records;
    s.configsFolder = kData / "Configs";
    s.modelsFolder = kData / "Models";
    page = std::make_unique<ConfigPageModel>(config, s);
    page->setSampleMode(true);
    loaded = loaded && page->activate();
  }
  ConfigReport report() const {
    return ConfigReport::build(*page, records, "2026-12-09 19:40").report.value_or(ConfigReport{});
  }
  QString logo() const {
    return QString::fromStdString((kData / "Bitmaps" / records.Identity.LogoImage).string());
  }

  ModelRecords records;
  UnitConfiguration config;
  std::unique_ptr<ConfigPageModel> page;
  bool loaded = false;
};

// The PDF objects of type /Page (not /Pages).
int pageCount(const QByteArray& pdf) {
  return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") +
                          pdf.count("/Type /Page/") + pdf.count("/Type /Page>"));
}

// A text string of the PDF's information dictionary: UTF-16 big-endian.
QByteArray pdfText(const QString& s) {
  QByteArray out;
  for (const QChar c : s) {
    out.append(static_cast<char>(c.unicode() >> 8));
    out.append(static_cast<char>(c.unicode() & 0xFF));
  }
  return out;
}

void keep(const QString& name, const QString& pdfPath, const ConfigReport& report, const QString& logo) {
  const QString out = qEnvironmentVariable("OSTREL_REPORT_OUT");
  if (out.isEmpty()) return;
  QDir().mkpath(out);
  QFile::remove(out + "/" + name + ".pdf");
  QFile::copy(pdfPath, out + "/" + name + ".pdf");
  reportImage(report, logo, 110).save(out + "/" + name + ".png");
}

}  // namespace

class ConfigPrintTest : public QObject {
  Q_OBJECT

 private slots:
  void factoryConfigurationsPrintOnOnePage() {
    for (const auto& [file, model] : {std::pair{"KM30_Ultrasonic.txt", "KM30"},
                                      std::pair{"KM50_GuidedWave.txt", "KM50"},
                                      std::pair{"KM70_PulseRadar.txt", "KM70"}}) {
      SamplePage p(file, model);
      QVERIFY(p.loaded);
      p.page->editBox(&PageBoxes::notes, "Wet well 3. Checked after the pump change.");
      const ConfigReport report = p.report();
      QVERIFY(QString::fromStdString(report.model).startsWith(model));

      QTemporaryDir dir;
      const QString path = dir.filePath("report.pdf");
      QVERIFY(saveReportPdf(report, path, p.logo()));
      QFile f(path);
      QVERIFY(f.open(QIODevice::ReadOnly));
      const QByteArray pdf = f.readAll();
      QVERIFY(pdf.startsWith("%PDF-"));
      QCOMPARE(pageCount(pdf), 1);
      QVERIFY(pdf.contains(pdfText(QStringLiteral("Configuration Report ") + QString::fromStdString(report.model))));
      // The logo is drawn as an image, and the page carries text.
      QVERIFY(pdf.contains("/Subtype /Image"));
      keep(QString(model), path, report, p.logo());
    }
  }

  void theLongestReportStillFitsOnePage() {
    SamplePage p("KM30_Ultrasonic.txt", "KM30");
    QVERIFY(p.loaded);
    StrappingRows& rows = p.page->strapping();
    rows.RowCount = StrappingRows::kCapacity;
    for (int i = 0; i < StrappingRows::kCapacity; ++i) {
      rows.Levels[static_cast<std::size_t>(i)] = 0.5f * static_cast<float>(i);
      rows.Volumes[static_cast<std::size_t>(i)] = 120.0f * static_cast<float>(i);
    }
    VolumeTable& v = p.page->volume();
    v.Dimensions[0] = 20.0f;
    v.Dimensions[1] = 15.5f;
    v.Dimensions[3] = 16.0f;
    p.page->applyStructure(0x0701, 32, 2);
    QString notes;
    for (int i = 0; i < 40; ++i) notes += QStringLiteral("Line %1 of the site notes.\n").arg(i + 1);
    p.page->editBox(&PageBoxes::notes, notes.toStdString());
    const ConfigReport report = p.report();
    QCOMPARE(static_cast<int>(report.strapping.size()), StrappingRows::kCapacity);

    QTemporaryDir dir;
    const QString path = dir.filePath("long.pdf");
    QVERIFY(saveReportPdf(report, path, p.logo()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(pageCount(f.readAll()), 1);
    keep("KM30_strapping", path, report, p.logo());

    // Nothing runs past the footer into the bottom margin (15 mm, 59 rows
    // at 100 dpi): the page was drawn smaller rather than cut off.
    const QImage page = reportImage(report, p.logo(), 100).convertToFormat(QImage::Format_RGB32);
    int inked = 0;
    for (int y = page.height() - 55; y < page.height(); ++y) {
      for (int x = 0; x < page.width(); ++x) inked += page.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
    }
    QCOMPARE(inked, 0);
  }

  // The Print button's call: the preview opens on a matched configuration;
  // an unmatched one gets its message and no preview.
  void printButtonPreviewsOrRefuses() {
    SamplePage p("KM30_Ultrasonic.txt", "KM30");
    QVERIFY(p.loaded);
    QtPresenter presenter(&p.records.Language, &p.records.Values, true);
    const fs::path bitmaps = kData / "Bitmaps";
    // The preview is closed as soon as it shows, however long it takes to
    // come up; anything else modal that shows instead is closed after 10 s,
    // so the test fails rather than hangs.
    bool previewed = false;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
        previewed = true;
        preview->reject();
      } else if (modal != nullptr && waited.elapsed() > 10000) {
        modal->close();
      }
    });
    poll.start();
    QVERIFY(printConfiguration(nullptr, *p.page, p.records, bitmaps, presenter));
    poll.stop();
    QVERIFY(previewed);
    QVERIFY(presenter.shown().empty());

    p.page->clearScreen();
    QVERIFY(!printConfiguration(nullptr, *p.page, p.records, bitmaps, presenter));
    QCOMPARE(presenter.shown().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(presenter.shown().front().text),
             QString::fromStdString(p.records.Language.Text("ERROR_MESSAGE133", 0)));
  }

  void anUnwritablePathFails() {
    SamplePage p("KM30_Ultrasonic.txt", "KM30");
    QVERIFY(!saveReportPdf(p.report(), "/nonexistent-folder/report.pdf"));
  }
};

QTEST_MAIN(ConfigPrintTest)
#include "config_print_test.moc"

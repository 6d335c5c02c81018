// Writes the wiring diagrams of the shipped model configurations as one-page
// A4 landscape PDFs:
//   make_drawings OUT_DIR [--png PNG_DIR]
// --png also renders each sheet to a PNG of the same name, for looking at
// the drawings without a PDF viewer.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>
#include <cstring>

#include "drawing_catalogue.h"
#include "wiring_sheet.h"

namespace {

constexpr int kPdfDpi = 600;
constexpr int kPngDpi = 150;
constexpr double kMmPerInch = 25.4;

bool writePdf(const QString& path, const drawings::DrawingEntry& entry) {
  QPdfWriter pdf(path);
  pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
  pdf.setResolution(kPdfDpi);
  pdf.setTitle(QString("%1 wiring diagram: %2").arg(entry.Model, entry.Configuration));
  pdf.setCreator("ostrel make_drawings");
  QPainter painter;
  if (!painter.begin(&pdf)) return false;
  drawings::WiringSheet sheet(painter, kPdfDpi / kMmPerInch);
  sheet.draw(entry);
  return painter.end();
}

bool writePng(const QString& path, const drawings::DrawingEntry& entry) {
  const double dotsPerMm = kPngDpi / kMmPerInch;
  QImage image(static_cast<int>(drawings::WiringSheet::kPageWidth * dotsPerMm + 0.5),
               static_cast<int>(drawings::WiringSheet::kPageHeight * dotsPerMm + 0.5),
               QImage::Format_RGB32);
  image.setDotsPerMeterX(static_cast<int>(dotsPerMm * 1000.0 + 0.5));
  image.setDotsPerMeterY(static_cast<int>(dotsPerMm * 1000.0 + 0.5));
  image.fill(Qt::white);
  QPainter painter(&image);
  drawings::WiringSheet sheet(painter, dotsPerMm);
  sheet.draw(entry);
  painter.end();
  return image.save(path);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--png") == 0)) {
    std::fprintf(stderr, "usage: make_drawings OUT_DIR [--png PNG_DIR]\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  const QString pngDir = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
  if (!QDir().mkpath(out.path()) || (!pngDir.isEmpty() && !QDir().mkpath(pngDir))) {
    std::fprintf(stderr, "make_drawings: cannot create the output folders\n");
    return 1;
  }
  int failures = 0;
  for (const drawings::DrawingEntry& entry : drawings::catalogue()) {
    const QString pdf = out.filePath(entry.File);
    if (!writePdf(pdf, entry)) {
      std::fprintf(stderr, "make_drawings: cannot write %s\n", qPrintable(pdf));
      ++failures;
      continue;
    }
    if (!pngDir.isEmpty()) {
      QString name = entry.File;
      name.replace(".pdf", ".png");
      const QString png = QDir(pngDir).filePath(name);
      if (!writePng(png, entry)) {
        std::fprintf(stderr, "make_drawings: cannot write %s\n", qPrintable(png));
        ++failures;
      }
    }
    std::printf("%s\n", qPrintable(pdf));
  }
  return failures == 0 ? 0 : 1;
}

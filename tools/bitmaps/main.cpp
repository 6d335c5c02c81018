// Draws every picture the shipped model and structure files name and writes
// them as 24-bit Windows bitmaps into the folder given on the command line:
//   make_bitmaps data/Bitmaps [data/Models]
// The model files are read for the overlay positions; the pictures are
// drawn so those positions fall on the levels they mark.
#include <QDir>
#include <QGuiApplication>

#include <cstdio>

#include "channel_pictures.h"
#include "model_pictures.h"
#include "output_folder.h"
#include "tank_pictures.h"

int main(int argc, char** argv) {
  // Drawing needs no display; the offscreen platform keeps the tool usable
  // on a build machine.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: make_bitmaps OUTPUT_FOLDER [MODELS_FOLDER]\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString models = argc == 3 ? QString::fromLocal8Bit(argv[2])
                                   : QDir(folder).filePath(QStringLiteral("../Models"));
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "make_bitmaps: cannot create %s\n", argv[1]);
    return 1;
  }
  ostrel::bitmaps::OutputFolder out(folder);
  if (!ostrel::bitmaps::drawModelPictures(out, models)) return 1;
  ostrel::bitmaps::drawTankStructures(out);
  ostrel::bitmaps::drawChannelStructures(out);
  for (const QString& name : out.failed()) {
    std::fprintf(stderr, "make_bitmaps: cannot write %s\n", qPrintable(name));
  }
  std::printf("make_bitmaps: %lld pictures in %s\n", static_cast<long long>(out.written().size()),
              qPrintable(folder));
  return out.failed().isEmpty() ? 0 : 1;
}

#include <QApplication>

#include "gui/app/c_ostrel_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("ostrel");
  QApplication::setApplicationVersion(OSTREL_VERSION);
  return ostrel::COstrelApp::run(QApplication::arguments());
}

#include <QApplication>

#include "gui/app/c_ostrel_app.h"
#include "gui/support/app_icon.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("ostrel");
  QApplication::setApplicationVersion(OSTREL_VERSION);
  QApplication::setWindowIcon(ostrel::applicationIcon());
  return ostrel::COstrelApp::run(QApplication::arguments());
}

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/app/c_ostrel_app.h"
#include "gui/app/startup_options.h"
#include "gui/support/app_icon.h"

namespace {

bool hasEnv(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

bool wantsScreenshots(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshots") == 0 ||
        std::strncmp(argv[i], "--screenshots=", 14) == 0) {
      return true;
    }
  }
  return false;
}

// An option of Qt's own (-platform, -style, ...): QApplication takes those
// out of the arguments, so the tool's parser may only judge what is left.
bool hasQtOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-' && argv[i][1] != '-' && std::strlen(argv[i]) > 3) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // --help, --version and a usage error end here, before anything needs a
  // display or touches the user's files.
  if (!hasQtOption(argc, argv)) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QString text;
    bool informational = false;
    if (!ostrel::StartupOptions::parse(arguments, text, informational)) {
      std::fputs(text.toLocal8Bit().constData(), informational ? stdout : stderr);
      return informational ? 0 : 2;
    }
  }
  // Without a display Qt would stop with its platform plugin error; say
  // instead what to do. An unattended run with pictures needs no display.
  if (!hasEnv("DISPLAY") && !hasEnv("WAYLAND_DISPLAY") && !hasEnv("QT_QPA_PLATFORM")) {
    if (!wantsScreenshots(argc, argv)) {
      std::fputs(
          "ostrel: no display to open the window on. Set DISPLAY (or WAYLAND_DISPLAY), or run "
          "without one: ostrel --screenshots DIR [--simulate KIND | --port PATH]\n",
          stderr);
      return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("ostrel");
  QApplication::setApplicationVersion(OSTREL_VERSION);
  QApplication::setWindowIcon(ostrel::applicationIcon());
  return ostrel::COstrelApp::run(QApplication::arguments());
}

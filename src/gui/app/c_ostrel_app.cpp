#include "gui/app/c_ostrel_app.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <iostream>

#include "core/platform/instance_lock.h"
#include "gui/app/c_ostrel_dlg.h"
#include "gui/app/startup_options.h"

namespace ostrel {

namespace {

bool noScreenToAskOn() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

// Saves a picture of the window and says where it is.
void saveScreenshot(QWidget& window, const std::filesystem::path& folder, const char* name,
                    const char* what) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::filesystem::path file = std::filesystem::absolute(folder / name, ec);
  if (window.grab().save(QString::fromStdString(file.string()))) {
    std::cout << what << ": " << file.string() << std::endl;
  } else {
    std::cerr << "ostrel: could not save " << file.string() << std::endl;
  }
}

}  // namespace

int COstrelApp::run(const QStringList& arguments) {
  QString text;
  bool informational = false;
  std::optional<StartupOptions> options = StartupOptions::parse(arguments, text, informational);
  if (!options) {
    (informational ? std::cout : std::cerr) << text.toStdString();
    return informational ? 0 : 2;
  }
  options->unattended = options->unattended || noScreenToAskOn();

  // One copy per user. The lock stays held until the process ends.
  static InstanceLock lock;
  if (lock.acquire() == InstanceLock::Result::AlreadyRunning) {
    const char* message = "Only one application instance can be run!";
    if (options->unattended) {
      std::cerr << "[message] " << message << std::endl;
    } else {
      QMessageBox::warning(nullptr, QApplication::applicationName(), message);
    }
    return kExitSecondInstance;
  }

  COstrelDlg dialog(*options);
  if (!dialog.initialise()) return dialog.exitCode();

  if (options->screenshots) {
    const std::filesystem::path folder = *options->screenshots;
    dialog.show();
    QTimer::singleShot(200, &dialog, [&dialog, folder] {
      saveScreenshot(dialog, folder, "startup.png", "Startup window");
      dialog.done(0);
    });
  }
  return dialog.exec();
}

}  // namespace ostrel

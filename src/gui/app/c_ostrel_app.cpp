#include "gui/app/c_ostrel_app.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QComboBox>
#include <filesystem>
#include <functional>
#include <memory>
#include <iostream>

#include "core/platform/instance_lock.h"
#include "core/session/app_context.h"
#include "gui/app/c_main_form.h"
#include "gui/app/c_ostrel_dlg.h"
#include "gui/app/startup_options.h"
#include "gui/config/c_generic_form.h"
#include "gui/diag/c_big_display.h"
#include "gui/diag/c_diagnostics.h"
#include "gui/diag/c_echo_curve_pulse.h"
#include "gui/diag/c_led.h"
#include "gui/firmware/c_update_program.h"

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

// What the connect sequence identified, for a run nobody watches.
void printIdentity(const AppContext& ctx) {
  const UnitConfiguration& unit = ctx.Unit;
  std::cout << "Unit: model " << unit.model << ", firmware " << unit.firmware << ", software "
            << unit.softwareRevision << ", serial " << unit.serial << ", model file "
            << (unit.modelFileName.empty() ? "(none)" : unit.modelFileName) << std::endl;
}

// What the configuration page shows of the unit's configuration.
void printConfigurationPage(CMainForm& form) {
  for (int i = 0; i < form.pageCount(); ++i) {
    auto* page = qobject_cast<CGenericForm*>(form.page(i));
    if (page == nullptr) continue;
    const ConfigPageModel& m = page->model();
    std::cout << "Configuration page: " << m.statusLine() << "; sensor height "
              << m.boxes().sensorHeight << ", fill height " << m.boxes().fillHeight << " "
              << m.looks().heightUnitsText() << std::endl;
  }
}

CGenericForm* configurationPage(CMainForm& form) {
  for (int i = 0; i < form.pageCount(); ++i) {
    if (auto* page = qobject_cast<CGenericForm*>(form.page(i))) return page;
  }
  return nullptr;
}

// The live display after a few frames of a page unit (and the diagnostics
// page with an echo record of a guided-wave unit), saved and described;
// then done() runs.
void saveLivePages(COstrelDlg& dialog, CMainForm& form, const std::filesystem::path& folder,
                   const std::function<void()>& done) {
  AppContext& ctx = dialog.context();
  const bool pageUnit = ctx.State.Kind == UnitKind::Ultrasonic ||
                        ctx.State.Kind == UnitKind::GuidedWave || ctx.State.Kind == UnitKind::UType;
  if (ctx.State.Kind == UnitKind::PulseRadar) {
    const PageServices services{ctx, dialog.presenter(), false};
    auto curves = std::make_shared<CEchoCurvePulse>(services);
    curves->resize(760, 640);
    curves->show();
    curves->OnSetActive();
    curves->loadButton()->click();
    saveScreenshot(*curves, folder, "echo-curve.png", "Echo curve");
    const PulseCurveModel& m = curves->model();
    std::cout << "Echo curve: " << m.slot(PulseCurveModel::kEcho).samples.size()
              << " samples, echo " << m.distanceText(m.echoDistance(), "%2.3f") << ", level "
              << m.distanceText(m.levelDistance(), "%2.3f") << std::endl;
    done();
    return;
  }
  if (!pageUnit) {
    done();
    return;
  }
  const PageServices services{ctx, dialog.presenter(), false};
  CGenericForm* configuration = configurationPage(form);
  auto live = std::make_shared<CBigDisplay>(services);
  live->configurationModel = [configuration]() -> ConfigPageModel* {
    return configuration != nullptr ? &configuration->model() : nullptr;
  };
  live->resize(720, 640);
  live->show();
  live->OnSetActive();
  QTimer::singleShot(1500, &form, [&dialog, live, folder, done, services] {
    saveScreenshot(*live, folder, "live.png", "Live display");
    std::string relays;
    for (int i = 0; i < 4; ++i) relays += live->relayLamp(i)->isOn() ? std::to_string(i + 1) + " " : "";
    std::cout << "Live display: level " << live->levelDisplay()->text().toStdString() << ", distance "
              << live->distanceDisplay()->text().toStdString() << ", relays "
              << (relays.empty() ? std::string("none") : relays) << std::endl;
    live->stopWithoutPause();
    if (dialog.context().State.Kind == UnitKind::GuidedWave) {
      CDiagnostics diagnostics(services);
      diagnostics.resize(720, 700);
      diagnostics.show();
      diagnostics.OnSetActive();
      diagnostics.curveList()->setCurrentIndex(2);
      emit diagnostics.curveList()->activated(2);
      saveScreenshot(diagnostics, folder, "diagnostics.png", "Diagnostics");
    }
    done();
  });
}

// The update page as the unit's connect left it, saved and described; the
// sheet then goes back to the page it was on.
void saveUpdatePage(CMainForm& form, const std::filesystem::path& folder) {
  for (int i = 0; i < form.pageCount(); ++i) {
    auto* page = qobject_cast<CUpdateProgram*>(form.page(i));
    if (page == nullptr) continue;
    const int was = form.activeIndex();
    if (!form.setActivePage(i)) return;
    saveScreenshot(form, folder, "update.png", "Update page");
    std::cout << "Update page: program file "
              << (page->model().fieldPath().empty() ? std::string("(none chosen)")
                                                    : page->model().fieldPath())
              << std::endl;
    form.setActivePage(was);
    return;
  }
}

// An unattended run with pictures: the windows are saved once the connect
// sequence has reached the main form (or stopped short of it), and the run
// ends there.
void takeScreenshots(COstrelDlg& dialog, const std::filesystem::path& folder) {
  QObject::connect(&dialog, &COstrelDlg::mainFormOpened, &dialog,
                   [&dialog, folder](CMainForm* form) {
                     QTimer::singleShot(300, form, [&dialog, form, folder] {
                       saveScreenshot(dialog, folder, "startup.png", "Startup window");
                       saveScreenshot(*form, folder, "mainform.png", "Main form");
                       saveUpdatePage(*form, folder);
                       printIdentity(dialog.context());
                       printConfigurationPage(*form);
                       saveLivePages(dialog, *form, folder, [form] { form->done(0); });
                     });
                   });
  QObject::connect(
      &dialog, &COstrelDlg::phaseChanged, &dialog, [&dialog, folder](COstrelDlg::Phase phase) {
        if (phase != COstrelDlg::Phase::Waiting) return;
        QTimer::singleShot(300, &dialog, [&dialog, folder] {
          saveScreenshot(dialog, folder, "startup.png", "Startup window");
          std::cout << "No main form: " << dialog.statusLabel()->text().toStdString() << std::endl;
          dialog.done(COstrelApp::kExitNoUnit);
        });
      });
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

  if (options->screenshots) takeScreenshots(dialog, *options->screenshots);
  return dialog.exec();
}

}  // namespace ostrel

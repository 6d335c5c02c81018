#pragma once
// A startup window over a simulated unit, connected the way the startup
// sequence connects (or in the sample program), for the tests of the
// configuration page and its dialogs.

#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>

#include "core/session/startup_sequence.h"
#include "gui/app/c_ostrel_dlg.h"
#include "gui_test_helpers.h"
#include "sim/simulated_cable_driver.h"
#include "quick_timing.h"

namespace ostrel::test {

class DialogSession {
 public:
  // kind: a simulated unit kind ("ultrasonic" ...); or a driver of the
  // test's own. Either way the link's timings are cut down.
  explicit DialogSession(const std::string& kind,
                         std::function<std::unique_ptr<CableDriver>()> driver = {}) {
    StartupOptions o;
    const std::filesystem::path root = dir_.path().toStdString();
    o.dataDir = root / "data";
    o.configRoot = root / "config";
    o.unattended = true;
    o.simulate = kind;
    if (driver) o.makeDriver = std::move(driver);
    // A simulated unit answers at once: the waits for silence are cut down.
    o.linkTiming = quickTiming();
    dlg_ = std::make_unique<COstrelDlg>(o);
  }

  bool connect() {
    if (!dlg_->initialise()) return false;
    // The connect sequence runs here, not from the window's timer inside a
    // dialog's event loop.
    for (QTimer* t : dlg_->findChildren<QTimer*>()) t->stop();
    SilentView view;
    StartupSequence sequence(dlg_->context());
    return sequence.ConnectSequence(view) == StartupSequence::Outcome::Identified;
  }

  // The sample program instead of a unit: the first model of the family.
  bool sample() {
    if (!dlg_->initialise()) return false;
    for (QTimer* t : dlg_->findChildren<QTimer*>()) t->stop();
    SilentView view;
    StartupSequence sequence(dlg_->context());
    return sequence.SampleProgram(view) == StartupSequence::Outcome::Identified;
  }

  AppContext& ctx() { return dlg_->context(); }
  QtPresenter& presenter() { return dlg_->presenter(); }

 private:
  class SilentView final : public StartupView {
   public:
    void statusText(const std::string&) override {}
    void captionLine(const std::string&) override {}
    void progress(int) override {}
    void startButtons(bool) override {}
    void troubleshootLink(bool) override {}
  };

  QTemporaryDir dir_;
  std::unique_ptr<COstrelDlg> dlg_;
};

// A startup window over one simulated unit of the test's own, which the
// test keeps to set up and to look into.
template <typename Unit>
struct UnitSession : DialogSession {
  explicit UnitSession(std::shared_ptr<Unit> u)
      : DialogSession("", [u]() -> std::unique_ptr<CableDriver> {
          return std::make_unique<sim::SimulatedCableDriver>(u);
        }),
        unit(std::move(u)) {}
  std::shared_ptr<Unit> unit;
};

}  // namespace ostrel::test

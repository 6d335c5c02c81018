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

namespace ostrel::test {

// Whether this build runs under a sanitizer, whose slowness the tool's
// timing bounds (no window unpainted for 100 ms) are not made for.
constexpr bool sanitized() {
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
  return true;
#else
  return false;
#endif
}

class DialogSession {
 public:
  // kind: a simulated unit kind ("ultrasonic" ...); or a driver of the
  // test's own, with link timings cut down.
  explicit DialogSession(const std::string& kind,
                         std::function<std::unique_ptr<CableDriver>()> driver = {}) {
    StartupOptions o;
    const std::filesystem::path root = dir_.path().toStdString();
    o.dataDir = root / "data";
    o.configRoot = root / "config";
    o.unattended = true;
    o.simulate = kind;
    if (driver) {
      o.makeDriver = std::move(driver);
      UnitLink::Timing t;
      t.listenMs = 1200;
      t.framePhaseMs = 150;
      t.wakeReplyMs = 200;
      o.linkTiming = t;
    }
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

}  // namespace ostrel::test

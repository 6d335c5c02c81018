#pragma once
// A presenter for a worker thread: every message the worker shows is handed
// to the GUI thread through a mailbox and shown there by the GUI's own
// presenter, while the worker waits for the answer. Once closed (its page is
// going), the worker's questions get their default answers at once.

#include <atomic>

#include "core/support/presenter.h"

namespace ostrel {

class GuiMailbox;

class ForwardingPresenter final : public Presenter {
 public:
  // Both live on the GUI thread and outlive this presenter.
  ForwardingPresenter(Presenter& target, GuiMailbox& gui);

  void close() { closed_ = true; }

  int messageBox(const std::string& text, unsigned style) override;
  int platformMessageBox(const std::string& text, unsigned style) override;
  void errorDetail(const std::string& message, const std::string& details) override;
  // A worker never drives the busy window: its progress goes to its page.
  ProgressSink& busy() override { return sink_; }

 private:
  Presenter& target_;
  GuiMailbox& gui_;
  std::atomic<bool> closed_{false};
  NullProgressSink sink_;
};

}  // namespace ostrel

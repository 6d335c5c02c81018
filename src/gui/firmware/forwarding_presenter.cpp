#include "gui/firmware/forwarding_presenter.h"

#include "gui/support/gui_mailbox.h"

namespace ostrel {

ForwardingPresenter::ForwardingPresenter(Presenter& target, GuiMailbox& gui)
    : target_(target), gui_(gui) {}

int ForwardingPresenter::messageBox(const std::string& text, unsigned style) {
  const int fallback = NullPresenter::defaultResult(style);
  if (closed_) return fallback;
  return gui_.call([&] { return closed_ ? fallback : target_.messageBox(text, style); });
}

int ForwardingPresenter::platformMessageBox(const std::string& text, unsigned style) {
  const int fallback = NullPresenter::defaultResult(style);
  if (closed_) return fallback;
  return gui_.call([&] { return closed_ ? fallback : target_.platformMessageBox(text, style); });
}

void ForwardingPresenter::errorDetail(const std::string& message, const std::string& details) {
  if (closed_) return;
  gui_.call([&] {
    if (!closed_) target_.errorDetail(message, details);
  });
}

}  // namespace ostrel

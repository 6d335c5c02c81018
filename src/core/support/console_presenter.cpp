#include "core/support/console_presenter.h"

namespace ostrel {

void ConsolePresenter::line(const char* tag, const std::string& text) {
  out_ << tag;
  for (char c : text) {
    if (c == '\n') {
      out_ << ' ';
    } else {
      out_ << c;
    }
  }
  out_ << '\n';
}

int ConsolePresenter::messageBox(const std::string& text, unsigned style) {
  line("message: ", text);
  return NullPresenter::defaultResult(style);
}

int ConsolePresenter::platformMessageBox(const std::string& text, unsigned style) {
  line("message: ", text);
  return NullPresenter::defaultResult(style);
}

void ConsolePresenter::errorDetail(const std::string& message, const std::string& details) {
  line("error: ", details.empty() ? message : message + " (" + details + ")");
}

}  // namespace ostrel

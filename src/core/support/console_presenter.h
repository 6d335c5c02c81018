#pragma once
// A presenter for tools without windows: every message becomes a line on a
// stream and every question gets its default answer.

#include <ostream>
#include <string>

#include "core/support/presenter.h"

namespace ostrel {

class ConsolePresenter final : public Presenter {
 public:
  explicit ConsolePresenter(std::ostream& out) : out_(out) {}

  int messageBox(const std::string& text, unsigned style) override;
  int platformMessageBox(const std::string& text, unsigned style) override;
  void errorDetail(const std::string& message, const std::string& details) override;
  ProgressSink& busy() override { return progress_; }

 private:
  void line(const char* tag, const std::string& text);

  std::ostream& out_;
  NullProgressSink progress_;
};

}  // namespace ostrel

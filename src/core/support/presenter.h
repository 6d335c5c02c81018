#pragma once
// How core talks to the person at the screen without knowing about widgets.
// The GUI installs a presenter that shows real dialogs; the CLI and the tests
// use one that writes to a stream or records what was asked.

#include <string>

namespace ostrel {

// Message-box style bits, as the message boxes of the tool take them.
enum MessageStyle : unsigned {
  kStylePlain = 0x00,
  kStyleOkCancel = 0x01,
  kStyleYesNo = 0x04,
  kStyleError = 0x10,
  kStyleQuestion = 0x20,
  kStyleWarning = 0x30,
  kStyleInformation = 0x40,
};

// Results a message box ends with.
enum MessageResult : int {
  kResultOk = 1,
  kResultCancel = 2,
  kResultYes = 6,
  kResultNo = 7,
};

// The busy window's message line and progress bar, or anything else that
// shows the progress of a long step.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void setMessage(const std::string& text) = 0;
  // Percent, 0..100; implementations clamp.
  virtual void setProgress(int percent) = 0;
  // The position shown now (procedures that advance it step by step start there).
  virtual int progress() const = 0;
};

class Presenter {
 public:
  virtual ~Presenter() = default;

  // The tool's shared message box (title: the product name).
  virtual int messageBox(const std::string& text, unsigned style) = 0;

  // The platform's own message box, used before the language file is known
  // and for the few literal texts.
  virtual int platformMessageBox(const std::string& text, unsigned style) = 0;

  // The error dialog with a details section.
  virtual void errorDetail(const std::string& message, const std::string& details) = 0;

  // The busy window.
  virtual ProgressSink& busy() = 0;
};

// A progress sink that drops everything.
class NullProgressSink final : public ProgressSink {
 public:
  void setMessage(const std::string&) override {}
  void setProgress(int percent) override {
    percent_ = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  }
  int progress() const override { return percent_; }

 private:
  int percent_ = 0;
};

// Answers every question with its default and keeps nothing; for code paths
// that run without anybody watching.
class NullPresenter : public Presenter {
 public:
  int messageBox(const std::string&, unsigned style) override { return defaultResult(style); }
  int platformMessageBox(const std::string&, unsigned style) override {
    return defaultResult(style);
  }
  void errorDetail(const std::string&, const std::string&) override {}
  ProgressSink& busy() override { return sink_; }

  // Yes for yes/no questions, OK otherwise.
  static int defaultResult(unsigned style) {
    return (style & 0x0F) == kStyleYesNo ? kResultYes : kResultOk;
  }

 private:
  NullProgressSink sink_;
};

}  // namespace ostrel

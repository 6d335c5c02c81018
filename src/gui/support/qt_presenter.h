#pragma once
// The GUI's presenter: core's messages go to the shared message box, the
// platform message box, the error dialog and the busy window.
//
// Unattended mode (automated tests, offscreen runs) shows nothing: each
// message becomes one line on stderr and an entry in shown(), and the
// default answer (or the next scripted one) is returned at once.

#include <QObject>
#include <QString>
#include <deque>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/support/presenter.h"
#include "gui/support/gui_mailbox.h"

namespace ostrel {

class CBusyWindow;
class CErrorDetail;
class CMessageBox;
class LanguageTable;
struct AppSettings;

class QtPresenter final : public Presenter {
 public:
  struct Shown {
    enum class Kind { MessageBox, PlatformMessageBox, ErrorDetail };
    Kind kind = Kind::MessageBox;
    std::string text;
    std::string details;  // error dialog only
    unsigned style = 0;   // message boxes only
    int answer = kResultOk;
  };

  // Construct on the GUI thread, after the QApplication.
  explicit QtPresenter(const LanguageTable* table = nullptr, const AppSettings* settings = nullptr,
                       bool unattended = false);
  ~QtPresenter() override;
  QtPresenter(const QtPresenter&) = delete;
  QtPresenter& operator=(const QtPresenter&) = delete;

  void setLanguage(const LanguageTable* table, const AppSettings* settings);
  void setProductName(const QString& name);

  void setUnattended(bool unattended);
  bool unattended() const;

  // Where unattended lines go; std::cerr unless set. The stream must outlive
  // the presenter or be replaced.
  void setLogStream(std::ostream* stream);

  // Unattended answers for the next message boxes, used before the defaults.
  void queueAnswer(int answer);
  std::vector<Shown> shown() const;
  void clearShown();

  // Presenter. Callable from any thread: a worker waits while the GUI thread
  // shows the dialog, so the GUI thread must not block on that worker.
  int messageBox(const std::string& text, unsigned style) override;
  int platformMessageBox(const std::string& text, unsigned style) override;
  void errorDetail(const std::string& message, const std::string& details) override;
  ProgressSink& busy() override;

  // Shows the busy window with the message and progress 0 (never in
  // unattended mode), and hides it again.
  void showBusy(const std::string& message);
  void hideBusy();

  CMessageBox& messageBoxDialog() { return *messageBox_; }
  CErrorDetail& errorDialog() { return *errorDetail_; }
  CBusyWindow& busyWindow() { return *busy_; }

 private:
  template <typename Func>
  auto onGuiThread(Func&& func) -> decltype(func());

  int record(Shown::Kind kind, const std::string& text, const std::string& details, unsigned style,
             int defaultAnswer);
  int showMessageBox(const QString& text, unsigned style);
  int showPlatformMessageBox(const QString& text, unsigned style);

  const LanguageTable* table_;
  const AppSettings* settings_;
  GuiMailbox gui_;  // lives on the GUI thread; carries calls made from workers

  std::unique_ptr<CMessageBox> messageBox_;
  std::unique_ptr<CErrorDetail> errorDetail_;
  std::unique_ptr<CBusyWindow> busy_;

  mutable std::mutex mutex_;  // guards what follows: workers may report too
  bool unattended_;
  std::ostream* log_;
  std::deque<int> answers_;
  std::vector<Shown> shown_;
};

}  // namespace ostrel

#pragma once
// The startup window. It owns every long-lived component of the run (through
// its AppContext and the shared dialogs), shows the connection status and
// progress, and offers "Try Again" and "Sample Program".

#include <QDialog>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "gui/app/startup_options.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace ostrel {

class AppContext;
class CMainForm;
class GuiMailbox;
class PendingUploads;
struct UploadOutcome;
class QtPresenter;
class StartupSequence;

class COstrelDlg : public QDialog {
  Q_OBJECT

 public:
  // Exit codes of a run that could not start.
  static constexpr int kExitStartFailed = 1;

  enum class Phase { Initialising, Connecting, Waiting, MainFormOpen, Ended };
  Q_ENUM(Phase)

  explicit COstrelDlg(const StartupOptions& options, QWidget* parent = nullptr);
  ~COstrelDlg() override;

  // Runs the startup sequence. False when the tool must end; the exit code
  // to end with is then in exitCode().
  bool initialise();
  int exitCode() const { return exitCode_; }

  AppContext& context() { return *context_; }
  QtPresenter& presenter() { return *presenter_; }
  StartupSequence& sequence() { return *sequence_; }
  Phase phase() const { return phase_; }
  // True while a device procedure runs.
  bool working() const { return working_; }
  // True while the pending configuration reports are being sent.
  bool sendingUploads() const { return uploads_ != nullptr; }

  // The connect sequence (timer 1 and "Try Again") and the sample program.
  void ConnectSequence();
  void SampleProgram();
  void OpenMainForm(bool stubbed);

  // Status area, as the connect sequence drives it.
  void setStatusText(const QString& text);
  void setCaptionLine(const QString& text);
  void setProgress(int percent);
  // "Try Again" and "Sample Program".
  void setStartButtons(bool enabled);

  // Widgets, for tests and screenshots.
  QGroupBox* statusGroup() const { return statusGroup_; }
  QGroupBox* startupGroup() const { return startupGroup_; }
  QLabel* statusLabel() const { return status_; }
  QLabel* captionLabel() const { return caption_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* troubleshootLink() const { return troubleshoot_; }
  QPushButton* sampleButton() const { return sample_; }
  QPushButton* retryButton() const { return retry_; }

 signals:
  void phaseChanged(ostrel::COstrelDlg::Phase phase);
  // The main form is up; it runs modally until it is closed.
  void mainFormOpened(ostrel::CMainForm* form);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void onTimer();
  void setPhase(Phase phase);
  void guidePrompt();
  // Step 10: the pending configuration reports, sent on a worker; the
  // settings and the file are settled back on this thread.
  void sendPendingUploads();
  void finishUploads();
  void showUploadOutcome(const UploadOutcome& outcome);
  void openTroubleshootHelp();
  // Runs one device procedure of the sequence off the GUI thread.
  template <typename Work>
  auto runWork(Work&& work);
  void buildWindow();
  void applyCaptions();
  void caption(QWidget* widget, const char* key, QString& text);
  void fail(int code);

  StartupOptions options_;
  std::unique_ptr<QtPresenter> presenter_;
  std::unique_ptr<AppContext> context_;
  std::unique_ptr<StartupSequence> sequence_;
  QTimer* timer_ = nullptr;
  Phase phase_ = Phase::Initialising;
  bool working_ = false;
  int exitCode_ = 0;
  std::unique_ptr<PendingUploads> uploads_;
  std::thread uploadWorker_;
  std::atomic<bool> stopUploads_{false};
  GuiMailbox* uploadBox_ = nullptr;

  QGroupBox* statusGroup_ = nullptr;
  QGroupBox* startupGroup_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* caption_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* troubleshoot_ = nullptr;
  QPushButton* sample_ = nullptr;
  QPushButton* retry_ = nullptr;
};

}  // namespace ostrel

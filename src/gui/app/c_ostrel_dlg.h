#pragma once
// The startup window. It owns every long-lived component of the run (through
// its AppContext and the shared dialogs), shows the connection status and
// progress, and offers "Try Again" and "Sample Program".

#include <QDialog>
#include <memory>
#include <string>

#include "gui/app/startup_options.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace ostrel {

class AppContext;
class QtPresenter;

class COstrelDlg : public QDialog {
  Q_OBJECT

 public:
  // Exit codes of a run that could not start.
  static constexpr int kExitStartFailed = 1;

  explicit COstrelDlg(const StartupOptions& options, QWidget* parent = nullptr);
  ~COstrelDlg() override;

  // Runs the startup sequence. False when the tool must end; the exit code
  // to end with is then in exitCode().
  bool initialise();
  int exitCode() const { return exitCode_; }

  AppContext& context() { return *context_; }
  QtPresenter& presenter() { return *presenter_; }

  // Status area, as the connect sequence drives it.
  void setStatusText(const QString& text);
  void setCaptionLine(const QString& text);
  void setProgress(int percent);

  // Widgets, for tests and screenshots.
  QGroupBox* statusGroup() const { return statusGroup_; }
  QGroupBox* startupGroup() const { return startupGroup_; }
  QLabel* statusLabel() const { return status_; }
  QLabel* captionLabel() const { return caption_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* troubleshootLink() const { return troubleshoot_; }
  QPushButton* sampleButton() const { return sample_; }
  QPushButton* retryButton() const { return retry_; }

 private:
  void buildWindow();
  void applyCaptions();
  void caption(QWidget* widget, const char* key, QString& text);
  void fail(int code);

  StartupOptions options_;
  std::unique_ptr<QtPresenter> presenter_;
  std::unique_ptr<AppContext> context_;
  int exitCode_ = 0;

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

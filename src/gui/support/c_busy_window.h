#pragma once
// The modeless busy window: a message line over a 0..100 progress bar. Core
// procedures drive it through ProgressSink, from the GUI thread or a worker.

#include <QString>
#include <QWidget>
#include <string>

#include "core/support/presenter.h"

class QLabel;
class QProgressBar;

namespace ostrel {

class LanguageTable;
struct AppSettings;

class GuiMailbox;

class CBusyWindow : public QWidget, public ProgressSink {
  Q_OBJECT

 public:
  explicit CBusyWindow(const LanguageTable* table = nullptr, const AppSettings* settings = nullptr,
                       QWidget* parent = nullptr);

  void setLanguage(const LanguageTable* table, const AppSettings* settings);

  // Both may be called from any thread; on the GUI thread the window is
  // repainted before they return, so it shows even while that thread works.
  void setMessage(const std::string& text) override;
  void setProgress(int percent) override;
  void setMessageText(const QString& text);

  QString message() const;
  int progress() const override;

  QLabel* messageLabel() const { return message_; }
  QProgressBar* progressBar() const { return bar_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  bool onOwnThread() const;

  const LanguageTable* table_;
  const AppSettings* settings_;
  QString title_;
  QLabel* message_;
  QProgressBar* bar_;
  GuiMailbox* gui_;  // carries the changes made from workers
};

}  // namespace ostrel

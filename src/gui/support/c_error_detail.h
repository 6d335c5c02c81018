#pragma once
// The error dialog: a message, an OK button and a details section that a
// second button shows and hides.

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ostrel {

class LanguageTable;
struct AppSettings;

class CErrorDetail : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kDetailLines = 3;

  explicit CErrorDetail(const LanguageTable* table = nullptr, const AppSettings* settings = nullptr,
                        QWidget* parent = nullptr);

  void setLanguage(const LanguageTable* table, const AppSettings* settings);

  // Shows the message modally with the details hidden; returns kResultOk.
  int show(const QString& message, const QString& details);
  using QDialog::show;

  // Sets texts, captions and sizes without showing the dialog; show()
  // starts with this.
  void prepare(const QString& message, const QString& details);

  bool detailsShown() const { return detailsShown_; }
  void setDetailsShown(bool shown);

  QLabel* messageArea() const { return message_; }
  QPlainTextEdit* detailsArea() const { return details_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* detailsButton() const { return toggle_; }

 private:
  const LanguageTable* table_;
  const AppSettings* settings_;
  QString title_;
  QString okCaption_;
  bool detailsShown_ = false;

  QLabel* icon_;
  QLabel* message_;
  QPlainTextEdit* details_;
  QPushButton* ok_;
  QPushButton* toggle_;
};

}  // namespace ostrel

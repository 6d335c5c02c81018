#pragma once
// The tool's shared message box: the product name as title, a message, an
// icon and up to three buttons (Yes, OK, No) captioned from the language file.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace ostrel {

class LanguageTable;
struct AppSettings;

class CMessageBox : public QDialog {
  Q_OBJECT

 public:
  // QApplication::beep() is the only sound Linux offers, so the choice is
  // kept as data for whoever wants to tell them apart.
  enum class Sound { Exclamation, DefaultBeep };
  enum class Icon { Information, Question, Error };

  // What a style shows.
  struct Layout {
    bool yes = false;         // left button
    bool ok = true;           // middle button
    bool no = false;          // right button
    bool noIsCancel = false;  // right button captioned by IDC_CANCEL; still answers No
    Sound sound = Sound::Exclamation;
    Icon icon = Icon::Information;
    bool operator==(const Layout&) const = default;
  };

  static Layout layoutFor(unsigned style);

  // The answer the window's close button and Escape give.
  static int closeResult(const Layout& layout);

  explicit CMessageBox(const LanguageTable* table = nullptr, const AppSettings* settings = nullptr,
                       QWidget* parent = nullptr);

  void setLanguage(const LanguageTable* table, const AppSettings* settings);

  // The title (PROGRAMNAME of the corporate model file).
  void setProductName(const QString& name);
  QString productName() const { return productName_; }

  // Shows the text modally in the style; kResultYes, kResultOk or kResultNo.
  int show(const QString& text, unsigned style);
  using QDialog::show;

  // Arranges text, captions, icon and buttons for the style without showing
  // the box; show() starts with this.
  void prepare(const QString& text, unsigned style);

  const Layout& currentLayout() const { return layout_; }
  QPushButton* yesButton() const { return yes_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* noButton() const { return no_; }
  QLabel* iconLabel() const { return icon_; }
  QLabel* textLabel() const { return text_; }

 public slots:
  void reject() override;

 private:
  void applyCaptions();
  void applyIcon();
  void applyText(const QString& text);

  const LanguageTable* table_;
  const AppSettings* settings_;
  QString productName_;
  Layout layout_;

  // One caption per key: a key missing from the language file keeps the
  // caption it had last time (the English words until the first lookup).
  QString yesCaption_;
  QString okCaption_;
  QString noCaption_;
  QString cancelCaption_;

  QLabel* icon_;
  QLabel* text_;
  QPushButton* yes_;
  QPushButton* ok_;
  QPushButton* no_;
};

}  // namespace ostrel

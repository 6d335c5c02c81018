#pragma once
// The tool's own help window: HTML topics from the Help folder shown in a
// text browser with back, forward, home (the help's contents page) and a
// find box that highlights every match in the topic and steps through them.
// One window serves the whole run; it is modeless and reused.

#include <QDialog>
#include <QUrl>
#include <filesystem>
#include <functional>

class QLineEdit;
class QTextBrowser;
class QToolButton;

namespace ostrel {

class LanguageTable;
struct AppSettings;

class CHelpBrowser : public QDialog {
  Q_OBJECT

 public:
  // Shows the page in the help window, made on first use and brought to
  // the front afterwards. Returns the window, or null when the file is not
  // there.
  static CHelpBrowser* show(const std::filesystem::path& file, QWidget* parent);
  using QDialog::show;
  // The window, null before the first show or after its parent went.
  static CHelpBrowser* instance();

  // Captions of the buttons and the find box; keys that the language file
  // lacks keep their English text.
  static void setLanguage(const LanguageTable* table, const AppSettings* settings);

  // Where links to other documents (web pages, drawings) go. The default
  // opens them on the desktop; offscreen runs print them on stderr instead.
  using ExternalOpener = std::function<bool(const QUrl&)>;
  static void setExternalOpener(ExternalOpener opener);

  explicit CHelpBrowser(QWidget* parent = nullptr);

  bool openFile(const std::filesystem::path& file);
  QUrl source() const;
  // The topic's <title>, which is also the window's title.
  QString topicTitle() const;

  // Searches the topic: every match is highlighted, the first one from the
  // cursor selected. False when the text does not occur.
  bool find(const QString& text);
  bool findNext();
  bool findPrevious();
  int matchCount() const { return matches_; }
  QString selectedText() const;

  QTextBrowser* view() const { return view_; }
  QLineEdit* findBox() const { return findBox_; }
  QToolButton* backButton() const { return back_; }
  QToolButton* forwardButton() const { return forward_; }
  QToolButton* homeButton() const { return home_; }

 private:
  void followLink(const QUrl& url);
  void sourceChanged(const QUrl& url);
  void goHome();
  bool step(bool backward);
  void highlightAll();
  void applyLanguage();

  QTextBrowser* view_;
  QLineEdit* findBox_;
  QToolButton* back_;
  QToolButton* forward_;
  QToolButton* home_;
  QToolButton* next_;
  QToolButton* previous_;
  int matches_ = 0;
};

}  // namespace ostrel

#include "gui/support/c_help_browser.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <iostream>

#include "gui/support/language_text.h"

namespace ostrel {
namespace {

QPointer<CHelpBrowser> theWindow;
const LanguageTable* languageTable = nullptr;
const AppSettings* languageSettings = nullptr;

bool offscreen() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

bool openOnDesktop(const QUrl& url) {
  if (offscreen()) {
    std::cerr << "[open] " << url.toString().toStdString() << std::endl;
    return true;
  }
  return QDesktopServices::openUrl(url);
}

CHelpBrowser::ExternalOpener& externalOpener() {
  static CHelpBrowser::ExternalOpener opener = openOnDesktop;
  return opener;
}

bool isTopic(const QUrl& url) {
  if (!url.isLocalFile()) return false;
  const QString suffix = QFileInfo(url.toLocalFile()).suffix().toLower();
  return suffix == "htm" || suffix == "html";
}

QString text(const char* key, const char* fallback) {
  QString dest = QString::fromUtf8(fallback);
  lookupText(languageTable, languageSettings, key, dest);
  return dest;
}

QUrl fileUrl(const std::filesystem::path& file) {
  return QUrl::fromLocalFile(QString::fromStdString(std::filesystem::absolute(file).string()));
}

}  // namespace

CHelpBrowser* CHelpBrowser::show(const std::filesystem::path& file, QWidget* parent) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return nullptr;
  if (theWindow == nullptr) theWindow = new CHelpBrowser(parent);
  theWindow->openFile(file);
  theWindow->QDialog::show();
  theWindow->raise();
  theWindow->activateWindow();
  return theWindow;
}

CHelpBrowser* CHelpBrowser::instance() { return theWindow; }

void CHelpBrowser::setLanguage(const LanguageTable* table, const AppSettings* settings) {
  languageTable = table;
  languageSettings = settings;
  if (theWindow != nullptr) theWindow->applyLanguage();
}

void CHelpBrowser::setExternalOpener(ExternalOpener opener) {
  externalOpener() = opener ? std::move(opener) : ExternalOpener(openOnDesktop);
}

CHelpBrowser::CHelpBrowser(QWidget* parent) : QDialog(parent) {
  setObjectName("CHelpBrowser");
  // A window of its own beside the form, which stays usable meanwhile.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setModal(false);

  auto makeButton = [this](QStyle::StandardPixmap icon, const char* name) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setIcon(style()->standardIcon(icon));
    button->setAutoRaise(true);
    return button;
  };
  back_ = makeButton(QStyle::SP_ArrowBack, "back");
  forward_ = makeButton(QStyle::SP_ArrowForward, "forward");
  home_ = makeButton(QStyle::SP_DirHomeIcon, "home");
  previous_ = makeButton(QStyle::SP_ArrowUp, "findPrevious");
  next_ = makeButton(QStyle::SP_ArrowDown, "findNext");
  findBox_ = new QLineEdit(this);
  findBox_->setObjectName("find");
  findBox_->setClearButtonEnabled(true);

  view_ = new QTextBrowser(this);
  // Links are followed here so that documents which are not topics can go
  // to the desktop instead of being shown as text.
  view_->setOpenLinks(false);

  auto* bar = new QHBoxLayout;
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addWidget(home_);
  bar->addStretch(1);
  bar->addWidget(findBox_, 1);
  bar->addWidget(previous_);
  bar->addWidget(next_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(view_, 1);
  resize(fontMetrics().averageCharWidth() * 90, fontMetrics().lineSpacing() * 36);

  back_->setEnabled(false);
  forward_->setEnabled(false);
  connect(view_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(view_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(back_, &QToolButton::clicked, view_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, view_, &QTextBrowser::forward);
  connect(home_, &QToolButton::clicked, this, &CHelpBrowser::goHome);
  connect(view_, &QTextBrowser::anchorClicked, this, &CHelpBrowser::followLink);
  connect(view_, &QTextBrowser::sourceChanged, this, &CHelpBrowser::sourceChanged);
  connect(findBox_, &QLineEdit::textChanged, this, [this](const QString& t) { find(t); });
  connect(findBox_, &QLineEdit::returnPressed, this, &CHelpBrowser::findNext);
  connect(next_, &QToolButton::clicked, this, &CHelpBrowser::findNext);
  connect(previous_, &QToolButton::clicked, this, &CHelpBrowser::findPrevious);
  auto* findKey = new QShortcut(QKeySequence::Find, this);
  connect(findKey, &QShortcut::activated, this, [this] {
    findBox_->setFocus();
    findBox_->selectAll();
  });
  auto* nextKey = new QShortcut(QKeySequence::FindNext, this);
  connect(nextKey, &QShortcut::activated, this, &CHelpBrowser::findNext);
  auto* previousKey = new QShortcut(QKeySequence::FindPrevious, this);
  connect(previousKey, &QShortcut::activated, this, &CHelpBrowser::findPrevious);
  applyLanguage();
}

void CHelpBrowser::applyLanguage() {
  back_->setToolTip(text("IDC_HELP_BACK", "Back"));
  forward_->setToolTip(text("IDC_HELP_FORWARD", "Forward"));
  home_->setToolTip(text("IDC_HELP_HOME", "Contents"));
  previous_->setToolTip(text("IDC_HELP_FIND_PREVIOUS", "Find previous"));
  next_->setToolTip(text("IDC_HELP_FIND_NEXT", "Find next"));
  findBox_->setPlaceholderText(text("IDC_HELP_FIND", "Find in topic"));
}

bool CHelpBrowser::openFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return false;
  view_->setSource(fileUrl(file));
  return true;
}

QUrl CHelpBrowser::source() const { return view_->source(); }

QString CHelpBrowser::topicTitle() const { return view_->documentTitle(); }

void CHelpBrowser::followLink(const QUrl& link) {
  const QUrl url = view_->source().resolved(link);
  if (isTopic(url)) {
    if (QFileInfo::exists(url.toLocalFile())) view_->setSource(url);
    return;
  }
  externalOpener()(url);
}

void CHelpBrowser::sourceChanged(const QUrl& url) {
  const QString title = view_->documentTitle();
  setWindowTitle(title.isEmpty() ? QFileInfo(url.toLocalFile()).completeBaseName() : title);
  // The find text stays, so stepping through topics keeps their matches lit.
  highlightAll();
}

void CHelpBrowser::goHome() {
  // Home is the contents of the help the topic belongs to.
  const QString contents = QFileInfo(view_->source().toLocalFile()).dir().filePath("index.html");
  if (view_->source().isLocalFile() && QFileInfo::exists(contents)) {
    view_->setSource(QUrl::fromLocalFile(contents));
  } else {
    view_->home();
  }
}

void CHelpBrowser::highlightAll() {
  QList<QTextEdit::ExtraSelection> marks;
  const QString needle = findBox_->text();
  if (!needle.isEmpty()) {
    QTextCharFormat mark;
    mark.setBackground(QColor(255, 230, 90));
    QTextCursor at(view_->document());
    for (;;) {
      at = view_->document()->find(needle, at);
      if (at.isNull()) break;
      marks.append(QTextEdit::ExtraSelection{at, mark});
    }
  }
  matches_ = static_cast<int>(marks.size());
  view_->setExtraSelections(marks);
  // A search that finds nothing shows in the box itself.
  findBox_->setStyleSheet(!needle.isEmpty() && matches_ == 0
                              ? QStringLiteral("QLineEdit { background: #f6c6c6; }")
                              : QString());
}

bool CHelpBrowser::find(const QString& needle) {
  if (findBox_->text() != needle) {
    // Setting the box calls back here with the same text.
    findBox_->setText(needle);
    return matches_ > 0;
  }
  highlightAll();
  if (matches_ == 0) return false;
  // Start from the top of the selection, so that typing more letters keeps
  // the same match selected while it still fits.
  QTextCursor from = view_->textCursor();
  from.setPosition(from.selectionStart());
  view_->setTextCursor(from);
  return step(false);
}

bool CHelpBrowser::findNext() { return step(false); }
bool CHelpBrowser::findPrevious() { return step(true); }

bool CHelpBrowser::step(bool backward) {
  const QString needle = findBox_->text();
  if (needle.isEmpty()) return false;
  const QTextDocument::FindFlags flags =
      backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  QTextDocument* doc = view_->document();
  QTextCursor hit = doc->find(needle, view_->textCursor(), flags);
  if (hit.isNull()) {
    // Wrap around to the other end of the topic.
    QTextCursor end(doc);
    if (backward) end.movePosition(QTextCursor::End);
    hit = doc->find(needle, end, flags);
  }
  if (hit.isNull()) return false;
  view_->setTextCursor(hit);
  view_->ensureCursorVisible();
  return true;
}

QString CHelpBrowser::selectedText() const { return view_->textCursor().selectedText(); }

}  // namespace ostrel

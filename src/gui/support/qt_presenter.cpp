#include "gui/support/qt_presenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <iostream>
#include <type_traits>
#include <utility>

#include "core/support/language_table.h"
#include "gui/support/c_busy_window.h"
#include "gui/support/c_error_detail.h"
#include "gui/support/c_message_box.h"

namespace ostrel {
namespace {

// One message per stderr line: line breaks are written as "\n", as in the
// language file.
std::string oneLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out += "\\n";
    } else if (text[i] == '\n') {
      out += "\\n";
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

int customDefault(unsigned style) {
  return CMessageBox::layoutFor(style).yes ? kResultYes : kResultOk;
}

}  // namespace

QtPresenter::QtPresenter(const LanguageTable* table, const AppSettings* settings, bool unattended)
    : table_(table),
      settings_(settings),
      messageBox_(std::make_unique<CMessageBox>(table, settings)),
      errorDetail_(std::make_unique<CErrorDetail>(table, settings)),
      busy_(std::make_unique<CBusyWindow>(table, settings)),
      unattended_(unattended),
      log_(&std::cerr) {
  if (QCoreApplication::instance() != nullptr) {
    gui_.moveToThread(QCoreApplication::instance()->thread());
  }
}

QtPresenter::~QtPresenter() = default;

void QtPresenter::setLanguage(const LanguageTable* table, const AppSettings* settings) {
  table_ = table;
  settings_ = settings;
  messageBox_->setLanguage(table, settings);
  errorDetail_->setLanguage(table, settings);
  busy_->setLanguage(table, settings);
}

void QtPresenter::setProductName(const QString& name) { messageBox_->setProductName(name); }

void QtPresenter::setUnattended(bool unattended) {
  std::lock_guard lock(mutex_);
  unattended_ = unattended;
}

bool QtPresenter::unattended() const {
  std::lock_guard lock(mutex_);
  return unattended_;
}

void QtPresenter::setLogStream(std::ostream* stream) {
  std::lock_guard lock(mutex_);
  log_ = stream;
}

void QtPresenter::queueAnswer(int answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

std::vector<QtPresenter::Shown> QtPresenter::shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

void QtPresenter::clearShown() {
  std::lock_guard lock(mutex_);
  shown_.clear();
}

template <typename Func>
auto QtPresenter::onGuiThread(Func&& func) -> decltype(func()) {
  return gui_.call(std::forward<Func>(func));
}

int QtPresenter::record(Shown::Kind kind, const std::string& text, const std::string& details,
                        unsigned style, int defaultAnswer) {
  std::lock_guard lock(mutex_);
  Shown entry;
  entry.kind = kind;
  entry.text = text;
  entry.details = details;
  entry.style = style;
  entry.answer = defaultAnswer;
  if (kind == Shown::Kind::ErrorDetail) {
    if (log_ != nullptr) *log_ << "[error] " << oneLine(text) << " | " << oneLine(details) << '\n';
  } else {
    if (!answers_.empty()) {
      entry.answer = answers_.front();
      answers_.pop_front();
    }
    if (log_ != nullptr) *log_ << "[message] " << oneLine(text) << '\n';
  }
  if (log_ != nullptr) log_->flush();
  shown_.push_back(entry);
  return entry.answer;
}

int QtPresenter::messageBox(const std::string& text, unsigned style) {
  if (unattended()) {
    return record(Shown::Kind::MessageBox, text, {}, style, customDefault(style));
  }
  const QString qtext = QString::fromStdString(text);
  return onGuiThread([this, &qtext, style] { return showMessageBox(qtext, style); });
}

int QtPresenter::platformMessageBox(const std::string& text, unsigned style) {
  if (unattended()) {
    return record(Shown::Kind::PlatformMessageBox, text, {}, style,
                  NullPresenter::defaultResult(style));
  }
  const QString qtext = QString::fromStdString(text);
  return onGuiThread([this, &qtext, style] { return showPlatformMessageBox(qtext, style); });
}

void QtPresenter::errorDetail(const std::string& message, const std::string& details) {
  if (unattended()) {
    record(Shown::Kind::ErrorDetail, message, details, 0, kResultOk);
    return;
  }
  const QString qmessage = QString::fromStdString(message);
  const QString qdetails = QString::fromStdString(details);
  onGuiThread([this, &qmessage, &qdetails] {
    if (errorDetail_->isVisible()) {
      // A second error while the first is still open gets a dialog of its own.
      CErrorDetail extra(table_, settings_);
      extra.show(qmessage, qdetails);
    } else {
      errorDetail_->show(qmessage, qdetails);
    }
  });
}

ProgressSink& QtPresenter::busy() { return *busy_; }

void QtPresenter::showBusy(const std::string& message) {
  const bool quiet = unattended();
  onGuiThread([this, &message, quiet] {
    busy_->setMessage(message);
    busy_->setProgress(0);
    if (quiet) return;
    busy_->show();
    busy_->raise();
  });
}

void QtPresenter::hideBusy() {
  onGuiThread([this] { busy_->hide(); });
}

int QtPresenter::showMessageBox(const QString& text, unsigned style) {
  if (messageBox_->isVisible()) {
    // The shared box is already waiting for an answer (a message raised from
    // inside another one): a second box of the same kind asks this question.
    CMessageBox extra(table_, settings_);
    extra.setProductName(messageBox_->productName());
    return extra.show(text, style);
  }
  return messageBox_->show(text, style);
}

int QtPresenter::showPlatformMessageBox(const QString& text, unsigned style) {
  QMessageBox box;
  box.setWindowTitle(QGuiApplication::applicationDisplayName());
  box.setText(text);
  switch (style & 0xF0) {
    case kStyleError: box.setIcon(QMessageBox::Critical); break;
    case kStyleQuestion: box.setIcon(QMessageBox::Question); break;
    case kStyleWarning: box.setIcon(QMessageBox::Warning); break;
    case kStyleInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  switch (style & 0x0F) {
    case kStyleYesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case kStyleOkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return kResultYes;
    case QMessageBox::No: return kResultNo;
    case QMessageBox::Cancel: return kResultCancel;
    default: return kResultOk;
  }
}

}  // namespace ostrel

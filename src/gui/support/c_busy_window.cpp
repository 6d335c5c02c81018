#include "gui/support/c_busy_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/support/gui_mailbox.h"
#include "gui/support/language_text.h"

namespace ostrel {
namespace {

constexpr int kWidthChars = 50;

}  // namespace

CBusyWindow::CBusyWindow(const LanguageTable* table, const AppSettings* settings, QWidget* parent)
    : QWidget(parent,
              // No close button: the window goes away when the work is done.
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      table_(table),
      settings_(settings),
      title_(QStringLiteral("Please wait")),
      message_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      gui_(new GuiMailbox(this)) {
  setObjectName(QStringLiteral("CBusyWindow"));
  message_->setObjectName(QStringLiteral("message"));
  message_->setTextFormat(Qt::PlainText);
  message_->setWordWrap(true);
  bar_->setObjectName(QStringLiteral("progress"));
  bar_->setRange(0, 100);
  bar_->setValue(0);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message_);
  layout->addWidget(bar_);

  const QFontMetrics fm(font());
  message_->setMinimumHeight(fm.lineSpacing());
  setFixedWidth(fm.averageCharWidth() * kWidthChars);
  setWindowTitle(title_);
}

void CBusyWindow::setLanguage(const LanguageTable* table, const AppSettings* settings) {
  table_ = table;
  settings_ = settings;
}

bool CBusyWindow::onOwnThread() const { return QThread::currentThread() == thread(); }

void CBusyWindow::setMessage(const std::string& text) {
  setMessageText(QString::fromStdString(text));
}

void CBusyWindow::setMessageText(const QString& text) {
  if (!onOwnThread()) {
    gui_->post([this, text] { setMessageText(text); });
    return;
  }
  message_->setText(text);
  repaint();
}

void CBusyWindow::setProgress(int percent) {
  if (!onOwnThread()) {
    gui_->post([this, percent] { setProgress(percent); });
    return;
  }
  bar_->setValue(std::clamp(percent, 0, 100));
  // repaint(), not update(): the caller usually keeps the GUI thread busy
  // until the next step, so a queued paint would come too late.
  repaint();
}

QString CBusyWindow::message() const { return message_->text(); }

int CBusyWindow::progress() const { return bar_->value(); }

void CBusyWindow::showEvent(QShowEvent* event) {
  lookupText(table_, settings_, "IDD_BUSYWINDOW", title_);
  setWindowTitle(title_);
  QWidget::showEvent(event);
}

void CBusyWindow::closeEvent(QCloseEvent* event) {
  // The user cannot dismiss it; the work that opened it closes it.
  if (event->spontaneous()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace ostrel

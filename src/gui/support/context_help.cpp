#include "gui/support/context_help.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "gui/support/c_help_browser.h"

namespace ostrel {

ContextHelp::ContextHelp(QWidget* page, const HelpTopicTable& topics, FilesSource files,
                         ControlMap controls, MessageShow showMessage)
    : QObject(page),
      page_(page),
      topics_(topics),
      files_(std::move(files)),
      controls_(std::move(controls)),
      showMessage_(std::move(showMessage)) {
  qApp->installEventFilter(this);
}

ContextHelp::~ContextHelp() { qApp->removeEventFilter(this); }

bool ContextHelp::onPage(const QObject* object) const {
  const auto* widget = qobject_cast<const QWidget*>(object);
  return widget != nullptr && page_ != nullptr && (widget == page_ || page_->isAncestorOf(widget));
}

std::string ContextHelp::topicFor(const QWidget* widget) const {
  for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    if (controls_) {
      if (const std::optional<HelpControl> control = controls_(w)) return topics_.lookup(*control);
    }
    if (w == page_) break;
  }
  return pageTopic_.empty() ? std::string(HelpTopicTable::kDefaultTopic) : pageTopic_;
}

std::filesystem::path ContextHelp::showHelpFor(const QWidget* widget) {
  const HelpFiles files = files_ ? files_() : HelpFiles{};
  const HelpLocation at = HelpLocator::locate(files, topicFor(widget));
  reported_ = at.reportMissing() && showMessage_;
  if (reported_) showMessage_(std::string(HelpLocator::kMissingMessage));
  if (!at.found()) return {};
  CHelpBrowser::show(at.File, page_);
  return at.File;
}

void ContextHelp::passOnAsLeftClick(QWidget* target, const QMouseEvent& right) {
  if (qobject_cast<QAbstractButton*>(target) != nullptr) {
    if (target->focusPolicy() & Qt::ClickFocus) target->setFocus(Qt::MouseFocusReason);
    return;
  }
  QMouseEvent left(QEvent::MouseButtonPress, right.position(), right.scenePosition(),
                   right.globalPosition(), Qt::LeftButton, Qt::LeftButton, right.modifiers());
  QCoreApplication::sendEvent(target, &left);
  rightTarget_ = target;
  rightAsClick_ = true;
}

bool ContextHelp::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Show:
      if (watched == page_) {
        // Filters installed later run earlier; come first again once the
        // page is on screen, whatever the main form installed meanwhile.
        QMetaObject::invokeMethod(
            this, [this] { qApp->installEventFilter(this); }, Qt::QueuedConnection);
      }
      break;
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !onPage(watched)) break;
      if (!key->isAutoRepeat()) {
        QWidget* focus = QApplication::focusWidget();
        showHelpFor(onPage(focus) ? focus : static_cast<QWidget*>(watched));
      }
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::RightButton || watched == page_ || !onPage(watched)) break;
      auto* target = static_cast<QWidget*>(watched);
      if (event->type() == QEvent::MouseButtonDblClick) return true;
      rightTarget_ = nullptr;
      rightAsClick_ = false;
      const QPointer<QWidget> guard(target);
      showHelpFor(target);
      // After the missing-file message the click it interrupted is over.
      if (guard != nullptr && !reported_) passOnAsLeftClick(guard, *mouse);
      return true;
    }
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::RightButton || !onPage(watched)) break;
      if (rightAsClick_ && rightTarget_ != nullptr) {
        QMouseEvent left(QEvent::MouseButtonRelease,
                         rightTarget_->mapFromGlobal(mouse->globalPosition()),
                         mouse->scenePosition(), mouse->globalPosition(), Qt::LeftButton,
                         Qt::NoButton, mouse->modifiers());
        QCoreApplication::sendEvent(rightTarget_, &left);
      }
      rightTarget_ = nullptr;
      rightAsClick_ = false;
      return watched != page_;
    }
    case QEvent::ContextMenu:
      // The right click is help here, not a menu.
      if (watched != page_ && onPage(watched)) return true;
      break;
    default: break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace ostrel

#include "gui/support/gui_mailbox.h"

#include <QMetaObject>
#include <QThread>
#include <utility>

namespace ostrel {

GuiMailbox::GuiMailbox(QObject* parent) : QObject(parent) {}

bool GuiMailbox::onOwnThread() const { return QThread::currentThread() == thread(); }

void GuiMailbox::post(std::function<void()> call) {
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  // By name: the event is built inside Qt and carries no data of ours.
  QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
}

void GuiMailbox::drain() {
  std::deque<std::function<void()>> ready;
  {
    std::lock_guard lock(mutex_);
    ready.swap(calls_);
  }
  for (std::function<void()>& call : ready) call();
}

}  // namespace ostrel

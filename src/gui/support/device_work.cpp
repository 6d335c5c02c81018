#include "gui/support/device_work.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <exception>
#include <thread>

namespace ostrel {
namespace {

std::atomic<bool> g_running{false};

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
      return true;
    default:
      return false;
  }
}

// Drops the user's input while device work runs, whatever window it is sent
// to and however it comes (from the window system or posted), so nothing
// typed or clicked meanwhile acts later on a window that has moved on. A
// question the work asks (a modal box opened during the run) takes input as
// usual.
class InputGate final : public QObject {
 public:
  InputGate() : modalAtStart_(QApplication::activeModalWidget()) {
    if (qApp != nullptr) qApp->installEventFilter(this);
  }
  ~InputGate() override {
    if (qApp != nullptr) qApp->removeEventFilter(this);
  }
  InputGate(const InputGate&) = delete;
  InputGate& operator=(const InputGate&) = delete;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (!isUserInput(event->type())) return false;
    QWidget* question = QApplication::activeModalWidget();
    if (question == nullptr || question == modalAtStart_) return true;
    if (receiver->isWidgetType()) {
      QWidget* w = static_cast<QWidget*>(receiver);
      return !(w == question || question->isAncestorOf(w));
    }
    if (receiver->isWindowType()) return static_cast<QWindow*>(receiver) != question->windowHandle();
    return true;
  }

 private:
  QWidget* modalAtStart_;
};

}  // namespace

bool DeviceWork::running() { return g_running.load(); }

bool DeviceWork::run(const std::function<void()>& work) {
  bool idle = false;
  if (!g_running.compare_exchange_strong(idle, true)) return false;
  InputGate gate;
  QEventLoop loop;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    // Posted to the loop: it ends the loop even when it arrives before the
    // loop has started. By name, so the event carries nothing of ours; the
    // results are handed over by the join.
    QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  g_running = false;
  if (failure) std::rethrow_exception(failure);
  return true;
}

}  // namespace ostrel

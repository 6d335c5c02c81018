#include "gui/support/device_work.h"

#include <QEventLoop>
#include <QMetaObject>
#include <atomic>
#include <cassert>
#include <exception>
#include <thread>

namespace ostrel {
namespace {
std::atomic<bool> g_running{false};
}  // namespace

bool DeviceWork::running() { return g_running.load(); }

void DeviceWork::run(const std::function<void()>& work) {
  assert(!g_running.load());
  g_running = true;
  QEventLoop loop;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    // Posted to the loop: it ends the loop even when it arrives before the
    // loop has started.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  g_running = false;
  if (failure) std::rethrow_exception(failure);
}

}  // namespace ostrel

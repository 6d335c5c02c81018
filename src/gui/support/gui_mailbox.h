#pragma once
// Calls handed from a worker thread to the GUI thread.
//
// Each call goes into a queue guarded by a standard mutex; the GUI thread
// is only woken by a bare queued event that carries nothing, and takes the
// calls out of the queue under the same mutex. So what a call carries is
// handed over through a lock that the thread sanitizer can follow, not
// through Qt's event queue, whose futex-based lock it cannot see.

#include <QObject>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <type_traits>

namespace ostrel {

class GuiMailbox final : public QObject {
  Q_OBJECT

 public:
  // Lives on the thread of the parent (or the calling thread without one).
  explicit GuiMailbox(QObject* parent = nullptr);

  bool onOwnThread() const;

  // Runs the call on the mailbox's thread, after those posted before it.
  // Calls still queued when the mailbox is destroyed are dropped.
  void post(std::function<void()> call);

  // Runs the call on the mailbox's thread and waits for its result; on that
  // thread it runs at once. The mailbox's thread must not be waiting for
  // the caller.
  template <typename Func>
  auto call(Func&& func) -> decltype(func()) {
    using Result = decltype(func());
    if (onOwnThread()) return func();
    std::promise<Result> done;
    std::future<Result> result = done.get_future();
    post([&] {
      try {
        if constexpr (std::is_void_v<Result>) {
          func();
          done.set_value();
        } else {
          done.set_value(func());
        }
      } catch (...) {
        done.set_exception(std::current_exception());
      }
    });
    return result.get();
  }

  // Runs the calls queued so far; the mailbox's thread only.
  Q_INVOKABLE void drain();

 private:
  mutable std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
};

}  // namespace ostrel

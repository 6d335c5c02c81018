#include "core/platform/manual_reset_event.h"

namespace ostrel {

void ManualResetEvent::set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  cv_.notify_all();
}

void ManualResetEvent::reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool ManualResetEvent::isSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

bool ManualResetEvent::wait(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return cv_.wait_for(lock, timeout, [this] { return set_; });
}

void ManualResetEvent::wait() const {
  std::unique_lock lock(mutex_);
  cv_.wait(lock, [this] { return set_; });
}

}  // namespace ostrel

#pragma once
// An event that stays signalled until it is reset, as the link's service
// thread and its callers use to hand work back and forth.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace ostrel {

class ManualResetEvent {
 public:
  explicit ManualResetEvent(bool initiallySet = false) : set_(initiallySet) {}

  void set();
  void reset();
  bool isSet() const;

  // Waits until the event is set or the time is up; true when it is set.
  bool wait(std::chrono::milliseconds timeout) const;
  void wait() const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  bool set_;
};

}  // namespace ostrel

#include "core/diag/stream_controller.h"

#include <thread>

#include "core/link/unit_link.h"

namespace ostrel {

namespace {

constexpr std::uint8_t kStreamCommand = 0x21;
// More frames than a window can show in a few seconds are not worth keeping.
constexpr std::size_t kQueueCapacity = 1000;

}  // namespace

StreamController::StreamController(UnitLink& link) : StreamController(link, Timing{}) {}

StreamController::StreamController(UnitLink& link, Timing timing) : link_(link), timing_(timing) {}

StreamController::~StreamController() {
  if (running_ || worker_.joinable()) {
    stopWorker();
    link_.Close();
  }
}

void StreamController::pause(int ms) const {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int StreamController::start(bool ugus, FrameSink sink) {
  lastCommand_.reset();
  if (link_.IsOpen()) {
    lastCommand_ = link_.Command(kStreamCommand, {});
    if (ugus) {
      link_.Close();
      pause(timing_.ugusReopenMs);
    }
  }
  const int opened = link_.Open();
  if (!running_) {
    // A worker that ended by itself is joined before its successor starts.
    if (worker_.joinable()) worker_.join();
    ended_ = false;
    running_ = true;
    ++started_;
    worker_ = std::thread([this, sink = std::move(sink)] {
      link_.MonitorStream([&sink](int code, const std::array<std::uint8_t, 6>& frame) {
        if (sink) sink(code, frame);
      });
      ended_ = true;
    });
  }
  return opened;
}

void StreamController::stopWorker() {
  if (!running_) return;
  // MonitorStream clears the stop flag when it begins, so a worker that had
  // not got that far would miss a single request: ask on every poll.
  while (!ended_) {
    link_.StopStream();
    pause(timing_.pollMs);
  }
  if (worker_.joinable()) worker_.join();
  running_ = false;
}

void StreamController::stop(bool leaving) {
  stopWorker();
  link_.Close();
  if (leaving) pause(timing_.leaveMs);
}

void FrameQueue::push(int code, const StreamController::Frame& frame) {
  {
    std::lock_guard lock(mutex_);
    if (items_.size() >= kQueueCapacity) items_.pop_front();
    items_.push_back(Item{code, frame});
  }
  cv_.notify_one();
}

std::optional<FrameQueue::Item> FrameQueue::pop(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!cv_.wait_for(lock, timeout, [this] { return !items_.empty(); })) return std::nullopt;
  Item item = items_.front();
  items_.pop_front();
  return item;
}

StreamController::FrameSink FrameQueue::sink() {
  return [this](int code, const StreamController::Frame& frame) { push(code, frame); };
}

}  // namespace ostrel

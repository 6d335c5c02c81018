#pragma once
// The live page's stream: puts the unit into streaming mode, runs the link's
// MonitorStream on one worker thread, and on leaving stops that worker before
// it closes the link, so the link is never closed under a running reader.
// start() and stop() block for the unit's long pauses; a window runs them as
// device work so that it keeps painting.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace ostrel {

class UnitLink;

class StreamController {
 public:
  using Frame = std::array<std::uint8_t, 6>;
  // Called on the worker thread with a copy of each frame.
  using FrameSink = std::function<void(int code, const Frame& frame)>;

  struct Timing {
    int ugusReopenMs = 6000;  // UGUS units restart after the stream command
    int leaveMs = 2500;       // after closing the link on leaving the page
    int pollMs = 100;         // asking whether the worker has ended
  };

  explicit StreamController(UnitLink& link);
  StreamController(UnitLink& link, Timing timing);
  // Stops a worker that still runs and closes the link.
  ~StreamController();
  StreamController(const StreamController&) = delete;
  StreamController& operator=(const StreamController&) = delete;

  // The page becomes active: on an open link the stream command (a UGUS
  // unit is then closed and given its pause), then Open, then one worker
  // unless one runs already. Returns Open's result; the worker starts
  // whatever it is.
  int start(bool ugus, FrameSink sink);
  // Ends the worker (if any), closes the link, and waits the leaving pause
  // when leaving is set (OK and Cancel of the main form skip it).
  void stop(bool leaving);

  bool running() const { return running_.load(); }
  // Workers started over this controller's life.
  int workersStarted() const { return started_.load(); }
  // The stream command's result at the last start (nothing when the link
  // was closed and no command went out).
  std::optional<int> lastCommandResult() const { return lastCommand_; }

 private:
  void stopWorker();
  void pause(int ms) const;

  UnitLink& link_;
  Timing timing_;
  std::thread worker_;
  std::atomic<bool> running_{false};
  std::atomic<bool> ended_{false};
  std::atomic<int> started_{0};
  std::optional<int> lastCommand_;
};

// Frames handed from the worker to the thread that shows them, each a copy.
class FrameQueue {
 public:
  struct Item {
    int code = 0;
    StreamController::Frame frame{};
  };

  void push(int code, const StreamController::Frame& frame);
  // The oldest frame, waiting up to timeout for one.
  std::optional<Item> pop(std::chrono::milliseconds timeout);
  StreamController::FrameSink sink();

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Item> items_;
};

}  // namespace ostrel

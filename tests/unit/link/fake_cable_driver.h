#pragma once
// A cable driver for the link's tests: cables as the test lists them, every
// byte the link writes recorded, and answers the test queues (at once, or
// from a responder that sees each write).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/link/cable_driver.h"

namespace ostrel::test {

using Bytes = std::vector<std::uint8_t>;

class FakeCableDriver final : public CableDriver {
 public:
  struct Cable {
    std::string vendor = "10C4";
    std::string product = "807F";
    std::string serial = "FT000001";
    std::string description = "Linkbud USB Interface Cable";
    bool stringsFail = false;
  };

  FakeCableDriver() { cables.push_back(Cable{}); }

  // Configuration (set before use).
  std::vector<Cable> cables;
  bool supported = true;
  bool countFails = false;
  bool presentWithoutDriver = false;
  int flowStatus = kCableSuccess;
  int lineStatus = kCableSuccess;
  int timeoutStatus = kCableSuccess;
  bool queueCheckFails = false;
  // Called with every write (on the writer's thread); may call push().
  std::function<void(const Bytes&)> responder;

  // Answers the unit gives, available at once.
  void push(const Bytes& bytes);
  // An answer given when the next write arrives (after the link has
  // discarded what was queued before it writes). Several queue up in order.
  void answerNextWrite(const Bytes& bytes);
  // Everything written so far, and the writes one by one.
  Bytes written() const;
  std::vector<Bytes> writes() const;
  std::vector<std::uint32_t> bauds() const;
  std::size_t queued() const;
  int openCalls() const { return openCalls_; }
  int openHandles() const;
  // Reads, writes, queue checks and waits that still used a handle after it
  // was closed: a thread left running over a closed cable.
  int callsAfterClose() const;

  bool platformSupported() const override { return supported; }
  int deviceCount(std::uint32_t& count) override;
  int productString(std::uint32_t index, ProductString which, std::string& text) override;
  int setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
  bool deviceWithoutDriver(std::uint16_t vendorId, std::uint16_t productId) override;
  int open(std::uint32_t index, CableHandle& handle) override;
  int close(CableHandle handle) override;
  int read(CableHandle handle, std::uint8_t* buffer, std::uint32_t count,
           std::uint32_t& bytesRead) override;
  int write(CableHandle handle, const std::uint8_t* bytes, std::uint32_t count,
            std::uint32_t& bytesWritten) override;
  int flushBuffers(CableHandle handle, bool transmit, bool receive) override;
  int checkRxQueue(CableHandle handle, std::uint32_t& bytesQueued,
                   std::uint32_t& queueStatus) override;
  int setBaudRate(CableHandle handle, std::uint32_t baud) override;
  int setLineControl(CableHandle handle, std::uint16_t lineControl) override;
  int setFlowControl(CableHandle handle, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t,
                     std::uint32_t, std::uint32_t) override;
  bool waitForData(CableHandle handle, std::chrono::milliseconds timeout) override;

  std::uint32_t readTimeout = 0;
  std::uint32_t writeTimeout = 0;
  std::uint16_t lineControl = 0;
  std::uint32_t openedIndex = 0xFFFFFFFF;

 private:
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::uint8_t> rx_;
  std::deque<Bytes> answers_;
  std::vector<Bytes> writes_;
  std::vector<std::uint32_t> bauds_;
  std::vector<bool> open_;
  int openCalls_ = 0;
  int callsAfterClose_ = 0;

  // Under mutex_: false for an unknown or closed handle, counting the closed ones.
  bool usableLocked(CableHandle handle);
};

// A frame as the unit protocol builds it: A5, L, cmd, data, additive check.
Bytes frame(std::uint8_t cmd, const Bytes& data);
// The unit's acknowledgement of a command.
Bytes ack(std::uint8_t cmd, std::uint8_t status = 0);

}  // namespace ostrel::test

#pragma once
// Wraps a cable driver and counts the bytes that cross the line, so a
// benchmark can set the time it measured against the time the bytes need.
// It also tells where the time over the wire time goes: the tool's own time
// from the last byte it read to its next write, and the wait from a write to
// the first byte of the answer.

#include <atomic>
#include <chrono>
#include <cstdint>

#include "core/link/cable_driver.h"

namespace ostrel::bench {

class CountingCableDriver final : public CableDriver {
 public:
  explicit CountingCableDriver(CableDriver& inner) : inner_(inner) {}

  std::uint64_t bytesWritten() const { return written_; }
  std::uint64_t bytesRead() const { return read_; }
  // Milliseconds, summed over the exchanges since reset().
  double toolTurnaroundMs() const { return turnaround_.count(); }
  double firstAnswerByteMs() const { return firstByte_.count(); }
  void reset() {
    written_ = 0;
    read_ = 0;
    turnaround_ = {};
    firstByte_ = {};
    lastRead_ = {};
    lastWrite_ = {};
    answered_ = true;
  }

  bool platformSupported() const override { return inner_.platformSupported(); }
  int deviceCount(std::uint32_t& count) override { return inner_.deviceCount(count); }
  int productString(std::uint32_t i, ProductString w, std::string& t) override {
    return inner_.productString(i, w, t);
  }
  int setTimeouts(std::uint32_t r, std::uint32_t w) override { return inner_.setTimeouts(r, w); }
  bool deviceWithoutDriver(std::uint16_t v, std::uint16_t p) override {
    return inner_.deviceWithoutDriver(v, p);
  }
  int open(std::uint32_t i, CableHandle& h) override { return inner_.open(i, h); }
  int close(CableHandle h) override { return inner_.close(h); }
  int read(CableHandle h, std::uint8_t* b, std::uint32_t c, std::uint32_t& got) override {
    const int r = inner_.read(h, b, c, got);
    read_ += got;
    if (got > 0) {
      lastRead_ = Clock::now();
      if (!answered_) firstByte_ += lastRead_ - lastWrite_;
      answered_ = true;
    }
    return r;
  }
  int write(CableHandle h, const std::uint8_t* b, std::uint32_t c, std::uint32_t& done) override {
    lastWrite_ = Clock::now();
    if (lastRead_ != Clock::time_point{}) turnaround_ += lastWrite_ - lastRead_;
    answered_ = false;
    const int r = inner_.write(h, b, c, done);
    written_ += done;
    return r;
  }
  int flushBuffers(CableHandle h, bool t, bool r) override { return inner_.flushBuffers(h, t, r); }
  int checkRxQueue(CableHandle h, std::uint32_t& q, std::uint32_t& s) override {
    return inner_.checkRxQueue(h, q, s);
  }
  int setBaudRate(CableHandle h, std::uint32_t b) override { return inner_.setBaudRate(h, b); }
  int setLineControl(CableHandle h, std::uint16_t l) override {
    return inner_.setLineControl(h, l);
  }
  int setFlowControl(CableHandle h, std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d,
                     std::uint32_t e, std::uint32_t f) override {
    return inner_.setFlowControl(h, a, b, c, d, e, f);
  }
  bool waitForData(CableHandle h, std::chrono::milliseconds t) override {
    return inner_.waitForData(h, t);
  }

 private:
  using Clock = std::chrono::steady_clock;
  CableDriver& inner_;
  std::atomic<std::uint64_t> written_{0};
  std::atomic<std::uint64_t> read_{0};
  // Kept by the one thread that drives the link.
  std::chrono::duration<double, std::milli> turnaround_{};
  std::chrono::duration<double, std::milli> firstByte_{};
  Clock::time_point lastRead_{};
  Clock::time_point lastWrite_{};
  bool answered_ = true;
};

}  // namespace ostrel::bench

#pragma once
// Wraps a cable driver and counts the bytes that cross the line, so a
// benchmark can set the time it measured against the time the bytes need.

#include <atomic>
#include <cstdint>

#include "core/link/cable_driver.h"

namespace ostrel::bench {

class CountingCableDriver final : public CableDriver {
 public:
  explicit CountingCableDriver(CableDriver& inner) : inner_(inner) {}

  std::uint64_t bytesWritten() const { return written_; }
  std::uint64_t bytesRead() const { return read_; }
  void reset() {
    written_ = 0;
    read_ = 0;
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
    return r;
  }
  int write(CableHandle h, const std::uint8_t* b, std::uint32_t c, std::uint32_t& done) override {
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
  CableDriver& inner_;
  std::atomic<std::uint64_t> written_{0};
  std::atomic<std::uint64_t> read_{0};
};

}  // namespace ostrel::bench

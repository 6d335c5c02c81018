// Any byte stream from the unit: the frame reader and the stream decoder must
// stay inside their buffers, end, and report frames only as complete.
#include <cstdint>
#include <cstring>
#include <deque>

#include "core/link/cable_driver.h"
#include "core/link/unit_link.h"

namespace {

// Hands the fuzz input to the link as the bytes the unit sent.
class BytesDriver final : public ostrel::CableDriver {
 public:
  std::deque<std::uint8_t> rx;
  ostrel::UnitLink* streamOwner = nullptr;

  int deviceCount(std::uint32_t& count) override {
    count = 1;
    return 0;
  }
  int productString(std::uint32_t, ostrel::ProductString which, std::string& text) override {
    text = which == ostrel::ProductString::VendorId    ? "10C4"
           : which == ostrel::ProductString::ProductId ? "807F"
                                                       : "Linkbud";
    return 0;
  }
  int setTimeouts(std::uint32_t, std::uint32_t) override { return 0; }
  bool deviceWithoutDriver(std::uint16_t, std::uint16_t) override { return false; }
  int open(std::uint32_t, ostrel::CableHandle& h) override {
    h = 0;
    return 0;
  }
  int close(ostrel::CableHandle) override { return 0; }
  int read(ostrel::CableHandle, std::uint8_t* buffer, std::uint32_t count,
           std::uint32_t& got) override {
    got = 0;
    while (got < count && !rx.empty()) {
      buffer[got++] = rx.front();
      rx.pop_front();
    }
    return 0;
  }
  int write(ostrel::CableHandle, const std::uint8_t*, std::uint32_t count,
            std::uint32_t& written) override {
    written = count;
    return 0;
  }
  int flushBuffers(ostrel::CableHandle, bool, bool) override { return 0; }
  int checkRxQueue(ostrel::CableHandle, std::uint32_t& queued, std::uint32_t& status) override {
    queued = static_cast<std::uint32_t>(rx.size());
    status = queued > 0 ? ostrel::kRxReady : ostrel::kRxEmpty;
    if (queued == 0 && streamOwner != nullptr) streamOwner->StopStream();
    return 0;
  }
  int setBaudRate(ostrel::CableHandle, std::uint32_t) override { return 0; }
  int setLineControl(ostrel::CableHandle, std::uint16_t) override { return 0; }
  int setFlowControl(ostrel::CableHandle, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t,
                     std::uint32_t, std::uint32_t) override {
    return 0;
  }
  bool waitForData(ostrel::CableHandle, std::chrono::milliseconds) override { return !rx.empty(); }
};

ostrel::UnitLink::Timing fastTiming() {
  ostrel::UnitLink::Timing t;
  t.framePhaseMs = 2;
  t.settleMs = 0;
  t.streamQueueMs = 1;
  t.streamFramePauseMs = 0;
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  BytesDriver driver;
  ostrel::UnitLink link(driver, fastTiming());
  link.SetTargetProduct("Linkbud");
  if (link.Open() != 0) __builtin_trap();

  // The first byte picks the buffer size the reader is given.
  const int maximum = data[0] % 2 == 0 ? 100 : 1 + data[0] % 80;
  driver.rx.assign(data + 1, data + size);
  std::uint8_t buffer[101];
  std::memset(buffer, 0xCD, sizeof buffer);
  for (int guard = 0; guard < 64 && !driver.rx.empty(); ++guard) {
    const int n = link.ReadFrame(buffer, maximum);
    if (n > maximum) __builtin_trap();
    if (buffer[maximum] != 0xCD && maximum < 100) __builtin_trap();  // wrote past the buffer
  }

  driver.rx.assign(data + 1, data + size);
  driver.streamOwner = &link;
  link.MonitorStream([](int code, const std::array<std::uint8_t, 6>& frame) {
    if (frame[0] != 0xA5 || frame[1] != 0xA5) __builtin_trap();
    const unsigned sum = frame[2] + frame[3] + frame[4] + frame[5];
    if ((code == 6) != ((sum & 0xFF) == 0)) __builtin_trap();
  });
  return 0;
}

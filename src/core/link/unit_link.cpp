#include "core/link/unit_link.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/platform/clock.h"
#include "core/support/text_codec.h"

namespace ostrel {
namespace {

constexpr std::uint8_t kStart = 0xA5;
constexpr std::uint8_t kAckCommand = 0x2F;
constexpr std::uint8_t kEraseProgram = 0x17;
constexpr std::uint8_t kSetBaud = 0x52;
constexpr std::uint8_t kPing[5] = {0xA5, 0x01, 0x10, 0xB6, 0x00};
constexpr std::uint8_t kWakeFirst[7] = {0xA5, 0xA5, 0x57, 0x00, 0x01, 0x00, 0xA8};
constexpr std::uint8_t kWakeSecond[7] = {0xA5, 0xA5, 0x4C, 0x00, 0x01, 0x00, 0xB3};
// The acknowledgement of command 0x10 (A5 03 2F 10 00 E7) and two start
// bytes in a row, written as decimal numbers without separators.
constexpr std::string_view kAckText = "165347160231";
constexpr std::string_view kRadarText = "165165";
constexpr std::size_t kCaptureCapacity = 4096;

std::uint64_t elapsedSince(std::uint64_t start) { return tickCount() - start; }

// The pinger runs at the highest priority the system grants this process.
void raisePriority() {
  sched_param param{};
  param.sched_priority = sched_get_priority_max(SCHED_RR);
  if (pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0) return;
  const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
  for (int nice = -20; nice < 0; nice += 5) {
    if (::setpriority(PRIO_PROCESS, tid, nice) == 0) return;
  }
}

}  // namespace

UnitLink::UnitLink(CableDriver& driver) : UnitLink(driver, Timing{}) {}

UnitLink::UnitLink(CableDriver& driver, Timing timing) : driver_(driver), timing_(timing) {}

UnitLink::~UnitLink() {
  StopServiceThread();
  Close();
}

void UnitLink::pause(int ms) const { sleepMs(ms); }

// ---------------------------------------------------------------------------
// Cables

int UnitLink::EnumerateCables(std::vector<std::string>& list, std::uint16_t vendorId,
                              std::uint16_t productId) {
  if (!driver_.platformSupported()) return -1;

  std::uint32_t count = 0;
  const int status = driver_.deviceCount(count);
  if (status != kCableSuccess) count = 0;
  if (count == 0 && driver_.deviceWithoutDriver(vendorId, productId)) return kDriverNotServing;
  if (status != kCableSuccess) return 0;

  const auto hexMatches = [](const std::string& text, std::uint16_t id) {
    return static_cast<std::uint16_t>(std::strtoul(text.c_str(), nullptr, 16)) == id;
  };
  int matches = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string vendor;
    std::string product;
    std::string serial;
    std::string description;
    if (driver_.productString(i, ProductString::VendorId, vendor) != kCableSuccess) continue;
    if (!hexMatches(vendor, vendorId)) continue;
    if (driver_.productString(i, ProductString::ProductId, product) != kCableSuccess) continue;
    if (!hexMatches(product, productId)) continue;
    if (driver_.productString(i, ProductString::SerialNumber, serial) != kCableSuccess) continue;
    if (driver_.productString(i, ProductString::Description, description) != kCableSuccess) {
      continue;
    }
    if (description.find("Linkbud") == std::string::npos &&
        description.find("Fob USB Device") == std::string::npos) {
      continue;
    }
    if (matches == 0) list.clear();
    list.push_back(cp1252ToUtf8(description));
    ++matches;
  }
  return matches;
}

void UnitLink::SetTargetProduct(std::string description) {
  std::lock_guard lock(targetMutex_);
  target_ = std::move(description);
}

std::string UnitLink::TargetProduct() const {
  std::lock_guard lock(targetMutex_);
  return target_;
}

int UnitLink::Open() {
  if (IsOpen()) return 0;
  std::uint32_t count = 0;
  // A failing count means no cable can be opened: say so.
  if (driver_.deviceCount(count) != kCableSuccess) return 1;
  const std::string target = utf8ToCp1252(TargetProduct());
  int chosen = -1;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string description;
    if (driver_.productString(i, ProductString::Description, description) != kCableSuccess) {
      continue;
    }
    if (description == target) chosen = static_cast<int>(i);  // the last one wins
  }
  CableHandle handle = kInvalidCable;
  if (chosen < 0 || driver_.open(static_cast<std::uint32_t>(chosen), handle) != kCableSuccess) {
    return 1;
  }
  handle_ = handle;
  driver_.flushBuffers(handle, true, false);
  if (driver_.setFlowControl(handle, 0, 1, 1, 0, 0, 0) != kCableSuccess) return 3;
  driver_.setBaudRate(handle, 9600);
  if (driver_.setLineControl(handle, kLine8N1) != kCableSuccess) return 4;
  if (driver_.setTimeouts(300, 100) != kCableSuccess) return 5;
  pause(timing_.settleMs);
  return 0;
}

void UnitLink::Close() {
  abortListening();
  const CableHandle handle = handle_.exchange(kInvalidCable);
  if (handle != kInvalidCable) {
    driver_.close(handle);
    pause(timing_.settleMs);
  }
}

int UnitLink::fail(int result) {
  Close();
  return result;
}

int UnitLink::SetBaudRate(std::uint32_t baud) { return driver_.setBaudRate(handle_, baud); }

int UnitLink::CheckQueue(std::uint32_t& queued, std::uint32_t& status) {
  return driver_.checkRxQueue(handle_, queued, status);
}

int UnitLink::ReadBytes(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) {
  return driver_.read(handle_, buffer, count, got);
}

bool UnitLink::WaitForData(std::chrono::milliseconds timeout) {
  return driver_.waitForData(handle_, timeout);
}

int UnitLink::Connect() {
  if (IsOpen()) return 0;
  if (Open() != 0) return fail(-1);
  // The wait lasts as long as the listening it waits for.
  int r = RequestIdentify(timing_.listenMs);
  if (r == -1) {
    // Nobody at 9600 baud: try 1200, then move the unit to 9600.
    abortListening();
    SetBaudRate(1200);
    r = RequestIdentify(1200);
    if (r != 0) return fail(r);
    if (Command(kSetBaud, {0x80, 0x25, 0x00, 0x00}) != 0) return fail(kBaudChangeRefused);
    SetBaudRate(9600);
  }
  if (r == -2) {
    // A pulse radar streaming in its own framing.
    if (!WakeRadar()) return fail(-2);
    r = RequestIdentify(timing_.listenMs);
    if (r != 0) return fail(r);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Identification

void UnitLink::StartServiceThread() {
  std::lock_guard lock(eventMutex_);
  if (service_.joinable()) return;
  stopEvent_ = false;
  stoppedEvent_ = false;
  service_ = std::thread([this] { serviceLoop(); });
}

bool UnitLink::StopServiceThread(std::chrono::milliseconds wait) {
  bool stopped = true;
  {
    std::unique_lock lock(eventMutex_);
    if (!service_.joinable()) return true;
    stopEvent_ = true;
    abortListen_ = true;
    eventCv_.notify_all();
    stopped = eventCv_.wait_for(lock, wait, [this] { return stoppedEvent_; });
  }
  service_.join();
  abortListen_ = false;
  return stopped;
}

int UnitLink::RequestIdentify(int timeoutMs) {
  StartServiceThread();  // a caller without startup's thread still gets an answer
  std::unique_lock lock(eventMutex_);
  // A thread being stopped takes no more requests: nobody will listen.
  if (stopEvent_) return -1;
  doneEvent_ = false;
  requestEvent_ = true;
  eventCv_.notify_all();
  eventCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs + timing_.requestSlackMs),
                    [this] { return doneEvent_; });
  return identResult_.load();
}

void UnitLink::abortListening() {
  std::unique_lock lock(eventMutex_);
  if (!requestEvent_ || !service_.joinable()) return;
  abortListen_ = true;
  eventCv_.wait(lock, [this] { return !requestEvent_ || stoppedEvent_; });
  abortListen_ = false;
}

void UnitLink::serviceLoop() {
  for (;;) {
    {
      std::unique_lock lock(eventMutex_);
      eventCv_.wait(lock, [this] { return stopEvent_ || requestEvent_; });
      if (stopEvent_) {
        // A request not taken yet is answered too: nobody was listened to,
        // and a caller waiting for it must not sit out its whole time-out.
        if (requestEvent_) {
          identResult_ = -1;
          doneEvent_ = true;
        }
        stoppedEvent_ = true;
        requestEvent_ = false;
        eventCv_.notify_all();
        return;
      }
    }
    DiscardInput();
    pingerStop_ = false;
    std::thread pinger([this] { pingerLoop(); });
    listenForAnswer();
    pingerStop_ = true;
    // No late ping may land inside the next command.
    pinger.join();
    pause(timing_.afterListenMs);
    std::lock_guard lock(eventMutex_);
    requestEvent_ = false;
    doneEvent_ = true;
    eventCv_.notify_all();
  }
}

void UnitLink::pingerLoop() {
  raisePriority();
  while (!pingerStop_) {
    if (WriteBytes(kPing, sizeof kPing) != 0) return;
    for (int slept = 0; slept < timing_.pingIntervalMs && !pingerStop_; slept += 10) {
      pause(std::min(10, timing_.pingIntervalMs - slept));
    }
  }
}

void UnitLink::listenForAnswer() {
  identResult_ = -1;
  std::vector<std::uint8_t> capture;
  capture.reserve(kCaptureCapacity);
  std::string text;
  std::size_t total = 0;
  std::size_t ackFrom = 0;    // where the next search for the acknowledgement starts
  std::size_t radarFrom = 0;  // likewise for the radar's start bytes
  std::vector<std::uint8_t> chunk;
  const CableHandle handle = handle_;
  const std::uint64_t start = tickCount();

  while (elapsedSince(start) <= static_cast<std::uint64_t>(timing_.listenMs - 1)) {
    if (abortListen_) return;
    std::uint32_t queued = 0;
    std::uint32_t status = 0;
    // A device that can no longer be asked has gone: nothing will answer.
    if (driver_.checkRxQueue(handle, queued, status) != kCableSuccess) return;
    if (status == kRxReady && queued > 0) {
      chunk.resize(queued);
      std::uint32_t got = 0;
      if (driver_.read(handle, chunk.data(), queued, got) != kCableSuccess) {
        identResult_ = -1;
        return;
      }
      // The capture holds 4096 bytes; beyond that only the text keeps growing.
      const std::size_t room = kCaptureCapacity - capture.size();
      capture.insert(capture.end(), chunk.begin(),
                     chunk.begin() + std::min<std::size_t>(room, got));
      for (std::uint32_t i = 0; i < got; ++i) text += std::to_string(chunk[i]);

      if (text.find(kAckText, ackFrom) != std::string::npos) {
        identResult_ = 0;
        return;
      }
      ackFrom = text.size() >= kAckText.size() ? text.size() - kAckText.size() + 1 : 0;
      total += got;
      if (total > 30) {
        if (text.find(kRadarText, radarFrom) != std::string::npos) {
          identResult_ = -2;
          return;
        }
        radarFrom = text.size() >= kRadarText.size() ? text.size() - kRadarText.size() + 1 : 0;
      }
    }
    driver_.waitForData(handle, std::chrono::milliseconds(10));
  }
}

bool UnitLink::waitForReply(std::uint8_t third) {
  const CableHandle handle = handle_;
  std::size_t held = 0;  // bytes of A5 A5 x matched so far
  const std::uint64_t start = tickCount();
  while (elapsedSince(start) < static_cast<std::uint64_t>(timing_.wakeReplyMs)) {
    std::uint32_t queued = 0;
    std::uint32_t status = 0;
    if (driver_.checkRxQueue(handle, queued, status) == kCableSuccess && status == kRxReady) {
      for (; queued > 0; --queued) {
        std::uint8_t b = 0;
        std::uint32_t got = 0;
        if (driver_.read(handle, &b, 1, got) != kCableSuccess) return false;
        if (got == 0) break;
        ++held;
        const std::uint8_t expected = held <= 2 ? kStart : third;
        if (b != expected) {
          held = 0;
        } else if (held == 3) {
          return true;  // what follows stays queued
        }
      }
    }
    driver_.waitForData(handle, std::chrono::milliseconds(10));
  }
  return false;
}

bool UnitLink::WakeRadar() {
  for (int attempt = 0; attempt < 4; ++attempt) {
    DiscardInput();
    WriteBytes(kWakeFirst, sizeof kWakeFirst);
    if (waitForReply(0x57)) {
      pause(100);
      break;
    }
  }
  for (int attempt = 0; attempt < 4; ++attempt) {
    DiscardInput();
    WriteBytes(kWakeSecond, sizeof kWakeSecond);
    if (waitForReply(0x4C)) {
      pause(40);
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Frames

int UnitLink::WriteBytes(const std::uint8_t* bytes, int count) {
  if (count <= 0) return 0;
  std::uint32_t written = 0;
  const int status = driver_.write(handle_, bytes, static_cast<std::uint32_t>(count), written);
  if (status != kCableSuccess) return status;
  if (written < static_cast<std::uint32_t>(count)) return kShortWrite;
  return 0;
}

void UnitLink::DiscardInput() {
  const CableHandle handle = handle_;
  std::uint32_t queued = 0;
  std::uint32_t status = 0;
  if (driver_.checkRxQueue(handle, queued, status) != kCableSuccess) return;
  if (status != kRxReady || queued == 0) return;
  std::vector<std::uint8_t> drop(queued);
  std::uint32_t got = 0;
  driver_.read(handle, drop.data(), queued, got);
}

int UnitLink::SendCommand(std::uint8_t length, std::uint8_t cmd, std::uint8_t* frame) {
  frame[0] = kStart;
  frame[1] = length;
  frame[2] = cmd;
  unsigned sum = 0;
  for (int i = 0; i <= length + 1; ++i) sum += frame[i];
  frame[length + 2] = static_cast<std::uint8_t>(sum);
  frame[length + 3] = 0;
  DiscardInput();
  if (WriteBytes(frame, length + 4) != 0) return kWriteFailed;
  if (cmd == kEraseProgram) pause(timing_.eraseProgramMs);
  ack_.fill(0);
  const int n = ReadFrame(ack_.data(), static_cast<int>(ack_.size()));
  if (n < 6) return kNoAcknowledgement;
  if (ack_[2] != kAckCommand) return kNotAnAcknowledgement;
  if (ack_[3] != cmd) return kOtherCommandAcknowledged;
  if (ack_[4] != 0) return ack_[4];
  return 0;
}

int UnitLink::Command(std::uint8_t cmd, const std::uint8_t* data, std::size_t count) {
  if (count > 254) return kWriteFailed;
  std::array<std::uint8_t, 259> frame{};
  if (count > 0) std::memcpy(frame.data() + 3, data, count);
  return SendCommand(static_cast<std::uint8_t>(count + 1), cmd, frame.data());
}

int UnitLink::Command(std::uint8_t cmd, std::initializer_list<std::uint8_t> data) {
  return Command(cmd, data.begin(), data.size());
}

int UnitLink::ReadFrame(std::uint8_t* buffer, int maximum) {
  if (maximum <= 0) maximum = 100;
  const CableHandle handle = handle_;
  buffer[0] = 0;
  if (maximum > 1) buffer[1] = 1;

  // Start byte: at most 25 reads within the first phase.
  int reads = 0;
  std::uint64_t start = tickCount();
  while (buffer[0] != kStart) {
    if (elapsedSince(start) > static_cast<std::uint64_t>(timing_.framePhaseMs)) return -1;
    std::uint32_t queued = 0;
    std::uint32_t status = 0;
    if (driver_.checkRxQueue(handle, queued, status) == kCableSuccess && status == kRxReady &&
        queued > 0) {
      std::uint32_t got = 0;
      driver_.read(handle, buffer, 1, got);
      if (++reads >= 25) return -1;
      if (buffer[0] == kStart) break;
    }
    driver_.waitForData(handle, std::chrono::milliseconds(10));
  }
  if (maximum == 1) return 1;

  // Body: the frame is complete at L + 3 bytes. Only the bytes this frame
  // still needs are taken, so a frame that follows stays in the queue.
  int count = 1;
  int idle = 0;
  start = tickCount();
  for (;;) {
    if (count >= 4 && count >= buffer[1] + 3) return buffer[1] + 3;
    if (elapsedSince(start) > static_cast<std::uint64_t>(timing_.framePhaseMs)) return -2;
    std::uint32_t queued = 0;
    std::uint32_t status = 0;
    std::uint32_t got = 0;
    if (driver_.checkRxQueue(handle, queued, status) == kCableSuccess && status == kRxReady &&
        queued > 0) {
      int want = maximum - count;
      if (count < 2) {
        want = 1;  // the length byte first
      } else {
        // A frame counts as complete from four bytes on, however short its L.
        want = std::min(want, std::max(buffer[1] + 3, 4) - count);
      }
      want = std::min<int>(want, static_cast<int>(queued));
      if (want > 0) {
        driver_.read(handle, buffer + count, static_cast<std::uint32_t>(want), got);
      }
    }
    if (got > 0) {
      count += static_cast<int>(got);
      idle = 0;
      if (count >= 4 && count >= buffer[1] + 3) return buffer[1] + 3;
      if (count >= maximum) return count;
    } else if (++idle >= 30) {
      return -2;
    }
    driver_.waitForData(handle, std::chrono::milliseconds(40));
  }
}

// ---------------------------------------------------------------------------
// Streaming

int UnitLink::MonitorStream(const StreamSink& sink) {
  streamRunning_ = true;
  streamStop_ = false;
  DiscardInput();
  const CableHandle handle = handle_;
  std::array<std::uint8_t, 100> window{};
  std::size_t read = 0;
  std::size_t fill = 0;

  while (!streamStop_) {
    if (fill > 60) {
      if (read >= fill) {
        read = fill = 0;
      } else {
        std::memmove(window.data(), window.data() + read, fill - read);
        fill -= read;
        read = 0;
      }
    }
    const std::uint64_t start = tickCount();
    while (!streamStop_ &&
           elapsedSince(start) < static_cast<std::uint64_t>(timing_.streamQueueMs)) {
      std::uint32_t queued = 0;
      std::uint32_t status = 0;
      if (driver_.checkRxQueue(handle, queued, status) == kCableSuccess && status == kRxReady &&
          queued > 0) {
        const std::uint32_t want =
            std::min<std::uint32_t>(queued, static_cast<std::uint32_t>(window.size() - fill));
        std::uint32_t got = 0;
        if (want > 0) driver_.read(handle, window.data() + fill, want, got);
        fill += got;
        break;
      }
      driver_.waitForData(handle, std::chrono::milliseconds(20));
    }
    while (!streamStop_ && fill - read >= 6) {
      while (fill - read >= 6 && !(window[read] == kStart && window[read + 1] == kStart)) ++read;
      if (fill - read < 6) break;
      std::array<std::uint8_t, 6> frame{};
      std::memcpy(frame.data(), window.data() + read, 6);
      const unsigned sum = frame[2] + frame[3] + frame[4] + frame[5];
      sink((sum & 0xFF) == 0 ? 6 : -6, frame);
      read += 6;
      pause(timing_.streamFramePauseMs);
    }
  }
  streamRunning_ = false;
  return 0;
}

}  // namespace ostrel

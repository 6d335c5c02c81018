#include "fake_cable_driver.h"

#include <algorithm>

namespace ostrel::test {

Bytes frame(std::uint8_t cmd, const Bytes& data) {
  Bytes f{0xA5, static_cast<std::uint8_t>(data.size() + 1), cmd};
  f.insert(f.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (std::uint8_t b : f) sum += b;
  f.push_back(static_cast<std::uint8_t>(sum));
  return f;
}

Bytes ack(std::uint8_t cmd, std::uint8_t status) { return frame(0x2F, {cmd, status}); }

void FakeCableDriver::push(const Bytes& bytes) {
  {
    std::lock_guard lock(mutex_);
    rx_.insert(rx_.end(), bytes.begin(), bytes.end());
  }
  cv_.notify_all();
}

void FakeCableDriver::answerNextWrite(const Bytes& bytes) {
  std::lock_guard lock(mutex_);
  answers_.push_back(bytes);
}

Bytes FakeCableDriver::written() const {
  std::lock_guard lock(mutex_);
  Bytes all;
  for (const Bytes& w : writes_) all.insert(all.end(), w.begin(), w.end());
  return all;
}

std::vector<Bytes> FakeCableDriver::writes() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

std::vector<std::uint32_t> FakeCableDriver::bauds() const {
  std::lock_guard lock(mutex_);
  return bauds_;
}

std::size_t FakeCableDriver::queued() const {
  std::lock_guard lock(mutex_);
  return rx_.size();
}

int FakeCableDriver::openHandles() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count(open_.begin(), open_.end(), true));
}

int FakeCableDriver::deviceCount(std::uint32_t& count) {
  if (countFails) return kCableDeviceNotFound;
  count = static_cast<std::uint32_t>(cables.size());
  return kCableSuccess;
}

int FakeCableDriver::productString(std::uint32_t index, ProductString which, std::string& text) {
  if (index >= cables.size() || cables[index].stringsFail) return kCableDeviceNotFound;
  const Cable& c = cables[index];
  switch (which) {
    case ProductString::SerialNumber: text = c.serial; break;
    case ProductString::Description: text = c.description; break;
    case ProductString::VendorId: text = c.vendor; break;
    case ProductString::ProductId: text = c.product; break;
  }
  return kCableSuccess;
}

int FakeCableDriver::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
  readTimeout = readMs;
  writeTimeout = writeMs;
  return timeoutStatus;
}

bool FakeCableDriver::deviceWithoutDriver(std::uint16_t vendorId, std::uint16_t productId) {
  return presentWithoutDriver && vendorId == 0x10C4 && productId == 0x807F;
}

int FakeCableDriver::open(std::uint32_t index, CableHandle& handle) {
  std::lock_guard lock(mutex_);
  ++openCalls_;
  if (index >= cables.size()) return kCableDeviceNotFound;
  openedIndex = index;
  open_.push_back(true);
  handle = static_cast<CableHandle>(open_.size() - 1);
  return kCableSuccess;
}

int FakeCableDriver::close(CableHandle handle) {
  std::lock_guard lock(mutex_);
  if (handle < 0 || static_cast<std::size_t>(handle) >= open_.size()) return kCableInvalidHandle;
  open_[static_cast<std::size_t>(handle)] = false;
  return kCableSuccess;
}

int FakeCableDriver::read(CableHandle handle, std::uint8_t* buffer, std::uint32_t count,
                          std::uint32_t& bytesRead) {
  std::lock_guard lock(mutex_);
  bytesRead = 0;
  if (!usableLocked(handle)) return kCableInvalidHandle;
  while (bytesRead < count && !rx_.empty()) {
    buffer[bytesRead++] = rx_.front();
    rx_.pop_front();
  }
  return kCableSuccess;
}

int FakeCableDriver::write(CableHandle handle, const std::uint8_t* bytes, std::uint32_t count,
                           std::uint32_t& bytesWritten) {
  Bytes w(bytes, bytes + count);
  {
    std::lock_guard lock(mutex_);
    bytesWritten = 0;
    if (!usableLocked(handle)) return kCableInvalidHandle;
    writes_.push_back(w);
    bytesWritten = count;
    if (!answers_.empty()) {
      rx_.insert(rx_.end(), answers_.front().begin(), answers_.front().end());
      answers_.pop_front();
    }
  }
  cv_.notify_all();
  if (responder) responder(w);
  return kCableSuccess;
}

int FakeCableDriver::flushBuffers(CableHandle, bool, bool) { return kCableSuccess; }

int FakeCableDriver::checkRxQueue(CableHandle handle, std::uint32_t& bytesQueued,
                                  std::uint32_t& queueStatus) {
  std::lock_guard lock(mutex_);
  bytesQueued = 0;
  queueStatus = kRxEmpty;
  if (!usableLocked(handle) || queueCheckFails) return kCableDeviceIoFailed;
  bytesQueued = static_cast<std::uint32_t>(rx_.size());
  if (bytesQueued > 0) queueStatus = kRxReady;
  return kCableSuccess;
}

int FakeCableDriver::setBaudRate(CableHandle, std::uint32_t baud) {
  std::lock_guard lock(mutex_);
  bauds_.push_back(baud);
  return kCableSuccess;
}

int FakeCableDriver::setLineControl(CableHandle, std::uint16_t value) {
  lineControl = value;
  return lineStatus;
}

int FakeCableDriver::setFlowControl(CableHandle, std::uint8_t, std::uint8_t, std::uint8_t,
                                    std::uint8_t, std::uint32_t, std::uint32_t) {
  return flowStatus;
}

bool FakeCableDriver::waitForData(CableHandle handle, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  usableLocked(handle);  // counts a wait on a closed cable; the wait itself stays
  return cv_.wait_for(lock, timeout, [this] { return !rx_.empty(); });
}

bool FakeCableDriver::usableLocked(CableHandle handle) {
  if (handle < 0 || static_cast<std::size_t>(handle) >= open_.size()) return false;
  if (open_[static_cast<std::size_t>(handle)]) return true;
  ++callsAfterClose_;
  return false;
}

int FakeCableDriver::callsAfterClose() const {
  std::lock_guard lock(mutex_);
  return callsAfterClose_;
}

}  // namespace ostrel::test

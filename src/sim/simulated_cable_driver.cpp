#include "sim/simulated_cable_driver.h"

#include <cstdlib>

namespace ostrel::sim {

namespace {

bool sameId(const std::string& hexText, std::uint16_t id) {
  char* end = nullptr;
  const unsigned long v = std::strtoul(hexText.c_str(), &end, 16);
  return end != hexText.c_str() && v == id;
}

}  // namespace

SimulatedCableDriver::SimulatedCableDriver() : SimulatedCableDriver(std::vector{SimulatedCable{}}) {}

SimulatedCableDriver::SimulatedCableDriver(std::shared_ptr<SimUnit> unit)
    : SimulatedCableDriver(std::vector{SimulatedCable{}}) {
  attach(0, std::move(unit));
}

SimulatedCableDriver::SimulatedCableDriver(std::vector<SimulatedCable> cables) {
  for (auto& c : cables) {
    Slot s;
    s.engine = std::make_shared<UnitEngine>(c.unit);
    // A closed cable hears nothing.
    s.engine->setListening(false);
    s.cable = std::move(c);
    slots_.push_back(std::move(s));
  }
}

UnitEngine& SimulatedCableDriver::line(std::size_t index) {
  std::lock_guard lock(mutex_);
  return *slots_.at(index).engine;
}

std::size_t SimulatedCableDriver::cableCount() const {
  std::lock_guard lock(mutex_);
  return slots_.size();
}

void SimulatedCableDriver::attach(std::size_t index, std::shared_ptr<SimUnit> unit) {
  std::lock_guard lock(mutex_);
  Slot& s = slots_.at(index);
  s.cable.unit = unit;
  s.engine->setUnit(std::move(unit));
}

void SimulatedCableDriver::setPacing(bool on) {
  std::lock_guard lock(mutex_);
  for (auto& s : slots_) s.engine->setPacing(on);
}

void SimulatedCableDriver::setCountFails(bool on) {
  std::lock_guard lock(mutex_);
  countFails_ = on;
}

void SimulatedCableDriver::setPresentWithoutDriver(bool on) {
  std::lock_guard lock(mutex_);
  withoutDriver_ = on;
}

void SimulatedCableDriver::setPlatformSupported(bool on) {
  std::lock_guard lock(mutex_);
  platformSupported_ = on;
}

void SimulatedCableDriver::setFlowControlFails(bool on) {
  std::lock_guard lock(mutex_);
  flowControlFails_ = on;
}

void SimulatedCableDriver::setLineControlFails(bool on) {
  std::lock_guard lock(mutex_);
  lineControlFails_ = on;
}

void SimulatedCableDriver::setTimeoutsFail(bool on) {
  std::lock_guard lock(mutex_);
  timeoutsFail_ = on;
}

void SimulatedCableDriver::setUnplugged(std::size_t index, bool on) {
  std::lock_guard lock(mutex_);
  slots_.at(index).unplugged = on;
}

std::uint32_t SimulatedCableDriver::readTimeoutMs() const {
  std::lock_guard lock(mutex_);
  return readTimeoutMs_;
}

std::uint32_t SimulatedCableDriver::writeTimeoutMs() const {
  std::lock_guard lock(mutex_);
  return writeTimeoutMs_;
}

std::uint16_t SimulatedCableDriver::lineControl(std::size_t index) const {
  std::lock_guard lock(mutex_);
  return slots_.at(index).lineControl;
}

bool SimulatedCableDriver::isOpen(std::size_t index) const {
  std::lock_guard lock(mutex_);
  return slots_.at(index).open;
}

int SimulatedCableDriver::openCount() const {
  std::lock_guard lock(mutex_);
  return opens_;
}

bool SimulatedCableDriver::platformSupported() const {
  std::lock_guard lock(mutex_);
  return platformSupported_;
}

int SimulatedCableDriver::deviceCount(std::uint32_t& count) {
  std::lock_guard lock(mutex_);
  count = 0;
  if (countFails_) return kCableDeviceNotFound;
  if (!withoutDriver_) count = static_cast<std::uint32_t>(slots_.size());
  return kCableSuccess;
}

int SimulatedCableDriver::productString(std::uint32_t index, ProductString which,
                                        std::string& text) {
  std::lock_guard lock(mutex_);
  text.clear();
  if (withoutDriver_ || index >= slots_.size()) return kCableDeviceNotFound;
  const SimulatedCable& c = slots_[index].cable;
  switch (which) {
    case ProductString::SerialNumber:
      text = c.serial;
      break;
    case ProductString::Description:
      text = c.description;
      break;
    case ProductString::VendorId:
      text = c.vendorId;
      break;
    case ProductString::ProductId:
      text = c.productId;
      break;
    default:
      return kCableInvalidParameter;
  }
  return kCableSuccess;
}

int SimulatedCableDriver::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
  std::lock_guard lock(mutex_);
  if (timeoutsFail_) return kCableInvalidParameter;
  readTimeoutMs_ = readMs;
  writeTimeoutMs_ = writeMs;
  return kCableSuccess;
}

bool SimulatedCableDriver::deviceWithoutDriver(std::uint16_t vendorId, std::uint16_t productId) {
  std::lock_guard lock(mutex_);
  if (!withoutDriver_) return false;
  for (const auto& s : slots_) {
    if (sameId(s.cable.vendorId, vendorId) && sameId(s.cable.productId, productId)) return true;
  }
  return false;
}

int SimulatedCableDriver::open(std::uint32_t index, CableHandle& handle) {
  std::shared_ptr<UnitEngine> engine;
  {
    std::lock_guard lock(mutex_);
    handle = kInvalidCable;
    if (withoutDriver_ || index >= slots_.size()) return kCableDeviceNotFound;
    Slot& s = slots_[index];
    if (s.open) return kCableDeviceIoFailed;  // the library opens a device once
    s.open = true;
    ++opens_;
    engine = s.engine;
    handle = static_cast<CableHandle>(index);
  }
  engine->setListening(true);
  return kCableSuccess;
}

int SimulatedCableDriver::close(CableHandle handle) {
  std::shared_ptr<UnitEngine> engine;
  {
    std::lock_guard lock(mutex_);
    if (handle < 0 || static_cast<std::size_t>(handle) >= slots_.size()) return kCableInvalidHandle;
    Slot& s = slots_[static_cast<std::size_t>(handle)];
    if (!s.open) return kCableInvalidHandle;
    s.open = false;
    engine = s.engine;
  }
  engine->setListening(false);
  return kCableSuccess;
}

int SimulatedCableDriver::lineOf(CableHandle handle, std::shared_ptr<UnitEngine>& engine) const {
  std::lock_guard lock(mutex_);
  if (handle < 0 || static_cast<std::size_t>(handle) >= slots_.size()) return kCableInvalidHandle;
  const Slot& s = slots_[static_cast<std::size_t>(handle)];
  if (!s.open) return kCableInvalidHandle;
  if (s.unplugged) return kCableDeviceIoFailed;
  engine = s.engine;
  return kCableSuccess;
}

int SimulatedCableDriver::read(CableHandle handle, std::uint8_t* buffer, std::uint32_t count,
                               std::uint32_t& bytesRead) {
  bytesRead = 0;
  std::shared_ptr<UnitEngine> engine;
  if (const int r = lineOf(handle, engine); r != kCableSuccess) return r;
  if (count == 0) return kCableSuccess;
  const auto deadline =
      UnitEngine::Clock::now() + std::chrono::milliseconds(readTimeoutMs());
  engine->waitFor(count, deadline);
  bytesRead = static_cast<std::uint32_t>(engine->read(std::span(buffer, count)));
  return bytesRead == count ? kCableSuccess : kCableReadTimedOut;
}

int SimulatedCableDriver::write(CableHandle handle, const std::uint8_t* bytes,
                                std::uint32_t count, std::uint32_t& bytesWritten) {
  bytesWritten = 0;
  std::shared_ptr<UnitEngine> engine;
  if (const int r = lineOf(handle, engine); r != kCableSuccess) return r;
  engine->write(std::span(bytes, count));
  bytesWritten = count;
  return kCableSuccess;
}

int SimulatedCableDriver::flushBuffers(CableHandle handle, bool transmit, bool receive) {
  std::shared_ptr<UnitEngine> engine;
  if (const int r = lineOf(handle, engine); r != kCableSuccess) return r;
  if (transmit) engine->flushTransmit();
  if (receive) engine->flushReceive();
  return kCableSuccess;
}

int SimulatedCableDriver::checkRxQueue(CableHandle handle, std::uint32_t& bytesQueued,
                                       std::uint32_t& queueStatus) {
  bytesQueued = 0;
  queueStatus = kRxEmpty;
  std::shared_ptr<UnitEngine> engine;
  if (const int r = lineOf(handle, engine); r != kCableSuccess) return r;
  bytesQueued = static_cast<std::uint32_t>(engine->available());
  if (bytesQueued > 0) queueStatus = kRxReady;
  return kCableSuccess;
}

int SimulatedCableDriver::setBaudRate(CableHandle handle, std::uint32_t baud) {
  std::shared_ptr<UnitEngine> engine;
  if (const int r = lineOf(handle, engine); r != kCableSuccess) return r;
  if (baud < 300 || baud > 921600) return kCableInvalidBaudRate;
  engine->setLineBaud(baud);
  return kCableSuccess;
}

int SimulatedCableDriver::setLineControl(CableHandle handle, std::uint16_t lineControl) {
  std::shared_ptr<UnitEngine> engine;
  if (const int r = lineOf(handle, engine); r != kCableSuccess) return r;
  std::lock_guard lock(mutex_);
  if (lineControlFails_) return kCableInvalidParameter;
  slots_[static_cast<std::size_t>(handle)].lineControl = lineControl;
  return kCableSuccess;
}

int SimulatedCableDriver::setFlowControl(CableHandle handle, std::uint8_t, std::uint8_t,
                                         std::uint8_t, std::uint8_t, std::uint32_t,
                                         std::uint32_t) {
  std::shared_ptr<UnitEngine> engine;
  if (const int r = lineOf(handle, engine); r != kCableSuccess) return r;
  std::lock_guard lock(mutex_);
  return flowControlFails_ ? kCableInvalidParameter : kCableSuccess;
}

bool SimulatedCableDriver::waitForData(CableHandle handle, std::chrono::milliseconds timeout) {
  std::shared_ptr<UnitEngine> engine;
  if (lineOf(handle, engine) != kCableSuccess) return false;
  return engine->waitFor(1, UnitEngine::Clock::now() + timeout);
}

}  // namespace ostrel::sim

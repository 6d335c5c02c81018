#pragma once
// The cable library played in-process: a list of simulated cables, each a
// UnitEngine line with a unit plugged in or not. The switches make the
// library's failure cases happen on demand.
//
// Reads wait for the asked count until the read time-out (set with
// setTimeouts) and then return what arrived with kCableReadTimedOut, as the
// serial driver does. Thread-safe: the pinger may write while the listener
// reads.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/link/cable_driver.h"
#include "sim/sim_unit.h"
#include "sim/unit_engine.h"

namespace ostrel::sim {

struct SimulatedCable {
  std::string vendorId = "10C4";
  std::string productId = "807F";
  std::string description = "Linkbud USB Interface Cable (simulated)";
  std::string serial = "SIM0001";
  std::shared_ptr<SimUnit> unit;  // nullptr: nothing plugged into the cable
};

class SimulatedCableDriver final : public CableDriver {
 public:
  // One default cable with nothing attached.
  SimulatedCableDriver();
  explicit SimulatedCableDriver(std::vector<SimulatedCable> cables);
  // One default cable with `unit` attached.
  explicit SimulatedCableDriver(std::shared_ptr<SimUnit> unit);

  // The line of cable i (for pacing, the unit, what the tool wrote).
  UnitEngine& line(std::size_t index);
  std::size_t cableCount() const;
  void attach(std::size_t index, std::shared_ptr<SimUnit> unit);
  void setPacing(bool on);  // every line

  // Failure switches.
  void setCountFails(bool on);           // deviceCount returns kCableDeviceNotFound
  void setPresentWithoutDriver(bool on);  // zero devices; deviceWithoutDriver true for the cable's ids
  void setPlatformSupported(bool on);
  void setFlowControlFails(bool on);
  void setLineControlFails(bool on);
  void setTimeoutsFail(bool on);
  // An unplugged cable fails every call on its open handle.
  void setUnplugged(std::size_t index, bool on);

  // What the tool asked for last.
  std::uint32_t readTimeoutMs() const;
  std::uint32_t writeTimeoutMs() const;
  std::uint16_t lineControl(std::size_t index) const;
  bool isOpen(std::size_t index) const;
  int openCount() const;  // successful opens so far

  // CableDriver
  bool platformSupported() const override;
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
  int setFlowControl(CableHandle handle, std::uint8_t ctsMaskCode, std::uint8_t rtsMaskCode,
                     std::uint8_t dtrMaskCode, std::uint8_t dsrMaskCode, std::uint32_t xOnLimit,
                     std::uint32_t xOffLimit) override;
  bool waitForData(CableHandle handle, std::chrono::milliseconds timeout) override;

 private:
  struct Slot {
    SimulatedCable cable;
    std::shared_ptr<UnitEngine> engine;
    bool open = false;
    bool unplugged = false;
    std::uint16_t lineControl = kLine8N1;
  };
  // The engine behind an open handle, or the library's status for a bad one.
  int lineOf(CableHandle handle, std::shared_ptr<UnitEngine>& engine) const;

  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  bool countFails_ = false;
  bool withoutDriver_ = false;
  bool platformSupported_ = true;
  bool flowControlFails_ = false;
  bool lineControlFails_ = false;
  bool timeoutsFail_ = false;
  std::uint32_t readTimeoutMs_ = 300;
  std::uint32_t writeTimeoutMs_ = 100;
  int opens_ = 0;
};

}  // namespace ostrel::sim

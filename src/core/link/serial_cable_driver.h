#pragma once
// The interface cable as a serial device. USB cables are found through
// sysfs (the tty a USB serial driver created, with its device's vendor and
// product ids, serial number and product text); a device path given
// explicitly (--port, $OSTREL_PORT) is always listed as a cable, so a
// pseudo-terminal or any serial adapter can stand in for one.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/link/cable_driver.h"

namespace ostrel {

class SerialCableDriver final : public CableDriver {
 public:
  struct Port {
    std::filesystem::path device;  // /dev/ttyUSB0
    std::string vendorId;          // hexadecimal text, as sysfs gives it
    std::string productId;
    std::string serial;
    std::string description;
  };

  // sysfsRoot lets tests point the search at a tree of their own.
  explicit SerialCableDriver(std::optional<std::filesystem::path> explicitPort = std::nullopt,
                             std::filesystem::path sysfsRoot = "/sys");
  ~SerialCableDriver() override;

  // The description an explicit port is listed with.
  static std::string explicitDescription(const std::filesystem::path& device);

  // USB serial ports the system offers now, then the explicit port.
  std::vector<Port> scanPorts() const;

  int deviceCount(std::uint32_t& count) override;
  int productString(std::uint32_t index, ProductString which, std::string& text) override;
  int setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
  bool deviceWithoutDriver(std::uint16_t vendorId, std::uint16_t productId) override;

  int open(std::uint32_t index, CableHandle& handle) override;
  OpenFailure lastOpenFailure() const override;
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
  int fdOf(CableHandle handle) const;

  std::optional<std::filesystem::path> explicitPort_;
  std::filesystem::path sysfs_;
  mutable std::mutex mutex_;  // guards ports_, fds_ and the time-outs
  std::vector<Port> ports_;   // as of the last deviceCount
  std::vector<int> fds_;      // open descriptors by handle
  OpenFailure openFailure_;
  std::uint32_t readTimeoutMs_ = 300;
  std::uint32_t writeTimeoutMs_ = 100;
};

}  // namespace ostrel

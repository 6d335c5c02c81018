#pragma once
// The interface cable as the link uses it: the roles of the cable chip's
// library (device count, product strings, open, close, read, write, flush,
// time-outs, receive-queue check, baud rate, line and flow control). A
// driver for a serial device and one for an in-process simulated unit stand
// behind it.
//
// Results are the library's status codes: kCableSuccess (0) or a non-zero
// failure. All calls may come from several threads at once (the pinger
// writes while the listener reads); drivers serialise what needs it.

#include <chrono>
#include <cstdint>
#include <string>

namespace ostrel {

using CableHandle = int;
constexpr CableHandle kInvalidCable = -1;

// Library status codes.
enum CableStatus : int {
  kCableSuccess = 0x00,
  kCableInvalidHandle = 0x01,
  kCableReadError = 0x02,
  kCableRxQueueNotReady = 0x03,
  kCableWriteError = 0x04,
  kCableResetError = 0x05,
  kCableInvalidParameter = 0x06,
  kCableInvalidRequestLength = 0x07,
  kCableDeviceIoFailed = 0x08,
  kCableInvalidBaudRate = 0x09,
  kCableFunctionNotSupported = 0x0A,
  kCableSystemError = 0x0C,
  kCableReadTimedOut = 0x0D,
  kCableWriteTimedOut = 0x0E,
  kCableDeviceNotFound = 0xFF,
};

// Receive-queue states reported by checkRxQueue.
enum RxQueueStatus : std::uint32_t {
  kRxEmpty = 0x00,
  kRxOverrun = 0x01,
  kRxReady = 0x02,
};

// Which product string of a device to read.
enum class ProductString : int {
  SerialNumber = 0,
  Description = 1,
  VendorId = 3,   // hexadecimal text
  ProductId = 4,  // hexadecimal text
};

// What the last failed open of a device ran into, so that a failed connect
// can say what it found and not only its code.
struct OpenFailure {
  enum class Kind { None, NoSuchDevice, NotSerial, PermissionDenied, Busy, Other };
  Kind kind = Kind::None;
  std::string device;  // the path that was opened
  std::string detail;  // the system's words for Other
};

// Line control word: 8 data bits, no parity, one stop bit.
constexpr std::uint16_t kLine8N1 = 0x0800;

class CableDriver {
 public:
  virtual ~CableDriver() = default;

  // Whether this platform can use the cable at all.
  virtual bool platformSupported() const { return true; }

  // Library-wide calls.
  virtual int deviceCount(std::uint32_t& count) = 0;
  // 8-bit text (Windows-1252) of at most 255 characters.
  virtual int productString(std::uint32_t index, ProductString which, std::string& text) = 0;
  virtual int setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) = 0;
  // True when the operating system lists a present USB device with these
  // ids that no driver serves (the cable is plugged in but unusable).
  virtual bool deviceWithoutDriver(std::uint16_t vendorId, std::uint16_t productId) = 0;

  // Calls on one open device.
  virtual int open(std::uint32_t index, CableHandle& handle) = 0;
  // Why the last open failed; Kind::None after a successful one, or when the
  // driver cannot tell.
  virtual OpenFailure lastOpenFailure() const { return {}; }
  virtual int close(CableHandle handle) = 0;
  // Reads up to count bytes, waiting at most the read time-out for them.
  virtual int read(CableHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesRead) = 0;
  virtual int write(CableHandle handle, const std::uint8_t* bytes, std::uint32_t count,
                    std::uint32_t& bytesWritten) = 0;
  virtual int flushBuffers(CableHandle handle, bool transmit, bool receive) = 0;
  virtual int checkRxQueue(CableHandle handle, std::uint32_t& bytesQueued,
                           std::uint32_t& queueStatus) = 0;
  virtual int setBaudRate(CableHandle handle, std::uint32_t baud) = 0;
  virtual int setLineControl(CableHandle handle, std::uint16_t lineControl) = 0;
  virtual int setFlowControl(CableHandle handle, std::uint8_t ctsMaskCode, std::uint8_t rtsMaskCode,
                             std::uint8_t dtrMaskCode, std::uint8_t dsrMaskCode,
                             std::uint32_t xOnLimit, std::uint32_t xOffLimit) = 0;

  // Blocks until the receive queue holds at least one byte, the time is up,
  // or the device fails. The link uses it where a fixed polling pause would
  // only add latency; it never changes a time-out. True when bytes wait.
  virtual bool waitForData(CableHandle handle, std::chrono::milliseconds timeout) = 0;
};

}  // namespace ostrel

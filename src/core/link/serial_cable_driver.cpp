#include "core/link/serial_cable_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace ostrel {
namespace fs = std::filesystem;

namespace {

std::string readAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string s;
  std::getline(in, s);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

bool sameHex(const std::string& text, std::uint16_t value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str(), &end, 16);
  return end != text.c_str() && static_cast<std::uint16_t>(v) == value;
}

// The USB device a tty belongs to: the nearest ancestor with an idVendor.
std::optional<fs::path> usbDeviceOf(const fs::path& ttyEntry) {
  std::error_code ec;
  fs::path dev = fs::canonical(ttyEntry / "device", ec);
  if (ec) return std::nullopt;
  for (int depth = 0; depth < 6 && !dev.empty() && dev != dev.root_path(); ++depth) {
    if (fs::exists(dev / "idVendor", ec)) return dev;
    dev = dev.parent_path();
  }
  return std::nullopt;
}

bool hasTty(const fs::path& usbDevice) {
  std::error_code ec;
  fs::recursive_directory_iterator it(usbDevice, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it.depth() > 4) {
      it.disable_recursion_pending();
      continue;
    }
    const std::string name = it->path().filename().string();
    if (name == "tty" || name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) {
      return true;
    }
  }
  return false;
}

speed_t speedFor(std::uint32_t baud) {
  switch (baud) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
  }
}

}  // namespace

SerialCableDriver::SerialCableDriver(std::optional<fs::path> explicitPort, fs::path sysfsRoot)
    : explicitPort_(std::move(explicitPort)), sysfs_(std::move(sysfsRoot)) {}

SerialCableDriver::~SerialCableDriver() {
  for (int fd : fds_) {
    if (fd >= 0) ::close(fd);
  }
}

std::string SerialCableDriver::explicitDescription(const fs::path& device) {
  // Carries the cable's name so that the description rule accepts it.
  return "Linkbud serial port " + device.string();
}

std::vector<SerialCableDriver::Port> SerialCableDriver::scanPorts() const {
  std::vector<Port> ports;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(sysfs_ / "class" / "tty", ec)) {
    const std::optional<fs::path> usb = usbDeviceOf(entry.path());
    if (!usb) continue;
    Port p;
    p.device = fs::path("/dev") / entry.path().filename();
    p.vendorId = readAttribute(*usb / "idVendor");
    p.productId = readAttribute(*usb / "idProduct");
    p.serial = readAttribute(*usb / "serial");
    p.description = readAttribute(*usb / "product");
    ports.push_back(std::move(p));
  }
  std::sort(ports.begin(), ports.end(),
            [](const Port& a, const Port& b) { return a.device < b.device; });
  if (explicitPort_) {
    // Listed last: with several cables the last one is used, and the user
    // asked for this one.
    Port p;
    p.device = *explicitPort_;
    p.vendorId = "10C4";
    p.productId = "807F";
    p.serial = explicitPort_->string();
    p.description = explicitDescription(*explicitPort_);
    ports.push_back(std::move(p));
  }
  return ports;
}

int SerialCableDriver::deviceCount(std::uint32_t& count) {
  std::vector<Port> ports = scanPorts();
  std::lock_guard lock(mutex_);
  ports_ = std::move(ports);
  openFailure_ = {};
  count = static_cast<std::uint32_t>(ports_.size());
  return kCableSuccess;
}

int SerialCableDriver::productString(std::uint32_t index, ProductString which, std::string& text) {
  std::lock_guard lock(mutex_);
  if (index >= ports_.size()) return kCableDeviceNotFound;
  const Port& p = ports_[index];
  switch (which) {
    case ProductString::SerialNumber: text = p.serial; break;
    case ProductString::Description: text = p.description; break;
    case ProductString::VendorId: text = p.vendorId; break;
    case ProductString::ProductId: text = p.productId; break;
    default: return kCableInvalidParameter;
  }
  if (text.size() > 255) text.resize(255);
  return kCableSuccess;
}

int SerialCableDriver::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
  std::lock_guard lock(mutex_);
  readTimeoutMs_ = readMs;
  writeTimeoutMs_ = writeMs;
  return kCableSuccess;
}

bool SerialCableDriver::deviceWithoutDriver(std::uint16_t vendorId, std::uint16_t productId) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(sysfs_ / "bus" / "usb" / "devices", ec)) {
    const fs::path dev = entry.path();
    if (!sameHex(readAttribute(dev / "idVendor"), vendorId) ||
        !sameHex(readAttribute(dev / "idProduct"), productId)) {
      continue;
    }
    if (!hasTty(dev)) return true;
  }
  return false;
}

int SerialCableDriver::open(std::uint32_t index, CableHandle& handle) {
  fs::path device;
  {
    std::lock_guard lock(mutex_);
    if (index >= ports_.size()) return kCableDeviceNotFound;
    device = ports_[index].device;
  }
  const auto failed = [&](OpenFailure::Kind kind, int error, int status) {
    std::lock_guard lock(mutex_);
    openFailure_ = {kind, device.string(), error != 0 ? std::strerror(error) : std::string()};
    return status;
  };
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    using K = OpenFailure::Kind;
    const K kind = error == ENOENT || error == ENXIO || error == ENODEV ? K::NoSuchDevice
                   : error == EACCES || error == EPERM                 ? K::PermissionDenied
                   : error == EBUSY                                    ? K::Busy
                   : error == EISDIR                                   ? K::NotSerial
                                                                       : K::Other;
    return failed(kind, error, kCableDeviceNotFound);
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    // A file, /dev/null, a folder opened some other way: not a terminal.
    ::close(fd);
    return failed(OpenFailure::Kind::NotSerial, 0, kCableDeviceIoFailed);
  }
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &tio);
  ::ioctl(fd, TIOCEXCL);  // one user of the cable at a time

  std::lock_guard lock(mutex_);
  openFailure_ = {};
  for (std::size_t i = 0; i < fds_.size(); ++i) {
    if (fds_[i] < 0) {
      fds_[i] = fd;
      handle = static_cast<CableHandle>(i);
      return kCableSuccess;
    }
  }
  fds_.push_back(fd);
  handle = static_cast<CableHandle>(fds_.size() - 1);
  return kCableSuccess;
}

OpenFailure SerialCableDriver::lastOpenFailure() const {
  std::lock_guard lock(mutex_);
  return openFailure_;
}

int SerialCableDriver::fdOf(CableHandle handle) const {
  std::lock_guard lock(mutex_);
  if (handle < 0 || static_cast<std::size_t>(handle) >= fds_.size()) return -1;
  return fds_[static_cast<std::size_t>(handle)];
}

int SerialCableDriver::close(CableHandle handle) {
  int fd = -1;
  {
    std::lock_guard lock(mutex_);
    if (handle < 0 || static_cast<std::size_t>(handle) >= fds_.size()) return kCableInvalidHandle;
    fd = fds_[static_cast<std::size_t>(handle)];
    fds_[static_cast<std::size_t>(handle)] = -1;
  }
  if (fd < 0) return kCableInvalidHandle;
  // A pseudo-terminal keeps exclusive mode after the last close; leave the
  // port as it was found so the next open succeeds.
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);
  return kCableSuccess;
}

int SerialCableDriver::read(CableHandle handle, std::uint8_t* buffer, std::uint32_t count,
                            std::uint32_t& bytesRead) {
  bytesRead = 0;
  const int fd = fdOf(handle);
  if (fd < 0) return kCableInvalidHandle;
  std::uint32_t timeout = 0;
  {
    std::lock_guard lock(mutex_);
    timeout = readTimeoutMs_;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
  while (bytesRead < count) {
    const ssize_t n = ::read(fd, buffer + bytesRead, count - bytesRead);
    if (n > 0) {
      bytesRead += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return kCableReadError;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return kCableReadTimedOut;
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) return kCableReadError;
    if (r > 0 && (p.revents & POLLHUP) && !(p.revents & POLLIN)) return kCableReadError;
  }
  return kCableSuccess;
}

int SerialCableDriver::write(CableHandle handle, const std::uint8_t* bytes, std::uint32_t count,
                             std::uint32_t& bytesWritten) {
  bytesWritten = 0;
  const int fd = fdOf(handle);
  if (fd < 0) return kCableInvalidHandle;
  std::uint32_t timeout = 0;
  {
    std::lock_guard lock(mutex_);
    timeout = writeTimeoutMs_;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
  while (bytesWritten < count) {
    const ssize_t n = ::write(fd, bytes + bytesWritten, count - bytesWritten);
    if (n > 0) {
      bytesWritten += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return kCableWriteError;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return kCableWriteTimedOut;
    pollfd p{fd, POLLOUT, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) return kCableWriteError;
  }
  return kCableSuccess;
}

int SerialCableDriver::flushBuffers(CableHandle handle, bool transmit, bool receive) {
  const int fd = fdOf(handle);
  if (fd < 0) return kCableInvalidHandle;
  if (transmit && receive) {
    ::tcflush(fd, TCIOFLUSH);
  } else if (transmit) {
    ::tcflush(fd, TCOFLUSH);
  } else if (receive) {
    ::tcflush(fd, TCIFLUSH);
  }
  return kCableSuccess;
}

int SerialCableDriver::checkRxQueue(CableHandle handle, std::uint32_t& bytesQueued,
                                    std::uint32_t& queueStatus) {
  bytesQueued = 0;
  queueStatus = kRxEmpty;
  const int fd = fdOf(handle);
  if (fd < 0) return kCableInvalidHandle;
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0) return kCableDeviceIoFailed;
  if (n > 0) {
    bytesQueued = static_cast<std::uint32_t>(n);
    queueStatus = kRxReady;
    return kCableSuccess;
  }
  // Nothing queued: tell a vanished device (the other end closed) from a quiet one.
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
    return kCableDeviceIoFailed;
  }
  return kCableSuccess;
}

int SerialCableDriver::setBaudRate(CableHandle handle, std::uint32_t baud) {
  const int fd = fdOf(handle);
  if (fd < 0) return kCableInvalidHandle;
  const speed_t speed = speedFor(baud);
  if (speed == 0) return kCableInvalidBaudRate;
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return kCableDeviceIoFailed;
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
  return ::tcsetattr(fd, TCSANOW, &tio) == 0 ? kCableSuccess : kCableDeviceIoFailed;
}

int SerialCableDriver::setLineControl(CableHandle handle, std::uint16_t lineControl) {
  const int fd = fdOf(handle);
  if (fd < 0) return kCableInvalidHandle;
  // Word length in bits 8..15, parity in 4..7 (0 none, 1 odd, 2 even),
  // stop bits in 0..3 (0 one, 2 two).
  const unsigned bits = (lineControl >> 8) & 0xFF;
  const unsigned parity = (lineControl >> 4) & 0x0F;
  const unsigned stop = lineControl & 0x0F;
  tcflag_t size = 0;
  switch (bits) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return kCableInvalidParameter;
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return kCableDeviceIoFailed;
  tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB)) | size;
  if (parity == 1) tio.c_cflag |= PARENB | PARODD;
  if (parity == 2) tio.c_cflag |= PARENB;
  if (stop == 2) tio.c_cflag |= CSTOPB;
  return ::tcsetattr(fd, TCSANOW, &tio) == 0 ? kCableSuccess : kCableDeviceIoFailed;
}

int SerialCableDriver::setFlowControl(CableHandle handle, std::uint8_t ctsMaskCode,
                                      std::uint8_t rtsMaskCode, std::uint8_t dtrMaskCode,
                                      std::uint8_t /*dsrMaskCode*/, std::uint32_t /*xOnLimit*/,
                                      std::uint32_t /*xOffLimit*/) {
  const int fd = fdOf(handle);
  if (fd < 0) return kCableInvalidHandle;
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return kCableDeviceIoFailed;
  // CTS mask code 1 means hardware handshake; 0 leaves CTS a plain input.
  if (ctsMaskCode == 1) {
    tio.c_cflag |= CRTSCTS;
  } else {
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  }
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) return kCableDeviceIoFailed;
  // RTS and DTR code 1: held active. A pseudo-terminal has no modem lines.
  int lines = 0;
  if (rtsMaskCode == 1) lines |= TIOCM_RTS;
  if (dtrMaskCode == 1) lines |= TIOCM_DTR;
  if (lines != 0) ::ioctl(fd, TIOCMBIS, &lines);
  return kCableSuccess;
}

bool SerialCableDriver::waitForData(CableHandle handle, std::chrono::milliseconds timeout) {
  const int fd = fdOf(handle);
  if (fd < 0) return false;
  const int ms = static_cast<int>(std::max<long long>(0, timeout.count()));
  pollfd p{fd, POLLIN, 0};
  const int r = ::poll(&p, 1, ms);
  if (r > 0 && (p.revents & POLLIN) != 0) return true;
  // A hung-up device reports at once; keep the caller's pace instead of spinning.
  if (r > 0) ::poll(nullptr, 0, ms);
  return false;
}

}  // namespace ostrel

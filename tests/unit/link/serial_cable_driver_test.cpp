#include "core/link/serial_cable_driver.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

// A sysfs tree as the kernel lays it out for USB serial adapters.
class FakeSysfs {
 public:
  // A USB device with a tty bound under one of its interfaces.
  void usbSerial(const std::string& bus, const std::string& tty, const std::string& vendor,
                 const std::string& product, const std::string& serial,
                 const std::string& description) {
    const fs::path dev = root() / "devices/pci0000:00/usb1" / bus;
    const fs::path port = dev / (bus + ":1.0") / tty;
    fs::create_directories(port);
    write(dev / "idVendor", vendor + "\n");
    write(dev / "idProduct", product + "\n");
    write(dev / "serial", serial + "\n");
    write(dev / "product", description + "\n");
    fs::create_directories(root() / "class/tty" / tty);
    fs::create_directory_symlink(port, root() / "class/tty" / tty / "device");
    fs::create_directories(root() / "bus/usb/devices");
    fs::create_directory_symlink(dev, root() / "bus/usb/devices" / bus);
  }
  // A USB device that no serial driver has taken.
  void usbWithoutTty(const std::string& bus, const std::string& vendor,
                     const std::string& product) {
    const fs::path dev = root() / "devices/pci0000:00/usb1" / bus;
    fs::create_directories(dev / (bus + ":1.0"));
    write(dev / "idVendor", vendor + "\n");
    write(dev / "idProduct", product + "\n");
    fs::create_directories(root() / "bus/usb/devices");
    fs::create_directory_symlink(dev, root() / "bus/usb/devices" / bus);
  }
  // A tty without a USB parent (a built-in port).
  void plainTty(const std::string& tty) {
    const fs::path dev = root() / "devices/platform/serial8250" / tty;
    fs::create_directories(dev);
    fs::create_directories(root() / "class/tty" / tty);
    fs::create_directory_symlink(dev, root() / "class/tty" / tty / "device");
  }
  fs::path root() const { return dir_.path(); }

 private:
  static void write(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }
  test::TempDir dir_;
};

TEST(SerialCableDriver, ListsUsbSerialPortsWithTheirStringsAndTheExplicitPortLast) {
  FakeSysfs sys;
  sys.usbSerial("1-2", "ttyUSB1", "10c4", "807f", "LB12345", "Linkbud USB Interface Cable");
  sys.usbSerial("1-1", "ttyUSB0", "0403", "6001", "FT99", "FT232R USB UART");
  sys.plainTty("ttyS0");
  SerialCableDriver d(fs::path("/dev/pts/7"), sys.root());
  std::uint32_t count = 0;
  ASSERT_EQ(d.deviceCount(count), kCableSuccess);
  ASSERT_EQ(count, 3u);
  std::string text;
  ASSERT_EQ(d.productString(0, ProductString::Description, text), kCableSuccess);
  EXPECT_EQ(text, "FT232R USB UART");  // sorted by device name
  ASSERT_EQ(d.productString(1, ProductString::VendorId, text), kCableSuccess);
  EXPECT_EQ(text, "10c4");
  ASSERT_EQ(d.productString(1, ProductString::SerialNumber, text), kCableSuccess);
  EXPECT_EQ(text, "LB12345");
  ASSERT_EQ(d.productString(2, ProductString::Description, text), kCableSuccess);
  EXPECT_EQ(text, SerialCableDriver::explicitDescription("/dev/pts/7"));
  EXPECT_NE(text.find("Linkbud"), std::string::npos);
  ASSERT_EQ(d.productString(2, ProductString::ProductId, text), kCableSuccess);
  EXPECT_EQ(text, "807F");
  EXPECT_EQ(d.productString(3, ProductString::Description, text), kCableDeviceNotFound);
}

TEST(SerialCableDriver, CableWithoutBoundTtyIsReported) {
  FakeSysfs sys;
  sys.usbSerial("1-1", "ttyUSB0", "0403", "6001", "FT99", "FT232R USB UART");
  SerialCableDriver d(std::nullopt, sys.root());
  EXPECT_FALSE(d.deviceWithoutDriver(0x10C4, 0x807F));
  sys.usbWithoutTty("1-3", "10C4", "807F");
  EXPECT_TRUE(d.deviceWithoutDriver(0x10C4, 0x807F));
  std::uint32_t count = 9;
  ASSERT_EQ(d.deviceCount(count), kCableSuccess);
  EXPECT_EQ(count, 1u);
}

// A pseudo-terminal pair; the driver opens the slave as it would a cable.
class PtyPair {
 public:
  PtyPair() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master);
    ::unlockpt(master);
    slave = ::ptsname(master);
    termios tio{};
    ::tcgetattr(master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master, TCSANOW, &tio);
  }
  ~PtyPair() { ::close(master); }
  int master = -1;
  std::string slave;
};

TEST(SerialCableDriver, ExchangesBytesAndSetsTheLineOverAPty) {
  PtyPair pty;
  test::TempDir emptySys;
  SerialCableDriver d(fs::path(pty.slave), emptySys.path());
  std::uint32_t count = 0;
  ASSERT_EQ(d.deviceCount(count), kCableSuccess);
  ASSERT_EQ(count, 1u);
  CableHandle h = kInvalidCable;
  ASSERT_EQ(d.open(0, h), kCableSuccess);
  ASSERT_EQ(d.setFlowControl(h, 0, 1, 1, 0, 0, 0), kCableSuccess);
  ASSERT_EQ(d.setLineControl(h, kLine8N1), kCableSuccess);
  ASSERT_EQ(d.setBaudRate(h, 1200), kCableSuccess);
  termios seen{};
  ASSERT_EQ(::tcgetattr(pty.master, &seen), 0);
  EXPECT_EQ(::cfgetospeed(&seen), static_cast<speed_t>(B1200));
  EXPECT_EQ(seen.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(d.setBaudRate(h, 12345), kCableInvalidBaudRate);

  const std::uint8_t out[] = {0xA5, 0x01, 0x10, 0xB6, 0x00};
  std::uint32_t done = 0;
  ASSERT_EQ(d.write(h, out, sizeof out, done), kCableSuccess);
  EXPECT_EQ(done, 5u);
  std::uint8_t got[8] = {};
  ASSERT_EQ(::read(pty.master, got, sizeof got), 5);
  EXPECT_EQ(got[0], 0xA5);

  const std::uint8_t answer[] = {0xA5, 0x03, 0x2F, 0x10, 0x00, 0xE7};
  ASSERT_EQ(::write(pty.master, answer, sizeof answer), 6);
  EXPECT_TRUE(d.waitForData(h, std::chrono::milliseconds(1000)));
  std::uint32_t queued = 0;
  std::uint32_t status = 0;
  ASSERT_EQ(d.checkRxQueue(h, queued, status), kCableSuccess);
  EXPECT_EQ(queued, 6u);
  EXPECT_EQ(status, static_cast<std::uint32_t>(kRxReady));
  std::uint32_t n = 0;
  ASSERT_EQ(d.read(h, got, 6, n), kCableSuccess);
  EXPECT_EQ(n, 6u);
  EXPECT_EQ(got[5], 0xE7);

  // Reading more than arrives ends at the read time-out with what came.
  d.setTimeouts(50, 100);
  EXPECT_EQ(d.read(h, got, 4, n), kCableReadTimedOut);
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(d.waitForData(h, std::chrono::milliseconds(20)));
  EXPECT_EQ(d.close(h), kCableSuccess);
  EXPECT_EQ(d.close(h), kCableInvalidHandle);
}

TEST(SerialCableDriver, VanishedOtherEndIsAFailureNotAQuietLine) {
  auto pty = std::make_unique<PtyPair>();
  test::TempDir emptySys;
  SerialCableDriver d(fs::path(pty->slave), emptySys.path());
  std::uint32_t count = 0;
  d.deviceCount(count);
  CableHandle h = kInvalidCable;
  ASSERT_EQ(d.open(0, h), kCableSuccess);
  pty.reset();  // the unit's side is gone
  std::uint32_t queued = 0;
  std::uint32_t status = 0;
  EXPECT_NE(d.checkRxQueue(h, queued, status), kCableSuccess);
  std::uint8_t b = 0;
  std::uint32_t n = 0;
  EXPECT_EQ(d.read(h, &b, 1, n), kCableReadError);
}

TEST(SerialCableDriver, MissingDeviceCannotBeOpened) {
  test::TempDir emptySys;
  SerialCableDriver d(fs::path("/dev/ostrel-no-such-port"), emptySys.path());
  std::uint32_t count = 0;
  d.deviceCount(count);
  CableHandle h = kInvalidCable;
  EXPECT_EQ(d.open(0, h), kCableDeviceNotFound);
  EXPECT_EQ(d.open(5, h), kCableDeviceNotFound);
}

}  // namespace
}  // namespace ostrel

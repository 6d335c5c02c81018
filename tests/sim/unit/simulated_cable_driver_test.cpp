// The in-process cable library: enumeration, failure switches, time-outs,
// and the exchange with the unit behind it.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "sim/page_unit.h"
#include "sim/simulated_cable_driver.h"
#include "unit/sim_test_support.h"

namespace ostrel::sim {
namespace {

using test::Bytes;
using test::hex;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::shared_ptr<PageUnit> ultrasonic(PageUnit::Options o = {}) {
  return std::make_shared<PageUnit>(PageUnitKind::Ultrasonic, o);
}

struct OpenCable {
  explicit OpenCable(std::shared_ptr<SimUnit> unit) : driver(std::move(unit)) {
    EXPECT_EQ(driver.open(0, handle), kCableSuccess);
  }
  Bytes read(std::uint32_t count) {
    Bytes b(count);
    std::uint32_t got = 0;
    status = driver.read(handle, b.data(), count, got);
    b.resize(got);
    return b;
  }
  int write(const Bytes& bytes) {
    std::uint32_t written = 0;
    const int r = driver.write(handle, bytes.data(), static_cast<std::uint32_t>(bytes.size()), written);
    EXPECT_EQ(written, r == kCableSuccess ? bytes.size() : 0u);
    return r;
  }
  SimulatedCableDriver driver;
  CableHandle handle = kInvalidCable;
  int status = -1;
};

TEST(SimulatedCableList, DefaultCableProductStrings) {
  SimulatedCableDriver d;
  std::uint32_t n = 0;
  EXPECT_EQ(d.deviceCount(n), kCableSuccess);
  EXPECT_EQ(n, 1u);
  std::string s;
  EXPECT_EQ(d.productString(0, ProductString::VendorId, s), kCableSuccess);
  EXPECT_EQ(s, "10C4");
  EXPECT_EQ(d.productString(0, ProductString::ProductId, s), kCableSuccess);
  EXPECT_EQ(s, "807F");
  EXPECT_EQ(d.productString(0, ProductString::Description, s), kCableSuccess);
  EXPECT_EQ(s, "Linkbud USB Interface Cable (simulated)");
  EXPECT_EQ(d.productString(0, ProductString::SerialNumber, s), kCableSuccess);
  EXPECT_FALSE(s.empty());
  EXPECT_EQ(d.productString(1, ProductString::Description, s), kCableDeviceNotFound);
  EXPECT_TRUE(d.platformSupported());
}

TEST(SimulatedCableList, SeveralCablesEachWithItsOwnLine) {
  SimulatedCable fob;
  fob.description = "Fob USB Device";
  fob.serial = "F2";
  fob.unit = ultrasonic();
  SimulatedCable other;
  other.vendorId = "0403";
  other.productId = "6001";
  other.description = "Some serial adapter";
  SimulatedCableDriver d({SimulatedCable{}, fob, other});
  std::uint32_t n = 0;
  d.deviceCount(n);
  EXPECT_EQ(n, 3u);
  std::string s;
  d.productString(1, ProductString::Description, s);
  EXPECT_EQ(s, "Fob USB Device");
  d.productString(2, ProductString::VendorId, s);
  EXPECT_EQ(s, "0403");

  // Only cable 1 has a unit behind it.
  CableHandle h0 = kInvalidCable;
  CableHandle h1 = kInvalidCable;
  ASSERT_EQ(d.open(0, h0), kCableSuccess);
  ASSERT_EQ(d.open(1, h1), kCableSuccess);
  EXPECT_NE(h0, h1);
  std::uint32_t w = 0;
  const Bytes ping = hex("A5 01 10 B6 00");
  d.write(h0, ping.data(), 5, w);
  d.write(h1, ping.data(), 5, w);
  EXPECT_FALSE(d.waitForData(h0, milliseconds(30)));
  EXPECT_TRUE(d.waitForData(h1, milliseconds(30)));
}

TEST(SimulatedCableList, FailureSwitches) {
  SimulatedCableDriver d;
  std::uint32_t n = 7;
  d.setCountFails(true);
  EXPECT_NE(d.deviceCount(n), kCableSuccess);
  EXPECT_EQ(n, 0u);
  d.setCountFails(false);

  EXPECT_FALSE(d.deviceWithoutDriver(0x10C4, 0x807F));
  d.setPresentWithoutDriver(true);
  EXPECT_EQ(d.deviceCount(n), kCableSuccess);
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(d.deviceWithoutDriver(0x10C4, 0x807F));
  EXPECT_FALSE(d.deviceWithoutDriver(0x10C4, 0x8080));
  CableHandle h = kInvalidCable;
  EXPECT_EQ(d.open(0, h), kCableDeviceNotFound);
  d.setPresentWithoutDriver(false);

  d.setPlatformSupported(false);
  EXPECT_FALSE(d.platformSupported());
}

TEST(SimulatedCableOpen, HandlesAndSetupFailures) {
  SimulatedCableDriver d;
  CableHandle h = kInvalidCable;
  EXPECT_EQ(d.open(5, h), kCableDeviceNotFound);
  ASSERT_EQ(d.open(0, h), kCableSuccess);
  EXPECT_TRUE(d.isOpen(0));
  CableHandle again = kInvalidCable;
  EXPECT_NE(d.open(0, again), kCableSuccess) << "a device opens once";
  EXPECT_EQ(d.openCount(), 1);

  EXPECT_EQ(d.setFlowControl(h, 0, 1, 1, 0, 0, 0), kCableSuccess);
  EXPECT_EQ(d.setLineControl(h, kLine8N1), kCableSuccess);
  EXPECT_EQ(d.setTimeouts(300, 100), kCableSuccess);
  EXPECT_EQ(d.readTimeoutMs(), 300u);
  EXPECT_EQ(d.writeTimeoutMs(), 100u);
  d.setFlowControlFails(true);
  d.setLineControlFails(true);
  d.setTimeoutsFail(true);
  EXPECT_NE(d.setFlowControl(h, 0, 1, 1, 0, 0, 0), kCableSuccess);
  EXPECT_NE(d.setLineControl(h, kLine8N1), kCableSuccess);
  EXPECT_NE(d.setTimeouts(300, 100), kCableSuccess);
  EXPECT_EQ(d.setBaudRate(h, 0), kCableInvalidBaudRate);

  EXPECT_EQ(d.close(h), kCableSuccess);
  EXPECT_FALSE(d.isOpen(0));
  EXPECT_EQ(d.close(h), kCableInvalidHandle);
  std::uint32_t q = 0;
  std::uint32_t st = 0;
  EXPECT_EQ(d.checkRxQueue(h, q, st), kCableInvalidHandle);
  EXPECT_EQ(d.checkRxQueue(42, q, st), kCableInvalidHandle);
  EXPECT_EQ(d.checkRxQueue(-1, q, st), kCableInvalidHandle);
}

TEST(SimulatedCableExchange, QueueCheckAndRead) {
  OpenCable c(ultrasonic());
  std::uint32_t queued = 9;
  std::uint32_t status = 9;
  EXPECT_EQ(c.driver.checkRxQueue(c.handle, queued, status), kCableSuccess);
  EXPECT_EQ(queued, 0u);
  EXPECT_EQ(status, kRxEmpty);

  EXPECT_EQ(c.write(hex("A5 03 31 01 00 DA 00")), kCableSuccess);
  EXPECT_EQ(c.driver.checkRxQueue(c.handle, queued, status), kCableSuccess);
  EXPECT_EQ(queued, 75u);
  EXPECT_EQ(status, kRxReady);
  EXPECT_EQ(c.read(6), hex("A5 03 2F 31 00 08"));
  EXPECT_EQ(c.status, kCableSuccess);
  EXPECT_EQ(c.read(69).size(), 69u);
  EXPECT_EQ(c.driver.line(0).written(), hex("A5 03 31 01 00 DA 00"));
}

TEST(SimulatedCableExchange, ReadHonoursTheTimeOut) {
  OpenCable c(ultrasonic());
  c.driver.setTimeouts(60, 100);
  auto t0 = Clock::now();
  EXPECT_TRUE(c.read(10).empty());
  EXPECT_EQ(c.status, kCableReadTimedOut);
  EXPECT_GE(Clock::now() - t0, milliseconds(60));
  EXPECT_LT(Clock::now() - t0, milliseconds(400));

  // Six bytes come, ten were asked: the six after the time-out.
  c.write(hex("A5 01 10 B6 00"));
  t0 = Clock::now();
  EXPECT_EQ(c.read(10), hex("A5 03 2F 10 00 E7"));
  EXPECT_EQ(c.status, kCableReadTimedOut);
  EXPECT_GE(Clock::now() - t0, milliseconds(60));
}

TEST(SimulatedCableExchange, WaitForDataWakesWhenTheFirstByteIsDue) {
  auto unit = ultrasonic();
  unit->addFault(*Fault::parse("0x10:1:slow=60"));
  OpenCable c(unit);
  c.write(hex("A5 01 10 B6 00"));
  const auto t0 = Clock::now();
  EXPECT_TRUE(c.driver.waitForData(c.handle, milliseconds(2000)));
  EXPECT_GE(Clock::now() - t0, milliseconds(50));
  EXPECT_LT(Clock::now() - t0, milliseconds(600)) << "slept to the end instead of waking";
  EXPECT_EQ(c.read(6), hex("A5 03 2F 10 00 E7"));
}

TEST(SimulatedCableExchange, BaudRateReachesTheLine) {
  OpenCable c(ultrasonic());
  ASSERT_EQ(c.driver.setBaudRate(c.handle, 1200), kCableSuccess);
  EXPECT_EQ(c.driver.line(0).lineBaud(), 1200u);
  c.driver.setTimeouts(40, 100);
  c.write(hex("A5 01 10 B6 00"));
  EXPECT_TRUE(c.read(6).empty()) << "unit at 9600 hears noise";
  c.driver.setBaudRate(c.handle, 9600);
  c.write(hex("A5 01 10 B6 00"));
  EXPECT_EQ(c.read(6), hex("A5 03 2F 10 00 E7"));
}

TEST(SimulatedCableExchange, FlushAndClosedCable) {
  PageUnit::Options fast;
  fast.streamPeriod = milliseconds(5);
  auto unit = ultrasonic(fast);
  OpenCable c(unit);
  c.write(hex("A5 01 10 B6 00"));
  EXPECT_EQ(c.driver.flushBuffers(c.handle, false, true), kCableSuccess);
  std::uint32_t q = 0;
  std::uint32_t st = 0;
  c.driver.checkRxQueue(c.handle, q, st);
  EXPECT_EQ(q, 0u);

  // The unit streams on while the cable is closed; nothing of it is kept.
  c.write(hex("A5 01 21 C7 00"));
  ASSERT_TRUE(unit->streaming());
  c.driver.close(c.handle);
  std::this_thread::sleep_for(milliseconds(30));
  ASSERT_EQ(c.driver.open(0, c.handle), kCableSuccess);
  c.driver.checkRxQueue(c.handle, q, st);
  EXPECT_LT(q, 12u) << "bytes from while the cable was closed";
  // Not even the acknowledgement that arrived just before the close.
  const Bytes left = c.read(q);
  const Bytes startAck = hex("A5 03 2F 21");
  EXPECT_EQ(std::search(left.begin(), left.end(), startAck.begin(), startAck.end()), left.end());
  c.write(hex("A5 01 10 B6 00"));
  EXPECT_FALSE(unit->streaming());
}

TEST(SimulatedCableExchange, UnpluggedCableFailsEveryCall) {
  OpenCable c(ultrasonic());
  c.driver.setUnplugged(0, true);
  EXPECT_EQ(c.write(hex("A5 01 10 B6 00")), kCableDeviceIoFailed);
  std::uint32_t q = 0;
  std::uint32_t st = 0;
  EXPECT_EQ(c.driver.checkRxQueue(c.handle, q, st), kCableDeviceIoFailed);
  EXPECT_FALSE(c.driver.waitForData(c.handle, milliseconds(5)));
  c.driver.setUnplugged(0, false);
  EXPECT_EQ(c.write(hex("A5 01 10 B6 00")), kCableSuccess);
}

TEST(SimulatedCableExchange, PingerWritesWhileTheListenerReads) {
  PageUnit::Options o;
  auto unit = ultrasonic(o);
  OpenCable c(unit);
  c.driver.setPacing(true);
  std::atomic<bool> stop{false};
  std::thread pinger([&] {
    const Bytes ping = hex("A5 01 10 B6 00");
    while (!stop) {
      std::uint32_t w = 0;
      c.driver.write(c.handle, ping.data(), 5, w);
      std::this_thread::sleep_for(milliseconds(8));
    }
  });
  Bytes heard;
  const auto deadline = Clock::now() + milliseconds(3000);
  while (heard.size() < 6 * 10 && Clock::now() < deadline) {
    std::uint32_t q = 0;
    std::uint32_t st = 0;
    c.driver.checkRxQueue(c.handle, q, st);
    if (st == kRxReady) {
      Bytes part(q);
      std::uint32_t got = 0;
      c.driver.read(c.handle, part.data(), q, got);
      heard.insert(heard.end(), part.begin(), part.begin() + got);
    }
    c.driver.waitForData(c.handle, milliseconds(20));
  }
  stop = true;
  pinger.join();
  ASSERT_GE(heard.size(), 60u);
  for (std::size_t i = 0; i + 6 <= heard.size(); i += 6) {
    EXPECT_EQ(Bytes(heard.begin() + i, heard.begin() + i + 6), hex("A5 03 2F 10 00 E7")) << i;
  }
}

}  // namespace
}  // namespace ostrel::sim

// The tool's serial cable driver, link and memory procedures against
// ostrel-unitsim over a pseudo-terminal, as a technician's cable would carry
// them.
#include <gtest/gtest.h>

#include <thread>

#include "core/link/serial_cable_driver.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/platform/clock.h"
#include "core/session/page_unit_identity.h"
#include "core/support/presenter.h"
#include "unitsim_process.h"

namespace ostrel {
namespace {

using sim::test::Unitsim;

struct PtyLink {
  explicit PtyLink(const std::string& path, UnitLink::Timing timing = {})
      : driver(std::filesystem::path(path)), link(driver, timing), memory(link) {
    std::vector<std::string> cables;
    found = link.EnumerateCables(cables, UnitLink::kVendorId, UnitLink::kProductId);
    if (found > 0) link.SetTargetProduct(cables.back());
  }
  SerialCableDriver driver;
  UnitLink link;
  UnitMemory memory;
  int found = 0;
};

TEST(PtyLink, ExplicitPortIsListedAsACable) {
  Unitsim sim({"--kind", "ultrasonic"});
  const std::string path = sim.slavePath();
  PtyLink p(path);
  EXPECT_GE(p.found, 1);
  EXPECT_EQ(p.link.TargetProduct(), SerialCableDriver::explicitDescription(path));
}

TEST(PtyLink, IdentifiesWritesAndVerifiesAtTheLinesPace) {
  Unitsim sim({"--kind", "u-type", "--pace"});
  PtyLink p(sim.slavePath());
  ASSERT_EQ(p.link.Connect(), 0);
  const PageUnitIdentity id = identifyPageUnit(p.memory, nullptr);
  ASSERT_TRUE(id.ok()) << id.errorKey << ' ' << id.result;
  EXPECT_EQ(id.kind, PageUnitIdentity::Kind::UType);
  EXPECT_EQ(id.serial, 630052);
  EXPECT_EQ(id.firmware, "KM40-U2");

  p.memory.WriteBuffer = p.memory.Pages[UnitMemory::kHistory];
  p.memory.WriteBuffer[511] = 0x42;
  ASSERT_EQ(p.memory.WritePage(3), 0);
  EXPECT_EQ(p.memory.VerifyPage(UnitMemory::kHistory), 1);
}

TEST(PtyLink, UnitAnsweringOnlyAt1200OverTheLine) {
  Unitsim sim({"--kind", "ultrasonic", "--only-1200"});
  UnitLink::Timing timing;
  timing.listenMs = 600;
  PtyLink p(sim.slavePath(), timing);
  ASSERT_EQ(p.link.Connect(), 0);
  std::array<std::uint8_t, 512> page{};
  EXPECT_EQ(p.memory.ReadPage(UnitMemory::kFactory, page.data()), 0);
}

TEST(PtyLink, FaultsReachTheToolThroughTheLine) {
  Unitsim sim({"--kind", "ultrasonic", "--fault", "0x32:3:wrong-ready"});
  PtyLink p(sim.slavePath());
  EXPECT_EQ(p.memory.WritePage(1), 5);
  EXPECT_FALSE(p.link.IsOpen());
}

TEST(PtyLink, UnitThatVanishesMidReadFailsAndClosesWithoutHanging) {
  auto sim = std::make_unique<Unitsim>(std::vector<std::string>{"--kind", "ultrasonic", "--pace"});
  PtyLink p(sim->slavePath());
  ASSERT_EQ(p.link.Connect(), 0);
  std::thread killer([&] {
    sleepMs(150);
    sim->finish(SIGKILL);
  });
  const std::uint64_t start = tickCount();
  const int r = p.memory.ReadAllPages(nullptr, 30, 40, 50, nullptr);
  killer.join();
  EXPECT_NE(r, 0);
  EXPECT_FALSE(p.link.IsOpen());
  // Five attempts per page, each ending in a failed connect or a short read.
  EXPECT_LT(tickCount() - start, 30000u);
}

}  // namespace
}  // namespace ostrel

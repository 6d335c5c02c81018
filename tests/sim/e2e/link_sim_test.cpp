// The tool's link and memory procedures against the simulated units, in
// process: identification paths, page reads and writes, and every failure
// code through the simulator's fault injection.
#include <gtest/gtest.h>

#include <memory>

#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/platform/clock.h"
#include "core/session/page_unit_identity.h"
#include "core/support/presenter.h"
#include "sim/fault.h"
#include "sim/page_unit.h"
#include "sim/simulated_cable_driver.h"

namespace ostrel {
namespace {

using sim::Fault;
using sim::PageUnit;
using sim::PageUnitKind;

class LinkAgainstSim : public ::testing::Test {
 protected:
  void start(PageUnitKind kind, PageUnit::Options options = {}) {
    stop();
    unit = std::make_shared<PageUnit>(kind, options);
    driver = std::make_unique<sim::SimulatedCableDriver>(unit);
    UnitLink::Timing timing;
    timing.listenMs = 500;  // the silent paths in half a second
    link = std::make_unique<UnitLink>(*driver, timing);
    memory = std::make_unique<UnitMemory>(*link);
    std::vector<std::string> cables;
    ASSERT_EQ(link->EnumerateCables(cables, 0x10C4, 0x807F), 1);
    link->SetTargetProduct(cables.back());
  }
  // The link goes before the cable it uses.
  void stop() {
    memory.reset();
    link.reset();
    driver.reset();
  }
  void TearDown() override { stop(); }

  void fault(const char* text) {
    const auto f = Fault::parse(text);
    ASSERT_TRUE(f.has_value()) << text;
    unit->addFault(*f);
  }

  std::shared_ptr<PageUnit> unit;
  std::unique_ptr<sim::SimulatedCableDriver> driver;
  std::unique_ptr<UnitLink> link;
  std::unique_ptr<UnitMemory> memory;
};

TEST_F(LinkAgainstSim, EachKindIdentifiesWithItsOwnLayout) {
  struct Expected {
    PageUnitKind kind;
    PageUnitIdentity::Kind identified;
    const char* firmware;
    std::int32_t swRev;
    std::int32_t serial;
    const char* model;
  };
  const Expected cases[] = {
      {PageUnitKind::Ultrasonic, PageUnitIdentity::Kind::Ultrasonic, "KM30-U", 412, 410237,
       "KM30-1020"},
      {PageUnitKind::GuidedWave, PageUnitIdentity::Kind::GuidedWave, "KM50-GWR", 105, 520114,
       "KM50-2410"},
      {PageUnitKind::UType, PageUnitIdentity::Kind::UType, "KM40-U2", 233, 630052, "KM40-1130"}};
  for (const Expected& e : cases) {
    start(e.kind);
    ASSERT_EQ(link->Connect(), 0);
    const PageUnitIdentity id = identifyPageUnit(*memory, nullptr);
    ASSERT_TRUE(id.ok()) << id.errorKey << " " << id.result;
    EXPECT_EQ(id.kind, e.identified);
    EXPECT_EQ(id.firmware, e.firmware);
    EXPECT_EQ(id.swRev, e.swRev);
    EXPECT_EQ(id.serial, e.serial);
    EXPECT_EQ(id.fileSerial, e.serial);
    EXPECT_EQ(id.model, e.model);
  }
}

TEST_F(LinkAgainstSim, UnitThatOnlyAnswersAt1200IsMovedTo9600) {
  PageUnit::Options options;
  options.only1200 = true;
  start(PageUnitKind::Ultrasonic, options);
  ASSERT_EQ(link->Connect(), 0);
  EXPECT_EQ(unit->baud(), 9600u);
  EXPECT_EQ(driver->line(0).lineBaud(), 9600u);
  // And it serves pages at the new speed.
  EXPECT_EQ(memory->ReadPage(UnitMemory::kFactory, memory->Pages[1].data()), 0);
}

TEST_F(LinkAgainstSim, RefusedBaudChangeGives82) {
  PageUnit::Options options;
  options.only1200 = true;
  start(PageUnitKind::Ultrasonic, options);
  fault("0x52:*:refuse=7");
  EXPECT_EQ(link->Connect(), UnitLink::kBaudChangeRefused);
  EXPECT_FALSE(link->IsOpen());
}

TEST_F(LinkAgainstSim, NoUnitOnTheCableGivesMinusOne) {
  stop();
  unit.reset();
  driver = std::make_unique<sim::SimulatedCableDriver>();
  UnitLink::Timing timing;
  timing.listenMs = 300;
  link = std::make_unique<UnitLink>(*driver, timing);
  std::vector<std::string> cables;
  ASSERT_EQ(link->EnumerateCables(cables, 0x10C4, 0x807F), 1);
  link->SetTargetProduct(cables[0]);
  EXPECT_EQ(link->Connect(), -1);
  EXPECT_FALSE(driver->isOpen(0));
}

TEST_F(LinkAgainstSim, DriverProblemsAsStartupSeesThem) {
  start(PageUnitKind::Ultrasonic);
  std::vector<std::string> cables;
  driver->setPresentWithoutDriver(true);
  EXPECT_EQ(link->EnumerateCables(cables, 0x10C4, 0x807F), UnitLink::kDriverNotServing);
  driver->setPresentWithoutDriver(false);
  driver->setPlatformSupported(false);
  EXPECT_EQ(link->EnumerateCables(cables, 0x10C4, 0x807F), -1);
}

TEST_F(LinkAgainstSim, PageWrittenIsReadBackAndStored) {
  start(PageUnitKind::Ultrasonic);
  ASSERT_EQ(memory->ReadAllPages(nullptr, 30, 40, 50, nullptr), 0);
  memory->WriteBuffer = memory->Pages[UnitMemory::kCustomer];
  memory->WriteBuffer[448] = 'X';
  ASSERT_EQ(memory->WritePage(1), 0);
  EXPECT_EQ(memory->VerifyPage(UnitMemory::kCustomer), 1);
  EXPECT_EQ(memory->Pages[0][448], 'X');
  EXPECT_EQ(unit->memories().customer[448], 'X');
}

TEST_F(LinkAgainstSim, InformationMemoryRoundTrip) {
  start(PageUnitKind::GuidedWave);
  std::array<std::uint8_t, 128> info{};
  ASSERT_EQ(memory->ReadInfoMemory(info.data()), 0);
  info[0] = 0x12;
  info[1] = 0x34;
  ASSERT_EQ(memory->WriteInfoMemory(info.data()), 0);
  std::array<std::uint8_t, 128> back{};
  ASSERT_EQ(memory->ReadInfoMemory(back.data()), 0);
  EXPECT_EQ(back, info);
}

TEST_F(LinkAgainstSim, WritePageFailureCodes) {
  const std::pair<const char*, int> cases[] = {{"0x33:1:refuse=9", 2},
                                               {"0x32:3:refuse=9", 3},
                                               {"0x32:2:no-ready", 4},
                                               {"0x32:5:wrong-ready", 5},
                                               {"0x34:1:refuse=9", 6}};
  for (const auto& [text, code] : cases) {
    start(PageUnitKind::Ultrasonic);
    fault(text);
    EXPECT_EQ(memory->WritePage(1), code) << text;
    EXPECT_FALSE(link->IsOpen()) << text;
  }
}

TEST_F(LinkAgainstSim, WriteInfoMemoryFailureCodes) {
  const std::pair<const char*, int> cases[] = {
      {"0x33:1:refuse=9", 2},   {"0x32:1:refuse=9", 3}, {"0x32:2:refuse=9", 4},
      {"0x32:1:no-ready", 5},   {"0x32:2:no-ready", 6}, {"0x32:1:wrong-ready", 7},
      {"0x32:2:wrong-ready", 8}, {"0x38:1:refuse=9", 9}};
  std::array<std::uint8_t, 128> info{};
  for (const auto& [text, code] : cases) {
    start(PageUnitKind::Ultrasonic);
    fault(text);
    EXPECT_EQ(memory->WriteInfoMemory(info.data()), code) << text;
  }
}

TEST_F(LinkAgainstSim, ReadInfoMemoryFailureCodes) {
  const std::pair<const char*, int> cases[] = {
      {"0x37:1:refuse=3", 2}, {"0x37:2:silence", 2}, {"0x37:1:wrong-data-check", 4}};
  std::array<std::uint8_t, 128> info{};
  for (const auto& [text, code] : cases) {
    start(PageUnitKind::Ultrasonic);
    fault(text);
    EXPECT_EQ(memory->ReadInfoMemory(info.data()), code) << text;
  }
}

TEST_F(LinkAgainstSim, EachPageHasItsOwnFiveAttempts) {
  start(PageUnitKind::Ultrasonic);
  // History is page 3 (blocks 17..24 of the 0x31 arrivals); fail it once.
  fault("0x31:17:wrong-data-check");
  // OCM fails four times: its first block on four successive attempts.
  for (int n : {26, 27, 28, 29}) fault(("0x31:" + std::to_string(n) + ":refuse=5").c_str());
  EXPECT_EQ(memory->ReadAllPages(nullptr, 30, 40, 50, nullptr), 0);
}

TEST_F(LinkAgainstSim, UnitThatCannotBeConnectedGivesOne) {
  start(PageUnitKind::Ultrasonic);
  fault("0x10:*:silence");
  EXPECT_EQ(memory->ReadAllPages(nullptr, 30, 40, 50, nullptr), 1);
  EXPECT_FALSE(link->IsOpen());
}

TEST_F(LinkAgainstSim, PageFailingFiveTimesNamesItsPage) {
  start(PageUnitKind::Ultrasonic);
  // The factory page's first block (9th read) fails on all five attempts.
  for (int n : {9, 10, 11, 12, 13}) fault(("0x31:" + std::to_string(n) + ":refuse=5").c_str());
  EXPECT_EQ(memory->ReadAllPages(nullptr, 30, 40, 50, nullptr), 3);
}

TEST_F(LinkAgainstSim, VerifyShowsWhyItFailed) {
  start(PageUnitKind::Ultrasonic);
  ASSERT_EQ(memory->ReadAllPages(nullptr, 30, 40, 50, nullptr), 0);
  memory->WriteBuffer = memory->Pages[0];
  memory->WriteBuffer[10] ^= 0xFF;  // differs from what the unit holds
  EXPECT_EQ(memory->VerifyPage(UnitMemory::kCustomer), 0);
  EXPECT_TRUE(memory->takeNotices().empty());  // a mere difference is the caller's to word

  fault("0x31:*:refuse=4");
  EXPECT_EQ(memory->VerifyPage(UnitMemory::kCustomer), 0);
  const Notices notices = memory->takeNotices();
  ASSERT_EQ(notices.size(), 2u);  // the unreadable page with its last result, then the verify
  EXPECT_EQ(notices[0].form, Notice::Form::ErrorDetail);
  EXPECT_EQ(notices[0].key, "ERROR_MESSAGE64");
  EXPECT_EQ(notices[0].detailKey, "ERROR_MESSAGE65");
  EXPECT_EQ(notices[1].key, "ERROR_MESSAGE66");
  EXPECT_TRUE(memory->takeNotices().empty());
}

TEST_F(LinkAgainstSim, DamagedDataFramesEndWithTheirCodes) {
  start(PageUnitKind::Ultrasonic);
  std::array<std::uint8_t, 512> page{};
  fault("0x31:1:wrong-data-check");
  EXPECT_EQ(memory->ReadPage(UnitMemory::kCustomer, page.data()), 69);
  EXPECT_FALSE(link->IsOpen());
  fault("0x31:2:refuse=5");
  EXPECT_EQ(memory->ReadPage(UnitMemory::kCustomer, page.data()), 5);
  fault("0x31:3:drop-byte=20");
  EXPECT_EQ(memory->ReadPage(UnitMemory::kCustomer, page.data()), -2);
  fault("0x31:4:slow=1500");
  EXPECT_EQ(memory->ReadPage(UnitMemory::kCustomer, page.data()), UnitLink::kNoAcknowledgement);
}

TEST_F(LinkAgainstSim, StreamFramesFollowTheLevel) {
  start(PageUnitKind::Ultrasonic);
  ASSERT_EQ(link->Connect(), 0);
  ASSERT_EQ(link->Command(0x21, {}), 0);
  std::vector<std::array<std::uint8_t, 6>> frames;
  std::thread worker([&] {
    link->MonitorStream([&](int code, const std::array<std::uint8_t, 6>& f) {
      EXPECT_EQ(code, 6);
      frames.push_back(f);
      if (frames.size() == 4) link->StopStream();
    });
  });
  worker.join();
  ASSERT_EQ(frames.size(), 4u);
  const unsigned raw = frames[3][2] + 256u * frames[3][3];
  EXPECT_NEAR(static_cast<double>(raw), unit->distanceAt(std::chrono::steady_clock::now()), 50.0);
  // A command ends the stream and the unit answers normally again.
  link->Close();
  EXPECT_EQ(link->Connect(), 0);
  EXPECT_FALSE(unit->streaming());
}

}  // namespace
}  // namespace ostrel

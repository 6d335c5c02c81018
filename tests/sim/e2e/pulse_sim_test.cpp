// The tool's pulse-radar protocol against the simulated radar: the wake-up
// path of Connect, detection, the unique identifier, the parameter sets and
// curves, and the radar's faults as the tool reports them.
#include <gtest/gtest.h>

#include <memory>

#include "core/link/pulse_protocol.h"
#include "core/link/serial_cable_driver.h"
#include "core/link/unit_link.h"
#include "core/support/presenter.h"
#include "sim/pulse_fault.h"
#include "sim/pulse_radar_unit.h"
#include "sim/simulated_cable_driver.h"
#include "sim/unit_factory.h"
#include "unitsim_process.h"

namespace ostrel {
namespace {

using sim::PulseRadarUnit;

class RadarAgainstSim : public ::testing::Test {
 protected:
  void start(PulseRadarUnit::Options options = {}) {
    unit = std::make_shared<PulseRadarUnit>(options);
    driver = std::make_unique<sim::SimulatedCableDriver>(unit);
    UnitLink::Timing timing;
    timing.listenMs = 1500;
    timing.wakeReplyMs = 100;
    link = std::make_unique<UnitLink>(*driver, timing);
    std::vector<std::string> cables;
    ASSERT_EQ(link->EnumerateCables(cables, 0x10C4, 0x807F), 1);
    link->SetTargetProduct(cables.back());
  }
  void TearDown() override {
    link.reset();
    driver.reset();
  }
  // Connect, detect and address the radar.
  void ready() {
    ASSERT_EQ(link->Connect(), 0);
    ASSERT_TRUE(protocol.DetectPulse(*link));
    ASSERT_EQ(protocol.ReadUniqueIdentifier(*link), 0);
  }
  void fault(const char* text) {
    const auto f = sim::PulseFault::parse(text);
    ASSERT_TRUE(f.has_value()) << text;
    unit->addFault(*f);
  }

  std::shared_ptr<PulseRadarUnit> unit;
  std::unique_ptr<sim::SimulatedCableDriver> driver;
  std::unique_ptr<UnitLink> link;
  PulseProtocol protocol;
};

TEST_F(RadarAgainstSim, StreamingRadarIsWokenIdentifiedAndRead) {
  start();
  ready();
  EXPECT_TRUE(unit->awake());
  EXPECT_EQ(protocol.LongAddress(), PulseRadarUnit::longAddress());
  NullProgressSink bar;
  ASSERT_EQ(protocol.ReadIdentitySet(*link, &bar), 0);
  const PulseParameters& v = protocol.Parameters();
  EXPECT_EQ(v.ModelNumber, "KM70-2610");
  EXPECT_EQ(v.SerialNumber, "710244");
  EXPECT_EQ(v.FirmwareVersion, "215");
  EXPECT_FLOAT_EQ(v.SensorHeight, 6.0f);
  EXPECT_FLOAT_EQ(v.MaxRange, 10.0f);
  EXPECT_EQ(bar.progress(), 100);
  ASSERT_EQ(protocol.ReadAdvancedSet(*link, nullptr), 0);
  ASSERT_EQ(protocol.ReadSensorType(*link), 0);
  EXPECT_EQ(v.SensorType, 2);
}

TEST_F(RadarAgainstSim, WrittenSettingsReadBack) {
  start();
  ready();
  PulseCfgSet write{{0x502, PulseCfgItem::byte(3)}, {0x111, PulseCfgItem::real(7.5f)},
                    {9, PulseCfgItem::word(12)}};
  ASSERT_EQ(protocol.ExchangeSet(*link, write, nullptr, nullptr), 0);
  PulseProtocol fresh;
  ASSERT_TRUE(fresh.DetectPulse(*link));
  ASSERT_EQ(fresh.ReadUniqueIdentifier(*link), 0);
  ASSERT_EQ(fresh.ExchangeSet(*link, {{0x502, {}}, {0x111, {}}, {9, {}}}, nullptr, nullptr), 0);
  EXPECT_EQ(fresh.Parameters().Foam, 3);
  EXPECT_FLOAT_EQ(fresh.Parameters().SensorHeight, 7.5f);
  EXPECT_EQ(fresh.Parameters().DampingTime, 12);
}

TEST_F(RadarAgainstSim, RefusalsAndFaultsGiveTheirErrorKeys) {
  start();
  ready();
  std::uint8_t none = 0;
  EXPECT_EQ(protocol.Exchange(*link, 0x777, &none, 0), PulseProtocol::kUnknownCommand);
  const PulseCfgItem tooHigh = PulseCfgItem::real(500.0f);
  EXPECT_EQ(protocol.Exchange(*link, 0x111, tooHigh.Value.data(), tooHigh.Count),
            PulseProtocol::kInvalidValue);
  const std::pair<const char*, int> cases[] = {
      {"0x113:1:hart-xor", PulseProtocol::kZeroSumCheck},
      {"0x113:2:message-sum", PulseProtocol::kChecksum},
      {"0x113:3:message-length", PulseProtocol::kTimeout},
      {"0x113:4:header-fe", PulseProtocol::kBadFormat},
      {"0x113:5:header-address", PulseProtocol::kBadFormat},
      {"0x113:6:header-marker", PulseProtocol::kBadFormat},
      {"0x113:7:unknown-type", PulseProtocol::kUnknownResponse}};
  for (const auto& [text, expected] : cases) {
    fault(text);
    EXPECT_EQ(protocol.Exchange(*link, 0x113, &none, 0), expected) << text;
    EXPECT_EQ(protocol.LastFailingParameter(), 0x113);
  }
  // The set tries twice: a single fault is absorbed by the second attempt.
  fault("0x800:1:hart-xor");
  EXPECT_EQ(protocol.ExchangeSet(*link, {{0x800, {}}}, nullptr, nullptr), 0);
}

TEST_F(RadarAgainstSim, CurvesAreReadEvenWithABadCheck) {
  start();
  ready();
  fault("0x991:1:hart-xor");
  ASSERT_EQ(protocol.ReadCurve(*link, 0x991), 0);
  EXPECT_GT(protocol.Parameters().EchoCurve.Count, 400);
  ASSERT_EQ(protocol.ReadCurve(*link, 0x993), 0);
  EXPECT_GT(protocol.Parameters().Envelope.Count, 400);
  EXPECT_EQ(protocol.ReadCurve(*link, 0x111), 0);  // not a curve: nothing exchanged
}

TEST_F(RadarAgainstSim, RadarThatNeverWakesFailsWithMinusTwo) {
  PulseRadarUnit::Options options;
  options.wakeable = false;
  start(options);
  EXPECT_EQ(link->Connect(), -2);
  EXPECT_FALSE(link->IsOpen());
}

TEST_F(RadarAgainstSim, PageUnitIsNoPulseRadar) {
  unit.reset();
  driver = std::make_unique<sim::SimulatedCableDriver>(sim::makeUnit("guided-wave"));
  link = std::make_unique<UnitLink>(*driver);
  std::vector<std::string> cables;
  link->EnumerateCables(cables, 0x10C4, 0x807F);
  link->SetTargetProduct(cables.back());
  ASSERT_EQ(link->Connect(), 0);
  EXPECT_FALSE(protocol.DetectPulse(*link));
  EXPECT_FALSE(protocol.IsPulse());
}

TEST(RadarOverPty, IdentitySetOverThePacedLine) {
  sim::test::Unitsim unitsim({"--kind", "pulse-radar", "--pace"});
  SerialCableDriver driver(std::filesystem::path{unitsim.slavePath()});
  UnitLink link(driver);
  std::vector<std::string> cables;
  ASSERT_GE(link.EnumerateCables(cables, 0x10C4, 0x807F), 1);
  link.SetTargetProduct(cables.back());
  ASSERT_EQ(link.Connect(), 0);
  PulseProtocol protocol;
  ASSERT_TRUE(protocol.DetectPulse(link));
  ASSERT_EQ(protocol.ReadUniqueIdentifier(link), 0);
  ASSERT_EQ(protocol.ReadIdentitySet(link, nullptr), 0);
  EXPECT_EQ(protocol.Parameters().ModelNumber, "KM70-2610");
}

}  // namespace
}  // namespace ostrel

// The pulse radar's configuration over the whole road: the simulated radar's
// parameters read through the link, decoded on the shipped model, and the
// command list that writes a changed configuration back.
#include "core/config/pulse_configuration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/config/radar_command_list.h"
#include "core/link/pulse_protocol.h"
#include "core/link/unit_link.h"
#include "core/support/presenter.h"
#include "shipped_model.h"
#include "sim/pulse_radar_unit.h"
#include "sim/simulated_cable_driver.h"

namespace ostrel {
namespace {

class PulseConfigurationRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    records = test::shippedModel("KM70_PulseRadar.txt");
    unit = std::make_shared<sim::PulseRadarUnit>(sim::PulseRadarUnit::Options{});
    driver = std::make_unique<sim::SimulatedCableDriver>(unit);
    UnitLink::Timing timing;
    timing.listenMs = 1500;
    timing.wakeReplyMs = 100;
    link = std::make_unique<UnitLink>(*driver, timing);
    std::vector<std::string> cables;
    ASSERT_EQ(link->EnumerateCables(cables, 0x10C4, 0x807F), 1);
    link->SetTargetProduct(cables.back());
    ASSERT_EQ(link->Connect(), 0);
    ASSERT_TRUE(protocol.DetectPulse(*link));
    ASSERT_EQ(protocol.ReadUniqueIdentifier(*link), 0);
  }
  void TearDown() override {
    link.reset();
    driver.reset();
  }
  PulseConfigurationDecoding read() {
    NullProgressSink bar;
    EXPECT_EQ(protocol.ReadIdentitySet(*link, &bar), 0);
    UnitConfiguration current;
    current.model = "KM70-2610";
    return PulseConfiguration::decode(protocol.Parameters(), db(), current);
  }
  const ModelDatabase& db() const { return records->Database; }

  std::unique_ptr<ModelRecords> records;
  std::shared_ptr<sim::PulseRadarUnit> unit;
  std::unique_ptr<sim::SimulatedCableDriver> driver;
  std::unique_ptr<UnitLink> link;
  PulseProtocol protocol;
};

TEST_F(PulseConfigurationRoad, FactoryRadarReadsAsAConfigurationAndAnUnchangedOneSendsNothing) {
  const PulseConfigurationDecoding d = read();
  const UnitConfiguration& c = d.configuration;
  // The factory radar: metres, 6 m sensor height, full at 0.8 m below it,
  // 0.3 m dead band, 10 m range, level display, low loop fail-safe.
  EXPECT_EQ(d.result, 0);
  EXPECT_EQ(c.model, "KM70-2610");
  EXPECT_EQ(c.heightUnits, 1);
  EXPECT_EQ(c.outputUnits, 1);
  EXPECT_EQ(c.sensorHeight, 6.0);
  EXPECT_EQ(c.fillHeight, 5.2);
  EXPECT_EQ(c.deadBand, 0.3);
  EXPECT_EQ(c.maxRange, 10.0);
  EXPECT_EQ(d.fillHeight, "5.2");
  EXPECT_EQ(c.itemChoices[0], 1);  // Display: Level
  EXPECT_EQ(c.itemChoices[1], 1);  // Loop Fail-Safe: Low
  ASSERT_TRUE(c.configurationValid);
  EXPECT_EQ(db().Configurations[static_cast<std::size_t>(c.configurationIndex)].Number, 1);

  RadarAdvancedState advanced;
  EXPECT_TRUE(RadarCommandList::build(c, db(), protocol.Parameters(), advanced, false).empty());
  // A later unit of the run gets every setting, whatever it holds.
  const PulseCfgSet later = RadarCommandList::build(c, db(), protocol.Parameters(), advanced, true);
  EXPECT_EQ(later.size(), 7u);
  EXPECT_EQ(later.count(RadarCommandList::kUnitsOfMeasurement), 1u);
}

TEST_F(PulseConfigurationRoad, ChangedSettingsAreWrittenAndReadBack) {
  UnitConfiguration c = read().configuration;
  c.sensorHeight = 7.5;
  c.fillHeight = 6.25;
  c.itemChoices[0] = 3;  // Display: Percent
  c.itemChoices[1] = 2;  // Loop Fail-Safe: High
  RadarAdvancedState advanced;
  advanced.values = protocol.Parameters();
  advanced.values.Foam = 2;
  advanced.changed[RadarAdvancedState::kFoam] = true;
  const PulseCfgSet set = RadarCommandList::build(c, db(), protocol.Parameters(), advanced, false);
  // Sensor height, fill distance, display, loop fail-safe and foam only.
  EXPECT_EQ(set.size(), 5u);
  ASSERT_EQ(protocol.ExchangeSet(*link, set, nullptr, nullptr), 0);

  const PulseConfigurationDecoding d = read();
  EXPECT_EQ(d.configuration.sensorHeight, 7.5);
  EXPECT_EQ(d.configuration.fillHeight, 6.25);
  EXPECT_EQ(d.configuration.itemChoices[0], 3);
  EXPECT_EQ(d.configuration.itemChoices[1], 2);
  EXPECT_EQ(db().Configurations[static_cast<std::size_t>(d.configuration.configurationIndex)].Number,
            2);
  EXPECT_EQ(unit->parameters().byteValue(0x502), 2);
  EXPECT_FLOAT_EQ(unit->parameters().floatValue(0x113), 1.25f);
}

TEST(RadarCommandList, FeetAreSentAsMetresWithTheUnitsCode) {
  auto records = test::shippedModel("KM70_PulseRadar.txt");
  PulseParameters radar;
  radar.UnitsOfMeasurement = PulseConfiguration::kRadarMetres;
  radar.SensorHeight = 6.0f;
  UnitConfiguration c;
  c.heightUnits = 0;  // feet
  c.sensorHeight = 19.69;
  c.itemChoices.fill(-1);
  const PulseCfgSet set = RadarCommandList::build(c, records->Database, radar, {}, false);
  ASSERT_EQ(set.count(RadarCommandList::kUnitsOfMeasurement), 1u);
  EXPECT_EQ(set.at(RadarCommandList::kUnitsOfMeasurement).Value[0], PulseConfiguration::kRadarFeet);
  // 19.69 ft is 6.002 m at three decimals.
  float metres = 0;
  std::memcpy(&metres, set.at(RadarCommandList::kSensorHeight).Value.data(), 4);
  EXPECT_EQ(metres, 6.002f);
}

}  // namespace
}  // namespace ostrel

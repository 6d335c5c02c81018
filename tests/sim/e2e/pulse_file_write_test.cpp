// A configuration file written to a pulse radar through the configuration
// page, against the simulated radar: its lengths reach the radar with the
// file's decimals, its advanced settings reach the radar where they differ
// from the radar's own, and a second unit of the run gets every setting.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "config/shipped_model.h"
#include "core/config/config_page_model.h"
#include "core/config/pulse_configuration.h"
#include "core/link/pulse_protocol.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/support/text_format.h"
#include "sim/hart_frames.h"
#include "sim/pulse_radar_unit.h"
#include "sim/radar_parameters.h"
#include "sim_link_session.h"
#include "test_support.h"

namespace ostrel {
namespace {

using sim::RadarParameters;

// The radar on the cable, identified as the connect sequence does it (its
// advanced settings not read), and the page over it.
struct RadarPage {
  RadarPage()
      : records(test::shippedModel("KM70_PulseRadar.txt")),
        unit(std::make_shared<sim::PulseRadarUnit>()),
        session(unit),
        link(*session.link) {
    EXPECT_EQ(session.connect(), 0);
    EXPECT_TRUE(pulse.DetectPulse(link));
    EXPECT_EQ(pulse.ReadUniqueIdentifier(link), 0);
    EXPECT_EQ(pulse.ReadIdentitySet(link, nullptr), 0);
    config.model = pulse.Parameters().ModelNumber;
    config.firmware = "NXRadar";
    ConfigPageServices s;
    s.records = records.get();
    s.presenter = &presenter;
    s.memory = session.memory.get();
    s.link = &link;
    s.pulse = &pulse;
    s.configsFolder = configs.path();
    s.modelsFolder = test::sourceDataDir() / "Models";
    page = std::make_unique<ConfigPageModel>(config, s);
    EXPECT_TRUE(page->activate());
  }

  // The parameters the radar was sent values for since the last call.
  std::vector<std::uint16_t> written() {
    std::vector<std::uint16_t> numbers;
    for (const auto& frame : unit->receivedHart()) {
      const auto request = sim::parseHartRequest(frame);
      if (!request) continue;
      const auto message = sim::parseParameterMessage(request->data);
      if (message && message->type == sim::kTypeWrite) numbers.push_back(message->parameter);
    }
    unit->clearReceived();
    return numbers;
  }
  float real(std::uint16_t number) const { return unit->parameters().floatValue(number); }
  int byte(std::uint16_t number) const { return unit->parameters().byteValue(number); }
  int word(std::uint16_t number) const { return unit->parameters().wordValue(number); }

  test::TempDir configs;
  std::unique_ptr<ModelRecords> records;
  std::shared_ptr<sim::PulseRadarUnit> unit;
  test::SimLinkSession session;
  UnitLink& link;
  PulseProtocol pulse;
  test::RecordingPresenter presenter;
  UnitConfiguration config;
  std::unique_ptr<ConfigPageModel> page;
};

std::string fileFor(const char* units, const char* sensor, const char* fill, const char* deadBand,
                    const char* range, int foam, int damping) {
  return formatText(
      "  MODEL = KM70-2610\n  CONFIG[0] = 1\n  CONFIG[1] = 1\n"
      "  TYPEOFMEDIUM = 1\n  FIRSTECHO = 0\n  ADDITIONALADJUSTMENT = 0\n  AGITATION = 0\n"
      "  FOAM = %d\n  POWDERDUST = 0\n  LARGERESPONSEANGLE = 0\n  LOWDIELECTRIC = 0\n"
      "  PIPEDIAMETER = 0\n  DAMPINGTIME = %d\n  UNITS = %s\n"
      "  SENSORHEIGHT = %s\n  FILLHEIGHT = %s\n  DEADBAND = %s\n  RANGE = %s\n",
      {foam, damping, std::string(units), std::string(sensor), std::string(fill),
       std::string(deadBand), std::string(range)});
}

TEST(PulseFileWrite, LengthsKeepTheirDecimalsAndAdvancedSettingsReachTheRadar) {
  RadarPage r;
  ConfigPageModel& m = *r.page;
  const int foam = r.byte(RadarParameters::kFoam) == 0 ? 1 : 0;
  const int damping = r.word(RadarParameters::kDampingTime) + 7;

  // Metres: three decimals.
  test::writeBytes(r.configs / "metres.txt",
                   fileFor("1", "6.125", "5.207", "0.345", "14.819", foam, damping));
  ASSERT_TRUE(m.openFile("metres.txt"));
  EXPECT_EQ(m.boxes().maxRange, "14.819");
  EXPECT_EQ(m.boxes().fillHeight, "5.207");
  r.written();
  r.presenter.answer = kResultNo;  // no further unit
  auto outcome = m.writeToUnit();
  ASSERT_TRUE(outcome.has_value());
  ASSERT_EQ(outcome->status, WriteOutcome::Status::Written) << outcome->message;
  EXPECT_FLOAT_EQ(r.real(RadarParameters::kMaxRange), 14.819f);
  EXPECT_FLOAT_EQ(r.real(RadarParameters::kSensorHeight), 6.125f);
  EXPECT_FLOAT_EQ(r.real(RadarParameters::kDeadband), 0.345f);
  EXPECT_NEAR(r.real(RadarParameters::kFillDistance), 6.125 - 5.207, 1e-6);
  EXPECT_EQ(r.byte(RadarParameters::kFoam), foam);
  EXPECT_EQ(r.word(RadarParameters::kDampingTime), damping);
  // Only the settings that differed went: foam and damping of the ten.
  std::vector<std::uint16_t> sent = r.written();
  EXPECT_NE(std::find(sent.begin(), sent.end(), RadarParameters::kFoam), sent.end());
  EXPECT_EQ(std::find(sent.begin(), sent.end(), RadarParameters::kAgitation), sent.end());

  // The same file again: the radar holds it all, nothing is sent.
  ASSERT_TRUE(m.openFile("metres.txt"));
  outcome = m.writeToUnit();
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(outcome->status, WriteOutcome::Status::Written);
  EXPECT_TRUE(r.written().empty());

  // Feet: two decimals, and a run of two units; the later one gets every
  // setting, with the file's values.
  test::writeBytes(r.configs / "feet.txt",
                   fileFor("0", "19.69", "17.06", "1.31", "48.62", 1 - foam, damping + 1));
  ASSERT_TRUE(m.openFile("feet.txt"));
  EXPECT_EQ(m.boxes().sensorHeight, "19.69");
  EXPECT_EQ(m.boxes().maxRange, "48.62");
  r.presenter.answers = {kResultYes, kResultOk, kResultNo};
  outcome = m.writeToUnit();
  ASSERT_TRUE(outcome.has_value());
  ASSERT_EQ(outcome->status, WriteOutcome::Status::Written) << outcome->message;
  EXPECT_EQ(outcome->unitsWritten, 2);
  sent = r.written();
  for (const std::uint16_t number :
       {RadarParameters::kTypeOfMedium, RadarParameters::kFirstEcho, RadarParameters::kFastLevelChange,
        RadarParameters::kAgitation, RadarParameters::kFoam, RadarParameters::kPowderDust,
        RadarParameters::kLargeResponseAngle, RadarParameters::kLowDielectric,
        RadarParameters::kPipeDiameter, RadarParameters::kDampingTime}) {
    EXPECT_NE(std::find(sent.begin(), sent.end(), number), sent.end()) << number;
  }
  EXPECT_EQ(r.byte(RadarParameters::kFoam), 1 - foam);
  EXPECT_EQ(r.word(RadarParameters::kDampingTime), damping + 1);
  EXPECT_FLOAT_EQ(r.real(RadarParameters::kMaxRange), 14.819f);  // 48.62 ft to the millimetre
  // Read back in feet, the radar's lengths are the file's.
  PulseProtocol fresh;
  ASSERT_TRUE(fresh.DetectPulse(r.link));
  ASSERT_EQ(fresh.ReadUniqueIdentifier(r.link), 0);
  ASSERT_EQ(fresh.ReadIdentitySet(r.link, nullptr), 0);
  const PulseConfigurationDecoding d =
      PulseConfiguration::decode(fresh.Parameters(), r.records->Database, r.config);
  EXPECT_EQ(d.sensorHeight, "19.69");
  EXPECT_EQ(d.fillHeight, "17.06");
  EXPECT_EQ(d.deadBand, "1.31");
  EXPECT_EQ(d.maxRange, "48.62");
}

}  // namespace
}  // namespace ostrel

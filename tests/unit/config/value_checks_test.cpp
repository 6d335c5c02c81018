// The checks before a write, on the shipped models. Every limit below is
// worked out by hand from the model files: lengths in inches (59 counts),
// feet (708) and metres (2322.835 counts per unit).
#include "core/config/value_checks.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <tuple>

#include "core/config/customer_page.h"
#include "core/model/structure_data.h"
#include "core/support/presenter.h"
#include "core/volume/model_link.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"
#include "shipped_model.h"
#include "test_support.h"

namespace ostrel {
namespace {

constexpr int kInches = 0;
constexpr int kFeet = 2;
constexpr int kMetres = 3;
constexpr int kUsGallons = 32;
constexpr int kCfs = 64;
constexpr const char* kKm30 = "KM30_Ultrasonic.txt";  // floats, a Tanks button
constexpr const char* kKm40 = "KM40_UType.txt";       // 16-bit counts, UGUS
constexpr const char* kKm50 = "KM50_GuidedWave.txt";
constexpr const char* kKm70 = "KM70_PulseRadar.txt";

using Captions = std::array<const char*, 6>;

// The page's state around one model.
struct Page {
  explicit Page(const char* file) : records(test::shippedModel(file)) {}

  const ModelDatabase& model() const { return records->Database; }

  // Selects the configuration whose level rows carry these captions.
  void match(const Captions& captions) {
    const ModelDatabase& m = model();
    for (int i = 0; i <= m.Configurations.Last; ++i) {
      const ModelConfiguration& c = m.Configurations[static_cast<std::size_t>(i)];
      bool same = c.Present;
      for (std::size_t r = 0; r < 6; ++r) same = same && c.LevelCaptions[r] == captions[r];
      if (same) {
        config.configurationIndex = i;
        return;
      }
    }
    FAIL() << "no configuration with these rows";
  }

  void units(int heightUnits, int outputUnits) {
    config.heightUnits = heightUnits;
    config.outputUnits = outputUnits;
  }

  ValueCheckResult run() {
    return runValueChecks(
        {&records->Database, &config, &boxes, &table, &rows, independentMode, pulseRadar});
  }

  std::string message(const ValueCheckResult& r) const { return r.text(&records->Language, 0); }

  std::unique_ptr<ModelRecords> records;
  UnitConfiguration config;
  CheckedBoxes boxes;
  VolumeTable table;
  StrappingRows rows;
  bool independentMode = false;
  bool pulseRadar = false;
};

// The height boxes of the page (the level boxes empty).
CheckedBoxes heights(const char* sensor, const char* fill, const char* probe = "",
                     const char* deadBand = "", const char* maxRange = "") {
  CheckedBoxes b;
  b.sensorHeight = sensor;
  b.fillHeight = fill;
  b.probeLength = probe;
  b.deadBand = deadBand;
  b.maxRange = maxRange;
  return b;
}

void expectFinding(const ValueCheckResult& r, CheckOutcome outcome, const char* key,
                   const std::string& name, double limit, double tolerance = 1e-9) {
  ASSERT_EQ(r.outcome, outcome);
  ASSERT_TRUE(r.notice.has_value());
  EXPECT_EQ(r.notice->key, key);
  EXPECT_EQ(r.headingKey, outcome == CheckOutcome::Error ? "ERROR_MESSAGE46" : "ERROR_MESSAGE49");
  EXPECT_EQ(r.notice->style,
            outcome == CheckOutcome::Error ? unsigned{kStyleError} : unsigned{kStyleInformation});
  ASSERT_EQ(r.notice->args.size(), 2u);
  EXPECT_EQ(r.notice->args[0].asText(), name);
  EXPECT_NEAR(r.notice->args[1].asDouble(), limit, tolerance);
}

void expectPass(const ValueCheckResult& r) {
  EXPECT_EQ(r.outcome, CheckOutcome::None) << (r.notice ? r.notice->key : "");
  EXPECT_FALSE(r.notice.has_value());
}

// Heights against the model limits, worked out from the model files.
// KM30 keeps heights as floats: MAXSENSORHEIGHT 360 in passes a float's step
// above (360.00004) but not 360.0001; in metres it is 360 x 59 / 2322.835 =
// 9.144. KM40 keeps 16-bit counts (59 per inch): 300.0001 in is count 17700
// = 300 in, 300.01 in count 17701; 1200 in (70800) must not wrap to count
// 5264 (89.2 in), which would pass. KM50 in feet: probe 0.33 .. 50 ft, sensor
// at least probe + 0.5 ft, no sensor maximum. KM70 (radar) limits are metres,
// in feet 98.4252 -> 98.43 and MINRANGE 0.98425 -> 0.98.
TEST(ValueChecks, HeightsAgainstTheModelLimits) {
  struct Case {
    const char* file;
    int units;
    CheckedBoxes boxes;
    const char* key;  // nullptr: passes
    const char* name;
    double limit;
  };
  const Case cases[] = {
      {kKm30, kInches, heights("360.00004", "100"), nullptr, "", 0},
      {kKm30, kInches, heights("360.0001", "100"), "47", "Sensor Height", 360},
      {kKm30, kMetres, heights("9.144", "2"), nullptr, "", 0},
      {kKm30, kMetres, heights("9.1441", "2"), "47", "Sensor Height", 9.144},
      {kKm30, kMetres, heights("-0.5", "2"), "48", "Sensor Height", 0},
      {kKm40, kInches, heights("300.0001", "200"), nullptr, "", 0},
      {kKm40, kInches, heights("300.01", "200"), "47", "Sensor Height", 300},
      {kKm40, kInches, heights("1200", "200"), "47", "Sensor Height", 300},
      // 240 in less MINRANGE 7.92 in; 232.1 in is count 13694 = 232.1017 in.
      {kKm40, kInches, heights("240", "232.1"), "47", "Fill Height", 232.08},
      {kKm50, kFeet, heights("60", "40", "50"), nullptr, "", 0},
      {kKm50, kFeet, heights("60", "40", "50.01"), "47", "Probe Length", 50},
      {kKm50, kFeet, heights("60", "40", "0.32"), "48", "Probe Length", 0.33},
      {kKm50, kFeet, heights("19.7", "17.5", "19.25"), "48", "Sensor Height", 19.75},
      {kKm70, 0, heights("98.43", "90", "", "1", "98.43"), nullptr, "", 0},
      {kKm70, 0, heights("98.44", "90", "", "1", "90"), "47", "Sensor Height", 98.43},
      {kKm70, 0, heights("50", "49.03", "", "1", "90"), "47", "Fill Height", 49.02},
      {kKm70, 0, heights("50", "0.005", "", "1", "90"), "48", "Fill Height", 0.01},
      {kKm70, 0, heights("50", "40", "", "0.9", "90"), "48", "Dead Band", 0.98},
      {kKm70, 0, heights("50", "40", "", "50.1", "90"), "47", "Dead Band", 50},
      {kKm70, 0, heights("50", "40", "", "1", "99"), "47", "Max Range", 98.43},
      {kKm70, 1, heights("30", "25", "", "0.29", "30"), "48", "Dead Band", 0.3},
      {kKm70, 1, heights("30", "25", "", "0.3", "30.01"), "47", "Max Range", 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.boxes.sensorHeight + " " + c.boxes.probeLength);
    Page p(c.file);
    p.units(c.units, c.units);
    p.pulseRadar = c.file == kKm70;
    p.boxes = c.boxes;
    const ValueCheckResult r = p.run();
    if (c.key == nullptr) {
      expectPass(r);
    } else {
      expectFinding(r, CheckOutcome::Error, (std::string("ERROR_MESSAGE") + c.key).c_str(), c.name,
                    c.limit, 1e-6);
    }
  }

  // What is stored and reshown: the float, or the count, in the units' decimals.
  Page km30(kKm30);
  km30.boxes = heights("360.00004", "100");
  const ValueCheckResult passed = km30.run();
  expectPass(passed);
  EXPECT_EQ(km30.config.sensorHeight, static_cast<double>(360.00004f));
  EXPECT_EQ(km30.boxes.sensorHeight, "360.0");
  km30.boxes.sensorHeight = "360.0001";
  const ValueCheckResult refused = km30.run();
  EXPECT_EQ(km30.message(refused),
            "Value out of range:\nSensor Height: value above the maximum of 360.000.");
  EXPECT_EQ(km30.config.sensorHeight, static_cast<double>(360.00004f));  // not stored

  Page km40(kKm40);
  km40.boxes = heights("300.01", "200.004");
  km40.run();
  EXPECT_EQ(km40.boxes.sensorHeight, "300.01");  // refused: kept as typed for correction
  km40.boxes.sensorHeight = "300.0001";
  expectPass(km40.run());
  EXPECT_EQ(km40.boxes.sensorHeight, "300.0");  // passed: count 17700 / 59, reshown
  EXPECT_EQ(km40.config.sensorHeight, 300.0);
  EXPECT_EQ(km40.config.fillHeight, 200.0);
  // A count beyond 16 bits is refused with the box keeping the user's text,
  // never reshown wrapped (5264 / 59 = 89.22 in), and nothing is stored.
  km40.boxes.sensorHeight = "1200";
  km40.run();
  EXPECT_EQ(km40.boxes.sensorHeight, "1200");
  EXPECT_EQ(km40.config.sensorHeight, 300.0);

  Page km70(kKm70);
  km70.pulseRadar = true;
  km70.boxes = heights("98.44", "90", "", "1", "90");
  km70.run();
  EXPECT_EQ(km70.boxes.sensorHeight, "98.44");  // the radar's boxes are left as typed
}

// KM30 "Alarms and Pump Down" in feet: rows 2 Alarm Low, 3 Relay 3 Off,
// 4 Relay 3 On, 5 Alarm High; sensor 20 ft less MINRANGE 0.8 ft: nothing
// above 19.2 ft. Alarms bound alarms hard and relays soft; relays the other
// way round. The top row is checked first.
TEST(ValueChecks, LevelsKeepTheirOrderAlarmsHardRelaysSoft) {
  struct Case {
    std::array<std::string, 6> levels;
    CheckOutcome outcome;
    const char* key;
    const char* name;
    double limit;
  };
  const Case cases[] = {
      {{"", "", "2", "4", "12", "19.3"},
       CheckOutcome::Error,
       "ERROR_MESSAGE47",
       "Alarm High",
       19.2},
      // The pump switching on above the high alarm: a warning of the alarm.
      {{"", "", "2", "4", "15", "14"}, CheckOutcome::Warning, "ERROR_MESSAGE51", "Alarm High", 15},
      {{"", "", "16", "4", "12", "14"}, CheckOutcome::Error, "ERROR_MESSAGE48", "Alarm High", 16},
      // Relay 3 switching off above where it switches on.
      {{"", "", "2", "13", "12", "14"}, CheckOutcome::Error, "ERROR_MESSAGE48", "Relay 3 On", 13},
      {{"", "", "5", "1", "3", "14"}, CheckOutcome::Warning, "ERROR_MESSAGE51", "Relay 3 On", 5},
  };
  Page p(kKm30);
  p.units(kFeet, kFeet);
  p.match({"", "", "Alarm Low", "Relay 3 Off", "Relay 3 On", "Alarm High"});
  p.boxes.sensorHeight = "20";
  p.boxes.fillHeight = "15";
  for (const Case& c : cases) {
    p.boxes.levels = c.levels;
    expectFinding(p.run(), c.outcome, c.key, c.name, c.limit, 1e-6);
  }
  EXPECT_EQ(p.message(p.run()),
            "Value outside the recommended range:\n"
            "Relay 3 On: value below the recommended minimum of 5.000.");
  EXPECT_EQ(p.config.levels[5], 14.0);  // checked before the finding, so stored
  EXPECT_EQ(p.config.levels[4], -1.0);

  // Asked for every finding, the run goes past the high alarm's error to
  // the low alarm above the pump's off point, a warning on both; the error
  // is the result.
  p.boxes.levels = {"", "", "5", "4", "12", "19.3"};
  std::vector<ValueCheckResult> all;
  const ValueCheckResult worst = runValueChecks(
      {&p.records->Database, &p.config, &p.boxes, &p.table, &p.rows, false, false, &all});
  ASSERT_EQ(all.size(), 3u);
  expectFinding(all[0], CheckOutcome::Error, "ERROR_MESSAGE47", "Alarm High", 19.2, 1e-6);
  expectFinding(all[1], CheckOutcome::Warning, "ERROR_MESSAGE51", "Relay 3 Off", 5, 1e-6);
  expectFinding(all[2], CheckOutcome::Warning, "ERROR_MESSAGE50", "Alarm Low", 4, 1e-6);
  expectFinding(worst, CheckOutcome::Error, "ERROR_MESSAGE47", "Alarm High", 19.2, 1e-6);

  p.boxes.levels = {"", "", "2", "4", "12.004", "14"};
  expectPass(p.run());
  EXPECT_EQ(p.config.levels[4], 12.004);  // its table count comes from the double
  EXPECT_EQ(p.boxes.levels[4], "12.0");
  EXPECT_EQ(p.config.levels[0], 0.0);  // an empty box stores 0 and stays empty
  EXPECT_EQ(p.boxes.levels[0], "");

  // Hi or Lo make an alarm even with On; the words are case-sensitive.
  EXPECT_EQ(levelKind("Hi Pump On"), LevelKind::Alarm);
  EXPECT_EQ(levelKind("Relay 1 Off"), LevelKind::Relay);
  EXPECT_EQ(levelKind("HIGH ALARM"), LevelKind::Unchecked);
  EXPECT_EQ(levelKind("relay on"), LevelKind::Unchecked);
  // The loop rows of KM30 are never range-checked, even beyond the sensor.
  p.match({"Alarm Low", "Relay 3 Off", "Relay 3 On", "Alarm High", "4 mA Level", "20 mA Level"});
  p.boxes.levels = {"2", "4", "12", "14", "25", "-3"};
  expectPass(p.run());
  EXPECT_EQ(p.config.levels[4], 25.0);

  // Independent relays: the eight points within 0 .. 19.2 ft, unset ones
  // (0) passing; the level boxes are not touched.
  p.match({"", "", "", "", "", ""});
  p.independentMode = true;
  p.boxes.levels[0] = "99";
  p.config.independentLevels = {10.0f, 0.0f, 19.2f, 0.0f, 8.0f, 0.0f, 0.0f, 0.0f};
  expectPass(p.run());
  EXPECT_EQ(p.boxes.levels[0], "99");
  p.config.independentLevels[6] = 19.3f;
  // Named as the Relay Set Points dialog names it: INDYLEVEL[6] is relay 3's OFF.
  expectFinding(p.run(), CheckOutcome::Error, "ERROR_MESSAGE47", "Relay 3 OFF", 19.2, 1e-6);
}

// Volume and flow relay units take their bounds from the curve. A vertical
// cylinder 10 ft across and 20 ft high holds pi x 5^2 x 20 ft3 x 7.48052 =
// 11750.4 US gallons; with the sensor at 15 ft the unit sees at most 14.2 ft
// (count 10054 = 14.2006 ft), 8343.1 gallons. A V-notch weir Q = 2.49 h^2.48
// at 1 ft head gives 2.49 cfs. A strapping table spans its first and last
// rows' volumes.
TEST(ValueChecks, VolumeAndFlowLevelsAreBoundByTheCurve) {
  Page p(kKm30);
  auto tanks = std::make_unique<ModelRecords>();
  ResetStructureData(tanks->Structures);
  ModelFileParser parser(tanks->targets());
  ASSERT_TRUE(parser.LoadModelFile(test::sourceDataDir() / "Models" / "KM_Tanks.txt", 0));
  p.table.Link = ModelLink(&p.model(), &tanks->Structures);
  p.table.Reset();
  p.units(kFeet, kUsGallons);
  p.config.shapeCode = 0x0100;
  p.table.Dimensions[3] = 20.0f;
  p.table.Dimensions[4] = 10.0f;
  p.table.SelectDimensionUnit(kFeet);
  ASSERT_EQ(p.table.BuildTankTable(0x0100, kFeet, kUsGallons), VolumeTable::kBuilt);
  p.match({"", "", "", "Alarm Low", "Alarm High", "Alarm High High"});
  p.boxes.sensorHeight = "25";
  p.boxes.fillHeight = "19";
  p.boxes.levels = {"", "", "", "100", "11000", "11700"};
  expectPass(p.run());
  p.boxes.levels[5] = "11800";
  expectFinding(p.run(), CheckOutcome::Error, "ERROR_MESSAGE47", "Alarm High High", 11750.4, 1.0);

  p.boxes.sensorHeight = "15";
  p.boxes.fillHeight = "14";
  p.boxes.levels = {"", "", "", "100", "8000", "8400"};
  expectFinding(p.run(), CheckOutcome::Error, "ERROR_MESSAGE47", "Alarm High High", 8343.1, 1.0);

  // A weir: the maximum head D1 gives the top flow.
  p.units(kFeet, kCfs);
  p.config.shapeCode = 0x2000;
  p.table.Dimensions[1] = 1.0f;
  p.table.Dimensions[2] = 2.49f;
  p.table.Dimensions[3] = 2.48f;
  p.boxes.levels = {"", "", "", "0.1", "2", "2.49"};
  expectPass(p.run());
  p.boxes.levels[5] = "2.5";
  expectFinding(p.run(), CheckOutcome::Error, "ERROR_MESSAGE47", "Alarm High High", 2.49, 1e-6);

  // A strapping table from 100 to 5000 gallons, the sensor above its top.
  p.units(kFeet, kUsGallons);
  p.config.shapeCode = 0x0700;
  p.table.Dimensions[3] = 0.0f;
  p.rows.RowCount = 2;
  p.rows.Levels[1] = 10.0f;
  p.rows.Volumes = {100.0f, 5000.0f};
  p.boxes.levels = {"", "", "", "100", "4000", "5000"};
  expectPass(p.run());
  p.boxes.levels[3] = "50";
  expectFinding(p.run(), CheckOutcome::Error, "ERROR_MESSAGE48", "Alarm Low", 100.0);
  p.boxes.levels[3] = "100";
  p.boxes.levels[5] = "5001";
  expectFinding(p.run(), CheckOutcome::Error, "ERROR_MESSAGE47", "Alarm High High", 5000.0);
}

// A level on a model with a curve keeps the double typed: 142.6 cm over a
// table of Scale 2603 / 655350 is point 35901.87 (142.6 as a float,
// 142.60000610, would give 35902.0).
TEST(ValueChecks, LevelsOnACurveKeepTheDoubleForTheirTableCount) {
  constexpr int kCentimetres = 1;
  Page p(kKm30);
  p.units(kCentimetres, kCentimetres);
  p.config.configurationValid = true;
  p.match({"", "", "Alarm Low", "Relay 3 Off", "Relay 3 On", "Alarm High"});
  p.boxes.sensorHeight = "300";
  p.boxes.fillHeight = "250";
  p.boxes.levels = {"", "", "10", "20", "30", "142.6"};
  TablePage::Bytes stored{};
  stored[4] = 2603 & 0xFF;
  stored[5] = 2603 >> 8;
  TablePage::decode(stored, p.table);
  ASSERT_EQ(TablePage::fixedPoint(p.table.Scale), 2603);
  expectPass(p.run());
  EXPECT_EQ(p.config.levels[5], 142.6);
  CustomerPage::Bytes page{};
  ASSERT_EQ(CustomerPage::encode(p.config, p.model(), p.table, p.rows, page, page),
            CustomerPage::kEncoded);
  const int word = p.model().Configurations[static_cast<std::size_t>(p.config.configurationIndex)]
                       .LevelWords[5];
  EXPECT_EQ(page[2 * word] | (page[2 * word + 1] << 8), 35901);
}

// What the unit cannot hold stops a write. A Scale beyond 2147483647 /
// 655350 = 3276.8 (a tank of some 215 million gallons) would go to the
// table page as 0. An advanced value beyond 65534 would wrap (0xFFFF is
// "no value").
TEST(ValueChecks, WhatTheUnitCannotHoldIsRefused) {
  constexpr int kCentimetres = 1;
  Page p(kKm30);
  p.units(kCentimetres, kCentimetres);
  p.match({"", "", "Alarm Low", "Relay 3 Off", "Relay 3 On", "Alarm High"});
  p.boxes.sensorHeight = "300";
  p.boxes.fillHeight = "250";
  p.boxes.levels = {"", "", "10", "20", "30", "142.6"};
  for (const auto& [scale, offset, fits] : {std::tuple{3276.8f, 0.0f, true},
                                           std::tuple{3276.9f, 0.0f, false},
                                           std::tuple{1.0f, -3300.0f, false}}) {
    SCOPED_TRACE(scale);
    p.table.Scale = scale;
    p.table.Offset = offset;
    const ValueCheckResult r = p.run();
    if (fits) {
      expectPass(r);
      continue;
    }
    ASSERT_EQ(r.outcome, CheckOutcome::Error);
    EXPECT_EQ(r.notice->key, "ERROR_MESSAGE140");
    EXPECT_NE(p.message(r).find("is too large for the table of the unit"), std::string::npos)
        << p.message(r);
  }
  p.table.Scale = 1.0f;
  p.table.Offset = 0.0f;
  expectPass(p.run());

  p.config.advanced[0] = {true, 65534};
  expectPass(p.run());
  p.config.advanced[0] = {true, 70000};
  expectFinding(p.run(), CheckOutcome::Error, "ERROR_MESSAGE47", "Damping", 65534.0);
  p.config.advanced[0] = {false, 70000};  // not written without its tick
  expectPass(p.run());
}

// A number too large for the unit is refused under its own box's name and
// stays as typed: the guided-wave sensor height has no maximum of its own and
// would otherwise pass to the fill height's check, and a float would show
// 1e20 as 100000002004087734272.
TEST(ValueChecks, AHugeNumberIsRefusedByItsOwnBoxAndKeptAsTyped) {
  constexpr const char* kHuge = "99999999999999999999";
  Page gw(kKm50);
  gw.units(kFeet, kFeet);
  gw.boxes = heights(kHuge, "12", "9");
  expectFinding(gw.run(), CheckOutcome::Error, "ERROR_MESSAGE47", "Sensor Height", 999999999);
  EXPECT_EQ(gw.boxes.sensorHeight, kHuge);
  EXPECT_EQ(gw.config.sensorHeight, 0.0);  // nothing stored

  Page km30(kKm30);
  km30.units(kFeet, kFeet);
  km30.boxes = heights("20", kHuge);
  expectFinding(km30.run(), CheckOutcome::Error, "ERROR_MESSAGE47", "Fill Height", 19.2, 1e-6);
  EXPECT_EQ(km30.boxes.fillHeight, kHuge);
  EXPECT_EQ(km30.boxes.sensorHeight, "20.0");  // it passed: reshown
  // Counts: 16 bits of 59 per inch reach 1110.76 in, beyond which a level
  // that nothing else bounds is refused by its caption.
  Page km40(kKm40);
  km40.units(kInches, kInches);
  km40.boxes = heights("240", "200");
  km40.match({"", "", "", "", "", ""});
  expectPass(km40.run());
}

}  // namespace
}  // namespace ostrel

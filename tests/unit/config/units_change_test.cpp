// Height units changes on the shipped models, worked by hand from 0.3048 m
// to the foot.
#include "core/config/units_change.h"

#include <gtest/gtest.h>

#include "shipped_model.h"

namespace ostrel {
namespace {

TEST(UnitsChange, PulseRadarConvertsItsFourBoxesBetweenFeetAndMetresOnly) {
  auto records = test::shippedModel("KM70_PulseRadar.txt");
  PageBoxes boxes;
  boxes.sensorHeight = "6.0";
  boxes.fillHeight = "5.2";
  boxes.deadBand = "0.3";
  boxes.maxRange = "10.0";
  boxes.probeLength = "untouched";
  LevelRows rows;
  UnitConfiguration config;
  UnitsChange::apply(records->Database, 1, 0, {&boxes, &rows, &config});  // metres to feet
  EXPECT_EQ(boxes.sensorHeight, "19.69");
  EXPECT_EQ(boxes.fillHeight, "17.06");
  EXPECT_EQ(boxes.deadBand, "0.98");
  EXPECT_EQ(boxes.maxRange, "32.81");
  EXPECT_EQ(boxes.probeLength, "untouched");
  EXPECT_EQ(config.sensorHeight, 0.0);  // the record follows at the write

  UnitsChange::apply(records->Database, 0, 1, {&boxes, &rows, &config});
  EXPECT_EQ(boxes.sensorHeight, "6.002");  // 19.69 ft
  // Any other pair is no change the radar knows.
  UnitsChange::apply(records->Database, 1, 1, {&boxes, &rows, &config});
  EXPECT_EQ(boxes.sensorHeight, "6.002");
}

TEST(UnitsChange, GuidedWaveConvertsBoxesShownRowsRecordAndSetPoints) {
  auto records = test::shippedModel("KM50_GuidedWave.txt");
  PageBoxes boxes;
  boxes.sensorHeight = "20";
  boxes.fillHeight = "18";
  boxes.probeLength = "19";
  LevelRows rows;
  rows[5] = {true, "High", "16.5"};
  rows[4] = {false, "", "9"};
  UnitConfiguration config;
  config.levels[4] = -1;
  config.independentLevels = {2.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  UnitsChange::apply(records->Database, 2, 3, {&boxes, &rows, &config});  // feet to metres
  EXPECT_EQ(boxes.sensorHeight, "6.096");
  EXPECT_EQ(boxes.fillHeight, "5.486");
  EXPECT_EQ(boxes.probeLength, "5.791");
  EXPECT_NEAR(config.sensorHeight, 6.096, 1e-9);
  EXPECT_NEAR(config.fillHeight, 5.486, 1e-9);
  EXPECT_EQ(rows[5].text, "5.029");
  EXPECT_NEAR(config.levels[5], 5.029, 1e-9);
  EXPECT_EQ(rows[4].text, "9");  // a hidden row is left alone
  EXPECT_EQ(config.levels[4], -1);
  EXPECT_NEAR(config.independentLevels[0], 0.610, 1e-6);
  EXPECT_EQ(config.independentLevels[1], 0.0f);  // unset stays unset
}

// A units change converts what a box stands for, not its rounded text: a
// round trip gives back what was typed. 6.1 m is 20.0131 ft, shown 20.01,
// which read back would be 6.099 m; 14, 12 and 9 ft are 426.72, 365.76 and
// 274.32 cm, shown 426.7 ..., which read back would be 167.99 in.
TEST(UnitsChange, ARoundTripGivesBackWhatWasTypedUnlessTheBoxWasRetyped) {
  constexpr int kInches = 0, kCentimetres = 1, kFeet = 2, kMetres = 3;
  auto km30 = test::shippedModel("KM30_Ultrasonic.txt");
  PageBoxes boxes;
  boxes.sensorHeight = "6.1";
  boxes.fillHeight = "5";
  LevelRows rows;
  rows[5] = {true, "High", "4.25"};
  UnitConfiguration config;
  ExactBoxes exact;
  UnitsChange::apply(km30->Database, kMetres, kFeet, {&boxes, &rows, &config, &exact});
  EXPECT_EQ(boxes.sensorHeight, "20.01");
  EXPECT_NEAR(config.sensorHeight, 20.01, 1e-12);  // the record holds what is shown
  UnitsChange::apply(km30->Database, kFeet, kMetres, {&boxes, &rows, &config, &exact});
  EXPECT_EQ(boxes.sensorHeight, "6.1");
  EXPECT_EQ(boxes.fillHeight, "5.0");
  EXPECT_EQ(rows[5].text, "4.25");
  EXPECT_NEAR(config.sensorHeight, 6.1, 1e-12);
  EXPECT_NEAR(config.levels[5], 4.25, 1e-12);

  // A box the user retyped converts from the new text.
  UnitsChange::apply(km30->Database, kMetres, kFeet, {&boxes, &rows, &config, &exact});
  boxes.sensorHeight = "20";
  UnitsChange::apply(km30->Database, kFeet, kMetres, {&boxes, &rows, &config, &exact});
  EXPECT_EQ(boxes.sensorHeight, "6.096");
  EXPECT_EQ(boxes.fillHeight, "5.0");

  auto km50 = test::shippedModel("KM50_GuidedWave.txt");
  boxes = {};
  boxes.sensorHeight = "14";
  boxes.fillHeight = "12";
  boxes.probeLength = "9";
  rows = {};
  exact = {};
  UnitsChange::apply(km50->Database, kFeet, kCentimetres, {&boxes, &rows, &config, &exact});
  EXPECT_EQ(boxes.sensorHeight, "426.7");
  UnitsChange::apply(km50->Database, kCentimetres, kInches, {&boxes, &rows, &config, &exact});
  EXPECT_EQ(boxes.sensorHeight, "168.0");
  EXPECT_EQ(boxes.fillHeight, "144.0");
  EXPECT_EQ(boxes.probeLength, "108.0");
}

}  // namespace
}  // namespace ostrel

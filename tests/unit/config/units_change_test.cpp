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

}  // namespace
}  // namespace ostrel

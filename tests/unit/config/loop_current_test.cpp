// The loop-current panel on the shipped guided-wave model: a vertical
// cylinder 10 ft across and 18 ft high under a 20 ft sensor height, probe
// 19 ft. The probe's lowest measurable level is 20 - (19 + 0.5 nut) + 0.33
// dead band = 0.83 ft.
#include "core/config/loop_current.h"

#include <gtest/gtest.h>

#include <string>

#include "core/config/unit_configuration.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/structure_file.h"
#include "core/volume/volume_table.h"
#include "shipped_model.h"

namespace ostrel {
namespace {

constexpr std::uint16_t kVerticalCylinder = 0x0100;
constexpr int kGallons = 32, kFeet = 2;
const double kGallonsPerFoot = 3.141592653589793 * 25.0 * 7.480519;

struct Tank {
  Tank() : records(test::shippedModel("KM50_GuidedWave.txt")) {
    StructureFile::load(records->Database, test::sourceDataDir() / "Models", kVerticalCylinder,
                        records->Structures);
    config.shapeCode = kVerticalCylinder;
    config.outputUnits = kGallons;
    config.heightUnits = kFeet;
    config.sensorHeight = 20;
    config.fillHeight = 18;
    config.minFillHeight = 0.5;
    config.probeLength = 19;
    config.itemChoices[1] = 1;
    volume.Dimensions[4] = 18;  // tank height
    volume.Dimensions[5] = 10;  // diameter
  }
  LoopCurrentPanel panel() const {
    return LoopCurrent::panel(
        {&records->Database, &records->Structures, &config, &volume, &rows});
  }
  std::unique_ptr<ModelRecords> records;
  UnitConfiguration config;
  VolumeTable volume;
  StrappingRows rows;
};

TEST(LoopCurrent, CurrentsRunFromTheHigherOfProbeReachAndMinFillToTheFillHeight) {
  Tank t;
  LoopCurrentPanel p = t.panel();
  ASSERT_TRUE(p.shown);
  EXPECT_NEAR(std::stod(p.minVolume), 0.83 * kGallonsPerFoot, 0.5);
  EXPECT_NEAR(std::stod(p.maxVolume), 18.0 * kGallonsPerFoot, 0.5);
  EXPECT_EQ(p.minCurrent, "4.738");  // 4 + 16 x 0.83 / 18
  EXPECT_EQ(p.maxCurrent, "20.000");

  // A minimum fill above the probe's reach lifts the low end; the full
  // volume stays the tank's, so a lower fill height moves only the top.
  t.config.minFillHeight = 2;
  t.config.fillHeight = 9;
  p = t.panel();
  EXPECT_NEAR(std::stod(p.minVolume), 2.0 * kGallonsPerFoot, 0.5);
  EXPECT_NEAR(std::stod(p.maxVolume), 9.0 * kGallonsPerFoot, 0.5);
  EXPECT_EQ(p.minCurrent, "5.778");  // 4 + 16 x 2 / 18
  EXPECT_EQ(p.maxCurrent, "20.000");

  // The inverted loop: 20 mA at empty.
  t.config.itemChoices[1] = 2;
  p = t.panel();
  EXPECT_EQ(p.minCurrent, "18.222");
  EXPECT_EQ(p.maxCurrent, "4.000");
}

TEST(LoopCurrent, HiddenOffVolumeOutputsAndNoScaleWithoutAFullVolume) {
  Tank t;
  t.config.outputUnits = kFeet;
  EXPECT_FALSE(t.panel().shown);

  Tank empty;
  empty.volume.Dimensions[5] = 0;  // no diameter: nothing to fill
  const LoopCurrentPanel p = empty.panel();
  ASSERT_TRUE(p.shown);
  EXPECT_EQ(p.minCurrent, "");
  EXPECT_EQ(p.maxCurrent, "");
  // The table is prepared on a copy: the page's keeps its dimensions.
  EXPECT_EQ(empty.volume.Dimensions[0], 0.0f);
}

}  // namespace
}  // namespace ostrel

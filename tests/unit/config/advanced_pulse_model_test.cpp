// The pulse radar's advanced dialog without widgets, on the KM70 model:
// opening and closing changes nothing, even over values the dialog cannot
// show; edits flag exactly the parameters they change; the type of medium
// decides which options take input; Defaults.

#include "core/config/advanced_pulse_model.h"

#include <gtest/gtest.h>

#include "shipped_model.h"

namespace ostrel {
namespace {

using S = RadarAdvancedState;

class AdvancedPulse : public ::testing::Test {
 protected:
  void SetUp() override {
    records = test::shippedModel("KM70_PulseRadar.txt");
    PulseParameters& b = state.values;
    b.TypeOfMedium = 3;
    b.FirstEcho = 1;
    b.FastLevelChange = 2;  // off, as the radar itself may report it
    b.Agitation = 3;        // on, in a value other than 1
    b.Foam = 0;
    b.PowderDust = 1;
    b.LowDielectric = 0;
    b.PipeDiameter = 150;
    b.DampingTime = 12;
  }
  std::unique_ptr<ModelRecords> records;
  RadarAdvancedState state;
};

TEST_F(AdvancedPulse, OkWithoutAChangeFlagsNothing) {
  AdvancedPulseModel dialog(records->Database, state.values);
  const auto& c = dialog.controls();
  EXPECT_EQ(dialog.mediumNames().size(), 4u);
  EXPECT_EQ(c.medium, 2);
  EXPECT_EQ(c.firstEcho, 1);
  EXPECT_FALSE(c.fastLevelChange);
  EXPECT_TRUE(c.agitation);
  EXPECT_EQ(c.pipeDiameter, "150");
  EXPECT_EQ(c.dampingTime, "12");
  // The third medium leaves the four medium-bound options as they start.
  EXPECT_FALSE(c.agitationEnabled || c.foamEnabled || c.powderDustEnabled || c.largeAngleEnabled);

  const PulseParameters before = state.values;
  EXPECT_EQ(AdvancedPulseModel::apply(state, dialog.result()), 0);
  EXPECT_EQ(state.changed, (std::array<bool, S::kCount>{}));
  EXPECT_EQ(RadarAdvanced::from(state.values), RadarAdvanced::from(before));

  // A list the block's value is not in shows nothing and keeps the value.
  state.values.FirstEcho = 9;
  state.values.TypeOfMedium = 0;
  AdvancedPulseModel outside(records->Database, state.values);
  EXPECT_EQ(outside.controls().firstEcho, -1);
  EXPECT_EQ(outside.controls().medium, -1);
  EXPECT_EQ(AdvancedPulseModel::apply(state, outside.result()), 0);
  EXPECT_EQ(state.values.FirstEcho, 9);
}

TEST_F(AdvancedPulse, EditsFlagWhatTheyChangeAndFlagsStaySet) {
  state.changed[S::kDampingTime] = true;  // from an earlier OK, not yet written
  AdvancedPulseModel dialog(records->Database, state.values);
  dialog.selectMedium(1);
  auto& c = dialog.controls();
  EXPECT_TRUE(c.powderDustEnabled && c.largeAngleEnabled);
  EXPECT_FALSE(c.agitationEnabled || c.foamEnabled);
  c.largeAngle = true;
  c.fastLevelChange = true;
  c.pipeDiameter = "99999";  // more than the radar's 16 bits hold

  EXPECT_EQ(AdvancedPulseModel::apply(state, dialog.result()), 4);
  std::array<bool, S::kCount> expected{};
  for (auto p : {S::kTypeOfMedium, S::kLargeResponseAngle, S::kFastLevelChange, S::kPipeDiameter,
                 S::kDampingTime}) {
    expected[p] = true;
  }
  EXPECT_EQ(state.changed, expected);
  EXPECT_EQ(state.values.TypeOfMedium, 2);
  EXPECT_EQ(state.values.FastLevelChange, 0);
  EXPECT_EQ(state.values.LargeResponseAngle, 1);
  EXPECT_EQ(state.values.PipeDiameter, 0xFFFF);
  EXPECT_EQ(state.values.Agitation, 3);  // untouched
}

TEST_F(AdvancedPulse, DefaultsGoIntoTheControlsOnly) {
  AdvancedPulseModel dialog(records->Database, state.values);
  dialog.defaults();
  const auto& c = dialog.controls();
  EXPECT_EQ(c.medium, 0);
  EXPECT_TRUE(c.agitationEnabled && c.foamEnabled);
  EXPECT_FALSE(c.powderDustEnabled || c.largeAngleEnabled);
  EXPECT_EQ(c.firstEcho, 0);
  EXPECT_TRUE(c.fastLevelChange);
  EXPECT_FALSE(c.agitation || c.foam || c.powderDust || c.largeAngle || c.lowDielectric);
  EXPECT_EQ(c.pipeDiameter, "0");
  EXPECT_EQ(c.dampingTime, "6");
  EXPECT_EQ(state.values.DampingTime, 12);

  const RadarAdvanced a = dialog.result();
  EXPECT_EQ(a.typeOfMedium, 1);
  EXPECT_EQ(a.additionalAdjustment, 0);
  EXPECT_EQ(a.agitation, 0);
  EXPECT_EQ(a.dampingTime, 6);
  EXPECT_TRUE(AdvancedPulseModel::digitsOnly("0150"));
  EXPECT_FALSE(AdvancedPulseModel::digitsOnly("-1"));
}

}  // namespace
}  // namespace ostrel

// The forms' OK checks on field texts: which failure comes first and what a
// passing form builds; and the number rules the fields are shown with.
#include <gtest/gtest.h>

#include "core/volume/flow_form_check.h"
#include "core/volume/number_rules.h"
#include "core/volume/strapping_form_check.h"
#include "core/volume/tank_form_check.h"
#include "volume_test_model.h"

namespace ostrel::test {
namespace {

std::string failureKey(const std::optional<FormFailure>& f) { return f ? f->key : "passed"; }

TankFormInput cylinderForm() {
  TankFormInput in;
  in.fields = {"12", "10", "0.0", "10", "6", "", "", "", "", ""};
  in.fieldsInUse = 5;
  in.shape = 0x0100;
  in.dimensionUnit = kFeet;
  in.outputUnit = kUsGallons;
  return in;
}

TEST(TankForm, FailuresComeInTheirOrder) {
  const VolumeModel m;
  const VolumeTable page = m.table({}, kFeet);
  TankFormInput in = cylinderForm();
  in.fields[4] = "";
  EXPECT_EQ(failureKey(TankFormCheck::ok(in, page).failure), "ERROR_MESSAGE120");
  in.fields[4] = "-6";
  const auto notNumber = TankFormCheck::ok(in, page).failure;
  ASSERT_EQ(failureKey(notNumber), "ERROR_MESSAGE121");
  EXPECT_EQ(notNumber->args.at(0).asText(), "-6");
  in.fields[4] = "6";
  in.fields[3] = "9";
  EXPECT_EQ(failureKey(TankFormCheck::ok(in, page).failure), "ERROR_MESSAGE127");
  in.fields[3] = "12";
  in.fields[1] = "11.5";  // above SH - MINRANGE = 11
  const auto range = TankFormCheck::ok(in, page).failure;
  ASSERT_EQ(failureKey(range), "ERROR_MESSAGE47");
  EXPECT_EQ(range->leadKey, "ERROR_MESSAGE46");
  EXPECT_TRUE(range->errorStyle);
  EXPECT_EQ(range->args.at(0).asText(), "Fill Height");
  EXPECT_DOUBLE_EQ(range->args.at(1).asDouble(), 11.0);
  in.fields[1] = "10";
  in.fields[3] = "10";
  in.fields[4] = "0";
  EXPECT_EQ(failureKey(TankFormCheck::ok(in, page).failure), "ERROR_MESSAGE125");
  in.fields[4] = "6";
  in.fields[0] = "31";  // above MAXSENSORHEIGHT
  EXPECT_EQ(failureKey(TankFormCheck::ok(in, page).failure), "ERROR_MESSAGE47");
  in.fields[0] = "12";
  in.outputUnit = 40;  // a volume code the structure does not list
  EXPECT_EQ(failureKey(TankFormCheck::ok(in, page).failure), "ERROR_MESSAGE126");
}

// A tank whose full value the unit's table cannot hold (its Scale beyond
// 3276.8 gallons per count: some 215 million gallons) is refused in the
// form, naming the value; 10 ft across holds 5875 gallons.
TEST(TankForm, ATankTooLargeForTheUnitsTableIsRefused) {
  const VolumeModel m;
  const VolumeTable page = m.table({}, kFeet);
  TankFormInput in = cylinderForm();
  in.fields[4] = "99999999999";
  const auto refused = TankFormCheck::ok(in, page).failure;
  ASSERT_EQ(failureKey(refused), "ERROR_MESSAGE140");
  EXPECT_TRUE(refused->errorStyle);
  EXPECT_GT(NumberRules::read(refused->args.at(0).asText()), 5e23);
  in.fields[4] = "2000";  // 235 million gallons
  EXPECT_EQ(failureKey(TankFormCheck::ok(in, page).failure), "ERROR_MESSAGE140");
  in.fields[4] = "1800";  // 190 million gallons
  EXPECT_EQ(failureKey(TankFormCheck::ok(in, page).failure), "passed");
}

TEST(TankForm, APassingFormBuildsTheShownValues) {
  const VolumeModel m;
  const VolumeTable page = m.table({}, kFeet);
  TankFormInput in = cylinderForm();
  in.fields[4] = "6.123456";  // feet show one decimal
  const auto result = TankFormCheck::ok(in, page);
  ASSERT_TRUE(result.ok()) << failureKey(result.failure);
  EXPECT_EQ(result.value.Dimensions[4], 6.1f);
  EXPECT_NEAR(result.value.FullValue(), 3.14159265 * 3.05 * 3.05 * 10 * 7.48051948,
              result.value.Scale);

  // Distance mode: the hidden fields may hold anything, the table is the length table.
  in.volumeMode = false;
  in.fields[4] = "x";
  const auto distance = TankFormCheck::ok(in, page);
  ASSERT_TRUE(distance.ok()) << failureKey(distance.failure);
  EXPECT_EQ(distance.value.PointCount, 2);
  EXPECT_EQ(distance.value.MaxLevel, (12 - 1) * 708);
}

TEST(TankForm, RadarModelsCheckTheirTankHeightAndProbe) {
  // Pulse radar: D3 is the maximum range, the tank height is D4.
  const VolumeModel pulse(false, true);
  TankFormInput in = cylinderForm();
  in.fields = {"12", "10", "0.5", "40", "9", "6", "", "", "", ""};
  in.fieldsInUse = 6;
  EXPECT_EQ(failureKey(TankFormCheck::ok(in, pulse.table({}, kFeet)).failure), "ERROR_MESSAGE127");

  const VolumeModel gwr(true);
  in.fields = {"12", "10", "0.5", "31", "10", "6", "", "", "", ""};
  const auto probe = TankFormCheck::ok(in, gwr.table({}, kFeet)).failure;
  ASSERT_EQ(failureKey(probe), "ERROR_MESSAGE47");
  EXPECT_EQ(probe->args.at(0).asText(), "Probe Length");
  in.fields[3] = "11.95";  // PL + NUTOFFSET passes SH by 0.05
  const auto sensor = TankFormCheck::ok(in, gwr.table({}, kFeet)).failure;
  ASSERT_EQ(failureKey(sensor), "ERROR_MESSAGE48");
  EXPECT_EQ(sensor->args.at(0).asText(), "Sensor Height");
}

TEST(FlowForm, SignedCoefficientsAndTheSetInTheLowByte) {
  const VolumeModel m;
  FlowFormInput in;
  in.fields = {"3", "2.5", "4", "1.522", "-0.5", "", "", "", "", ""};
  in.fieldsInUse = 5;
  in.shape = 0x4000;
  in.outputUnit = kLps;
  in.selectedSet = 3;
  const auto result = FlowFormCheck::ok(in, m.table({}, kMetres));
  ASSERT_TRUE(result.ok()) << failureKey(result.failure);
  EXPECT_EQ(result.value.shape, 0x4023);
  EXPECT_EQ(result.value.table.LevelScale, 708.0);  // TPF for flows
  EXPECT_EQ(result.value.table.Dimensions[4], -0.5f);
  in.fields[2] = "4a";
  EXPECT_EQ(failureKey(FlowFormCheck::ok(in, m.table({}, kMetres)).failure), "ERROR_MESSAGE121");
  in.fields[2] = "4";
  in.fields[0] = "0";
  EXPECT_EQ(failureKey(FlowFormCheck::ok(in, m.table({}, kMetres)).failure), "ERROR_MESSAGE124");
}

StrappingFormInput strappingForm() {
  StrappingFormInput in;
  in.sensorHeight = "12";
  in.fillHeight = "10";
  in.riserHeight = "0";
  in.tankHeight = "10.10";
  in.rows = {{"0.0", "0"}, {"5", "100"}, {"5", "150"}, {"10.1", "300"}, {"", ""}};
  in.dimensionUnit = kFeet;
  in.outputUnit = kUsGallons;
  return in;
}

TEST(StrappingForm, PairsMustRiseAndEndAtTheTankHeight) {
  const VolumeModel m;
  const VolumeTable page = m.table({}, kFeet);
  StrappingFormInput in = strappingForm();
  const auto result = StrappingFormCheck::ok(in, page);  // equal levels pass; 10.1 == 10.10
  ASSERT_TRUE(result.ok()) << failureKey(result.failure);
  EXPECT_EQ(result.value.rows.RowCount, 4);
  EXPECT_EQ(result.value.table.LevelScale, 708.0);
  EXPECT_EQ(result.value.table.Points[0], 0);

  in.rows[2].second = "90";
  const auto decreasing = StrappingFormCheck::ok(in, page).failure;
  ASSERT_EQ(failureKey(decreasing), "ERROR_MESSAGE122");
  EXPECT_EQ(decreasing->args.at(0).asInteger(), 2);
  EXPECT_EQ(decreasing->args.at(1).asInteger(), 3);
  in.rows[2].second = "";
  EXPECT_EQ(failureKey(StrappingFormCheck::ok(in, page).failure), "ERROR_MESSAGE120");
  in.rows[2].second = "1e3";  // marked red already: no message
  const auto silent = StrappingFormCheck::ok(in, page);
  ASSERT_FALSE(silent.ok());
  EXPECT_EQ(silent.failure->key, "");
  in = strappingForm();
  in.tankHeight = "10.2";
  EXPECT_EQ(failureKey(StrappingFormCheck::ok(in, page).failure), "ERROR_MESSAGE123");
  in.tankHeight = "9";
  EXPECT_EQ(failureKey(StrappingFormCheck::ok(in, page).failure), "ERROR_MESSAGE127");

  // Only the fixed first row: it passes only on a tank of height 0.
  in = strappingForm();
  in.rows = {{"0.0", "50"}};
  in.fillHeight = "0";
  EXPECT_EQ(failureKey(StrappingFormCheck::ok(in, page).failure), "ERROR_MESSAGE123");
  in.tankHeight = "0";
  EXPECT_TRUE(StrappingFormCheck::ok(in, page).ok());

  EXPECT_EQ(failureKey(StrappingFormCheck::cell("10.5", 1, "10.10")), "ERROR_MESSAGE47");
  EXPECT_EQ(failureKey(StrappingFormCheck::cell("10.5", 2, "10.10")), "passed");
}

TEST(NumberRules, DisplayRuleAndUnitChanges) {
  EXPECT_EQ(NumberRules::display(2.5, kFeet, false), "2.5");
  EXPECT_EQ(NumberRules::display(2.456, kFeet, true), "2.46");  // guided-wave feet: 2 decimals
  EXPECT_EQ(NumberRules::display(3.0, kMetres, false), "3.0");
  EXPECT_EQ(NumberRules::display(1.23456789, kUsGallons, false), "1.23");
  EXPECT_EQ(NumberRules::display(1.23456789, kCubicFeet, false), "1.235");
  EXPECT_EQ(NumberRules::display(123456.7, kCfs, false), "123457");
  EXPECT_EQ(NumberRules::display(1234.5678, kCfs, false), "1234.57");  // the size's 2 decimals
  EXPECT_EQ(NumberRules::displayBySize(0.0001234567), "0.000123");
  EXPECT_EQ(NumberRules::round(2.346, 2), 2.35);
  EXPECT_EQ(NumberRules::round(2.345, 0), 2.345);

  const VolumeModel m;
  const ModelLink link(m.model.get(), m.structure.get());
  EXPECT_DOUBLE_EQ(NumberRules::modelValue(1.0, kMetres, link), 0.3);  // 1 ft in metres, 2 decimals
  const std::string metres = NumberRules::convertField("12.5", kFeet, kMetres, link);
  EXPECT_EQ(metres, "3.81");
  EXPECT_EQ(NumberRules::convertField(metres, kMetres, kFeet, link), "12.5");
  EXPECT_EQ(NumberRules::convertField("0.0", kFeet, kMetres, link), "0.0");
  EXPECT_EQ(NumberRules::convertField("", kFeet, kMetres, link), "");
  EXPECT_TRUE(NumberRules::isUnsignedNumber("10.25"));
  EXPECT_FALSE(NumberRules::isUnsignedNumber("-1"));
  EXPECT_FALSE(NumberRules::isUnsignedNumber("1e3"));
}

}  // namespace
}  // namespace ostrel::test

// The tank and the weir/flume forms without widgets, over the shipped model
// files: what they open with, the modes and unit lists, the conversions a
// unit change makes, capacity, the guided-wave minimum current, set loading
// and OK.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/volume/dimension_form_model.h"
#include "core/volume/formula_form_model.h"
#include "core/volume/structure_file.h"

namespace ostrel {
namespace {

const std::filesystem::path kModels = std::filesystem::path(OSTREL_SOURCE_DATA_DIR) / "Models";
constexpr std::uint16_t kCylinder = 0x0100;
constexpr std::uint16_t kVNotch = 0x2000;
// UNITS of the shipped models, and output codes of their structure files.
constexpr int kInches = 0, kFeet = 2, kMetres = 3;
constexpr int kUsGallons = 32, kCfs = 64, kLitresPerMinute = 97;

// The message key of a form's first failure; "(none)" when it passed.
template <typename T>
std::string failureKey(const FormResult<T>& r) {
  return r.failure ? r.failure->key : "(none)";
}

struct Shipped {
  Shipped(const char* modelFile, std::uint16_t shape) {
    ModelFileParser parser(records.targets());
    loaded = parser.LoadModelFile(kModels / modelFile, 0) &&
             StructureFile::load(records.Database, kModels, shape, records.Structures);
    table.Link = link();
    table.Reset();
  }
  ModelLink link() const { return ModelLink(&records.Database, &records.Structures); }
  void dims(std::initializer_list<float> d) {
    std::size_t i = 0;
    for (float x : d) table.Dimensions[i++] = x;
  }
  ModelRecords records;
  VolumeTable table;
  bool loaded = false;
};

TEST(DimensionFormModel, ModesUnitRoundTripAndOk) {
  Shipped s("KM30_Ultrasonic.txt", kCylinder);
  ASSERT_TRUE(s.loaded);
  s.dims({20, 15, 0, 16, 10});
  DimensionFormModel m(kCylinder, s.link(), {kCylinder, kFeet, kUsGallons, false}, s.table);

  EXPECT_EQ(m.title(), "Vertical Cylinder");
  ASSERT_EQ(m.fieldsInUse(), 5);
  EXPECT_EQ(m.caption(4), "Diameter (D)");
  EXPECT_TRUE(m.volumeMode());
  EXPECT_EQ(m.volumeUnitNames().front(), "US Gallons");
  EXPECT_EQ(m.distanceUnitNames().at(kFeet), "Feet");
  EXPECT_EQ(m.field(3), "16.0");
  EXPECT_TRUE(m.fieldVisible(4));
  EXPECT_FALSE(m.fieldVisible(5));
  EXPECT_EQ(m.picture(), "Tank_VerticalCylinder.bmp");

  // Distance: the output is the length unit, the tank's own fields go.
  m.chooseVolumeMode(false);
  EXPECT_EQ(m.outputUnit(), kFeet);
  EXPECT_EQ(m.distanceIndex(), kFeet);
  EXPECT_FALSE(m.dimensionUnitListEnabled());
  EXPECT_TRUE(m.fieldVisible(2));
  EXPECT_FALSE(m.fieldVisible(3));
  EXPECT_EQ(m.picture(), "Tank_Distance.bmp");

  // Feet -> metres -> feet: every number converted and shown by the unit's
  // rule, zero left as it is, and back to the shown values.
  m.chooseDistanceUnit(kMetres);
  EXPECT_EQ(m.outputUnit(), kMetres);
  EXPECT_EQ(m.dimensionUnit(), kMetres);
  EXPECT_EQ(m.field(0), "6.096");
  EXPECT_EQ(m.field(2), "0.0");
  EXPECT_EQ(m.field(3), "4.877");
  m.chooseDistanceUnit(kFeet);
  EXPECT_EQ(m.field(0), "20.0");
  EXPECT_EQ(m.field(3), "16.0");
  EXPECT_EQ(m.field(4), "10.0");

  m.chooseVolumeMode(true);
  EXPECT_EQ(m.outputUnit(), kUsGallons);
  const FormResult<VolumeTable> r = m.ok(s.table);
  ASSERT_TRUE(r.ok()) << r.failure->key;
  EXPECT_FLOAT_EQ(r.value.Dimensions[4], 10.0f);
  EXPECT_EQ(r.value.MaxLevel, 16 * 708);
  EXPECT_EQ(r.value.StructureName, "Vertical Cylinder");
}

TEST(DimensionFormModel, ANewShapeStartsFromTheHeights) {
  Shipped s("KM30_Ultrasonic.txt", kCylinder);
  ASSERT_TRUE(s.loaded);
  s.dims({20, 15, 3, 0, 10});
  s.table.Dimensions[9] = 1;
  s.table.Dimensions[10] = 500;
  // Stored as a rectangular tank: the cylinder's fields start empty, the
  // riser height at 0.0, the missing tank height at the fill height, and
  // the other shape's capacity is not carried over.
  DimensionFormModel m(kCylinder, s.link(), {0x0600, kFeet, kUsGallons, false}, s.table);
  EXPECT_EQ(m.field(2), "0.0");
  EXPECT_EQ(m.field(3), "15.0");
  EXPECT_EQ(m.field(4), "");
  EXPECT_FALSE(m.adjustCapacity());
  EXPECT_EQ(failureKey(m.ok(s.table)), "ERROR_MESSAGE120");
}

TEST(DimensionFormModel, CapacityAndAdjustedCapacity) {
  Shipped s("KM30_Ultrasonic.txt", kCylinder);
  ASSERT_TRUE(s.loaded);
  s.dims({20, 15, 0, 16, 10});
  DimensionFormModel m(kCylinder, s.link(), {kCylinder, kFeet, kUsGallons, false}, s.table);

  // pi * 5^2 * 16 cubic feet = 9400.298 US gallons.
  ASSERT_FALSE(m.computeCapacity(s.table));
  EXPECT_EQ(m.capacityResult(), "9400.3");
  EXPECT_EQ(m.capacity(), "");
  const FormResult<VolumeTable> plain = m.ok(s.table);
  ASSERT_TRUE(plain.ok());

  // The user's own capacity: shown back, stored as D9/D10, every point the
  // same and each count worth 20000/9400.298 times as much.
  m.setAdjustCapacity(true);
  EXPECT_TRUE(m.capacityEnabled());
  m.setCapacity("20000");
  ASSERT_FALSE(m.computeCapacity(s.table));
  EXPECT_EQ(m.capacityResult(), "20000.0");
  EXPECT_EQ(m.capacity(), "20000.0");
  const FormResult<VolumeTable> adjusted = m.ok(s.table);
  ASSERT_TRUE(adjusted.ok());
  EXPECT_FLOAT_EQ(adjusted.value.Dimensions[9], 1.0f);
  EXPECT_FLOAT_EQ(adjusted.value.Dimensions[10], 20000.0f);
  EXPECT_EQ(adjusted.value.Points, plain.value.Points);
  EXPECT_NEAR(adjusted.value.Scale / plain.value.Scale, 20000 / 9400.298018, 1e-5);

  // A capacity box that is not one number is refused, not read as 200.
  m.setCapacity("200.0.0");
  EXPECT_EQ(failureKey(m.ok(s.table)), "ERROR_MESSAGE121");
}

TEST(DimensionFormModel, GuidedWaveLowestLevelAndMinimumCurrent) {
  Shipped s("KM50_GuidedWave.txt", kCylinder);
  ASSERT_TRUE(s.loaded);
  // Sensor, fill, min fill height, probe length, tank height, diameter (feet).
  s.dims({20, 15, 2, 18, 16, 10});
  DimensionFormModel m(kCylinder, s.link(), {kCylinder, kFeet, kUsGallons, false}, s.table);
  ASSERT_EQ(m.fieldsInUse(), 6);
  EXPECT_EQ(m.caption(3), "Probe Length (P)");
  EXPECT_EQ(m.picture(), "Tank_VerticalCylinder_GWR.bmp");

  // Level 2 ft of the 16 ft cylinder: an eighth, 1175.037 gallons, 6 mA.
  ASSERT_FALSE(m.computeMinCurrent(s.table));
  EXPECT_EQ(m.minCurrent(), "6.000");
  EXPECT_EQ(m.minVolume(), "1175.037");
  // Below the lowest measurable level 20 - (18 + 6 in) + 3.96 in = 1.83 ft
  // the probe sees nothing: that level counts.
  m.setField(2, "1");
  ASSERT_FALSE(m.computeMinCurrent(s.table));
  EXPECT_EQ(m.minCurrent(), "5.830");

  // A tank without volume has no current to show: told, not "nan" mA.
  m.setField(5, "0");
  const auto none = m.computeMinCurrent(s.table);
  EXPECT_EQ(none ? none->key : "(none)", "ERROR_MESSAGE125");
  EXPECT_EQ(m.minCurrent(), "5.830");
  m.setField(5, "10");

  DimensionFormModel inverted(kCylinder, s.link(), {kCylinder, kFeet, kUsGallons, true}, s.table);
  ASSERT_FALSE(inverted.computeMinCurrent(s.table));
  EXPECT_EQ(inverted.minCurrent(), "18.000");

  // Distance mode keeps D2 at that level, following the sensor height.
  m.chooseVolumeMode(false);
  EXPECT_FALSE(m.fieldEnabled(2));
  EXPECT_TRUE(m.fieldVisible(3));
  EXPECT_EQ(m.field(2), "1.83");
  m.setField(0, "21");
  EXPECT_EQ(m.field(2), "2.83");
  EXPECT_EQ(m.picture(), "Tank_Distance_GWR.bmp");
}

TEST(DimensionFormModel, ATextThatIsNotOneNumberIsRefused) {
  Shipped s("KM30_Ultrasonic.txt", kCylinder);
  ASSERT_TRUE(s.loaded);
  s.dims({20, 15, 0, 16, 10});
  DimensionFormModel m(kCylinder, s.link(), {kCylinder, kFeet, kUsGallons, false}, s.table);
  m.setField(4, "1.2.3");
  const FormResult<VolumeTable> r = m.ok(s.table);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.failure->key, "ERROR_MESSAGE121");
  ASSERT_EQ(r.failure->args.size(), 1u);
  EXPECT_EQ(r.failure->args[0].asText(), "1.2.3");
  EXPECT_TRUE(m.computeCapacity(s.table).has_value());
  // A unit change leaves it as typed rather than turning it into 1.2.
  m.chooseDimensionUnit(kInches);
  EXPECT_EQ(m.field(4), "1.2.3");
  EXPECT_EQ(m.field(3), "192.0");
}

TEST(FormulaFormModel, LsSetLoadingAndTheStoredSet) {
  Shipped s("KM30_Ultrasonic.txt", kVNotch);
  ASSERT_TRUE(s.loaded);
  s.dims({1.5f, 0.3f, 5, 2});
  FormulaFormModel m(kVNotch, s.link(), {kVNotch, kMetres, kLitresPerMinute}, s.table);
  EXPECT_TRUE(m.flowMode());
  EXPECT_EQ(m.title(), "V-Notch Weir");
  EXPECT_EQ(m.setLabel(), "V Notch Angle");
  EXPECT_EQ(m.dimensionUnit(), kMetres);
  EXPECT_EQ(m.dimensionUnitName(), "Meters");
  EXPECT_EQ(m.flowUnitNames().at(static_cast<std::size_t>(m.flowIndex())), "L/min");
  EXPECT_EQ(m.field(0), "1.5");
  EXPECT_EQ(m.field(2), "5.0");
  ASSERT_EQ(m.setNames().size(), 7u);
  EXPECT_EQ(m.setNames()[0], "-- Manual Entry --");
  EXPECT_EQ(m.selectedSet(), 0);

  // Set 2 of the l/s list (30 degrees) in l/min: c2 times 60.
  m.chooseSet(2);
  EXPECT_EQ(m.field(1), "0.381");
  EXPECT_EQ(m.field(2), "21616.8");
  EXPECT_EQ(m.field(3), "2.463");
  const FormResult<FlowFormOutcome> r = m.ok(s.table);
  ASSERT_TRUE(r.ok()) << r.failure->key;
  EXPECT_EQ(r.value.shape, 0x2000 + 34);
  EXPECT_FLOAT_EQ(r.value.table.Dimensions[2], 21616.8f);

  // Stored with that set, the form opens with it selected.
  FormulaFormModel again(0x2022, s.link(), {0x2022, kMetres, kLitresPerMinute}, r.value.table);
  EXPECT_EQ(again.selectedSet(), 2);
  EXPECT_EQ(again.field(2), "21616.8");
}

TEST(FormulaFormModel, CfsAndLsSwitchEmptiesTheCoefficients) {
  Shipped s("KM30_Ultrasonic.txt", kVNotch);
  ASSERT_TRUE(s.loaded);
  s.dims({1, 0.381f, 21616.8f, 2.463f});
  FormulaFormModel m(0x2022, s.link(), {0x2022, kMetres, kLitresPerMinute}, s.table);
  m.chooseFlowUnit(0);  // CFS
  EXPECT_EQ(m.outputUnit(), kCfs);
  EXPECT_EQ(m.dimensionUnit(), kFeet);
  EXPECT_EQ(m.field(0), "3.28");
  EXPECT_EQ(m.field(1), "1.25");
  for (int j = 2; j < FormulaFormModel::kFields; ++j) EXPECT_EQ(m.field(j), "") << j;
  EXPECT_EQ(m.selectedSet(), 0);
  EXPECT_EQ(m.setNames()[1], "22.5 Degrees");
  // Empty coefficients are missing values; a text that is not one number is
  // refused with the text itself.
  EXPECT_EQ(failureKey(m.ok(s.table)), "ERROR_MESSAGE120");
  m.setField(2, "2.49");
  m.setField(3, "2-48");
  const auto r = m.ok(s.table);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.failure->key, "ERROR_MESSAGE121");
  m.setField(3, "2.48");
  ASSERT_TRUE(m.ok(s.table).ok());

  // Distance mode: heights only, in the distance unit the list shows.
  m.chooseFlowMode(false);
  EXPECT_EQ(m.outputUnit(), kFeet);
  EXPECT_FALSE(m.fieldVisible(2));
  EXPECT_EQ(m.picture(), "Weir_Distance.bmp");
  m.chooseDistanceUnit(kMetres);
  EXPECT_EQ(m.field(0), "1.0");
  EXPECT_EQ(m.dimensionUnitName(), "Meters");
}

}  // namespace
}  // namespace ostrel

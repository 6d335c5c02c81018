// The strapping form's grid over the shipped KM30 model and tank structures:
// what it opens with, what edits, unit changes and the Rows count do, and
// that OK hands back every pair the record held.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/volume/strapping_grid.h"
#include "core/volume/structure_file.h"

namespace ostrel::test {
namespace {

namespace fs = std::filesystem;
const fs::path kModels = fs::path(OSTREL_SOURCE_DATA_DIR) / "Models";
constexpr std::uint16_t kStrapping = 0x0700;
// KM30's UNITS: inches, centimetres, feet, metres; the tank file's volume
// units start with US gallons (32) and litres (33).
constexpr int kInches = 0, kFeet = 2;
constexpr int kUsGallons = 32, kLitres = 33;

struct Km30 {
  Km30() {
    ModelFileParser parser(records.targets());
    loaded = parser.LoadModelFile(kModels / "Corporate_Model", 0) &&
             parser.LoadModelFile(kModels / "KM30_Ultrasonic", 0) &&
             StructureFile::load(records.Database, kModels, kStrapping, records.Structures);
  }
  ModelLink link() const { return ModelLink(&records.Database, &records.Structures); }
  // A page table with sensor, fill, riser and tank heights in feet.
  VolumeTable table(float sensor, float fill, float tank) const {
    VolumeTable t;
    t.Link = link();
    t.Reset();
    t.Dimensions[0] = sensor;
    t.Dimensions[1] = fill;
    t.Dimensions[3] = tank;
    return t;
  }
  ModelRecords records;
  bool loaded = false;
};

StrappingRows pairs(std::initializer_list<std::pair<float, float>> list) {
  StrappingRows rows;
  for (const auto& [l, v] : list) {
    rows.Levels[static_cast<std::size_t>(rows.RowCount)] = l;
    rows.Volumes[static_cast<std::size_t>(rows.RowCount++)] = v;
  }
  return rows;
}

using Colour = StrappingGrid::Colour;
using Field = StrappingGrid::Field;
constexpr int L = StrappingGrid::kLevelColumn, V = StrappingGrid::kVolumeColumn;

std::string key(const std::optional<FormFailure>& f) { return f ? f->key : "passed"; }

TEST(StrappingGrid, OpensFromTheRecordAndChecksEditsAndOk) {
  const Km30 m;
  ASSERT_TRUE(m.loaded);
  const VolumeTable page = m.table(12, 10, 10);
  StrappingGrid grid(m.link(), kFeet, kUsGallons, page, pairs({{0, 0}, {5, 100}, {10, 300}}));

  EXPECT_EQ(grid.field(Field::ProbeLength), "");  // not on ultrasonic models
  EXPECT_EQ(grid.volumeUnitNames().size(), std::size_t{6});  // US gallons .. barrels
  EXPECT_EQ(grid.cell(1, L).colour, Colour::ButtonFace);

  // A level above the tank height is told and marked; a typo only marked.
  const auto above = grid.endEdit(3, L, "10.5");
  ASSERT_EQ(key(above), "ERROR_MESSAGE47");
  EXPECT_DOUBLE_EQ(above->args.at(1).asDouble(), 10.0);
  EXPECT_EQ(grid.cell(3, L).colour, Colour::Red);
  grid.beginEdit(3, L);
  EXPECT_EQ(grid.cell(3, L).colour, Colour::White);
  grid.endEdit(3, L, "10");
  EXPECT_EQ(key(grid.endEdit(2, V, "1o0")), "");
  EXPECT_EQ(grid.cell(2, V).colour, Colour::Red);
  const auto red = grid.ok(page);
  ASSERT_FALSE(red.ok());
  EXPECT_EQ(red.failure->key, "");  // the red cell is the only sign
  grid.endEdit(2, V, "100");
  EXPECT_EQ(grid.cell(2, V).colour, Colour::White);

  // Falling volumes name the two rows.
  grid.endEdit(3, V, "90");
  const auto falling = grid.ok(page);
  ASSERT_EQ(key(falling.failure), "ERROR_MESSAGE122");
  EXPECT_EQ(falling.failure->args.at(0).asInteger(), 2);
  EXPECT_EQ(falling.failure->args.at(1).asInteger(), 3);
  grid.endEdit(3, V, "300");

  // 10.1 typed against a tank height of 10.10: the same float, so it passes.
  grid.setField(Field::TankHeight, "10.10");
  grid.setField(Field::FillHeight, "9");
  EXPECT_EQ(key(grid.ok(page).failure), "ERROR_MESSAGE123");
  grid.endEdit(3, L, "10.1");
  const auto done = grid.ok(page);
  ASSERT_TRUE(done.ok());
  EXPECT_EQ(done.value.rows.RowCount, 3);
  EXPECT_FLOAT_EQ(done.value.rows.Levels[2], 10.1f);
  EXPECT_FLOAT_EQ(done.value.table.Dimensions[3], 10.1f);
  EXPECT_EQ(done.value.table.MaxLevel, 7151);  // trunc(10.1 * 708 + 1)

  // Rows: 17 keeps the grid; 5 leaves five pair rows; 16 appends empty ones.
  grid.setRows(17);
  EXPECT_EQ(grid.pairRows(), 16);
  grid.setRows(5);
  EXPECT_EQ(grid.pairRows(), 5);
  grid.setRows(16);
  EXPECT_EQ(grid.pairRows(), 16);
  EXPECT_EQ(grid.cell(6, L).text, "");
  EXPECT_EQ(grid.cell(3, V).text, "300");
}

TEST(StrappingGrid, LevelUnitConvertsFieldsAndLevelsButNotVolumes) {
  const Km30 m;
  ASSERT_TRUE(m.loaded);
  const VolumeTable page = m.table(12, 10, 10);
  StrappingGrid grid(m.link(), kFeet, kUsGallons, page, pairs({{0, 0}, {5, 100}, {10, 300}}));

  grid.chooseLevelUnit("Inches");  // 708 / 59 = 12 inches a foot
  EXPECT_EQ(grid.dimensionUnit(), kInches);
  EXPECT_EQ(grid.field(Field::SensorHeight), "144.0");
  EXPECT_EQ(grid.field(Field::TankHeight), "120.0");
  EXPECT_EQ(grid.cell(1, L).text, "0.0");
  EXPECT_EQ(grid.cell(2, L).text, "60.0");
  EXPECT_EQ(grid.cell(3, L).text, "120.0");
  EXPECT_EQ(grid.cell(3, V).text, "300.0");

  grid.chooseLevelUnit("meters");  // 144 in * 59 / 2322.835 = 3.6576 m
  EXPECT_EQ(grid.levelUnitText(), "meters");
  EXPECT_EQ(grid.field(Field::SensorHeight), "3.658");
  EXPECT_EQ(grid.cell(2, L).text, "1.524");
  EXPECT_EQ(grid.cell(2, V).text, "100.0");

  grid.chooseVolumeUnit("LITERS");
  EXPECT_EQ(grid.outputUnit(), kLitres);
  EXPECT_EQ(grid.cell(3, V).text, "300.0");
  grid.chooseVolumeUnit("hogsheads");
  EXPECT_EQ(grid.outputUnit(), 0);
}

TEST(StrappingGrid, ThirtyTwoPairsSurviveOpeningAndOk) {
  const Km30 m;
  ASSERT_TRUE(m.loaded);
  StrappingRows rows;
  for (int i = 0; i < StrappingRows::kCapacity; ++i) {
    rows.Levels[static_cast<std::size_t>(i)] = 0.5f * static_cast<float>(i);
    rows.Volumes[static_cast<std::size_t>(i)] = 12.5f * static_cast<float>(i);
  }
  rows.RowCount = StrappingRows::kCapacity;
  const VolumeTable page = m.table(20, 15, 15.5f);
  StrappingGrid grid(m.link(), kFeet, kUsGallons, page, rows);
  EXPECT_EQ(grid.pairRows(), 32);
  EXPECT_EQ(grid.rowsMaximum(), 33);
  EXPECT_EQ(grid.cell(32, L).text, "15.5");

  const auto result = grid.ok(page);
  ASSERT_TRUE(result.ok()) << result.failure->key;
  const StrappingRows& back = result.value.rows;
  EXPECT_EQ(back.RowCount, 32);
  EXPECT_EQ(back.Levels, rows.Levels);
  EXPECT_EQ(back.Volumes, rows.Volumes);
  EXPECT_FLOAT_EQ(result.value.table.Scale, 387.5f / 65535.0f);

  grid.setRows(20);
  EXPECT_EQ(grid.pairRows(), 20);
  grid.setRows(33);
  EXPECT_EQ(grid.pairRows(), 20);
}

// Texts with a second point, or with no digit at all, are not numbers: a
// cell holding one turns red and blocks OK, a field holding one is named by
// ERROR_MESSAGE121, and a unit change leaves it as typed instead of turning
// "10.1.5" into a converted 10.1.
TEST(StrappingGrid, TextsThatAreNotOneNumberAreRefused) {
  const Km30 m;
  ASSERT_TRUE(m.loaded);
  const VolumeTable page = m.table(12, 10, 10);
  for (const char* typo : {"1.2.3", ".", "..", "10.1.5"}) {
    SCOPED_TRACE(typo);
    StrappingGrid grid(m.link(), kFeet, kUsGallons, page, pairs({{0, 0}, {5, 100}, {10, 300}}));
    EXPECT_EQ(key(grid.endEdit(2, V, typo)), "");
    EXPECT_EQ(grid.cell(2, V).colour, Colour::Red);
    const auto cell = grid.ok(page);
    ASSERT_FALSE(cell.ok());
    EXPECT_EQ(cell.failure->key, "");
    grid.endEdit(2, V, "100");
    ASSERT_TRUE(grid.ok(page).ok());

    grid.setField(Field::SensorHeight, typo);
    const auto field = grid.ok(page);
    ASSERT_EQ(key(field.failure), "ERROR_MESSAGE121");
    EXPECT_EQ(field.failure->args.at(0).asText(), typo);
    grid.chooseLevelUnit("Inches");
    EXPECT_EQ(grid.field(Field::SensorHeight), typo);
  }
  // An emptied cell or field still passes; it ends the list or reads 0.
  StrappingGrid grid(m.link(), kFeet, kUsGallons, page, pairs({{0, 0}, {5, 100}, {10, 300}}));
  EXPECT_EQ(key(grid.endEdit(3, V, "")), "passed");
  grid.setField(Field::RiserHeight, "");
  grid.endEdit(3, V, "300");
  EXPECT_TRUE(grid.ok(page).ok());
}

TEST(StrappingGrid, FieldsPictureAndTitleFollowTheModelsKind) {
  Km30 km30;
  ASSERT_TRUE(km30.loaded);
  const VolumeTable t = km30.table(20, 18, 19);
  const auto shown = [](const StrappingGrid& g) {
    std::string out;
    for (const auto& label : g.fieldLabels()) {
      if (label.shown) out += std::string(label.key) + " ";
    }
    return out;
  };
  const StrappingGrid ultrasonic(km30.link(), kFeet, kUsGallons, t, {});
  EXPECT_EQ(shown(ultrasonic), "IDC_SHLABEL_ST IDC_FHLABEL_ST IDC_RHLABEL_ST IDC_THLABEL_ST ");
  EXPECT_EQ(ultrasonic.picture(kStrapping), "Tank_Strapping.bmp");
  EXPECT_EQ(ultrasonic.caption(kStrapping), "Custom Tank Shape");
  // A shape the loaded structure list does not hold has neither.
  EXPECT_EQ(ultrasonic.picture(0x7F00), "");
  EXPECT_EQ(ultrasonic.caption(0x7F00), "");

  km30.records.Database.GuidedWaveRadar = 1;
  const StrappingGrid guided(km30.link(), kFeet, kUsGallons, t, {});
  EXPECT_EQ(shown(guided),
            "IDC_SHLABEL_ST IDC_MAXFHLABEL_ST IDC_MINFHLABEL_ST IDC_PLLABEL_ST IDC_THLABEL_ST ");
  EXPECT_EQ(guided.picture(kStrapping), "Tank_Strapping_GWR.bmp");
}

}  // namespace
}  // namespace ostrel::test

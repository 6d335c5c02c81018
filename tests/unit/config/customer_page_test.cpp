// The customer page on the shipped models: every configuration a model
// offers survives the trip to the page and back, the bytes the unit reads
// sit where it reads them, and a simulated unit's page reads as the
// installation the simulator describes.
#include "core/config/customer_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/volume/volume_table.h"
#include "shipped_model.h"
#include "sim/memory_generator.h"

namespace ostrel {
namespace {

using Bytes = CustomerPage::Bytes;

constexpr int kFeet = 2;  // the shipped models' third height unit
constexpr int kUsGallons = 34;

std::uint16_t word(const Bytes& p, int w) {
  return static_cast<std::uint16_t>(p[2 * w] | (p[2 * w + 1] << 8));
}

float floatAt(const Bytes& p, std::size_t at) {
  float f = 0;
  std::memcpy(&f, p.data() + at, sizeof f);
  return f;
}

int choiceCount(const ConfigItem& item) { return std::max(item.ChoiceCount, item.ChoiceLast + 1); }

// Every full selection of the present items that identifies one
// configuration.
std::vector<std::array<std::int32_t, 10>> uniqueSelections(const ModelDatabase& db) {
  std::vector<std::array<std::int32_t, 10>> out;
  std::array<std::int32_t, 10> s{};
  std::vector<std::size_t> present;
  for (std::size_t i = 0; i < 10; ++i) {
    s[i] = db.ConfigItems[i].Present ? 1 : -1;
    if (db.ConfigItems[i].Present) present.push_back(i);
  }
  for (;;) {
    if (CustomerPage::matchedConfiguration(db, s) >= 0) out.push_back(s);
    std::size_t k = present.size();
    while (k > 0) {
      const std::size_t item = present[--k];
      if (++s[item] < choiceCount(db.ConfigItems[item])) break;
      s[item] = 1;
      if (k == 0) return out;
    }
    if (present.empty()) return out;
  }
}

// A configuration on the display grid of feet (two decimals) and of raw
// counts (quarters of a foot are whole counts), so that nothing is lost to
// rounding on the way.
UnitConfiguration configurationFor(const ModelDatabase& db,
                                   const std::array<std::int32_t, 10>& selection) {
  UnitConfiguration c;
  c.serial = 410237;
  c.model = "KM30-1020";
  c.itemChoices = selection;
  c.configurationIndex = CustomerPage::matchedConfiguration(db, selection);
  c.configurationValid = true;
  c.levelsValid = true;
  c.heightUnits = kFeet;
  c.outputUnits = kFeet;
  c.sensorHeight = 20.0;
  c.fillHeight = 17.5;
  c.minFillHeight = 0.75;
  c.probeLength = 19.25;
  for (std::size_t i = 0; i < 6; ++i) c.levels[i] = 2.25 + 1.5 * static_cast<double>(i);
  for (std::size_t k = 0; k < 8; ++k) c.independentLevels[k] = 1.5f + static_cast<float>(k);
  for (std::size_t i = 0; i < 31; ++i) {
    if (i % 3 == 0) c.advanced[i] = {true, 5.0 + static_cast<double>(i)};
    if (i % 3 == 2) c.advanced[i] = {true, -1.0};
  }
  c.tankDescription = "Wet well 3 \xE2\x80\x93 pump station";  // en dash: 0x96 on the page
  return c;
}

void expectSameConfiguration(const UnitConfiguration& want, const CustomerPageDecoding& got,
                             const ModelDatabase& db) {
  const UnitConfiguration& c = got.configuration;
  EXPECT_EQ(got.result, 0);
  EXPECT_EQ(c.itemChoices, want.itemChoices);
  EXPECT_EQ(c.configurationIndex, want.configurationIndex);
  EXPECT_TRUE(c.configurationValid);
  EXPECT_TRUE(c.levelsValid);
  EXPECT_EQ(c.heightUnits, want.heightUnits);
  EXPECT_EQ(c.outputUnits, want.outputUnits);
  EXPECT_EQ(c.shapeCode, want.shapeCode);
  EXPECT_EQ(c.sensorHeight, want.sensorHeight);
  EXPECT_EQ(c.fillHeight, want.fillHeight);
  if (db.GuidedWaveRadar != 0) {
    EXPECT_EQ(c.minFillHeight, want.minFillHeight);
    EXPECT_EQ(c.probeLength, want.probeLength);
  }
  EXPECT_EQ(c.tankDescription, want.tankDescription);
  EXPECT_EQ(c.serial, want.serial);
  const ModelConfiguration& config =
      db.Configurations[static_cast<std::size_t>(want.configurationIndex)];
  if (got.independentMode) {
    EXPECT_EQ(c.independentLevels, want.independentLevels);
  } else {
    for (std::size_t i = 0; i < 6; ++i) {
      if (config.LevelWords[i] <= 0) continue;
      const bool shown = config.LevelCaptions[i].find_first_not_of(' ') != std::string::npos;
      EXPECT_EQ(c.levels[i], shown ? want.levels[i] : 0.0) << "level " << i;
    }
  }
  const int inputs = std::max(db.AdvancedInputs.Count, db.AdvancedInputs.Last + 1);
  for (int i = 0; i < inputs; ++i) {
    const auto a = static_cast<std::size_t>(i);
    const bool hasFlag = db.AdvancedInputs[a].FlagWord >= 0;
    const bool hasValue = db.AdvancedInputs[a].ValueWord >= 0;
    // Without a flag word only a value can tell that an entry is set.
    const bool set = hasFlag ? want.advanced[a].set : hasValue && want.advanced[a].value >= 0;
    EXPECT_EQ(c.advanced[a].set, set) << "advanced " << i;
    EXPECT_EQ(c.advanced[a].value, hasValue ? want.advanced[a].value : -1.0) << "advanced " << i;
  }
}

TEST(CustomerPage, EveryConfigurationOfEachPageModelComesBackFromThePage) {
  for (const char* file :
       {"KM30_Ultrasonic.txt", "KM35_Legacy.txt", "KM40_UType.txt", "KM50_GuidedWave.txt"}) {
    SCOPED_TRACE(file);
    auto records = test::shippedModel(file);
    const ModelDatabase& db = records->Database;
    const auto selections = uniqueSelections(db);
    ASSERT_GE(selections.size(), 2u);
    const bool curves = !db.NonLinearButtonCaption.empty();
    for (const auto& selection : selections) {
      // Length relay units, and on models with curves also a strapping
      // table of more rows than the form shows, in gallons.
      for (bool strapping : {false, true}) {
        if (strapping && !curves) continue;
        SCOPED_TRACE(testing::Message() << "configuration " << selection[0] << selection[1]
                                        << selection[2] << selection[3]
                                        << (strapping ? " strapping" : ""));
        UnitConfiguration want = configurationFor(db, selection);
        VolumeTable table;
        table.Link = ModelLink(&db, &records->Structures);
        table.Reset();
        StrappingRows rows;
        if (strapping) {
          want.shapeCode = 0x0700;
          want.outputUnits = kUsGallons;
          for (std::size_t i = 0; i < 6; ++i) want.levels[i] = 100.5 + 700.0 * static_cast<double>(i);
          // Every row the page holds, the last one included.
          rows.RowCount = StrappingRows::kCapacity;
          for (std::size_t r = 0; r < StrappingRows::kCapacity; ++r) {
            rows.Levels[r] = 0.5f * static_cast<float>(r);
            rows.Volumes[r] = 250.0f * static_cast<float>(r);
          }
          table.Dimensions[3] = table.Dimensions[4] = 16.0f;
        }
        ASSERT_EQ(CustomerPage::prepareVolumeTable(want, db, table, rows), VolumeTable::kBuilt);
        if (curves) {
          EXPECT_EQ(want.shapeCode, strapping ? 0x0700 : 0x0100);
        }

        Bytes image;
        image.fill(0x5A);
        Bytes buffer{};
        ASSERT_EQ(CustomerPage::encode(want, db, table, rows, image, buffer),
                  CustomerPage::kEncoded);
        UnitConfiguration current;
        current.serial = want.serial;
        const CustomerPageDecoding got = CustomerPage::decode(buffer, db, current);
        expectSameConfiguration(want, got, db);
        for (std::size_t d = 0; d < 11; ++d) EXPECT_EQ(got.dimensions[d], table.Dimensions[d]);
        ASSERT_EQ(got.rows.has_value(), strapping);
        if (strapping) {
          EXPECT_EQ(got.rows->RowCount, StrappingRows::kCapacity);
          EXPECT_EQ(got.rows->Levels, rows.Levels);
          EXPECT_EQ(got.rows->Volumes, rows.Volumes);
        }
      }
    }
  }
}

class CustomerPageBytes : public ::testing::Test {
 protected:
  void SetUp() override {
    records = test::shippedModel("KM30_Ultrasonic.txt");
    // Alarms and pump down, loop on the fill height: Alarm Low on word 27,
    // Relay 3 Off on 8, Relay 3 On on 28, Alarm High on 26.
    config = configurationFor(db(), {1, 1, 1, 1, -1, -1, -1, -1, -1, -1});
    config.levels = {-1, -1, 9.0, 10.0, 12.0, 14.0};
    table.Link = ModelLink(&db(), &records->Structures);
    table.Reset();
    ASSERT_EQ(CustomerPage::prepareVolumeTable(config, db(), table, rows), VolumeTable::kBuilt);
    image.fill(0x5A);
  }
  ModelDatabase& db() { return records->Database; }
  Bytes encode() {
    Bytes out{};
    EXPECT_EQ(CustomerPage::encode(config, db(), table, rows, image, out), CustomerPage::kEncoded);
    return out;
  }
  CustomerPageDecoding decode(const Bytes& page) {
    return CustomerPage::decode(page, db(), UnitConfiguration{});
  }

  std::unique_ptr<ModelRecords> records;
  UnitConfiguration config;
  VolumeTable table;
  StrappingRows rows;
  Bytes image;
};

TEST_F(CustomerPageBytes, LevelsGetFloatCopiesInTheMappedWordsOnly) {
  ASSERT_EQ(config.configurationIndex, CustomerPage::matchedConfiguration(db(), config.itemChoices));
  const Bytes p = encode();
  EXPECT_EQ(floatAt(p, 2 * 78), 9.0f);   // word 27
  EXPECT_EQ(floatAt(p, 2 * 88), 10.0f);  // word 8
  EXPECT_EQ(floatAt(p, 2 * 80), 12.0f);  // word 28
  EXPECT_EQ(floatAt(p, 2 * 76), 14.0f);  // word 26
  // The copies of levels this configuration does not use keep the unit's bytes.
  for (int w : {82, 83, 84, 85, 86, 87, 90, 91}) EXPECT_EQ(word(p, w), 0x5A5A) << w;
  // The level words take the table's count: the linear table spans 20 ft
  // less the 0.8 ft range in 65535 counts.
  EXPECT_EQ(word(p, 26), table.PointForValue(14.0));
  EXPECT_NEAR(word(p, 26), 14.0 / 19.2 * 65535, 1.0);
  // Heights as raw counts, the shape, units and dimensions in place.
  EXPECT_EQ(word(p, 1), 14160);
  EXPECT_EQ(word(p, 3), 12390);
  EXPECT_EQ(word(p, 51), 0x0100);
  EXPECT_EQ(word(p, 52), 2);
  EXPECT_EQ(floatAt(p, 106), 20.0f);
  EXPECT_EQ(word(p, 75), 2);
  EXPECT_EQ(word(p, 16), 0);  // D[2] of the tank, raw
  // The model's fixed words.
  EXPECT_EQ(word(p, 18), 3);
  EXPECT_EQ(word(p, 19), 21240);
  EXPECT_EQ(word(p, 20), 3);
}

TEST_F(CustomerPageBytes, AdvancedFlagBitsAndUnsetValues) {
  // Bit number 12 is bit 3 of the flag word's high byte.
  db().AdvancedInputs[0].FlagBit = 12;
  config.advanced.fill(AdvancedEntry{});
  config.advanced[0] = {true, 7.9};
  Bytes p = encode();
  EXPECT_EQ(p[61], 0x5A | 0x08);
  EXPECT_EQ(p[60], 0x5A & ~0x1E);  // bits 1 to 4 of inputs 2 to 5 cleared
  EXPECT_EQ(word(p, 31), 7);       // the value's integer part
  EXPECT_EQ(word(p, 32), 0xFFFF);  // unset value
  CustomerPageDecoding d = decode(p);
  EXPECT_TRUE(d.configuration.advanced[0].set);
  EXPECT_EQ(d.configuration.advanced[0].value, 7.0);

  // 0xFFFF on the unit is no value; the entry is set by its bit alone.
  p[62] = p[63] = 0xFF;
  d = decode(p);
  EXPECT_TRUE(d.configuration.advanced[0].set);
  EXPECT_EQ(d.configuration.advanced[0].value, -1.0);
  p[61] = 0x00;
  d = decode(p);
  EXPECT_FALSE(d.configuration.advanced[0].set);
  EXPECT_EQ(d.configuration.advanced[0].value, -1.0);

  // Bit numbers beyond the word are taken as its last bit.
  db().AdvancedInputs[0].FlagBit = 40;
  p = encode();
  EXPECT_EQ(p[61], 0x5A | 0x80);
}

TEST_F(CustomerPageBytes, NotesAndItemsOutsideTheirLists) {
  // 63 letters and a character Windows-1252 lacks: 64 bytes, no terminator.
  config.tankDescription = std::string(63, 'x') + "\xD0\x96";  // Cyrillic Zhe
  config.itemChoices[2] = 99;  // failsafe: no such choice
  config.itemChoices[3] = 2;   // display: distance, code 1
  Bytes p = encode();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.data() + 448), 64),
            std::string(63, 'x') + "?");
  EXPECT_EQ(word(p, 13), 0x5A5A);
  EXPECT_EQ(word(p, 14), 1);
  EXPECT_EQ(decode(p).configuration.tankDescription, std::string(63, 'x') + "?");

  // A short note ends with a zero; the bytes after it stay as the unit had them.
  config.tankDescription = "Sump";
  p = encode();
  EXPECT_EQ(p[452], 0);
  EXPECT_TRUE(std::all_of(p.begin() + 453, p.end(), [](std::uint8_t b) { return b == 0x5A; }));
  EXPECT_EQ(decode(p).boxes.notes, "Sump");
}

TEST_F(CustomerPageBytes, StrappingRowsEndAtALevelOfZeroFromTheThirdRowOn) {
  Bytes p{};
  p[102] = 0x00;
  p[103] = 0x07;  // strapping table
  const float rowsOnPage[][2] = {{0, 0}, {0, 150}, {0, 300}, {4, 900}};
  for (std::size_t r = 0; r < 4; ++r) {
    std::memcpy(p.data() + 184 + 8 * r, &rowsOnPage[r][0], 4);
    std::memcpy(p.data() + 188 + 8 * r, &rowsOnPage[r][1], 4);
  }
  const CustomerPageDecoding d = decode(p);
  ASSERT_TRUE(d.rows.has_value());
  EXPECT_EQ(d.rows->RowCount, 2);  // the second row's level of 0 does not end it
  EXPECT_EQ(d.rows->Volumes[1], 150.0f);
}

TEST(CustomerPage, GuidedWaveRadarKeepsTheProbeLengthWhereTheFillHeightWas) {
  auto records = test::shippedModel("KM50_GuidedWave.txt");
  const ModelDatabase& db = records->Database;
  UnitConfiguration c = configurationFor(db, {1, 1, 1, 1, -1, -1, -1, -1, -1, -1});
  VolumeTable table;
  table.Link = ModelLink(&db, &records->Structures);
  table.Reset();
  StrappingRows rows;
  ASSERT_EQ(CustomerPage::prepareVolumeTable(c, db, table, rows), VolumeTable::kBuilt);
  Bytes image{};
  Bytes p{};
  ASSERT_EQ(CustomerPage::encode(c, db, table, rows, image, p), CustomerPage::kEncoded);
  EXPECT_EQ(word(p, 0), 531);    // minimum fill height 0.75 ft
  EXPECT_EQ(word(p, 3), 13629);  // probe length 19.25 ft
  EXPECT_EQ(word(p, 22), 12390);  // fill height 17.5 ft
  EXPECT_EQ(floatAt(p, 110), 17.5f);  // D[1]
  EXPECT_EQ(floatAt(p, 114), 0.75f);  // D[2]
  EXPECT_EQ(floatAt(p, 118), 19.25f);  // D[3]
}

TEST(CustomerPage, PreparingAGuidedWaveWeirKeepsTheFormulaCoefficients) {
  auto records = test::shippedModel("KM50_GuidedWave.txt");
  const ModelDatabase& db = records->Database;
  UnitConfiguration c = configurationFor(db, {1, 1, 1, 1, -1, -1, -1, -1, -1, -1});
  // A 90 degree V-notch, Q = 2.49 h^2.48 cfs, 2 ft below the sensor, 1 ft head.
  c.shapeCode = 0x2000;
  c.outputUnits = 64;
  c.sensorHeight = 2.0;
  c.fillHeight = 1.0;
  VolumeTable table;
  table.Link = ModelLink(&db, &records->Structures);
  table.Reset();
  table.Dimensions[2] = 2.49f;
  table.Dimensions[3] = 2.48f;
  StrappingRows rows;
  ASSERT_EQ(CustomerPage::prepareVolumeTable(c, db, table, rows), VolumeTable::kBuilt);
  EXPECT_EQ(table.Dimensions[2], 2.49f);
  EXPECT_EQ(table.Dimensions[3], 2.48f);
  EXPECT_NEAR(table.FlowAt(0x2000, 1.0f), 2.49, 1e-5);
  // Half the head, 0.446 cfs, read back from the table.
  EXPECT_NEAR(table.ValueAtDimensionLevel(0.5), 2.49 * std::pow(0.5, 2.48), 0.002);
}

TEST(CustomerPage, SimulatedUnitsPagesReadAsTheirInstallation) {
  struct Case {
    sim::PageUnitKind kind;
    const char* file;
    int configurationNumber;
    bool floatLevels;
  };
  for (const Case& k : {Case{sim::PageUnitKind::Ultrasonic, "KM30_Ultrasonic.txt", 4, true},
                        Case{sim::PageUnitKind::GuidedWave, "KM50_GuidedWave.txt", 2, true},
                        Case{sim::PageUnitKind::UType, "KM40_UType.txt", 2, false}}) {
    SCOPED_TRACE(k.file);
    auto records = test::shippedModel(k.file);
    const ModelDatabase& db = records->Database;
    const Bytes page = sim::MemoryGenerator::customerPage(k.kind);
    UnitConfiguration current;
    current.serial = 42;
    const CustomerPageDecoding d = CustomerPage::decode(page, db, current);
    const UnitConfiguration& c = d.configuration;
    EXPECT_EQ(d.result, 0);
    ASSERT_GE(c.configurationIndex, 0);
    EXPECT_EQ(db.Configurations[static_cast<std::size_t>(c.configurationIndex)].Number,
              k.configurationNumber);
    EXPECT_EQ(c.itemChoices[0], 1);  // the first relay function
    EXPECT_EQ(c.serial, 42);
    EXPECT_EQ(c.heightUnits, kFeet);
    EXPECT_EQ(c.outputUnits, kFeet);
    EXPECT_EQ(c.shapeCode, UnitConfiguration::kNoCurve);
    EXPECT_EQ(c.sensorHeight, 20.0);
    EXPECT_EQ(c.fillHeight, 18.0);
    EXPECT_EQ(d.boxes.sensorHeight, "20.0");
    EXPECT_EQ(c.tankDescription, "Tank 7, east yard - simulated unit");
    EXPECT_FALSE(d.rows.has_value());
    // The relays the simulator drives: high alarm at 14 ft, low alarm at 9 ft,
    // pump relay on at 12 ft and off at 10 ft.
    const ModelConfiguration& config =
        db.Configurations[static_cast<std::size_t>(c.configurationIndex)];
    for (std::size_t i = 0; i < 6; ++i) {
      const int w = config.LevelWords[i];
      if (w <= 0) continue;
      double expected = 0.0;  // page models without curves read the level words, which are 0
      if (k.floatLevels) {
        expected = w == 26 ? 14.0 : w == 27 ? 9.0 : w == 28 ? 12.0 : w == 8 ? 10.0 : -2.0;
      }
      EXPECT_EQ(c.levels[i], expected) << config.LevelCaptions[i];
    }
  }
}

}  // namespace
}  // namespace ostrel

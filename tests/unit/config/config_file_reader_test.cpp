// Configuration files read back: what the writer saves on each kind of
// shipped model comes back field for field through the record's field
// table, and the reader's handling of hand-made files: comments, keys it
// must not take, indexes outside the record, independent relay levels, the
// 8-bit form, another model's file and units the model does not have.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config_file_test_model.h"
#include "core/support/cstdio_file_ex.h"
#include "core/support/text_codec.h"

namespace ostrel {
namespace {

using test::ConfigSet;

class RoundTrip : public ::testing::Test {
 protected:
  // Saves `original`, reads the file into fresh records as the sample page
  // would, and holds every keyed field of both against each other.
  void roundTrip(const ModelDatabase& db, const ConfigStructureCaptions& captions,
                 bool independent = false) {
    ConfigFileContent content;
    content.config = &original.config;
    content.model = &db;
    content.volume = &original.volume;
    content.rows = &original.rows;
    content.radar = db.PulseRadar != 0 ? &original.radar : nullptr;
    content.boxes = original.boxes();
    content.independentRelays = independent;
    content.structure = captions;
    const auto path = dir / "Round[0].txt";
    const ConfigWriteResult written = ConfigFileWriter::save(path, content);
    ASSERT_TRUE(written.ok);
    ASSERT_TRUE(CStdioFileEx::IsFileUnicode(path));

    ConfigSet back;
    // Items the model does not have stay at -1, as the page sets them up.
    for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
      back.config.itemChoices[i] = db.ConfigItems[i].Present ? 0 : -1;
    }
    ConfigReadContext context;
    context.records = back.records();
    context.model = &db;
    context.sampleMode = true;  // MODEL is only taken in sample mode
    const ConfigReadResult read = ConfigFileReader::read(path, context);
    ASSERT_EQ(read.code, ConfigFileReader::kRead) << written.text;

    int compared = 0;
    for (const ConfigField& f : ConfigFields::all()) {
      if (!f.keyed && f.id != FieldId::IndependentLevel) continue;
      // The file's serial is kept apart from the unit's.
      const FieldId backId = f.id == FieldId::Serial ? FieldId::FileSerial : f.id;
      for (int i = 0; i < f.count; ++i) {
        EXPECT_EQ(test::describe(ConfigFields::get(back.view(), backId, i)),
                  test::describe(ConfigFields::get(original.view(), f.id, i)))
            << f.key << "[" << i << "]\n" << written.text;
        ++compared;
      }
    }
    EXPECT_GT(compared, 100);
    EXPECT_EQ(back.rows.RowCount, original.rows.RowCount);
    EXPECT_EQ(back.config.fileSerial, original.config.serial);
    EXPECT_EQ(back.config.serial, 0) << "the unit's serial is not the file's";
    EXPECT_EQ(back.config.softwareRevision, 0) << "SW REV is not read";
    text = written.text;
  }

  void identity(const char* model) {
    UnitConfiguration& c = original.config;
    c.model = model;
    c.serial = 731245;
    c.firmware = "FW 5.12 (build 7)";
    c.softwareRevision = 512;
    c.unitDescription = "Level transmitter, 2 relays";
    c.tankDescription = "North tank = 3 m\xC2\xB3, caf\xC3\xA9";
    c.modelFileName = std::string(model) + "_Model.txt";
  }

  test::TempDir dir;
  ConfigSet original;
  std::string text;
};

TEST_F(RoundTrip, UltrasonicTankInVolumeUnitsWithAdvancedEntries) {
  const auto m = test::loadShippedModel("KM30_Ultrasonic.txt");
  const ModelDatabase& db = m->Database;
  identity("KM30-U");
  original.match(db, test::findConfiguration(db, "Pump Down", true));
  UnitConfiguration& c = original.config;
  c.heightUnits = 3;     // meters
  c.outputUnits = 35;    // cubic feet: levels with three decimals
  c.shapeCode = 0x0100;  // vertical cylinder
  c.sensorHeight = 6.125;
  c.fillHeight = 5.25;
  c.levels = {-1, -1, 120.125, 90.5, 400.75, 380.0};
  c.advanced[0] = {true, 12.5};
  c.advanced[2] = {true, -3.5};
  c.advanced[4] = {true, 0.0};
  const float dims[] = {6.125f, 5.25f, 0.5f, 5.0f, 2.75f};
  std::copy(std::begin(dims), std::end(dims), original.volume.Dimensions.begin());
  roundTrip(db, {"Vertical Cylinder",
                 "Sensor Height,Fill Height,Riser Height,Tank Height (H),Diameter (D)",
                 "Cubic Feet"});
  // D4 is the last with a caption; the tank's D5.. stay unwritten.
  EXPECT_NE(text.find("  D[4] = 2.75\t\t' Diameter (D)\n"), std::string::npos);
  EXPECT_EQ(text.find("D[5]"), std::string::npos);
  EXPECT_NE(text.find("  LEVEL[2] = 120.125\t' Relay 1 Off\n"), std::string::npos);
}

TEST_F(RoundTrip, GuidedWaveHeightsAndProbe) {
  const auto m = test::loadShippedModel("KM50_GuidedWave.txt");
  const ModelDatabase& db = m->Database;
  identity("KM50-GWR");
  original.match(db, test::findConfiguration(db, "High and Low Alarms", true));
  UnitConfiguration& c = original.config;
  c.heightUnits = c.outputUnits = 0;  // inches: two decimals on guided-wave models
  c.sensorHeight = 120.25;
  c.fillHeight = 96.5;
  c.minFillHeight = 4.75;
  c.probeLength = 118.0;
  for (std::size_t i = 0; i < 6; ++i) {
    if (db.Configurations[static_cast<std::size_t>(c.configurationIndex)].LevelWords[i] > 0) {
      c.levels[i] = 10.25 * static_cast<double>(i + 1);
    }
  }
  c.advanced[1] = {true, 150.0};
  roundTrip(db, {});
  EXPECT_NE(text.find("  MINFILLHEIGHT = 4.75\n  PROBELENGTH = 118.0\n"), std::string::npos);
}

TEST_F(RoundTrip, PulseRadarAdvancedBlock) {
  const auto m = test::loadShippedModel("KM70_PulseRadar.txt");
  const ModelDatabase& db = m->Database;
  identity("KM70");
  original.match(db, 0);
  UnitConfiguration& c = original.config;
  c.heightUnits = c.outputUnits = 1;  // meters: three decimals
  c.sensorHeight = 15.125;
  c.fillHeight = 12.0;
  c.deadBand = 0.35;
  c.maxRange = 20.5;
  original.radar = RadarAdvanced{3, 0, 2, 1, 0, 1, 0, 1, 150, 12};
  roundTrip(db, {});
  EXPECT_NE(text.find("  TYPEOFMEDIUM = 3\t' Liquid in Still Pipe\n"
                      "  FIRSTECHO = 2\t\t' First Echo, Medium Threshold\n"
                      "  ADDITIONALADJUSTMENT = 0\t' Fast Level Change\n"
                      "  AGITATION = 1\t\t' Yes\n"
                      "  FOAM = 0\t\t' No\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  PIPEDIAMETER =  150\t' Millimeters\n  DAMPINGTIME =  12\t' Seconds\n"),
            std::string::npos);
  EXPECT_NE(text.find("  DEADBAND = 0.35\n  RANGE = 20.5\n"), std::string::npos);
}

TEST_F(RoundTrip, StrappingTableOfTwentyRows) {
  const auto m = test::loadShippedModel("KM30_Ultrasonic.txt");
  const ModelDatabase& db = m->Database;
  identity("KM30");
  original.match(db, test::findConfiguration(db, "High and Low Alarms", true));
  UnitConfiguration& c = original.config;
  c.heightUnits = 2;     // feet
  c.outputUnits = 34;    // US gallons
  c.shapeCode = 0x0700;
  c.sensorHeight = 12.0;
  c.fillHeight = 10.0;
  for (std::size_t i = 0; i < 6; ++i) {
    if (db.Configurations[static_cast<std::size_t>(c.configurationIndex)].LevelWords[i] > 0) {
      c.levels[i] = 250.25 * static_cast<double>(i + 1);
    }
  }
  original.rows.RowCount = 20;
  for (std::size_t r = 0; r < 20; ++r) {
    original.rows.Levels[r] = 0.5f * static_cast<float>(r);
    original.rows.Volumes[r] = 125.375f * static_cast<float>(r);
  }
  const float dims[] = {12.0f, 10.0f, 0.0f, 10.0f};
  std::copy(std::begin(dims), std::end(dims), original.volume.Dimensions.begin());
  roundTrip(db, {"Custom Tank Shape", "Sensor Height,Fill Height,Riser Height,Tank Height (H)",
                 "US Gallons"});
  EXPECT_NE(text.find("  ROW[19] = 9.500,2382.125 \n"), std::string::npos);
}

TEST_F(RoundTrip, IndependentRelayPoints) {
  const auto m = test::loadShippedModel("KM30_Ultrasonic.txt");
  const ModelDatabase& db = m->Database;
  identity("KM30");
  original.match(db, test::findConfiguration(db, "Independent Relays", false));
  UnitConfiguration& c = original.config;
  c.heightUnits = c.outputUnits = 2;
  c.sensorHeight = 20.0;
  c.fillHeight = 18.5;
  c.independentLevels = {15.5f, 12.25f, 0.0f, 3.0f, 10.0f, 0.0f, 1.5f, 2.0f};
  roundTrip(db, {}, true);
  EXPECT_NE(text.find("  LEVEL[4] = 10.0\t' Relay 1 OFF\n"), std::string::npos);
  EXPECT_EQ(text.find("LEVEL[2]"), std::string::npos) << "an unset relay point is not written";
}

class ReadFile : public ::testing::Test {
 protected:
  ReadFile() : model(test::loadShippedModel("KM30_Ultrasonic.txt")) {
    set.config.model = "KM30-U";
    context.records = set.records();
    context.model = &model->Database;
  }

  ConfigReadResult read(const std::string& utf8, bool unicode = true) {
    const auto path = dir / "In.txt";
    test::writeBytes(path, unicode ? test::utf16FileBytes(utf8) : utf8ToCp1252(utf8));
    return ConfigFileReader::read(path, context);
  }

  int choiceOf(std::string_view caption) const {
    const ConfigItem& item = model->Database.ConfigItems[0];
    for (int k = 1; k < ConfigItem::kChoices; ++k) {
      if (item.Texts[static_cast<std::size_t>(k)] == caption) return k;
    }
    return -1;
  }

  std::unique_ptr<ModelRecords> model;
  test::TempDir dir;
  ConfigSet set;
  ConfigReadContext context;
};

TEST_F(ReadFile, TakesOnlyWhatBelongsToTheRecord) {
  const int independent = choiceOf("Independent Relays");
  const int pumpDown = choiceOf("Pump Down");
  ASSERT_GT(independent, 0);
  set.config.advanced[3] = {true, 7.0};
  set.config.independentLevels.fill(9.0f);
  const ConfigReadResult r = read(formatText(
      "'Configuration File for:\n"
      "  MODEL = KM30-S\n"
      "  SERIAL = 5150\n"
      "  SW REV = 77\n"
      "  TANK DESCRIPTION = Operator's tank ' not this\n"
      "  sensorheight = 99\n"
      "  Model = KM50\n"
      "  CONFIG[0] = %d\t\t' Relay Function = Pump Down\n"
      "  LEVEL[3] = 4.5\n"
      "  CONFIG[0] = %d\n"
      "  LEVEL[2] = 7.5\n"
      "  LEVEL[7] = 1.25\n"
      "  LEVEL[8] = 2\n"
      "  CONFIG[12] = 3\n"
      "  ADVANCED[31] = 2\n"
      "  ADVANCED[1] = 3.5\n"
      "  UNITS = 2\n"
      "  SENSORHEIGHT = 0x10\n"
      "  FILLHEIGHT = inf\n"
      "  MINFILLHEIGHT = 1.5e1\n"
      "  D[25] = 4\n"
      "  D[19] = 4\n"
      "  D[3] = -2.5\n"
      "  ROW[40] = 1,2\n"
      "  ROW[1] = 3.5,700.25 \n",
      {pumpDown, independent}));
  ASSERT_EQ(r.code, ConfigFileReader::kRead);
  const UnitConfiguration& c = set.config;
  EXPECT_EQ(c.tankDescription, "Operator");  // cut at the apostrophe
  EXPECT_EQ(c.fileSerial, 5150);
  EXPECT_EQ(c.serial, 0);
  EXPECT_EQ(c.softwareRevision, 0);
  EXPECT_EQ(c.model, "KM30-U") << "outside sample mode the unit's model stays";
  EXPECT_EQ(c.itemChoices[0], independent);
  EXPECT_EQ(c.itemChoices[1], 0) << "CONFIG[12] must not land anywhere";
  // LEVEL[3] came while item 0 was "Pump Down", the others after it named
  // independent relays.
  EXPECT_DOUBLE_EQ(c.levels[3], 4.5);
  EXPECT_DOUBLE_EQ(c.levels[2], -1.0);
  EXPECT_EQ(c.independentLevels[2], 7.5f);
  EXPECT_EQ(c.independentLevels[7], 1.25f);
  EXPECT_EQ(c.independentLevels[0], 0.0f) << "relay points start unset";
  EXPECT_EQ(c.advanced[1].set, true);
  EXPECT_DOUBLE_EQ(c.advanced[1].value, 3.5);
  EXPECT_FALSE(c.advanced[3].set) << "set flags are cleared before the first line";
  EXPECT_DOUBLE_EQ(c.advanced[3].value, 7.0) << "values are kept";
  EXPECT_EQ(c.heightUnits, 2);
  EXPECT_EQ(c.outputUnits, 2);
  EXPECT_DOUBLE_EQ(c.sensorHeight, 0.0) << "no hexadecimal numbers";
  EXPECT_DOUBLE_EQ(c.fillHeight, 0.0) << "no infinity";
  EXPECT_DOUBLE_EQ(c.minFillHeight, 15.0);
  EXPECT_EQ(set.volume.Dimensions[3], -2.5f);
  for (std::size_t i = 0; i < VolumeTable::kDimensions; ++i) {
    if (i != 3) {
      EXPECT_EQ(set.volume.Dimensions[i], 0.0f) << i;
    }
  }
  EXPECT_EQ(set.rows.RowCount, 1);
  EXPECT_EQ(set.rows.Levels[1], 3.5f);
  EXPECT_EQ(set.rows.Volumes[1], 700.25f);
  EXPECT_FALSE(c.configurationValid);
  EXPECT_TRUE(r.nonLinearReset);
  EXPECT_FALSE(r.unitsOutOfRange || r.modelLoaded);
}

TEST_F(ReadFile, EightBitFilesAndTheThirtyThirdRow) {
  std::string text = "  MODEL = KM30\n  TANK DESCRIPTION = Caf\xC3\xA9 \xE2\x82\xAC\n";
  for (int r = 0; r < 34; ++r) text += formatText("  ROW[%d] = %d,%d\n", {r % 32, r, r * 10});
  const ConfigReadResult r = read(text, false);
  ASSERT_EQ(r.code, ConfigFileReader::kRead);
  EXPECT_EQ(set.config.tankDescription, "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(set.rows.RowCount, 32);
  EXPECT_EQ(set.rows.Levels[31], 31.0f);
  EXPECT_EQ(set.rows.Levels[0], 0.0f) << "the 33rd row must not overwrite the first";
  EXPECT_EQ(set.rows.Volumes[1], 10.0f);
}

TEST_F(ReadFile, AnotherModelStopsTheRead) {
  const ConfigReadResult r = read(
      "  FIRMWARE = X1\n  MODEL = KM50-GWR\n  UNITS = 3\n");
  EXPECT_EQ(r.code, ConfigFileReader::kOtherModel);
  ASSERT_EQ(r.notices.size(), 1u);
  EXPECT_EQ(r.notices[0].key, "ERROR_MESSAGE54");
  ASSERT_EQ(r.notices[0].args.size(), 2u);
  EXPECT_EQ(r.notices[0].args[0].asText(), "KM30-U");
  EXPECT_EQ(r.notices[0].args[1].asText(), "KM50-GWR");
  EXPECT_EQ(set.config.firmware, "X1") << "lines before the stop stay applied";
  EXPECT_EQ(set.config.heightUnits, 0) << "lines after it are not";

  // The model number's prefix is compared case-sensitively.
  EXPECT_EQ(read("  MODEL = km30-U\n").code, ConfigFileReader::kOtherModel);

  // Sample mode asks for the other model; it came in as the same database.
  context.sampleMode = true;
  std::string asked;
  context.loadModel = [&](const std::string& number) {
    asked = number;
    return false;
  };
  EXPECT_EQ(read("  MODEL = KM99-X\n").code, ConfigFileReader::kOtherModel);
  EXPECT_EQ(asked, "KM99");
  context.loadModel = [](const std::string&) { return true; };
  const ConfigReadResult loaded = read("  MODEL = KM99-X\n");
  EXPECT_EQ(loaded.code, ConfigFileReader::kRead);
  EXPECT_TRUE(loaded.modelLoaded);
  EXPECT_EQ(set.config.model, "KM30");
}

TEST_F(ReadFile, UnitsTheModelDoesNotHave) {
  for (const char* units : {"4", "-1"}) {
    const ConfigReadResult r = read(formatText("  MODEL = KM30\n  UNITS = %s\n", {units}));
    EXPECT_EQ(r.code, ConfigFileReader::kUnitsOutOfRange) << units;
    ASSERT_EQ(r.notices.size(), 1u);
    EXPECT_EQ(r.notices[0].key, "ERROR_MESSAGE126");
    EXPECT_TRUE(r.unitsOutOfRange);
  }
  // A model without a curve takes OUTPUT only as a height unit; the read
  // stops at once.
  const auto radar = test::loadShippedModel("KM70_PulseRadar.txt");
  context.model = &radar->Database;
  set.config.heightUnits = 0;  // the page went back to the unit's units
  const ConfigReadResult r = read("  MODEL = KM70\n  OUTPUT = 2\n  FIRMWARE = late\n");
  EXPECT_EQ(r.code, ConfigFileReader::kUnitsOutOfRange);
  EXPECT_TRUE(r.unitsOutOfRange);
  ASSERT_EQ(r.notices.size(), 1u) << "the page must say why it went back to the unit";
  EXPECT_EQ(r.notices[0].key, "ERROR_MESSAGE126");
  EXPECT_NE(set.config.firmware, "late");
  EXPECT_EQ(read("  MODEL = KM70\n  OUTPUT = 1\n").code, ConfigFileReader::kRead);
  EXPECT_EQ(set.config.outputUnits, 1);

  EXPECT_EQ(ConfigFileReader::read(dir / "missing.txt", context).code,
            ConfigFileReader::kCannotOpen);
}


// A model without curves keeps the unit's table through a file: the write
// that follows sends the table back as the unit had it.
TEST_F(ReadFile, AModelWithoutCurvesKeepsTheUnitsTable) {
  set.volume.Dimensions[0] = 20.0f;
  set.volume.Points[10] = 1234;
  auto legacy = test::loadShippedModel("KM35_Legacy.txt");
  context.model = &legacy->Database;
  set.config.model = "KM35";
  ASSERT_EQ(read("  MODEL = KM35\n  NLTYPE = 65535\n").code, ConfigFileReader::kRead);
  EXPECT_EQ(set.volume.Points[10], 1234u);
  EXPECT_EQ(set.volume.Dimensions[0], 20.0f);

  context.model = &model->Database;  // KM30 has curves: the file replaces them
  set.config.model = "KM30-U";
  ASSERT_EQ(read("  MODEL = KM30-U\n").code, ConfigFileReader::kRead);
  EXPECT_EQ(set.volume.Points[10], 0u);
}

}  // namespace
}  // namespace ostrel

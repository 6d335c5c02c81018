// The configuration file as written, byte for byte against a file set down
// by hand from the layout, and the refusal of a record without a matched
// configuration, which must leave an earlier file alone.

#include <gtest/gtest.h>

#include <string>

#include "config_file_test_model.h"

namespace ostrel {
namespace {

using test::ConfigSet;

class WriteFile : public ::testing::Test {
 protected:
  WriteFile() : model(test::loadShippedModel("KM30_Ultrasonic.txt")) {}

  ConfigFileContent content() {
    ConfigFileContent c;
    c.config = &set.config;
    c.model = &model->Database;
    c.volume = &set.volume;
    c.rows = &set.rows;
    c.boxes = set.boxes();
    return c;
  }

  std::unique_ptr<ModelRecords> model;
  test::TempDir dir;
  ConfigSet set;
};

TEST_F(WriteFile, LayoutByteForByte) {
  const ModelDatabase& db = model->Database;
  const int pumpDown = test::findConfiguration(db, "Pump Down", true);
  set.match(db, pumpDown);
  set.config.itemChoices[2] = 3;  // Go Full
  UnitConfiguration& c = set.config;
  c.model = "KM30-U";
  c.serial = 100234;
  c.firmware = "KM30 V4";
  c.softwareRevision = 412;
  c.unitDescription = "Ultrasonic level transmitter";
  c.tankDescription = "Wet well 2";
  c.modelFileName = "KM30_Ultrasonic.txt";
  c.heightUnits = c.outputUnits = 2;  // feet: two decimals, relay units a length
  c.shapeCode = 0x0100;
  c.levels = {-1, -1, 2.5, 3.0, 8.25, 9.126};
  c.advanced[0] = {true, 30.0};
  c.advanced[3] = {false, 1.0};
  c.advanced[4] = {true, 2.25};
  set.volume.Dimensions[0] = 12.5f;
  set.volume.Dimensions[1] = 10.0f;
  set.volume.Dimensions[2] = 0.755f;
  set.volume.Dimensions[3] = 11.0f;
  ConfigFileContent in = content();
  in.boxes.sensorHeight = 12.5;
  in.boxes.fillHeight = 10.0;
  in.structure.title = "Vertical Cylinder";
  // A caption with a dash keeps what follows the dash and its blank.
  in.structure.dimensionCaptions = "Sensor Height,Fill Height,Riser - Height,Tank Height (H)";
  const int number = db.Configurations[static_cast<std::size_t>(pumpDown)].Number;

  const auto path = dir / "Exact[0].txt";
  const ConfigWriteResult r = ConfigFileWriter::save(path, in);
  ASSERT_TRUE(r.ok);
  const std::string expected = formatText(
      "'Configuration File for:\n"
      "  MODEL = KM30-U\n"
      "  SERIAL = 100234\n"
      "  FIRMWARE = KM30 V4\n"
      "  SW REV = 412\n"
      "  UNIT DESCRIPTION = Ultrasonic level transmitter\n"
      "  TANK DESCRIPTION = Wet well 2\n"
      "  MDL FILE NAME = KM30_Ultrasonic.txt\n"
      "\n"
      "'Configuration Settings -\n"
      "  CONFIG[0] = 2\t\t' Relay Function = Pump Down\n"
      "  CONFIG[1] = 1\t\t' Loop Span = Fill Height\n"
      "  CONFIG[2] = 3\t\t' Failsafe = Go Full\n"
      "  CONFIG[3] = 1\t\t' Display = Level\n"
      "  'Configuration Number = %d\n"
      "\n"
      "'Advanced Entries -\n"
      "  ADVANCED[0] = 30.0\n"
      "  ADVANCED[4] = 2.2\n"
      "\n"
      "'Unit Setting -\n"
      "  UNITS = 2\t\t' Feet\n"
      "\n"
      "'Levels -\n"
      "  SENSORHEIGHT = 12.5\n"
      "  FILLHEIGHT = 10.0\n"
      "  LEVEL[5] = 9.13\t' Relay 2 On\n"
      "  LEVEL[4] = 8.25\t' Relay 1 On\n"
      "  LEVEL[3] = 3.0\t' Relay 2 Off\n"
      "  LEVEL[2] = 2.5\t' Relay 1 Off\n"
      "\n"
      "'Nonlinear settings -\n"
      "  NLTYPE = 256\t\t' Vertical Cylinder\n"
      "  D[0] = 12.5\t\t' Sensor Height\n"
      "  D[1] = 10.0\t\t' Fill Height\n"
      "  D[2] = 0.75\t\t' Height\n"
      "\n"
      "'End of File\n",
      {number});
  EXPECT_EQ(r.text, expected);
  EXPECT_EQ(test::readBytes(path), test::utf16FileBytes(expected));
}

TEST_F(WriteFile, NoMatchedConfigurationWritesNothing) {
  const auto path = dir / "Keep[0].txt";
  test::writeBytes(path, "earlier file");
  set.match(model->Database, test::findConfiguration(model->Database, "Pump Down", true));
  for (int index : {-1, ModelDatabase::kConfigurations, ModelDatabase::kConfigurations - 1}) {
    set.config.configurationIndex = index;
    const ConfigWriteResult r = ConfigFileWriter::save(path, content());
    EXPECT_FALSE(r.ok) << index;
    ASSERT_TRUE(r.notice.has_value());
    EXPECT_EQ(r.notice->key, "ERROR_MESSAGE55");
    EXPECT_EQ(test::readBytes(path), "earlier file");
  }
  EXPECT_EQ(test::folderNames(dir.path()), std::vector<std::string>{"Keep[0].txt"})
      << "no temporary file may stay behind";
}

}  // namespace
}  // namespace ostrel

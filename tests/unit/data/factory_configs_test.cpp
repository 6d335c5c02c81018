// The factory configuration files shipped in data/Configs: every model's
// DEFAULTFILE read back through the tool's own reader against its model,
// written again by the tool's own writer, and held against the model's
// limits. A factory file the page would refuse, or one that loses a field on
// its way through "Factory Config", is caught here rather than on a unit.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/config/config_file_reader.h"
#include "core/config/config_file_writer.h"
#include "core/config/customer_page.h"
#include "core/config/value_checks.h"
#include "core/model/model_records.h"
#include "core/platform/work_folders.h"
#include "core/support/cstdio_file_ex.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"
#include "test_support.h"
#include "config/shipped_model.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

// Every family model file (a file with unit types; structure, language and
// settings files have none).
std::vector<std::string> familyModels() {
  std::vector<std::string> names;
  for (const std::string& name : test::folderNames(test::sourceDataDir() / "Models")) {
    if (fs::path(name).extension() != ".txt") continue;
    auto r = std::make_unique<ModelRecords>();
    ModelFileParser(r->targets()).Parse(test::sourceDataDir() / "Models" / name);
    if (r->Database.UnitTypeCount > 0 && name.rfind("Corporate", 0) != 0) names.push_back(name);
  }
  return names;
}

// The file's text as UTF-8, after checking its form: mark FF FE and every
// line ended by CR LF.
std::string fileText(const fs::path& path) {
  const std::string bytes = test::readBytes(path);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2)) << path;
  CStdioFileEx file;
  EXPECT_TRUE(file.Open(path, CStdioFileEx::modeRead));
  std::string text;
  std::string line;
  while (file.ReadString(line)) text += line + "\n";
  EXPECT_EQ(bytes, test::utf16FileBytes(text)) << path << ": not UTF-16LE with CR LF throughout";
  return text;
}

std::string withoutLine(std::string text, const std::string& start) {
  const std::size_t at = text.find(start);
  if (at != std::string::npos) text.erase(at, text.find('\n', at) + 1 - at);
  return text;
}

TEST(FactoryConfigs, EveryModelsDefaultFileReadsBackWhole) {
  const std::vector<std::string> models = familyModels();
  ASSERT_EQ(models.size(), 5u);
  for (const std::string& modelFile : models) {
    SCOPED_TRACE(modelFile);
    auto records = test::shippedModel(modelFile);
    const ModelDatabase& db = records->Database;
    ASSERT_FALSE(db.DefaultFile.empty());
    const fs::path path = test::sourceDataDir() / "Configs" / db.DefaultFile;
    ASSERT_TRUE(fs::exists(path)) << path;
    const std::string text = fileText(path);

    UnitConfiguration config;
    for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
      config.itemChoices[i] = db.ConfigItems[i].Present ? 0 : -1;
    }
    auto volume = std::make_unique<VolumeTable>();
    volume->Reset();
    StrappingRows rows;
    RadarAdvanced radar;
    ConfigReadContext context;
    context.records = {&config, volume.get(), &rows, db.PulseRadar != 0 ? &radar : nullptr};
    context.model = &db;
    context.sampleMode = true;  // MODEL as the file gives it
    const ConfigReadResult read = ConfigFileReader::read(path, context);
    ASSERT_EQ(read.code, ConfigFileReader::kRead);

    config.configurationIndex = CustomerPage::matchedConfiguration(db, config.itemChoices);
    ASSERT_GE(config.configurationIndex, 0) << "no single configuration matches";
    config.configurationValid = true;
    EXPECT_EQ(db.UnitTypes[0], config.model.substr(0, config.model.find('-')));

    // Heights and levels a unit of this model can take: the fill height
    // below the sensor height, that within the model's limit, every level
    // the configuration uses between the bottom and the sensor.
    const ModelLink link(&db, nullptr);
    ASSERT_GE(config.heightUnits, 0);
    ASSERT_LT(config.heightUnits, link.unitNameCount());
    const double limit = db.PulseRadar != 0 && config.heightUnits == 1
                             ? db.MaxSensorHeight
                             : db.MaxSensorHeight * link.levelCountsPerUnit(0) /
                                   link.levelCountsPerUnit(config.heightUnits);
    EXPECT_GT(config.fillHeight, 0.0);
    EXPECT_LT(config.fillHeight, config.sensorHeight);
    EXPECT_LE(config.sensorHeight, limit);
    const ModelConfiguration& matched =
        db.Configurations[static_cast<std::size_t>(config.configurationIndex)];
    for (std::size_t i = 0; i < UnitConfiguration::kLevels; ++i) {
      if (matched.LevelWords[i] <= 0) continue;
      EXPECT_GT(config.levels[i], 0.0) << "LEVEL[" << i << "]";
      EXPECT_LT(config.levels[i], config.sensorHeight) << "LEVEL[" << i << "]";
    }

    // "Write to Unit" would take it as it is: the value checks find nothing.
    {
      UnitConfiguration checked = config;
      const auto box = [](double v) { return NumberRules::formatTrimmed(v, 3); };
      CheckedBoxes boxes;
      boxes.sensorHeight = box(config.sensorHeight);
      boxes.fillHeight = box(config.fillHeight);
      boxes.probeLength = box(config.probeLength);
      boxes.deadBand = box(config.deadBand);
      boxes.maxRange = box(config.maxRange);
      for (std::size_t i = 0; i < UnitConfiguration::kLevels; ++i) {
        if (matched.LevelWords[i] > 0) boxes.levels[i] = box(config.levels[i]);
      }
      const ValueCheckResult checks = runValueChecks(
          {&db, &checked, &boxes, volume.get(), &rows,
           ConfigFileReader::independentMode(db, config), db.PulseRadar != 0});
      EXPECT_EQ(checks.outcome, CheckOutcome::None)
          << checks.text(&records->Language, 0);
    }

    // Written again from what was read, the file comes out as it is: no
    // keyed field was lost or changed on the way in. (SW REV is not read;
    // SERIAL goes to the file serial.)
    config.serial = config.fileSerial;
    ConfigFileContent content;
    content.config = &config;
    content.model = &db;
    content.volume = volume.get();
    content.rows = &rows;
    content.radar = context.records.radar;
    content.boxes = {config.sensorHeight, config.fillHeight, config.minFillHeight,
                     config.probeLength, config.deadBand,   config.maxRange,
                     config.levels};
    content.independentRelays = ConfigFileReader::independentMode(db, config);
    const ConfigWriteResult again = ConfigFileWriter::text(content);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(withoutLine(again.text, "  SW REV = "), withoutLine(text, "  SW REV = "));
  }
}

TEST(FactoryConfigs, FirstRunCopiesThemIntoTheConfigsFolder) {
  test::TempDir root;
  const WorkFolders folders = WorkFolders::build(root.path(), test::sourceDataDir());
  std::string error;
  ASSERT_TRUE(prepareDataRoot(folders, error)) << error;
  for (const std::string& modelFile : familyModels()) {
    const std::string name = test::shippedModel(modelFile)->Database.DefaultFile;
    EXPECT_EQ(test::readBytes(folders.Configs / name),
              test::readBytes(test::sourceDataDir() / "Configs" / name))
        << name;
  }
}

}  // namespace
}  // namespace ostrel

// The configuration page's file road on the shipped pulse radar model: a
// factory file read into the page's records (its radar lines marked for the
// next write only with a radar connected), and a save that refuses, is
// cancelled, or lands in the Configs folder under the confirmed name.
#include "core/config/config_page_files.h"

#include <gtest/gtest.h>

#include "core/config/radar_command_list.h"
#include "core/config/unit_configuration.h"
#include "core/link/pulse_parameters.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"
#include "shipped_model.h"

namespace ostrel {
namespace {

struct Road {
  Road() : records(test::shippedModel("KM70_PulseRadar.txt")) {
    services.records = records.get();
    services.presenter = &presenter;
    services.configsFolder = configs.path();
    radar.values.DampingTime = 99;
    radar.values.TypeOfMedium = 7;
    files = std::make_unique<ConfigPageFiles>(services, PageRecords{
                                                            &config, &volume, &rows, &radar});
  }
  std::string text(const char* key) const { return records->Language.Text(key, 0, key); }
  bool shown(const char* key) const {
    for (const auto& m : presenter.messages) {
      if (m.text.find(text(key)) != std::string::npos) return true;
    }
    return false;
  }
  ConfigFileContent content() const {
    ConfigFileContent c;
    c.config = &config;
    c.model = &records->Database;
    c.volume = &volume;
    c.rows = &rows;
    c.boxes.sensorHeight = config.sensorHeight;
    c.boxes.fillHeight = config.fillHeight;
    return c;
  }

  test::TempDir configs;
  std::unique_ptr<ModelRecords> records;
  test::RecordingPresenter presenter;
  ConfigPageServices services;
  UnitConfiguration config;
  VolumeTable volume;
  StrappingRows rows;
  RadarAdvancedState radar;
  std::unique_ptr<ConfigPageFiles> files;
};

const std::filesystem::path kFactory = test::sourceDataDir() / "Configs" / "KM70_Factory.txt";

TEST(ConfigPageFiles, ARadarFilesSettingsGoToTheBlockAndCountForAWriteOnlyWithARadar) {
  Road sample;
  ConfigReadResult r = sample.files->read(kFactory, true, false);
  EXPECT_EQ(r.code, ConfigFileReader::kRead);
  EXPECT_EQ(sample.config.sensorHeight, 6.0);
  EXPECT_EQ(sample.radar.values.DampingTime, 6);
  EXPECT_EQ(sample.radar.values.TypeOfMedium, 1);
  for (bool marked : sample.radar.fromFile) EXPECT_FALSE(marked);

  Road unit;
  r = unit.files->read(kFactory, false, true);
  EXPECT_EQ(r.code, ConfigFileReader::kRead);
  EXPECT_TRUE(unit.radar.fromFile[RadarAdvancedState::kDampingTime]);
  EXPECT_TRUE(unit.radar.fromFile[RadarAdvancedState::kTypeOfMedium]);
  EXPECT_TRUE(unit.radar.fromFile[RadarAdvancedState::kFastLevelChange]);
}

TEST(ConfigPageFiles, SaveRefusesAnIncompletePageHonoursCancelAndNamesTheFile) {
  Road road;
  ASSERT_EQ(road.files->read(kFactory, true, false).code, ConfigFileReader::kRead);
  int built = 0;
  auto content = [&] {
    ++built;
    return road.content();
  };

  ConfigPageFiles::Saved saved = road.files->save(content, false, "tank", {});
  EXPECT_FALSE(saved.ok);
  EXPECT_FALSE(saved.name);
  EXPECT_TRUE(road.shown("ERROR_MESSAGE55"));

  saved = road.files->save(content, true, "tank", [](std::string&) { return false; });
  EXPECT_FALSE(saved.ok);
  EXPECT_FALSE(saved.name);
  EXPECT_EQ(built, 0);

  auto rename = [](std::string& name) {
    name = "renamed";
    return true;
  };
  // The writer refuses a record the page has not matched: the confirmed
  // name stays in the box, nothing is written.
  road.config.configurationIndex = -1;
  saved = road.files->save(content, true, "tank", rename);
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(saved.name, "renamed.txt");
  EXPECT_FALSE(std::filesystem::exists(road.configs / "renamed.txt"));

  road.config.configurationIndex = 0;  // configuration #1, as the page matches it
  saved = road.files->save(content, true, "tank", rename);
  ASSERT_TRUE(saved.ok);
  EXPECT_EQ(saved.name, "renamed.txt");
  EXPECT_TRUE(std::filesystem::exists(road.configs / "renamed.txt"));
  EXPECT_NE(saved.date, "0");
  EXPECT_EQ(saved.date, road.files->fileDate(road.configs / "renamed.txt"));
  ASSERT_FALSE(road.presenter.messages.empty());
  EXPECT_NE(road.presenter.messages.back().text.find("renamed.txt"), std::string::npos);

  // What was saved reads back.
  Road again;
  EXPECT_EQ(again.files->read(again.files->pathOf((road.configs / "renamed.txt").string()), true,
                              false)
                .code,
            ConfigFileReader::kRead);
  EXPECT_EQ(again.config.fillHeight, road.config.fillHeight);
}

TEST(ConfigPageFiles, NamesResolveInTheConfigsFolderAndAMissingFactoryFileIsReported) {
  Road road;
  EXPECT_EQ(road.files->pathOf("a.txt"), road.configs / "a.txt");
  EXPECT_EQ(road.files->pathOf("/tmp/b.txt"), std::filesystem::path("/tmp/b.txt"));
  EXPECT_EQ(road.files->fileDate(road.configs / "none.txt"), "0");
  EXPECT_EQ(road.files->nameOf(road.configs / "a.txt"), "a.txt");
  EXPECT_EQ(road.files->nameOf(road.configs / "sub" / "a.txt"),
            (road.configs / "sub" / "a.txt").string());
  EXPECT_EQ(road.files->nameOf("/tmp/b.txt"), "/tmp/b.txt");

  ASSERT_TRUE(road.files->factoryFile());
  EXPECT_EQ(*road.files->factoryFile(), road.configs / road.records->Database.DefaultFile);
  road.records->Database.DefaultFile.clear();
  EXPECT_FALSE(road.files->factoryFile());
  EXPECT_TRUE(road.shown("ERROR_MESSAGE60"));
}

}  // namespace
}  // namespace ostrel

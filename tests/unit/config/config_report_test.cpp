// The printed report of the configuration page, built from the shipped
// models' factory files: what a technician reads on paper against what the
// factory file holds, the tank data, independent relay points, a guided-
// wave unit's heights, and the refusal of an unfinished configuration.

#include "core/config/config_report.h"

#include <gtest/gtest.h>

#include "core/config/config_page_model.h"
#include "shipped_model.h"
#include "test_support.h"

namespace ostrel {
namespace {

using Lines = std::vector<std::vector<std::string>>;

Lines lines(const ConfigReport::Section& s) {
  Lines out;
  for (const auto& l : s.lines) out.push_back({l.caption, l.value, l.units});
  return out;
}

struct SamplePage {
  SamplePage(const std::string& modelFile, const std::string& model)
      : records(test::shippedModel(modelFile)) {
    config.model = model;
    ConfigPageServices s;
    s.records = records.get();
    s.presenter = &presenter;
    s.configsFolder = test::sourceDataDir() / "Configs";
    s.modelsFolder = test::sourceDataDir() / "Models";
    page = std::make_unique<ConfigPageModel>(config, s);
    page->setSampleMode(true);
    EXPECT_TRUE(page->activate());
  }
  ConfigReport report(const std::string& date = "2026-12-09") {
    ConfigReportResult r = ConfigReport::build(*page, *records, date);
    EXPECT_TRUE(r.report.has_value());
    return r.report.value_or(ConfigReport{});
  }

  std::unique_ptr<ModelRecords> records;
  test::RecordingPresenter presenter;
  UnitConfiguration config;
  std::unique_ptr<ConfigPageModel> page;
};

TEST(ConfigReport, FactoryConfigurationReadsAsTheFileSaysThenTakesATank) {
  SamplePage p("KM30_Ultrasonic.txt", "KM30");
  p.page->editBox(&PageBoxes::notes, "Sump 2, north wall");
  ConfigReport r = p.report();

  EXPECT_EQ(r.title, "Configuration Report");
  EXPECT_EQ(r.model, "KM30");
  EXPECT_EQ(r.description, "Model: KM30-U Ultrasonic Level Transmitter, 30 ft, 3 Relays");
  EXPECT_EQ(lines(r.unit), (Lines{{"Model", "KM30", ""},
                                  {"Serial No.", "0", ""},
                                  {"Hardware", "KM30-U", ""},
                                  {"Software Revision", "0", ""},
                                  {"Model File", "KM30_Ultrasonic.txt", ""},
                                  {"Config File Name", "KM30_Factory.txt", ""}}));
  EXPECT_EQ(r.configuration.subtitle, "Valid Configuration #4");
  EXPECT_EQ(lines(r.configuration), (Lines{{"Relay Function", "Alarms and Pump Down", ""},
                                           {"Loop Span", "Fill Height", ""},
                                           {"Failsafe", "Hold Last Level", ""},
                                           {"Display", "Level", ""}}));
  EXPECT_EQ(lines(r.heights), (Lines{{"Height Units", "Feet", ""},
                                     {"Sensor Height", "20.0", "Feet"},
                                     {"Fill Height", "18.0", "Feet"}}));
  // Top row first, each with the relay units.
  EXPECT_EQ(lines(r.levels), (Lines{{"Relay Units", "Feet", ""},
                                    {"Alarm High", "16.0", "Feet"},
                                    {"Relay 3 On", "12.0", "Feet"},
                                    {"Relay 3 Off", "5.0", "Feet"},
                                    {"Alarm Low", "3.0", "Feet"}}));
  EXPECT_FALSE(r.structure.has_value());
  EXPECT_EQ(r.notes, "Sump 2, north wall");
  EXPECT_EQ(r.date, "2026-12-09");

  // A vertical cylinder 10 ft across, 20 ft high, in US gallons: pi x 5^2 x
  // 20 ft^3 x 7.48052 gal/ft^3 = 11750.4 gallons.
  VolumeTable& v = p.page->volume();
  v.Dimensions = {};
  v.Dimensions[0] = 20.0f;
  v.Dimensions[1] = 18.0f;
  v.Dimensions[3] = 20.0f;
  v.Dimensions[4] = 10.0f;
  p.page->applyStructure(0x0100, 32, 2);
  p.page->editLevel(5, "9000");
  r = p.report();
  ASSERT_TRUE(r.structure.has_value());
  EXPECT_EQ(r.structure->subtitle, "Vertical Cylinder");
  EXPECT_EQ(r.structure->footnote, "Capacity: 11750.4");
  const std::string gallons = p.page->looks().relayUnitsText();
  EXPECT_FALSE(gallons.empty());
  EXPECT_EQ(lines(*r.structure), (Lines{{"Relay Units", gallons, ""},
                                        {"Riser Height", "0.0", "Feet"},
                                        {"Tank Height (H)", "20.0", "Feet"},
                                        {"Diameter (D)", "10.0", "Feet"}}));
  // Levels are volumes now; the rows emptied by the change print empty.
  ASSERT_GE(r.levels.lines.size(), 3u);
  EXPECT_EQ(r.levels.lines[1].units, gallons);
  EXPECT_EQ(r.levels.lines[1].value, "9000");  // as typed into the box
  EXPECT_EQ(r.levels.lines[2].value, "");
}

TEST(ConfigReport, IndependentRelaysPrintTheirSetPoints) {
  SamplePage p("KM30_Ultrasonic.txt", "KM30");
  p.page->selectItem(0, 5);  // independent relays
  ASSERT_TRUE(p.page->independentMode());
  p.config.independentLevels = {};
  p.config.independentLevels[0] = 15.5f;  // relay 1 on
  p.config.independentLevels[4] = 4.0f;   // relay 1 off
  p.config.independentLevels[2] = 9.0f;   // relay 3 on, its off point unset
  const ConfigReport r = p.report();
  EXPECT_EQ(r.configuration.subtitle, "Valid Configuration #1");
  EXPECT_EQ(lines(r.levels), (Lines{{"Relay Units", "Feet", ""},
                                    {"Relay 1 ON", "15.5", "Feet"},
                                    {"Relay 3 ON", "9.0", "Feet"},
                                    {"Relay 1 OFF", "4.0", "Feet"}}));
}

TEST(ConfigReport, GuidedWaveUnitShowsProbeAndMinimumFill) {
  SamplePage p("KM50_GuidedWave.txt", "KM50");
  const ConfigReport r = p.report();
  EXPECT_EQ(r.configuration.subtitle, "Valid Configuration #2");
  // 20 ft sensor, 19 ft probe, 6 in nut offset, 3.96 in lower dead band.
  EXPECT_EQ(lines(r.heights), (Lines{{"Height Units", "Feet", ""},
                                     {"Sensor Height", "20.0", "Feet"},
                                     {"Max Fill Height", "18.0", "Feet"},
                                     {"Probe Length", "19.0", "Feet"},
                                     {"Min Fill Height", "0.83", "Feet"}}));
  EXPECT_EQ(r.levels.lines.size(), 5u);
}

TEST(ConfigReport, AnUnfinishedConfigurationIsRefused) {
  SamplePage p("KM30_Ultrasonic.txt", "KM30");
  p.page->clearScreen();
  const ConfigReportResult r = ConfigReport::build(*p.page, *p.records, "today");
  EXPECT_FALSE(r.report.has_value());
  ASSERT_TRUE(r.refusal.has_value());
  EXPECT_EQ(r.refusal->key, "ERROR_MESSAGE133");
}

}  // namespace
}  // namespace ostrel

#pragma once
// The shipped model files and a record set for the configuration file
// tests: a model read by the tool's parser, a configuration of it picked by
// its item-0 caption, and the records a file fills.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/config/config_fields.h"
#include "core/config/config_file_reader.h"
#include "core/config/config_file_writer.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/support/text_format.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"
#include "test_support.h"

namespace ostrel::test {

inline std::unique_ptr<ModelRecords> loadShippedModel(std::string_view file) {
  auto r = std::make_unique<ModelRecords>();
  const auto models = sourceDataDir() / "Models";
  r->Language.LoadPath(models / "Ostrel_Language.txt");
  ModelFileParser parser(r->targets());
  EXPECT_TRUE(parser.LoadModelFile(models / std::string(file), 0)) << file;
  return r;
}

// The first configuration whose item-0 choice caption equals caption and
// that uses levels (or not).
inline int findConfiguration(const ModelDatabase& db, std::string_view caption, bool withLevels) {
  for (int c = 0; c < ModelDatabase::kConfigurations; ++c) {
    const ModelConfiguration& m = db.Configurations[static_cast<std::size_t>(c)];
    if (!m.Present) continue;
    const int choice = m.ChoiceCodes[0];
    if (choice < 1 || db.ConfigItems[0].Texts[static_cast<std::size_t>(choice)] != caption) continue;
    bool levels = false;
    for (int w : m.LevelWords) levels = levels || w > 0;
    if (levels == withLevels) return c;
  }
  ADD_FAILURE() << "no configuration for " << caption;
  return 0;
}

// The records of one configuration file.
struct ConfigSet {
  ConfigSet() { volume.Reset(); }

  ConfigRecords records() { return {&config, &volume, &rows, &radar}; }
  ConstConfigRecords view() const { return {&config, &volume, &rows, &radar}; }

  // The record matched to configuration c: each present item takes the
  // choice c prescribes (the first choice where any is allowed).
  void match(const ModelDatabase& db, int c) {
    const ModelConfiguration& m = db.Configurations[static_cast<std::size_t>(c)];
    for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
      const bool present = db.ConfigItems[i].Present;
      config.itemChoices[i] = !present ? -1 : (m.ChoiceCodes[i] > 0 ? m.ChoiceCodes[i] : 1);
    }
    config.configurationIndex = c;
    config.configurationValid = true;
    config.levelsValid = true;
  }

  // What the page's boxes show of this record.
  ConfigBoxValues boxes() const {
    ConfigBoxValues b;
    b.sensorHeight = config.sensorHeight;
    b.fillHeight = config.fillHeight;
    b.minFillHeight = config.minFillHeight;
    b.probeLength = config.probeLength;
    b.deadBand = config.deadBand;
    b.maxRange = config.maxRange;
    b.levels = config.levels;
    return b;
  }

  UnitConfiguration config;
  VolumeTable volume;
  StrappingRows rows;
  RadarAdvanced radar;
};

inline std::string describe(const ConfigValue& v) {
  struct {
    std::string operator()(std::int64_t n) const { return std::to_string(n); }
    std::string operator()(double x) const { return formatText("%.9g", {x}); }
    std::string operator()(const std::string& s) const { return "\"" + s + "\""; }
    std::string operator()(const AdvancedEntry& e) const {
      return formatText("{%d, %.9g}", {e.set ? 1 : 0, e.value});
    }
    std::string operator()(const StrapRow& r) const {
      return formatText("(%.9g, %.9g)", {r.level, r.volume});
    }
  } visitor;
  return std::visit(visitor, v);
}

}  // namespace ostrel::test

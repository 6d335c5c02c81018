// The product family's model files as shipped in data/Models: each one read
// through the tool's own parser and held against the rules the configuration
// page, the page mapping and the model search rely on. A file that parses
// but puts a level on the sensor height word, leaves an item with one
// choice, or lists a unit type the simulated units do not report is caught
// here rather than on a unit.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/fmf_cipher.h"
#include "core/model/model_discovery.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

enum class Kind { Standard, Ugus, GuidedWave, Pulse };

struct FamilyModel {
  const char* file;
  Kind kind;
  int items;           // configuration items the page shows
  int configurations;  // after the CONFIG lines are expanded
  bool nonLinear;      // offers tanks, flumes, weirs and strapping tables
};

constexpr FamilyModel kFamily[] = {
    {"KM30_Ultrasonic.txt", Kind::Standard, 4, 75, true},
    {"KM35_Legacy.txt", Kind::Standard, 2, 3, false},
    {"KM40_UType.txt", Kind::Ugus, 3, 19, false},
    {"KM50_GuidedWave.txt", Kind::GuidedWave, 4, 49, true},
    {"KM70_PulseRadar.txt", Kind::Pulse, 2, 8, false},
};

// The units the tool is tested against, as they identify.
struct SimulatedUnit {
  const char* model;     // hardware model (pulse radar: model number text)
  const char* firmware;  // FIRMWARE after identification
  const char* file;      // the model file that must serve it
};

constexpr SimulatedUnit kSimulatedUnits[] = {
    {"KM30-1020", "KM30-U", "KM30_Ultrasonic.txt"},
    {"KM50-2410", "KM50-GWR", "KM50_GuidedWave.txt"},
    {"KM40-1130", "KM40-U2", "KM40_UType.txt"},
    {"KM70-2610", "NXRadar", "KM70_PulseRadar.txt"},
};

constexpr int kCountsPerFoot = 708;  // the simulated units' level counts per foot

// Customer page words (word n = bytes 2n, 2n+1) whose place the page layout
// fixes; no item, level, fixed word or advanced input may sit on them.
bool reservedWord(int w) {
  if (w < 0 || w > 255) return true;      // not on the 512-byte page at all
  if (w == 0) return true;                // minimum fill height (guided-wave radar)
  if (w == 1) return true;                // sensor height
  if (w == 3) return true;                // fill height / probe length
  if (w == 16) return true;               // tank shapes: minimum fill height
  if (w == 22) return true;               // fill height (guided-wave radar)
  if (w == 51) return true;               // NLTYPE
  if (w == 52) return true;               // UNITS
  if (w >= 53 && w <= 74) return true;    // D[0..10], eleven floats
  if (w == 75) return true;               // OUTPUT
  if (w >= 76 && w <= 91) return true;    // level floats / independent relay points
  if (w >= 92 && w <= 219) return true;   // strapping rows
  if (w >= 224 && w <= 255) return true;  // notes
  return false;
}

// Level words that get a float copy (level word -> word of the copy).
const std::map<int, int> kLevelFloatWords = {{26, 76}, {27, 78}, {28, 80}, {29, 82},
                                             {10, 84}, {9, 86},  {8, 88},  {7, 90}};

fs::path modelsDir() { return test::sourceDataDir() / "Models"; }

int used(std::int32_t count, std::int32_t last) { return std::max(count, last + 1); }

int choiceCount(const ConfigItem& item) { return used(item.ChoiceCount, item.ChoiceLast); }

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string modelPrefix(std::string_view model) {
  return std::string(model.substr(0, model.find('-')));
}

bool independentChoice(const ModelDatabase& db, int choice) {
  const ConfigItem& item0 = db.ConfigItems[0];
  return item0.Present && choice > 0 && choice < choiceCount(item0) &&
         lower(item0.Texts[static_cast<std::size_t>(choice)]).find("independent") !=
             std::string::npos;
}

// One model file read the way the tool reads it after a reset, with the
// shipped language texts and the help table of its kind.
std::unique_ptr<ModelRecords> load(const fs::path& path, Kind kind,
                                   std::string_view firmware = {}) {
  auto r = std::make_unique<ModelRecords>();
  r->Language.LoadPath(modelsDir() / "Ostrel_Language.txt");
  r->HelpTopics.build(kind == Kind::GuidedWave, kind == Kind::Pulse);
  r->UnitType.Firmware = std::string(firmware);
  ModelFileParser parser(r->targets());
  EXPECT_TRUE(parser.LoadModelFile(path, 0)) << path;
  return r;
}

// Indices of the configurations that match a full selection (choice index
// per item, -1 for items the model does not have), by the page's rule.
std::vector<int> matchingConfigurations(const ModelDatabase& db,
                                        const std::array<int, 10>& selection) {
  std::vector<int> matches;
  const int count = used(db.Configurations.Count, db.Configurations.Last);
  for (int c = 0; c < count; ++c) {
    const ModelConfiguration& config = db.Configurations[static_cast<std::size_t>(c)];
    if (!config.Present) continue;
    bool match = true;
    for (std::size_t j = 0; j < 10 && match; ++j) {
      match =
          selection[j] == 0 || config.ChoiceCodes[j] == -1 || config.ChoiceCodes[j] == selection[j];
    }
    if (match) matches.push_back(c);
  }
  return matches;
}

// Steps a full selection of the present items to the next one, the last
// item turning fastest; false after the last selection.
bool nextSelection(const ModelDatabase& db, const std::vector<int>& present,
                   std::array<int, 10>& selection) {
  for (std::size_t k = present.size(); k-- > 0;) {
    const auto item = static_cast<std::size_t>(present[k]);
    if (++selection[item] < choiceCount(db.ConfigItems[item])) return true;
    selection[item] = 1;
  }
  return false;
}

// A copy of the shipped Models folder to search in.
class ModelsCopy {
 public:
  ModelsCopy() {
    for (const auto& e : fs::directory_iterator(modelsDir())) {
      if (e.is_regular_file()) fs::copy_file(e.path(), dir_ / e.path().filename().string());
    }
  }
  void removePlainModelFiles() {
    for (const FamilyModel& m : kFamily) fs::remove(dir_ / m.file);
  }
  bool find(const std::vector<std::string>& wanted, std::string& dest) const {
    ModelDiscovery discovery(dir_.path(), nullptr, 0, nullptr);
    return discovery.FindModelFile("KM", "UNITTYPE", wanted, 90, dest);
  }
  const fs::path& path() const { return dir_.path(); }

 private:
  test::TempDir dir_;
};

std::string twinName(std::string_view txt) {
  fs::path p(txt);
  p.replace_extension(".fmf");
  return p.string();
}

TEST(FamilyModels, EachFileIsReadWithItsKindItemsAndConfigurations) {
  for (const FamilyModel& m : kFamily) {
    SCOPED_TRACE(m.file);
    auto r = load(modelsDir() / m.file, m.kind);
    const ModelDatabase& db = r->Database;
    EXPECT_EQ(db.GuidedWaveRadar != 0, m.kind == Kind::GuidedWave);
    EXPECT_EQ(r->Flags.GuidedWaveRadar, m.kind == Kind::GuidedWave);
    EXPECT_EQ(db.PulseRadar != 0, m.kind == Kind::Pulse);
    EXPECT_EQ(db.Ugus != 0, m.kind == Kind::Ugus);
    EXPECT_EQ(r->Flags.Ugus, m.kind == Kind::Ugus);
    EXPECT_EQ(!db.NonLinearButtonCaption.empty(), m.nonLinear);

    // Items are numbered 1.. without gaps; the page shows them top down.
    int present = 0;
    for (int i = 0; i < ModelDatabase::kConfigItems; ++i) {
      if (db.ConfigItems[static_cast<std::size_t>(i)].Present) {
        EXPECT_EQ(i, present) << "item " << i + 1 << " follows a missing item";
        ++present;
      }
    }
    EXPECT_EQ(present, m.items);
    EXPECT_EQ(db.Configurations.Count, m.configurations);
    EXPECT_EQ(db.Configurations.Last + 1, m.configurations);
  }
}

TEST(FamilyModels, SimulatedUnitsFindTheirModelFilesPlainAndEnciphered) {
  ModelsCopy copy;
  for (bool enciphered : {false, true}) {
    if (enciphered) copy.removePlainModelFiles();
    for (const SimulatedUnit& u : kSimulatedUnits) {
      SCOPED_TRACE(std::string(u.model) + (enciphered ? " (.fmf)" : " (.txt)"));
      const std::string expected = enciphered ? twinName(u.file) : u.file;
      const std::string prefix = modelPrefix(u.model);
      std::string dest = "none";
      ASSERT_TRUE(copy.find({prefix, u.firmware}, dest));
      EXPECT_EQ(dest, expected);
      // Firmware text in other letter case is the same unit.
      dest = "none";
      ASSERT_TRUE(copy.find({lower(prefix), lower(u.firmware)}, dest));
      EXPECT_EQ(dest, expected);
      // By the hardware model alone the same file answers.
      dest = "none";
      ASSERT_TRUE(copy.find({prefix}, dest));
      EXPECT_EQ(dest, expected);
      // Another family's firmware does not pass as this unit's.
      dest = "none";
      EXPECT_FALSE(copy.find({prefix, "KM99-X"}, dest));
      EXPECT_EQ(dest, "none");
    }

    // A unit of the earlier series with a firmware text no file lists is
    // found by its hardware model only.
    SCOPED_TRACE("KM35-2200");
    std::string dest = "none";
    EXPECT_FALSE(copy.find({"KM35", "KM35-B7"}, dest));
    EXPECT_EQ(dest, "none");
    ASSERT_TRUE(copy.find({"KM35"}, dest));
    EXPECT_EQ(dest, enciphered ? "KM35_Legacy.fmf" : "KM35_Legacy.txt");
  }
}

TEST(FamilyModels, TheSampleProgramIdentityFindsAModel) {
  AppSettings settings;
  ModelTargets targets;
  targets.settings = &settings;
  ModelFileParser parser(targets);
  ASSERT_EQ(parser.Parse(modelsDir() / "Ostrel_Settings.txt"), 0);
  ASSERT_FALSE(settings.DemoModel.empty());

  ModelsCopy copy;
  std::string dest;
  ASSERT_TRUE(copy.find({modelPrefix(settings.DemoModel), settings.DemoFirmware}, dest));
  EXPECT_EQ(dest, "KM30_Ultrasonic.txt");
}

TEST(FamilyModels, TheLoadedModelDescribesTheIdentifiedFirmware) {
  ModelsCopy copy;
  LanguageTable language;
  language.LoadPath(modelsDir() / "Ostrel_Language.txt");
  const std::string lead = language.Text("IDC_MODELDESCRIPTION", 0) + " ";
  for (const SimulatedUnit& u : kSimulatedUnits) {
    SCOPED_TRACE(u.model);
    const Kind kind =
        std::find_if(std::begin(kFamily), std::end(kFamily), [&](const FamilyModel& m) {
          return std::string_view(m.file) == u.file;
        })->kind;
    // Loaded as the connect sequence does: by the stem, so the .fmf wins.
    auto r = load(copy.path() / fs::path(u.file).stem(), kind, u.firmware);
    const std::string& d = r->UnitType.Description;
    ASSERT_EQ(d.rfind(lead, 0), 0u) << d;
    EXPECT_NE(d.find(modelPrefix(u.model)), std::string::npos) << d;
    // Page-based units have a description line of their own firmware.
    if (kind != Kind::Pulse) {
      EXPECT_NE(d.find(u.firmware), std::string::npos) << d;
    }
  }
}

TEST(FamilyModels, EveryItemOffersDistinctRealChoices) {
  for (const FamilyModel& m : kFamily) {
    SCOPED_TRACE(m.file);
    auto r = load(modelsDir() / m.file, m.kind);
    const ModelDatabase& db = r->Database;
    std::set<int> itemWords;
    for (int i = 0; i < ModelDatabase::kConfigItems; ++i) {
      const ConfigItem& item = db.ConfigItems[static_cast<std::size_t>(i)];
      if (!item.Present) continue;
      SCOPED_TRACE(item.Label);
      EXPECT_FALSE(item.Label.empty());
      const int n = choiceCount(item);
      EXPECT_GE(n - 1, 2) << "fewer than two choices";
      EXPECT_EQ(item.Codes[0], -1);
      std::set<std::string> texts{item.Texts[0]};
      std::set<int> codes;
      for (int k = 1; k < n; ++k) {
        const std::string& text = item.Texts[static_cast<std::size_t>(k)];
        EXPECT_FALSE(text.empty()) << "choice " << k;
        // The page finds a choice by its caption: the first equal one wins.
        EXPECT_TRUE(texts.insert(text).second) << "caption repeated: " << text;
        EXPECT_TRUE(codes.insert(item.Codes[static_cast<std::size_t>(k)]).second)
            << "code repeated in choice " << k;
        // Only the first item can switch the page to independent relays.
        if (i > 0) {
          EXPECT_EQ(lower(text).find("independent"), std::string::npos) << text;
        }
      }
      if (m.kind == Kind::Pulse) {
        // A radar item is tied to its parameter by its caption alone.
        int parameters = 0;
        for (const char* name : {"Loop Fail", "Output at Empty", "Minimum Current", "Display"}) {
          if (item.Label.find(name) != std::string::npos) ++parameters;
        }
        EXPECT_EQ(parameters, 1) << "caption names no radar parameter, or several";
        EXPECT_LT(item.LabelCode, 0) << "radar items have no page word";
        // Choice k is the radar value k (display: k - 1): the display modes
        // and the fail-safe modes are listed in value order.
        const int offset = item.Label.find("Display") != std::string::npos ? 1 : 0;
        for (int k = 1; k < n; ++k) {
          EXPECT_EQ(item.Codes[static_cast<std::size_t>(k)], k - offset) << "choice " << k;
        }
      } else {
        EXPECT_FALSE(reservedWord(item.LabelCode)) << "item word " << item.LabelCode;
        EXPECT_TRUE(itemWords.insert(item.LabelCode).second)
            << "two items on word " << item.LabelCode;
        for (int code : codes) {
          EXPECT_TRUE(code >= 0 && code <= 0x7FFF) << code;
        }
      }
    }
  }
}

TEST(FamilyModels, ConfigurationsAreReachableUnambiguousAndUseFreeLevelWords) {
  for (const FamilyModel& m : kFamily) {
    SCOPED_TRACE(m.file);
    auto r = load(modelsDir() / m.file, m.kind);
    const ModelDatabase& db = r->Database;
    const int count = used(db.Configurations.Count, db.Configurations.Last);
    ASSERT_GT(count, 0);
    for (int c = 0; c < count; ++c) {
      const ModelConfiguration& config = db.Configurations[static_cast<std::size_t>(c)];
      SCOPED_TRACE("configuration index " + std::to_string(c) + ", number " +
                   std::to_string(config.Number));
      ASSERT_TRUE(config.Present);
      EXPECT_GT(config.Number, 0);
      EXPECT_FALSE(config.DrawingFile.empty());
      for (std::size_t j = 0; j < 10; ++j) {
        const ConfigItem& item = db.ConfigItems[j];
        const int code = config.ChoiceCodes[j];
        if (item.Present) {
          EXPECT_TRUE(code == -1 || (code >= 1 && code < choiceCount(item)))
              << "item " << j + 1 << " choice " << code;
        } else {
          // The page gives a missing item -1, which only "any" matches.
          EXPECT_EQ(code, -1) << "item " << j + 1 << " is not fitted";
        }
      }
      std::set<int> words;
      for (std::size_t p = 0; p < ModelConfiguration::kLevels; ++p) {
        const int w = config.LevelWords[p];
        const std::string& caption = config.LevelCaptions[p];
        // A row is shown by its caption and written to its word: both or neither.
        EXPECT_EQ(w > 0, !caption.empty()) << "level row " << p << ": word " << w;
        if (w <= 0) continue;
        EXPECT_TRUE(words.insert(w).second) << "level word " << w << " used twice";
        EXPECT_FALSE(reservedWord(w)) << "level word " << w;
        if (m.nonLinear) {
          // These models read their levels back from the float copies only.
          EXPECT_TRUE(kLevelFloatWords.count(w)) << "level word " << w << " has no float copy";
        }
      }
      if (m.kind == Kind::Pulse) {
        EXPECT_TRUE(words.empty()) << "the radar has no level rows";
      }
      // Independent relay points fill the float area: no level rows there.
      if (config.ChoiceCodes[0] > 0 && independentChoice(db, config.ChoiceCodes[0])) {
        EXPECT_TRUE(words.empty());
      }
    }

    // Every full selection of the items leaves at most one configuration,
    // and every configuration is some full selection's single answer.
    std::vector<int> present;
    for (int i = 0; i < ModelDatabase::kConfigItems; ++i) {
      if (db.ConfigItems[static_cast<std::size_t>(i)].Present) present.push_back(i);
    }
    ASSERT_FALSE(present.empty());
    std::array<int, 10> selection;
    selection.fill(-1);
    for (int i : present) selection[static_cast<std::size_t>(i)] = 1;
    std::vector<bool> reached(static_cast<std::size_t>(count), false);
    int valid = 0;
    do {
      const std::vector<int> matches = matchingConfigurations(db, selection);
      EXPECT_LE(matches.size(), 1u) << "several configurations for one full selection";
      if (matches.size() == 1) {
        ++valid;
        reached[static_cast<std::size_t>(matches[0])] = true;
      }
    } while (nextSelection(db, present, selection));
    EXPECT_GT(valid, 0);
    for (int c = 0; c < count; ++c) {
      EXPECT_TRUE(reached[static_cast<std::size_t>(c)])
          << "configuration index " << c << " is never the single match";
    }
  }
}

TEST(FamilyModels, UnitsAndFactorsAgreeWithTheUnitNames) {
  const std::map<std::string, double> feetPerUnit = {{"Feet", 1.0},
                                                     {"Inches", 1.0 / 12.0},
                                                     {"Meters", 1.0 / 0.3048},
                                                     {"Centimeters", 1.0 / 30.48}};
  for (const FamilyModel& m : kFamily) {
    SCOPED_TRACE(m.file);
    auto r = load(modelsDir() / m.file, m.kind);
    const ModelDatabase& db = r->Database;
    const int names = used(db.UnitNames.Count, db.UnitNames.Last);
    const int factors = used(db.UnitFactors.Count, db.UnitFactors.Last);
    EXPECT_EQ(db.UnitNames.Count, names);
    EXPECT_EQ(db.UnitFactors.Count, factors);
    ASSERT_GE(names, 2);
    EXPECT_DOUBLE_EQ(db.DefaultUnitFactor, kCountsPerFoot);
    // Factor 3 is feet and factor 4 meters for every model: the volume
    // tables scale by factor 3, the CFS flow units take their heads in
    // unit 3 and the LS units in unit 4, the radar paths convert between
    // the two, and the number display gives unit 3 two decimals and unit 4
    // three.
    ASSERT_GE(factors, 4);
    EXPECT_DOUBLE_EQ(db.UnitFactors[2], kCountsPerFoot);
    EXPECT_NEAR(db.UnitFactors[3], kCountsPerFoot / 0.3048, 1e-3);
    const std::vector<std::string> shown(db.UnitNames.Items.begin(),
                                         db.UnitNames.Items.begin() + names);
    if (m.kind == Kind::Pulse) {
      // Feet and meters on the page, the same two factors behind them.
      EXPECT_EQ(shown, (std::vector<std::string>{"Feet", "Meters"}));
      EXPECT_DOUBLE_EQ(db.UnitFactors[2], db.UnitFactors[0]);
      EXPECT_DOUBLE_EQ(db.UnitFactors[3], db.UnitFactors[1]);
    } else {
      // The fine units first, so the one-decimal display rules fall on them.
      EXPECT_EQ(shown, (std::vector<std::string>{"Inches", "Centimeters", "Feet", "Meters"}));
      EXPECT_EQ(names, factors);
    }
    for (int i = 0; i < factors; ++i) {
      EXPECT_GT(db.UnitFactors[static_cast<std::size_t>(i)], 0.0) << "factor " << i + 1;
    }
    for (int i = 0; i < names; ++i) {
      const std::string& name = db.UnitNames[static_cast<std::size_t>(i)];
      const auto length = feetPerUnit.find(name);
      ASSERT_NE(length, feetPerUnit.end()) << "unknown unit " << name;
      const double expected = kCountsPerFoot * length->second;
      EXPECT_NEAR(db.UnitFactors[static_cast<std::size_t>(i)], expected, expected * 1e-4) << name;
    }
  }
}

TEST(FamilyModels, LimitsDescribeAMeasurableRange) {
  for (const FamilyModel& m : kFamily) {
    SCOPED_TRACE(m.file);
    auto r = load(modelsDir() / m.file, m.kind);
    const ModelDatabase& db = r->Database;
    EXPECT_GT(db.MaxSensorHeight, 0.0);
    EXPECT_GT(db.MinRange, 0.0);
    EXPECT_LT(db.MinRange, db.MaxSensorHeight);
    EXPECT_GT(db.MaxRange, db.MinRange);
    // Page-based models give their limits in their first units, the radar
    // in meters; either way the largest sensor height is the extent the
    // UNITRANGE text names in meters (to its one decimal).
    ASSERT_GE(db.UnitFactors.Count, 4);
    const double limitFactor = db.UnitFactors[m.kind == Kind::Pulse ? 3 : 0];
    const double meters = db.MaxSensorHeight * limitFactor / db.UnitFactors[3];
    EXPECT_NEAR(meters, std::stod(db.UnitRange), 0.05) << db.UnitRange;
    if (m.kind != Kind::Pulse) {
      // The largest sensor height must fit the 16-bit raw count, and is the
      // maximum distance the model writes to word 19.
      const double counts = db.MaxSensorHeight * db.UnitFactors[0];
      EXPECT_LE(counts + 0.5, 65535.0);
      const auto last = db.FixedWords.begin() + db.FixedWordCount;
      const auto word19 = std::find_if(db.FixedWords.begin(), last,
                                       [](const FixedWord& w) { return w.Word == 19; });
      ASSERT_NE(word19, last);
      EXPECT_NEAR(counts, word19->Value, 0.5);
    }
    if (m.kind == Kind::GuidedWave) {
      EXPECT_GT(db.LowerProbeDeadband, 0.0);
      EXPECT_GT(db.NutOffset, 0.0);
      // The shortest probe the page accepts is shorter than the longest.
      const double shortest = db.LowerProbeDeadband + db.MinRange - db.NutOffset;
      EXPECT_GT(shortest, 0.0);
      EXPECT_LT(shortest, db.MaxSensorHeight);
    } else {
      EXPECT_EQ(db.LowerProbeDeadband, 0.0);
      EXPECT_EQ(db.NutOffset, 0.0);
    }
  }
}

TEST(FamilyModels, PageWordsOfItemsLevelsFixedWordsAndAdvancedInputsNeverShare) {
  for (const FamilyModel& m : kFamily) {
    SCOPED_TRACE(m.file);
    auto r = load(modelsDir() / m.file, m.kind);
    const ModelDatabase& db = r->Database;
    std::map<int, std::string> owner;  // word -> what the model keeps there
    const auto claim = [&](int w, const std::string& what) {
      EXPECT_FALSE(reservedWord(w)) << what << " on word " << w;
      const auto [it, fresh] = owner.emplace(w, what);
      if (!fresh && it->second != what) {
        ADD_FAILURE() << "word " << w << " holds both " << it->second << " and " << what;
      }
    };
    for (int i = 0; i < ModelDatabase::kConfigItems; ++i) {
      const ConfigItem& item = db.ConfigItems[static_cast<std::size_t>(i)];
      if (item.Present && item.LabelCode >= 0) claim(item.LabelCode, "item " + item.Label);
    }
    const int configs = used(db.Configurations.Count, db.Configurations.Last);
    for (int c = 0; c < configs; ++c) {
      for (int w : db.Configurations[static_cast<std::size_t>(c)].LevelWords) {
        if (w > 0) claim(w, "a level");
      }
    }
    std::set<int> fixed;
    for (int f = 0; f < db.FixedWordCount; ++f) {
      const FixedWord& word = db.FixedWords[static_cast<std::size_t>(f)];
      EXPECT_TRUE(fixed.insert(word.Word).second) << "fixed word " << word.Word << " twice";
      EXPECT_TRUE(word.Value >= 0 && word.Value <= 0xFFFF) << word.Value;
      claim(word.Word, "a fixed word");
    }
    const AdvancedInputList& adv = db.AdvancedInputs;
    const int inputs = adv.Last + 1;
    if (m.kind == Kind::Pulse) {
      // The radar has its fixed advanced dialog, fed by these two lists;
      // the type-of-medium rule needs the liquid and the solid choice.
      EXPECT_EQ(inputs, 0);
      EXPECT_GE(db.Media.Count, 2);
      EXPECT_GE(db.FirstEchoes.Count, 2);
      EXPECT_TRUE(owner.empty()) << "a radar model has no page words";
      EXPECT_EQ(db.FixedWordCount, 0);
      continue;
    }
    EXPECT_GE(inputs, 2);
    EXPECT_EQ(adv.Count, inputs);
    EXPECT_EQ(adv.TextCount, inputs) << "an advanced input without its explanation";
    std::set<std::pair<int, int>> bits;
    for (int i = 0; i < inputs; ++i) {
      const AdvancedInput& a = adv[static_cast<std::size_t>(i)];
      SCOPED_TRACE(a.Caption);
      EXPECT_FALSE(a.Caption.empty());
      EXPECT_FALSE(a.ExplanatoryText.empty());
      // The explanation is used as a format text: no conversions in it.
      EXPECT_EQ(a.ExplanatoryText.find('%'), std::string::npos);
      ASSERT_GE(a.FlagWord, 0);
      EXPECT_TRUE(a.FlagBit >= 1 && a.FlagBit <= 16) << a.FlagBit;
      EXPECT_TRUE(bits.emplace(a.FlagWord, a.FlagBit).second) << "flag bit shared";
      claim(a.FlagWord, "the advanced flags");
      if (a.ValueWord >= 0) claim(a.ValueWord, "advanced value " + a.Caption);
      if (a.UnitsMode == 1) {
        EXPECT_FALSE(a.UnitsText.empty());
      }
    }
  }
}

TEST(FamilyModels, PicturesHelpAndFilesAreNamed) {
  for (const FamilyModel& m : kFamily) {
    SCOPED_TRACE(m.file);
    auto r = load(modelsDir() / m.file, m.kind);
    const ModelDatabase& db = r->Database;
    const ModelImages& images = r->Images;
    EXPECT_FALSE(images.LogoImage.empty());
    EXPECT_FALSE(images.Image.empty());
    EXPECT_FALSE(images.ImageCaption.empty());
    EXPECT_GE(images.TankImages.Count, 1);
    EXPECT_FALSE(db.HelpFile.empty());
    EXPECT_FALSE(db.DefaultFile.empty());
    EXPECT_EQ(fs::path(db.DefaultFile).extension(), ".txt");

    // Each level row a configuration shows has the end point of its line.
    int rows = 0;
    const int configs = used(db.Configurations.Count, db.Configurations.Last);
    for (int c = 0; c < configs; ++c) {
      const ModelConfiguration& config = db.Configurations[static_cast<std::size_t>(c)];
      for (int p = 0; p < ModelConfiguration::kLevels; ++p) {
        if (!config.LevelCaptions[static_cast<std::size_t>(p)].empty())
          rows = std::max(rows, p + 1);
      }
    }
    EXPECT_GE(images.Overlays.Count, rows);
    for (int o = 0; o < images.Overlays.Count; ++o) {
      const OverlayPoint& point = images.Overlays[static_cast<std::size_t>(o)];
      EXPECT_GT(point.X, 0);
      EXPECT_GT(point.Y, 0);
      EXPECT_FALSE(point.Caption.empty()) << "overlay " << o + 1 << " names no picture";
      if (o > 0) {
        // Rows count from the bottom: each end point lies above the last.
        EXPECT_LT(point.Y, images.Overlays[static_cast<std::size_t>(o - 1)].Y);
      }
    }

    // The help lines replaced the topics of the items and buttons.
    const HelpTopicTable& help = r->HelpTopics;
    for (int i = 0; i < ModelDatabase::kConfigItems; ++i) {
      if (!db.ConfigItems[static_cast<std::size_t>(i)].Present) continue;
      const std::string topic = help.lookup(helpItemList(i));
      EXPECT_NE(topic, "CONFIGURATION_GROUP.htm") << "item " << i + 1 << " has no topic";
      EXPECT_EQ(fs::path(topic).extension(), ".htm") << topic;
      EXPECT_EQ(help.lookup(helpItemCaption(i)), topic);
    }
    for (HelpControl control : {HelpControl::AdvancedButton, HelpControl::ClearScreenButton,
                                HelpControl::FactoryConfigButton}) {
      const std::string topic = help.lookup(control);
      EXPECT_NE(topic, "ADVANCED.htm");
      EXPECT_NE(topic, "CONFIGURATION_GROUP.htm");
      EXPECT_EQ(fs::path(topic).extension(), ".htm") << topic;
    }

    if (m.kind != Kind::Pulse) {
      // Entry 1 of the diagnostics list reads the stored scan, entry 2 the echo.
      ASSERT_GE(db.DiagnosticEchoes.Count, 2);
      EXPECT_NE(lower(db.DiagnosticEchoes[0]).find("scan"), std::string::npos);
      EXPECT_NE(lower(db.DiagnosticEchoes[1]).find("echo"), std::string::npos);
    }

    if (m.nonLinear) {
      // The structure pages come in the order tanks, flumes, weirs; the
      // structure file of a shape is found by its family word.
      ASSERT_GE(db.NonLinearFiles.Count, 3);
      const char* families[] = {"tank", "flume", "weir"};
      for (int k = 0; k < 3; ++k) {
        EXPECT_NE(lower(db.NonLinearFiles[static_cast<std::size_t>(k)]).find(families[k]),
                  std::string::npos)
            << db.NonLinearFiles[static_cast<std::size_t>(k)];
      }
      for (int k = 0; k < db.NonLinearFiles.Count; ++k) {
        EXPECT_FALSE(db.NonLinearTitles[static_cast<std::size_t>(k)].empty()) << "tab " << k + 1;
        // A structure file is not a model file of the family.
        const std::string name = db.NonLinearFiles[static_cast<std::size_t>(k)];
        EXPECT_EQ(fs::path(name).extension(), ".txt") << name;
      }
      EXPECT_FALSE(db.NonLinearHelpFile.empty());
      EXPECT_FALSE(db.MaxHead.empty());
    } else {
      EXPECT_EQ(db.NonLinearFiles.Count, 0);
    }
  }
}

TEST(FamilyModels, EncipheredTwinsHoldThePlainTextExactly) {
  const FmfCipher cipher;
  for (const FamilyModel& m : kFamily) {
    SCOPED_TRACE(m.file);
    const fs::path twin = modelsDir() / twinName(m.file);
    ASSERT_TRUE(fs::exists(twin));
    const std::string plain = test::readBytes(modelsDir() / m.file);
    const std::string enciphered = test::readBytes(twin);
    EXPECT_EQ(enciphered.size() % FmfCipher::kBlockSize, 0u);
    EXPECT_EQ(cipher.decipherText(enciphered), plain);
    // Plain ASCII, so that the 8-bit reader takes it the same everywhere.
    for (char c : plain) {
      EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80) << m.file;
    }
  }
}

}  // namespace
}  // namespace ostrel

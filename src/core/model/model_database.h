#pragma once
// The definition of one unit model as its model file gives it. Every list
// has a fixed capacity, so nothing a file says can make a record grow.

#include <array>
#include <cstdint>
#include <string>

#include "core/model/bookkept_list.h"

namespace ostrel {

struct ModelImages;
struct SessionFlags;

// One label + choice list of the configuration page.
struct ConfigItem {
  static constexpr int kChoices = 100;

  bool Present = false;
  std::string Label;
  std::int32_t LabelCode = 0;  // word of the configuration page that receives the code
  std::int32_t ChoiceCount = 0;
  std::int32_t ChoiceLast = -1;
  // Choice 0 is the select prompt (code -1).
  std::array<std::int32_t, kChoices> Codes{};
  std::array<std::string, kChoices> Texts{};
};

// One valid combination of choices.
struct ModelConfiguration {
  static constexpr int kItems = 10;
  static constexpr int kLevels = 6;

  bool Present = false;
  std::int32_t Number = 0;
  std::array<std::int32_t, kItems> ChoiceCodes{};
  std::array<std::int32_t, kLevels> LevelWords{};
  std::array<std::string, kLevels> LevelCaptions{};
  std::int32_t Extra = 0;  // kept, unused
  std::string DrawingFile;
};

// A check box and value of the advanced settings dialog.
struct AdvancedInput {
  std::int32_t FlagWord = 0;  // negative: no enable flag
  std::int32_t FlagBit = 0;   // from 1
  std::string Caption;
  std::int32_t ValueWord = 0;  // negative: check box only
  std::int32_t UnitsMode = 0;  // 1: UnitsText labels the value
  std::string UnitsText;
  std::string ExplanatoryText;
};

// ADVINPUT and ADVTEXT lines count separately but share the highest index.
struct AdvancedInputList {
  static constexpr int kCapacity = 31;

  std::array<AdvancedInput, kCapacity> Items{};
  std::int32_t Count = 0;      // ADVINPUT lines counted
  std::int32_t TextCount = 0;  // ADVTEXT lines counted
  std::int32_t Last = -1;

  int used() const { return usedLength(Count, Last, kCapacity); }

  AdvancedInput& operator[](std::size_t i) { return Items[i]; }
  const AdvancedInput& operator[](std::size_t i) const { return Items[i]; }
};

// A word of the unit's configuration page the model always sets.
struct FixedWord {
  std::int32_t Word = 0;
  std::int32_t Value = 0;
};

struct ModelDatabase {
  static constexpr int kConfigItems = 10;
  static constexpr int kConfigurations = 1000;
  static constexpr int kUnits = 10;
  static constexpr int kFixedWords = 100;
  static constexpr int kUnitTypes = 10;
  static constexpr int kNonLinear = 10;
  static constexpr int kChoiceLists = 10;
  static constexpr double kDefaultUnitFactor = 708.0;

  BookkeptList<ConfigItem, kConfigItems> ConfigItems;
  BookkeptList<ModelConfiguration, kConfigurations> Configurations;
  AdvancedInputList AdvancedInputs;
  BookkeptList<std::string, kUnits> UnitNames;
  BookkeptList<double, kUnits> UnitFactors;
  double DefaultUnitFactor = kDefaultUnitFactor;
  std::array<FixedWord, kFixedWords> FixedWords{};
  std::int32_t FixedWordCount = 0;
  double MaxSensorHeight = 0.0;
  double MinRange = 0.0;
  double MaxRange = 0.0;
  double LowerProbeDeadband = 0.0;
  double NutOffset = 0.0;
  std::string DefaultFile;
  std::array<std::string, kUnitTypes> UnitTypes{};
  std::int32_t UnitTypeCount = 0;
  std::string NonLinearButtonCaption;
  std::array<std::string, kNonLinear> NonLinearTitles{};
  BookkeptList<std::string, kNonLinear> NonLinearFiles;
  std::string UnitRange;
  std::string MaxHead;
  std::int32_t InvertDemo = 0;
  std::int32_t GuidedWaveRadar = 0;
  std::int32_t PulseRadar = 0;
  std::int32_t Ugus = 0;
  BookkeptList<std::string, kChoiceLists> DiagnosticEchoes;
  BookkeptList<std::string, kChoiceLists> Media;
  BookkeptList<std::string, kChoiceLists> FirstEchoes;
  std::string HelpFile;
  std::string NonLinearHelpFile;
};

// Before each model file: empties the lists of the model and its pictures
// and clears the kind flags (and their process-wide copies when given).
// Limits, files and captions not named here keep their values until a
// file overwrites them.
void ResetModelDatabase(ModelDatabase& database, ModelImages& images, SessionFlags* flags);

}  // namespace ostrel

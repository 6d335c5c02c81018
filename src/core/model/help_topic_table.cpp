#include "core/model/help_topic_table.h"

namespace ostrel {
namespace {

constexpr std::string_view kPicture = "TANK_LEVELS_GROUP.htm";
constexpr std::string_view kConfiguration = "CONFIGURATION_GROUP.htm";
constexpr std::string_view kLevels = "TANK_LEVELS_GROUP.htm";
constexpr std::string_view kLevelsGuidedWave = "LEVELS_GWR.htm";
constexpr std::string_view kLevelsPulse = "TANK_LEVELS_PULSE.htm";
constexpr std::string_view kConfigFile = "CONFIGURATION_FILE.htm";

}  // namespace

void HelpTopicTable::add(HelpControl control, std::string_view topic) {
  if (count_ >= kCapacity) return;
  entries_[static_cast<std::size_t>(count_)] = HelpTopicEntry{control, std::string(topic)};
  ++count_;
}

void HelpTopicTable::build(bool guidedWave, bool pulse) {
  clear();
  // The pulse topic wins over the guided-wave one when a model claims both.
  const std::string_view byKind = pulse ? kLevelsPulse : guidedWave ? kLevelsGuidedWave : kLevels;
  // The middle level caption has no pulse topic.
  const std::string_view thirdRow = guidedWave ? kLevelsGuidedWave : kLevels;

  add(HelpControl::LevelPicture, kPicture);
  for (int i = 0; i < kHelpItemLists; ++i) add(helpItemList(i), kConfiguration);
  for (int i = 0; i < kHelpLevels; ++i) add(helpLevelBox(i), kLevels);
  add(HelpControl::UnitsList, kLevels);
  add(HelpControl::SensorHeightBox, byKind);
  add(HelpControl::FillHeightBox, byKind);
  add(HelpControl::FactoryConfigButton, kConfiguration);
  add(HelpControl::ConfigFileNameBox, kConfigFile);
  add(HelpControl::OpenConfigFileButton, kConfigFile);
  add(HelpControl::SaveConfigFileButton, kConfigFile);
  add(HelpControl::WriteToUnitButton, "WRITE_TO_UNIT.htm");
  add(HelpControl::WiringDiagramButton, "VIEW_DRAWING.htm");
  add(HelpControl::NotesBox, "DESCRIPTION.htm");
  add(HelpControl::DescriptionLine, kDefaultTopic);
  for (int i = 0; i < kHelpItemCaptions; ++i) add(helpItemCaption(i), kConfiguration);
  add(HelpControl::ConfigStatusLine, kConfiguration);
  // Level 5 is the top row, so the third row from the top is level 3.
  for (int i = 0; i < kHelpLevels; ++i) add(helpLevelCaption(i), i == 3 ? thirdRow : byKind);
  add(HelpControl::FileDateLine, kConfigFile);
  add(HelpControl::PrintConfigFileButton, "PRINT_CONFIG.htm");
  add(HelpControl::UnitLine, kDefaultTopic);
  add(HelpControl::ClearScreenButton, kConfiguration);
  add(HelpControl::ConfigurationGroup, kConfiguration);
  add(HelpControl::LevelsGroup, byKind);
  add(HelpControl::HeightUnitsCaption, byKind);
  add(HelpControl::SensorHeightCaption, byKind);
  add(HelpControl::FillHeightCaption, byKind);
  add(HelpControl::RelayUnitsCaption, byKind);
  add(HelpControl::ConfigFileNameCaption, kConfigFile);
  add(HelpControl::NotesCaption, "DESCRIPTION.htm");
  add(HelpControl::AdvancedButton, "ADVANCED.htm");
  add(HelpControl::TanksButton, "TANKS.htm");
  add(HelpControl::ModelGroup, "MODEL_DEFAULTS.htm");
  add(HelpControl::ModelList, "MODEL_DEFAULTS.htm");
  // The relay units caption is listed a second time; lookups see the first.
  add(HelpControl::RelayUnitsCaption, byKind);
  add(HelpControl::RelayUnitsBox, byKind);
  add(HelpControl::HeightUnitsBox, byKind);
}

int HelpTopicTable::firstEntry(HelpControl control) const {
  for (int i = 0; i < count_; ++i) {
    if (entries_[static_cast<std::size_t>(i)].Control == control) return i;
  }
  return -1;
}

std::string HelpTopicTable::lookup(HelpControl control) const {
  const int i = firstEntry(control);
  return i < 0 ? std::string(kDefaultTopic) : entries_[static_cast<std::size_t>(i)].Topic;
}

bool HelpTopicTable::replaceTopic(HelpControl control, std::string_view topic) {
  const int i = firstEntry(control);
  const int tanks = firstEntry(HelpControl::TanksButton);
  if (i < 0 || tanks < 0 || i >= tanks) return false;
  entries_[static_cast<std::size_t>(i)].Topic = std::string(topic);
  return true;
}

}  // namespace ostrel

#pragma once
// The configuration page's context help: which help topic each control
// opens. Built for the kind of model loaded; the model file may then change
// the topics of the controls that come before "Tanks" in the table.

#include <array>
#include <string>
#include <string_view>

namespace ostrel {

// The page's controls that carry a help topic. Ranges (ItemList0..ItemList9
// and the like) are contiguous; use the helpers below to index them.
enum class HelpControl : int {
  LevelPicture = 0,
  ItemList0,
  ItemList9 = ItemList0 + 9,
  LevelBox0,  // LEVEL[0], the bottom row
  LevelBox5 = LevelBox0 + 5,
  UnitsList,
  SensorHeightBox,
  FillHeightBox,
  FactoryConfigButton,
  ConfigFileNameBox,
  OpenConfigFileButton,
  SaveConfigFileButton,
  WriteToUnitButton,
  WiringDiagramButton,
  NotesBox,
  DescriptionLine,
  ItemCaption0,
  ItemCaption7 = ItemCaption0 + 7,
  ConfigStatusLine,
  LevelCaption0,  // caption of LEVEL[0], the bottom row
  LevelCaption5 = LevelCaption0 + 5,
  FileDateLine,
  PrintConfigFileButton,
  UnitLine,
  ClearScreenButton,
  ConfigurationGroup,
  LevelsGroup,
  HeightUnitsCaption,
  SensorHeightCaption,
  FillHeightCaption,
  RelayUnitsCaption,
  ConfigFileNameCaption,
  NotesCaption,
  AdvancedButton,
  TanksButton,
  ModelGroup,
  ModelList,
  RelayUnitsBox,
  HeightUnitsBox,
};

constexpr int kHelpItemLists = 10;
constexpr int kHelpItemCaptions = 8;
constexpr int kHelpLevels = 6;

constexpr HelpControl helpItemList(int item) {
  return static_cast<HelpControl>(static_cast<int>(HelpControl::ItemList0) + item);
}
constexpr HelpControl helpItemCaption(int item) {
  return static_cast<HelpControl>(static_cast<int>(HelpControl::ItemCaption0) + item);
}
constexpr HelpControl helpLevelBox(int level) {
  return static_cast<HelpControl>(static_cast<int>(HelpControl::LevelBox0) + level);
}
constexpr HelpControl helpLevelCaption(int level) {
  return static_cast<HelpControl>(static_cast<int>(HelpControl::LevelCaption0) + level);
}

struct HelpTopicEntry {
  HelpControl Control = HelpControl::LevelPicture;
  std::string Topic;
};

class HelpTopicTable {
 public:
  static constexpr int kCapacity = 63;
  static constexpr std::string_view kDefaultTopic = "GETTING_STARTED.htm";

  // Fills the table for a model kind; replaces what was there.
  void build(bool guidedWave, bool pulse);
  void clear() { count_ = 0; }

  // The topic of the control's first entry, or the default topic.
  std::string lookup(HelpControl control) const;

  // Sets the topic of the control's first entry when that entry lies before
  // "Tanks"; true when a topic was replaced.
  bool replaceTopic(HelpControl control, std::string_view topic);

  int count() const { return count_; }
  const HelpTopicEntry& entry(int index) const {
    return entries_.at(static_cast<std::size_t>(index));
  }

 private:
  void add(HelpControl control, std::string_view topic);
  int firstEntry(HelpControl control) const;

  std::array<HelpTopicEntry, kCapacity> entries_{};
  int count_ = 0;
};

}  // namespace ostrel

#include "core/model/help_topic_table.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(HelpTopicTable, TopicsFollowTheModelKind) {
  HelpTopicTable t;
  EXPECT_EQ(t.lookup(HelpControl::TanksButton), "GETTING_STARTED.htm");  // empty table

  t.build(false, false);
  EXPECT_EQ(t.count(), 62);
  EXPECT_EQ(t.entry(0).Control, HelpControl::LevelPicture);
  EXPECT_EQ(t.lookup(HelpControl::LevelPicture), "TANK_LEVELS_GROUP.htm");
  EXPECT_EQ(t.lookup(helpItemList(9)), "CONFIGURATION_GROUP.htm");
  EXPECT_EQ(t.lookup(helpItemCaption(7)), "CONFIGURATION_GROUP.htm");
  EXPECT_EQ(t.lookup(HelpControl::SensorHeightBox), "TANK_LEVELS_GROUP.htm");
  EXPECT_EQ(t.lookup(HelpControl::SaveConfigFileButton), "CONFIGURATION_FILE.htm");
  EXPECT_EQ(t.lookup(HelpControl::WiringDiagramButton), "VIEW_DRAWING.htm");
  EXPECT_EQ(t.lookup(HelpControl::NotesCaption), "DESCRIPTION.htm");
  EXPECT_EQ(t.lookup(HelpControl::UnitLine), "GETTING_STARTED.htm");
  EXPECT_EQ(t.lookup(HelpControl::ModelList), "MODEL_DEFAULTS.htm");
  EXPECT_EQ(t.lookup(HelpControl::TanksButton), "TANKS.htm");

  t.build(true, false);
  EXPECT_EQ(t.lookup(HelpControl::FillHeightBox), "LEVELS_GWR.htm");
  EXPECT_EQ(t.lookup(helpLevelCaption(3)), "LEVELS_GWR.htm");
  EXPECT_EQ(t.lookup(helpLevelBox(2)), "TANK_LEVELS_GROUP.htm");  // level boxes do not vary

  // Both flags: the pulse topics win, except for the third row's caption.
  t.build(true, true);
  EXPECT_EQ(t.lookup(HelpControl::HeightUnitsBox), "TANK_LEVELS_PULSE.htm");
  EXPECT_EQ(t.lookup(helpLevelCaption(5)), "TANK_LEVELS_PULSE.htm");
  EXPECT_EQ(t.lookup(helpLevelCaption(3)), "LEVELS_GWR.htm");
  t.build(false, true);
  EXPECT_EQ(t.lookup(helpLevelCaption(3)), "TANK_LEVELS_GROUP.htm");
  EXPECT_EQ(t.lookup(HelpControl::LevelsGroup), "TANK_LEVELS_PULSE.htm");
}

TEST(HelpTopicTable, OnlyEntriesBeforeTanksCanBeReplaced) {
  HelpTopicTable t;
  EXPECT_FALSE(t.replaceTopic(HelpControl::AdvancedButton, "x.htm"));
  t.build(false, false);
  EXPECT_TRUE(t.replaceTopic(HelpControl::AdvancedButton, "adv.htm"));
  EXPECT_EQ(t.lookup(HelpControl::AdvancedButton), "adv.htm");
  EXPECT_FALSE(t.replaceTopic(HelpControl::TanksButton, "x.htm"));
  EXPECT_FALSE(t.replaceTopic(HelpControl::ModelGroup, "x.htm"));
  EXPECT_FALSE(t.replaceTopic(HelpControl::HeightUnitsBox, "x.htm"));
  EXPECT_EQ(t.lookup(HelpControl::TanksButton), "TANKS.htm");
  EXPECT_EQ(t.lookup(HelpControl::HeightUnitsBox), "TANK_LEVELS_GROUP.htm");
  // The relay units caption has a second entry after "Tanks"; its first
  // entry, the one lookups see, lies before it.
  EXPECT_TRUE(t.replaceTopic(HelpControl::RelayUnitsCaption, "relay.htm"));
  EXPECT_EQ(t.lookup(HelpControl::RelayUnitsCaption), "relay.htm");
  int relayEntries = 0;
  for (int i = 0; i < t.count(); ++i)
    relayEntries += t.entry(i).Control == HelpControl::RelayUnitsCaption;
  EXPECT_EQ(relayEntries, 2);
  // Building again restores the model-kind topics.
  t.build(false, false);
  EXPECT_EQ(t.lookup(HelpControl::AdvancedButton), "ADVANCED.htm");
}

}  // namespace
}  // namespace ostrel

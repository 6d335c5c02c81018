// The item lists on the shipped KM30: relay function (6 choices), loop span
// (2), failsafe (3: Hold Last Level, Go Empty, Go Full) and display (3).
#include "core/config/item_lists.h"

#include <gtest/gtest.h>

#include "shipped_model.h"

namespace ostrel {
namespace {

constexpr int kRelayFunction = 0, kLoopSpan = 1, kFailsafe = 2;
constexpr int kIndependent = 5;

struct Km30 {
  Km30() : records(test::shippedModel("KM30_Ultrasonic.txt")), lists(records->Database) {
    lists.setup(shown, choices);
  }
  std::unique_ptr<ModelRecords> records;
  ItemLists lists;
  ItemLists::Lists shown{};
  ItemLists::Choices choices{};
};

TEST(ItemLists, SetUpOffersEveryChoiceAndTypingGoesRoundTheOfferedEntries) {
  Km30 k;
  EXPECT_EQ(k.shown[kRelayFunction].offered, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(k.shown[kRelayFunction].shown, 0);
  EXPECT_EQ(k.choices[kRelayFunction], 0);
  EXPECT_FALSE(k.shown[4].present);
  EXPECT_EQ(k.choices[4], -1);
  EXPECT_EQ(k.lists.choiceText(kFailsafe, 2), "Go Empty");
  EXPECT_EQ(k.lists.choiceText(kFailsafe, 4), "");

  ItemList& failsafe = k.shown[kFailsafe];
  EXPECT_EQ(k.lists.typed(failsafe, kFailsafe, "GO"), 2);
  failsafe.shown = 2;
  EXPECT_EQ(k.lists.typed(failsafe, kFailsafe, "go"), 3);
  failsafe.shown = 3;
  EXPECT_EQ(k.lists.typed(failsafe, kFailsafe, "go"), 2);  // round to the start
  EXPECT_EQ(k.lists.typed(failsafe, kFailsafe, "x"), -1);
}

TEST(ItemLists, AChoiceNoLongerOfferedReadsBackAsNone) {
  Km30 k;
  k.choices[kRelayFunction] = kIndependent;
  k.choices[kLoopSpan] = 2;  // independent relays span the fill height only
  k.lists.refill(k.shown, k.choices);
  EXPECT_EQ(k.shown[kLoopSpan].offered, (std::vector<int>{0, 1}));
  EXPECT_EQ(k.shown[kLoopSpan].shown, -1);
  EXPECT_EQ(k.choices[kLoopSpan], -1);
  EXPECT_EQ(k.shown[kRelayFunction].shown, kIndependent);
  // Nothing fits the items before the failsafe now: only the placeholder.
  EXPECT_EQ(k.shown[kFailsafe].offered, (std::vector<int>{0}));

  // The loop span chosen again: the configuration takes any failsafe.
  k.shown[kLoopSpan].shown = 1;
  EXPECT_TRUE(k.lists.readBack(k.shown, kLoopSpan, k.choices));
  EXPECT_EQ(k.choices[kLoopSpan], 1);
  k.lists.refill(k.shown, k.choices);
  EXPECT_EQ(k.shown[kFailsafe].offered, (std::vector<int>{0, 1, 2, 3}));
}

TEST(ItemLists, TestChoicesTakeTheConfigurationAndFirstChoiceWhereItTakesAny) {
  Km30 k;
  ASSERT_TRUE(k.lists.testChoices(1, k.shown, k.choices));
  EXPECT_EQ(k.choices[kRelayFunction], kIndependent);
  EXPECT_EQ(k.choices[kLoopSpan], 1);
  EXPECT_EQ(k.choices[kFailsafe], 1);  // -1 in the model: any
  EXPECT_EQ(k.shown[kFailsafe].shown, 1);
  EXPECT_EQ(k.choices[4], -1);  // an absent item is left alone

  // Past the last configuration the last one is taken.
  const int count = ItemMatcher(k.records->Database).configurationCount();
  Km30 last;
  last.lists.testChoices(count, last.shown, last.choices);
  k.lists.testChoices(count + 5, k.shown, k.choices);
  EXPECT_EQ(k.choices, last.choices);
}

}  // namespace
}  // namespace ostrel

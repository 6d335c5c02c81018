#pragma once
// The configuration page's item lists over the matching rules: what each
// list offers and shows, and the record's choices read back from what the
// lists show.

#include <array>
#include <string>

#include "core/config/config_page_view.h"
#include "core/config/item_matcher.h"

namespace ostrel {

class ItemLists {
 public:
  using Lists = std::array<ItemList, UnitConfiguration::kConfigItems>;
  using Choices = ItemMatcher::Choices;

  explicit ItemLists(const ModelDatabase& model) : model_(model) {}

  // A choice's caption; empty outside the item's choices.
  std::string choiceText(int item, int choice) const;
  // Every list from the model: all its choices offered, the placeholder
  // shown and chosen; absent items choose -1.
  void setup(Lists& lists, Choices& choices) const;
  // The record's choice from the list's shown text; false when the text
  // matches no choice.
  bool readBack(const Lists& lists, int item, Choices& choices) const;
  static std::array<bool, UnitConfiguration::kConfigItems> present(const Lists& lists);
  // Each present list offers what the choices before it allow. The current
  // choice stays shown; one no longer offered leaves the list without a
  // selection, which reads back as no choice.
  void refill(Lists& lists, Choices& choices) const;
  // The present lists show the record's choices.
  static void show(Lists& lists, const Choices& choices);
  // The first offered entry after the shown one whose caption begins with
  // `typed` (case ignored), going round; -1 for none.
  int typed(const ItemList& list, int item, const std::string& typed) const;
  // The choices of configuration `number` (1-based, kept inside the
  // model's), an item it leaves open taking its first choice; false when
  // the model has none.
  bool testChoices(int number, Lists& lists, Choices& choices) const;

 private:
  const ModelDatabase& model_;
};

}  // namespace ostrel

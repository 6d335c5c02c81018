#include "core/config/item_selection.h"

#include "core/config/unit_configuration.h"

namespace ostrel {

ItemList* ItemSelection::list(int item) {
  if (item < 0 || item >= UnitConfiguration::kConfigItems) return nullptr;
  ItemList& l = lists_[static_cast<std::size_t>(item)];
  return l.present ? &l : nullptr;
}

void ItemSelection::setup() {
  rules().setup(lists_, config_.itemChoices);
  hooks_.changed();
}

void ItemSelection::showChoices() {
  ItemLists::show(lists_, config_.itemChoices);
  hooks_.changed();
}

bool ItemSelection::readBack(int item) { return rules().readBack(lists_, item, config_.itemChoices); }

void ItemSelection::match(bool refreshLevels) {
  const ItemMatcher::Match m =
      ItemMatcher(model_).match(config_.itemChoices, ItemLists::present(lists_));
  config_.configurationIndex = m.index;
  config_.configurationValid = m.outcome == ItemMatcher::Outcome::Valid;
  if (!config_.configurationValid) config_.levelsValid = false;
  hooks_.matched(m, refreshLevels);
  rules().refill(lists_, config_.itemChoices);
  hooks_.changed();
}

void ItemSelection::autoSelect(int except, bool refreshLevels) {
  for (int j = 0; j < UnitConfiguration::kConfigItems; ++j) {
    ItemList& l = lists_[static_cast<std::size_t>(j)];
    if (j == except || !l.present || l.offered.size() != 2) continue;
    if (l.shown == l.offered[1] && config_.itemChoices[static_cast<std::size_t>(j)] == l.offered[1]) {
      continue;
    }
    l.shown = l.offered[1];
    if (readBack(j)) match(refreshLevels);
  }
}

void ItemSelection::select(int item, int choice) {
  ItemList* l = list(item);
  if (l == nullptr) return;
  l->shown = choice;
  if (!readBack(item)) {
    hooks_.refused(item);
    hooks_.changed();
    return;
  }
  afterChoice(item);
}

void ItemSelection::afterChoice(int item) {
  hooks_.taking(item);
  match(true);
  autoSelect(item, true);
  hooks_.taken(item);
}

void ItemSelection::closed(int item) {
  const ItemList* l = list(item);
  // Widening the list cleared its choice behind the choice it still shows:
  // closing it without picking takes the shown choice back.
  if (l == nullptr || config_.itemChoices[static_cast<std::size_t>(item)] == l->shown) return;
  select(item, l->shown);
}

void ItemSelection::widen(int item) {
  ItemList* l = list(item);
  if (l == nullptr) return;
  const int previous = l->shown;
  l->shown = 0;
  readBack(item);
  match(false);
  autoSelect(item, false);
  // The previous choice shows again; it is taken when the list closes.
  l->shown = previous;
  hooks_.changed();
}

void ItemSelection::type(int item, const std::string& typed) {
  ItemList* l = list(item);
  if (l == nullptr || typed.empty()) return;
  widen(item);
  const int c = rules().typed(*l, item, typed);
  if (c < 0) return;
  l->shown = c;
  if (readBack(item)) afterChoice(item);
}

void ItemSelection::clear() {
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    ItemList& l = lists_[static_cast<std::size_t>(i)];
    if (!l.present) continue;
    l.shown = 0;
    if (readBack(i)) match(false);
  }
}

void ItemSelection::test(int number) {
  rules().testChoices(number, lists_, config_.itemChoices);
  match(true);
}

}  // namespace ostrel

#pragma once
// The configuration page's item lists as the user works them. A list's
// shown choice is read back into the record's choices and matched against
// the model's configurations; every list then offers what the choices
// allow, and a list left with one entry besides its placeholder takes it by
// itself. Dropping a list down clears its choice behind the one it shows,
// so that the other lists offer all that choice would allow; closing it
// without a pick takes the shown choice back.
//
// The page reacts to each match (status, levels, buttons) and to each
// choice taken, through the hooks it gives.

#include <functional>
#include <string>

#include "core/config/item_lists.h"

namespace ostrel {

struct ModelDatabase;
struct UnitConfiguration;

class ItemSelection {
 public:
  using Lists = ItemLists::Lists;
  struct Hooks {
    // A match was made and stored in the record (index and validity).
    std::function<void(const ItemMatcher::Match& m, bool refreshLevels)> matched;
    // A choice of list `item` is taken; its matches follow.
    std::function<void(int item)> taking;
    // The choice and every list after it have settled.
    std::function<void(int item)> taken;
    // The shown text of list `item` matches no choice.
    std::function<void(int item)> refused;
    // What the lists offer or show changed.
    std::function<void()> changed;
  };

  ItemSelection(const ModelDatabase& model, UnitConfiguration& config, Hooks hooks)
      : model_(model), config_(config), hooks_(std::move(hooks)) {}

  const Lists& lists() const { return lists_; }

  // Every list from the model, its placeholder shown and chosen.
  void setup();
  // The lists show the record's choices.
  void showChoices();
  void select(int item, int choice);
  void widen(int item);
  void closed(int item);
  // Text typed into a list: it is dropped down, then the first offered
  // entry after the shown one that begins with the text is chosen.
  void type(int item, const std::string& typed);
  // The record's choices matched; the lists refilled.
  void match(bool refreshLevels);
  // Every present list back to its placeholder.
  void clear();
  // The choices of test configuration `number` (1-based), matched.
  void test(int number);

 private:
  ItemLists rules() const { return ItemLists(model_); }
  ItemList* list(int item);
  bool readBack(int item);
  void autoSelect(int except, bool refreshLevels);
  void afterChoice(int item);

  const ModelDatabase& model_;
  UnitConfiguration& config_;
  Hooks hooks_;
  Lists lists_{};
};

}  // namespace ostrel

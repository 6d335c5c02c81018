#pragma once
// Which of a model's configurations fit the choices made so far in the
// page's item lists, and which choices each list may still offer. Pure
// rules over the model: no page state, no view.
//
// A choice of 0 is the placeholder (nothing chosen yet); a configuration
// that prescribes -1 for an item takes any choice there.

#include <array>
#include <string>
#include <vector>

#include "core/config/unit_configuration.h"
#include "core/model/model_database.h"

namespace ostrel {

class ItemMatcher {
 public:
  using Choices = std::array<int, UnitConfiguration::kConfigItems>;

  // How the matching over every item came out.
  enum class Outcome {
    None,        // no configuration fits
    Incomplete,  // one fits, but a present item is still at the placeholder
    Valid,       // exactly one fits and every present item is chosen
    Several,     // more than one fits
  };
  struct Match {
    Outcome outcome = Outcome::None;
    int index = -1;   // the configuration when Valid, else -1
    int number = 0;   // its number (the model's CONFIG number)
  };

  explicit ItemMatcher(const ModelDatabase& model) : model_(model) {}

  // The choices item `item` holds (the placeholder included).
  int choiceCount(int item) const;
  int configurationCount() const;
  // Whether configuration `c` fits the choices of items 0..upTo-1.
  bool fits(const ModelConfiguration& c, const Choices& choices, int upTo) const;
  // The matching over all items; `present` says which items the model shows.
  Match match(const Choices& choices, const std::array<bool, UnitConfiguration::kConfigItems>& present) const;
  // The choices list `item` offers: the placeholder, and every choice that
  // a configuration fitting items 0..item-1 prescribes (all of them when one
  // takes any).
  std::vector<int> offered(const Choices& choices, int item) const;
  // The choice a list's shown text stands for: 0 for the placeholder's
  // text, the first choice (1 onwards) with that caption, -1 for none.
  int readBack(int item, const std::string& shown) const;

 private:
  const ModelDatabase& model_;
};

}  // namespace ostrel

#include "core/config/item_matcher.h"

#include "core/model/bookkept_list.h"

namespace ostrel {

int ItemMatcher::choiceCount(int item) const {
  const ConfigItem& it = model_.ConfigItems[static_cast<std::size_t>(item)];
  return usedLength(it.ChoiceCount, it.ChoiceLast, ConfigItem::kChoices);
}

int ItemMatcher::configurationCount() const {
  return usedLength(model_.Configurations.Count, model_.Configurations.Last,
                    ModelDatabase::kConfigurations);
}

bool ItemMatcher::fits(const ModelConfiguration& c, const Choices& choices, int upTo) const {
  if (!c.Present) return false;
  for (int j = 0; j < upTo; ++j) {
    const int chosen = choices[static_cast<std::size_t>(j)];
    const int wanted = c.ChoiceCodes[static_cast<std::size_t>(j)];
    if (chosen != 0 && wanted != -1 && wanted != chosen) return false;
  }
  return true;
}

ItemMatcher::Match ItemMatcher::match(
    const Choices& choices, const std::array<bool, UnitConfiguration::kConfigItems>& present) const {
  int matches = 0;
  int found = -1;
  for (int c = 0; c < configurationCount(); ++c) {
    if (fits(model_.Configurations[static_cast<std::size_t>(c)], choices,
             UnitConfiguration::kConfigItems)) {
      ++matches;
      found = c;
    }
  }
  Match m;
  if (matches == 0) return m;
  if (matches > 1) {
    m.outcome = Outcome::Several;
    return m;
  }
  for (int j = 0; j < UnitConfiguration::kConfigItems; ++j) {
    if (present[static_cast<std::size_t>(j)] && choices[static_cast<std::size_t>(j)] == 0) {
      m.outcome = Outcome::Incomplete;
      return m;
    }
  }
  m.outcome = Outcome::Valid;
  m.index = found;
  m.number = model_.Configurations[static_cast<std::size_t>(found)].Number;
  return m;
}

std::vector<int> ItemMatcher::offered(const Choices& choices, int item) const {
  const int count = std::max(choiceCount(item), 1);
  std::vector<bool> offer(static_cast<std::size_t>(count), false);
  offer[0] = true;
  for (int c = 0; c < configurationCount(); ++c) {
    const ModelConfiguration& mc = model_.Configurations[static_cast<std::size_t>(c)];
    if (!fits(mc, choices, item)) continue;
    const int wanted = mc.ChoiceCodes[static_cast<std::size_t>(item)];
    if (wanted == -1) {
      offer.assign(offer.size(), true);
      break;
    }
    if (wanted > 0 && wanted < count) offer[static_cast<std::size_t>(wanted)] = true;
  }
  std::vector<int> out;
  for (std::size_t c = 0; c < offer.size(); ++c) {
    if (offer[c]) out.push_back(static_cast<int>(c));
  }
  return out;
}

int ItemMatcher::readBack(int item, const std::string& shown) const {
  const ConfigItem& it = model_.ConfigItems[static_cast<std::size_t>(item)];
  // A present item without choices still has its (empty) placeholder.
  const std::string placeholder = choiceCount(item) > 0 ? it.Texts[0] : std::string();
  if (shown == placeholder) return 0;
  for (int c = 1; c < choiceCount(item); ++c) {
    if (it.Texts[static_cast<std::size_t>(c)] == shown) return c;
  }
  return -1;
}

}  // namespace ostrel

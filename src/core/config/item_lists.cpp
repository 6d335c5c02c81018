#include "core/config/item_lists.h"

#include <algorithm>

#include "core/support/plain_text.h"

namespace ostrel {

std::string ItemLists::choiceText(int item, int choice) const {
  if (item < 0 || item >= UnitConfiguration::kConfigItems) return {};
  if (choice < 0 || choice >= ItemMatcher(model_).choiceCount(item)) return {};
  return model_.ConfigItems[static_cast<std::size_t>(item)].Texts[static_cast<std::size_t>(choice)];
}

void ItemLists::setup(Lists& lists, Choices& choices) const {
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    const ConfigItem& it = model_.ConfigItems[static_cast<std::size_t>(i)];
    ItemList& list = lists[static_cast<std::size_t>(i)];
    list.present = it.Present;
    list.caption = it.Label;
    list.offered.clear();
    if (it.Present) {
      for (int c = 0; c < ItemMatcher(model_).choiceCount(i); ++c) list.offered.push_back(c);
      if (list.offered.empty()) list.offered.push_back(0);
    }
    list.shown = it.Present ? 0 : -1;
    choices[static_cast<std::size_t>(i)] = it.Present ? 0 : -1;
  }
}

bool ItemLists::readBack(const Lists& lists, int item, Choices& choices) const {
  const ItemList& list = lists[static_cast<std::size_t>(item)];
  int& choice = choices[static_cast<std::size_t>(item)];
  choice = list.shown < 0 ? -1 : ItemMatcher(model_).readBack(item, choiceText(item, list.shown));
  return choice >= 0;
}

std::array<bool, UnitConfiguration::kConfigItems> ItemLists::present(const Lists& lists) {
  std::array<bool, UnitConfiguration::kConfigItems> out{};
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = lists[i].present;
  return out;
}

void ItemLists::refill(Lists& lists, Choices& choices) const {
  const ItemMatcher matcher(model_);
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    ItemList& list = lists[static_cast<std::size_t>(i)];
    if (!list.present) continue;
    list.offered = matcher.offered(choices, i);
    const int current = choices[static_cast<std::size_t>(i)];
    if (std::find(list.offered.begin(), list.offered.end(), current) != list.offered.end()) {
      list.shown = current;
    } else {
      list.shown = -1;
      readBack(lists, i, choices);
    }
  }
}

void ItemLists::show(Lists& lists, const Choices& choices) {
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (lists[i].present) lists[i].shown = choices[i];
  }
}

int ItemLists::typed(const ItemList& list, int item, const std::string& typed) const {
  const auto start = std::find(list.offered.begin(), list.offered.end(), list.shown);
  const std::size_t from =
      start == list.offered.end() ? 0 : static_cast<std::size_t>(start - list.offered.begin()) + 1;
  const std::string prefix = plaintext::lowered(typed);
  for (std::size_t k = 0; k < list.offered.size(); ++k) {
    const int c = list.offered[(from + k) % list.offered.size()];
    if (plaintext::lowered(choiceText(item, c)).rfind(prefix, 0) == 0) return c;
  }
  return -1;
}

bool ItemLists::testChoices(int number, Lists& lists, Choices& choices) const {
  const int count = ItemMatcher(model_).configurationCount();
  if (count <= 0) return false;
  const int at = std::clamp(number - 1, 0, count - 1);
  const ModelConfiguration& mc = model_.Configurations[static_cast<std::size_t>(at)];
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (!lists[i].present) continue;
    const int c = std::max(1, static_cast<int>(mc.ChoiceCodes[i]));
    choices[i] = c;
    lists[i].shown = c;
  }
  return true;
}

}  // namespace ostrel

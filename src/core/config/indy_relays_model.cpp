#include "core/config/indy_relays_model.h"

#include <algorithm>
#include <utility>

#include "core/support/plain_text.h"
#include "core/volume/number_rules.h"
#include "core/volume/number_text.h"

namespace ostrel {

IndyRelaysModel::IndyRelaysModel(const Values& levels, int outputUnits, bool fineFeet,
                                 std::string unitsText)
    : values_(levels), outputUnits_(outputUnits), fineFeet_(fineFeet),
      unitsText_(std::move(unitsText)) {
  for (int k = 0; k < kRelays; ++k) {
    const float on = values_[static_cast<std::size_t>(onBox(k))];
    const float off = values_[static_cast<std::size_t>(offBox(k))];
    // Both boxes show when either point is set: an OFF point alone (a file
    // can hold one) would otherwise open as empty boxes and OK would store 0
    // over it.
    if (on > 0 || off > 0) {
      boxes_[static_cast<std::size_t>(onBox(k))] = show(on);
      boxes_[static_cast<std::size_t>(offBox(k))] = show(off);
    }
  }
}

std::string IndyRelaysModel::show(float value) const {
  return NumberRules::display(static_cast<double>(value), outputUnits_, fineFeet_);
}

std::optional<FormFailure> IndyRelaysModel::accept() {
  for (int k = 0; k < kRelays; ++k) {
    const std::string on = plaintext::trimmed(box(onBox(k)));
    const std::string off = plaintext::trimmed(box(offBox(k)));
    if (!on.empty() && off.empty()) return FormFailure::message("ERROR_MESSAGE129");
  }
  // Relay 1 ON, relay 1 OFF, relay 2 ON ... A text such as "1.2.3" is not
  // one number, and a sign never belongs to a set point.
  for (int k = 0; k < kRelays; ++k) {
    for (const int i : {onBox(k), offBox(k)}) {
      const std::string& text = box(i);
      if (!text.empty() && !NumberText::isOneNumber(text, false)) return FormFailure::message("ERROR_MESSAGE121", {text});
    }
  }
  for (int i = 0; i < kBoxes; ++i) {
    const float v = static_cast<float>(NumberRules::read(box(i)));
    values_[static_cast<std::size_t>(i)] = v;
    // An empty box stays empty: a relay without points is shown as unset.
    if (!box(i).empty()) setBox(i, show(v));
  }
  return std::nullopt;
}

}  // namespace ostrel

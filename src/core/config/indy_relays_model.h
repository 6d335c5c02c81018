#pragma once
// The independent relays dialog without its widgets: four relays, each with
// a switch-on and a switch-off point in the relay units, kept in INDYLEVEL
// (relay k+1 ON at k, OFF at k+4; 0 means unset). The boxes hold text; the
// checks of OK and the reading and showing of values are this model's rules.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/unit_configuration.h"
#include "core/volume/form_failure.h"

namespace ostrel {

class IndyRelaysModel {
 public:
  static constexpr int kRelays = 4;
  static constexpr int kBoxes = UnitConfiguration::kIndependentLevels;
  using Values = std::array<float, kBoxes>;

  // levels: INDYLEVEL; outputUnits: the relay units code the values are
  // shown in (with the number rule of guided-wave radar and UGUS models
  // when fineFeet is set); unitsText: the relay units box.
  IndyRelaysModel(const Values& levels, int outputUnits, bool fineFeet, std::string unitsText);

  const std::string& unitsText() const { return unitsText_; }

  // Box i in the order of INDYLEVEL: ON of relay k at k, OFF at k + 4.
  static int onBox(int relay) { return relay; }
  static int offBox(int relay) { return relay + kRelays; }
  const std::string& box(int i) const { return boxes_[static_cast<std::size_t>(i)]; }
  void setBox(int i, std::string text) { boxes_[static_cast<std::size_t>(i)] = std::move(text); }

  // OK. The first failing check, with the boxes and the values as they
  // were; else the boxes are read, shown again and kept in values().
  std::optional<FormFailure> accept();
  const Values& values() const { return values_; }


 private:
  std::string show(float value) const;

  Values values_{};
  std::array<std::string, kBoxes> boxes_{};
  int outputUnits_;
  bool fineFeet_;
  std::string unitsText_;
};

}  // namespace ostrel

#include "core/volume/strapping_form_check.h"

#include <algorithm>

#include "core/volume/number_rules.h"
#include "core/volume/number_text.h"

namespace ostrel {
namespace {

using Outcome = FormResult<StrappingFormOutcome>;

// A field or cell may be left empty; anything typed must be one number, so
// that "10.1.5" is refused rather than read as 10.1.
bool emptyOrOneNumber(const std::string& text) {
  return text.empty() || NumberText::isOneNumber(text, false);
}

float asFloat(const std::string& text) { return static_cast<float>(NumberRules::read(text)); }

}  // namespace

std::optional<FormFailure> StrappingFormCheck::cell(const std::string& text, int column,
                                                    const std::string& tankHeight) {
  if (!emptyOrOneNumber(text)) return FormFailure::error("");
  const double tank = NumberRules::read(tankHeight);
  if (column == 1 && NumberRules::read(text) > tank) {
    return FormFailure::error("ERROR_MESSAGE47", {std::string(), tank});
  }
  return std::nullopt;
}

Outcome StrappingFormCheck::build(const StrappingFormInput& input, const VolumeTable& pageTable) {
  Outcome result;
  VolumeTable& table = result.value.table;
  StrappingRows& rows = result.value.rows;
  table = pageTable;
  rows.clear();
  for (const auto& [level, volume] : input.rows) {
    if (level.empty() || volume.empty() || rows.RowCount == StrappingRows::kCapacity) break;
    const auto i = static_cast<std::size_t>(rows.RowCount);
    rows.Levels[i] = asFloat(level);
    rows.Volumes[i] = asFloat(volume);
    ++rows.RowCount;
  }
  table.Dimensions[0] = asFloat(input.sensorHeight);
  table.Dimensions[1] = asFloat(input.fillHeight);
  if (table.Link.guidedWave()) {
    table.Dimensions[2] = asFloat(input.minFillHeight);
    table.Dimensions[3] = asFloat(input.probeLength);
    table.Dimensions[4] = asFloat(input.tankHeight);
  } else {
    table.Dimensions[2] = asFloat(input.riserHeight);
    table.Dimensions[3] = asFloat(input.tankHeight);
  }
  table.LevelScale = table.Link.levelCountsPerUnit(input.dimensionUnit);
  table.VolumeUnitScale = table.Link.defaultFactor();
  if (table.BuildStrappingTable(rows) != VolumeTable::kBuilt) {
    return Outcome::fail(FormFailure::message("ERROR_MESSAGE124"));
  }
  return result;
}

Outcome StrappingFormCheck::ok(const StrappingFormInput& input, const VolumeTable& pageTable) {
  if (NumberRules::read(input.tankHeight) < NumberRules::read(input.fillHeight)) {
    return Outcome::fail(FormFailure::message("ERROR_MESSAGE127"));
  }
  // The guided-wave fields feed D2 and D3 just the same.
  for (const std::string* field :
       {&input.sensorHeight, &input.fillHeight, &input.riserHeight, &input.tankHeight,
        &input.minFillHeight, &input.probeLength}) {
    if (!emptyOrOneNumber(*field)) {
      return Outcome::fail(FormFailure::message("ERROR_MESSAGE121", {*field}));
    }
  }
  int pairs = 0;
  double lastLevel = 0.0;
  double lastVolume = 0.0;
  for (std::size_t r = 0; r < input.rows.size(); ++r) {
    const auto& [level, volume] = input.rows[r];
    if (level.empty() || pairs == StrappingRows::kCapacity) break;
    if (volume.empty()) return Outcome::fail(FormFailure::message("ERROR_MESSAGE120"));
    if (!NumberText::isOneNumber(level, false) || !NumberText::isOneNumber(volume, false)) {
      return Outcome::fail(FormFailure::error(""));  // the cell is already red
    }
    const double l = NumberRules::read(level);
    const double v = NumberRules::read(volume);
    if (pairs > 0 && (l < lastLevel || v < lastVolume)) {
      const int row = static_cast<int>(r) + 1;
      return Outcome::fail(FormFailure::error("ERROR_MESSAGE122", {row - 1, row}));
    }
    lastLevel = l;
    lastVolume = v;
    ++pairs;
  }
  if (pairs == 0) return Outcome::fail(FormFailure::message("ERROR_MESSAGE120"));
  if (static_cast<float>(lastLevel) != asFloat(input.tankHeight)) {
    return Outcome::fail(FormFailure::error("ERROR_MESSAGE123"));
  }
  return build(input, pageTable);
}

}  // namespace ostrel

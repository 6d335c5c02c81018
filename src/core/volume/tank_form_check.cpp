#include "core/volume/tank_form_check.h"

#include "core/model/model_database.h"
#include "core/volume/number_rules.h"
#include "core/volume/table_page.h"

namespace ostrel {
namespace {

constexpr double kRangeSlack = 0.00005;
constexpr double kSensorHeightCeiling = 999999999.0;

// A value outside [min, max]: the range heading, then which bound it passed.
std::optional<FormFailure> rangeCheck(double x, double min, double max, const char* name) {
  if (x > max + kRangeSlack) {
    return FormFailure{"ERROR_MESSAGE47", {std::string(name), max}, "ERROR_MESSAGE46", true};
  }
  if (x < min) {
    return FormFailure{"ERROR_MESSAGE48", {std::string(name), min}, "ERROR_MESSAGE46", true};
  }
  return std::nullopt;
}

// The failure a generator's result stands for.
FormFailure buildFailure(int result) {
  return FormFailure::message(result == VolumeTable::kNoUnitFactor ? "ERROR_MESSAGE126"
                                                                   : "ERROR_MESSAGE124");
}

}  // namespace

bool TankFormCheck::fieldVisible(int j, const TankFormInput& input, bool radar) {
  if (j < 0 || j >= input.fieldsInUse) return false;
  return input.volumeMode || j < 3 || (radar && j == 3);
}

std::optional<FormFailure> TankFormCheck::checkFields(const TankFormInput& input, bool radar) {
  for (int j = 0; j < 10; ++j) {
    if (fieldVisible(j, input, radar) && input.fields[static_cast<std::size_t>(j)].empty()) {
      return FormFailure::message("ERROR_MESSAGE120");
    }
  }
  for (int j = 0; j < 10; ++j) {
    const std::string& text = input.fields[static_cast<std::size_t>(j)];
    if (fieldVisible(j, input, radar) && !NumberRules::isUnsignedNumber(text)) {
      return FormFailure::message("ERROR_MESSAGE121", {text});
    }
  }
  return std::nullopt;
}

FormResult<VolumeTable> TankFormCheck::build(const TankFormInput& input,
                                             const VolumeTable& pageTable) {
  FormResult<VolumeTable> result;
  VolumeTable& table = result.value;
  table = pageTable;
  const ModelLink& link = table.Link;
  const bool fine = link.guidedWave() || link.ugus();
  // The stored values are the shown ones.
  for (std::size_t j = 0; j < 10; ++j) {
    const double typed = NumberRules::read(input.fields[j]);
    table.Dimensions[j] = static_cast<float>(
        NumberRules::read(NumberRules::display(typed, input.dimensionUnit, fine)));
  }
  table.SelectDimensionUnit(input.dimensionUnit);
  if (input.volumeMode) {
    table.Dimensions[9] = input.adjustCapacity ? 1.0f : 0.0f;
    if (input.adjustCapacity) {
      table.Dimensions[10] = static_cast<float>(NumberRules::read(input.capacity));
    }
    const int built = table.BuildTankTable(input.shape, input.dimensionUnit, input.outputUnit);
    if (built != VolumeTable::kBuilt) return FormResult<VolumeTable>::fail(buildFailure(built));
  } else {
    const double minRange = link.model() != nullptr ? link.model()->MinRange : 0.0;
    table.BuildLinearTable(NumberRules::modelValue(minRange, input.dimensionUnit, link));
  }
  return result;
}

FormResult<VolumeTable> TankFormCheck::ok(const TankFormInput& input,
                                          const VolumeTable& pageTable) {
  const ModelLink& link = pageTable.Link;
  const bool radar = link.radar();
  if (auto failure = checkFields(input, radar)) return FormResult<VolumeTable>::fail(*failure);

  const int unit = input.dimensionUnit;
  // A model value (0 without a model) in the dimension unit.
  auto limit = [&](double ModelDatabase::*field) {
    const double x = link.model() != nullptr ? link.model()->*field : 0.0;
    return NumberRules::modelValue(x, unit, link);
  };
  const double minRange = limit(&ModelDatabase::MinRange);
  const double sensorHeight = NumberRules::read(input.fields[0]);
  const double fillHeight = NumberRules::read(input.fields[1]);
  const double probeLength = NumberRules::read(input.fields[3]);

  if (input.volumeMode) {
    // The tank height sits where the table reads it (D4 on every radar model).
    const double tankHeight =
        NumberRules::read(input.fields[static_cast<std::size_t>(pageTable.heightIndex())]);
    if (tankHeight < fillHeight) {
      return FormResult<VolumeTable>::fail(FormFailure::message("ERROR_MESSAGE127"));
    }
  }
  if (auto failure = rangeCheck(fillHeight, 0.0, sensorHeight - minRange, "Fill Height")) {
    return FormResult<VolumeTable>::fail(*failure);
  }
  if (link.guidedWave()) {
    const double nut = limit(&ModelDatabase::NutOffset);
    if (auto failure =
            rangeCheck(probeLength, limit(&ModelDatabase::LowerProbeDeadband) + minRange - nut,
                       limit(&ModelDatabase::MaxSensorHeight), "Probe Length")) {
      return FormResult<VolumeTable>::fail(*failure);
    }
    if (auto failure =
            rangeCheck(sensorHeight, probeLength + nut, kSensorHeightCeiling, "Sensor Height")) {
      return FormResult<VolumeTable>::fail(*failure);
    }
  }
  if (input.volumeMode) {
    FormResult<VolumeTable> trial = build(input, pageTable);
    if (!trial.ok()) return trial;
    if (!link.checkVolumeFactors(unit, input.outputUnit, true).ok()) {
      return FormResult<VolumeTable>::fail(FormFailure::message("ERROR_MESSAGE126"));
    }
    if (!(trial.value.CapacityOrUserValue(input.shape, unit, input.outputUnit) > 0)) {
      return FormResult<VolumeTable>::fail(FormFailure::message("ERROR_MESSAGE125"));
    }
  }
  if (!link.guidedWave()) {
    if (auto failure = rangeCheck(NumberRules::round(sensorHeight, 3), 0.0,
                                  limit(&ModelDatabase::MaxSensorHeight), "Sensor Height")) {
      return FormResult<VolumeTable>::fail(*failure);
    }
  }
  FormResult<VolumeTable> built = build(input, pageTable);
  // Dimensions whose full value the unit's table cannot hold are refused
  // here, not first when the page writes.
  if (built.ok() && !TablePage::fits(built.value)) {
    const std::string value = NumberRules::display(TablePage::tooLargeValue(built.value),
                                                   input.outputUnit,
                                                   link.guidedWave() || link.ugus());
    return FormResult<VolumeTable>::fail(FormFailure::error("ERROR_MESSAGE140", {value}));
  }
  return built;
}

}  // namespace ostrel

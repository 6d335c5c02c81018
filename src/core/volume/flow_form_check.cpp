#include "core/volume/flow_form_check.h"

#include "core/model/model_database.h"
#include "core/volume/coefficient_sets.h"
#include "core/volume/number_rules.h"

namespace ostrel {

bool FlowFormCheck::fieldVisible(int j, const FlowFormInput& input) {
  if (j < 0 || j >= input.fieldsInUse) return false;
  return input.flowMode || j < 2;
}

std::optional<FormFailure> FlowFormCheck::checkFields(const FlowFormInput& input) {
  for (int j = 0; j < 10; ++j) {
    if (fieldVisible(j, input) && input.fields[static_cast<std::size_t>(j)].empty()) {
      return FormFailure::message("ERROR_MESSAGE120");
    }
  }
  for (int j = 0; j < 10; ++j) {
    const std::string& text = input.fields[static_cast<std::size_t>(j)];
    if (fieldVisible(j, input) && !NumberRules::isSignedNumber(text)) {
      return FormFailure::message("ERROR_MESSAGE121", {text});
    }
  }
  return std::nullopt;
}

FormResult<FlowFormOutcome> FlowFormCheck::build(const FlowFormInput& input,
                                                 const VolumeTable& pageTable) {
  FormResult<FlowFormOutcome> result;
  VolumeTable& table = result.value.table;
  table = pageTable;
  result.value.shape = input.shape;
  const ModelLink& link = table.Link;
  const bool fine = link.guidedWave() || link.ugus();
  for (std::size_t j = 0; j < 10; ++j) {
    const double typed = NumberRules::read(input.fields[j]);
    // Heights by the dimension unit's rule, coefficients by their size.
    const std::string shown = j < 2 ? NumberRules::display(typed, input.dimensionUnit, fine)
                                    : NumberRules::displayBySize(typed);
    table.Dimensions[j] = static_cast<float>(NumberRules::read(shown));
  }
  table.VolumeUnitScale = link.defaultFactor();
  if (input.flowMode) {
    table.LevelScale = link.defaultFactor();
    if (table.BuildFlowTable(input.shape) != VolumeTable::kBuilt) {
      return FormResult<FlowFormOutcome>::fail(FormFailure::message("ERROR_MESSAGE124"));
    }
    result.value.shape =
        CoefficientSets::storedShape(input.shape, input.selectedSet, input.outputUnit);
  } else {
    table.LevelScale = link.levelCountsPerUnit(input.dimensionUnit);
    const double minRange = link.model() != nullptr ? link.model()->MinRange : 0.0;
    table.BuildLinearTable(NumberRules::modelValue(minRange, input.dimensionUnit, link));
  }
  return result;
}

FormResult<FlowFormOutcome> FlowFormCheck::ok(const FlowFormInput& input,
                                              const VolumeTable& pageTable) {
  if (auto failure = checkFields(input)) return FormResult<FlowFormOutcome>::fail(*failure);
  return build(input, pageTable);
}

}  // namespace ostrel

#include "core/volume/formula_form_model.h"

#include "core/model/structure_data.h"
#include "core/volume/coefficient_sets.h"
#include "core/volume/number_rules.h"
#include "core/volume/number_text.h"
#include "core/volume/structure_file.h"

namespace ostrel {
namespace {

std::vector<std::string> splitCaptions(const std::string& text) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (!text.empty() && pieces.size() < FormulaFormModel::kFields) {
    const std::size_t comma = text.find(',', start);
    pieces.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return pieces;
}

bool isFlowCode(int code) { return code >= 64 && code <= 127; }

}  // namespace

FormulaFormModel::FormulaFormModel(std::uint16_t shape, const ModelLink& link,
                                   const FormulaFormStart& start, const VolumeTable& pageTable)
    : shape_(shape), link_(link) {
  const StructureData* data = link_.structure();
  if (data != nullptr) {
    const int s = StructureFile::structureIndex(*data, shape_);
    structure_ = s >= 0 && s < StructureData::kStructures ? s : -1;
  }
  if (structure_ >= 0) {
    captions_ = splitCaptions(data->DimensionCaptions[static_cast<std::size_t>(structure_)]);
  }
  const int units = unitCount();
  for (int i = 0; i < link_.unitListLength(); ++i) {
    (i < units ? distanceNames_ : flowNames_).push_back(nameAt(i));
  }
  dimensionUnit_ = start.dimensionUnit;
  outputUnit_ = start.outputUnit;
  if (isFlowCode(outputUnit_)) {
    const int p = link_.position(outputUnit_);
    flowIndex_ = p >= units ? p - units : 0;
  } else {
    distanceIndex_ = outputUnit_;
  }
  flowMode_ = start.storedShape == StructureData::kNoShape || outputUnit_ >= 32;
  if (flowMode_) {
    applyFlowUnit();
  } else {
    applyDistanceMode();
  }

  // The table's values, heights first in the configuration's unit.
  refillSets(shape_);
  const int n = fieldsInUse();
  for (int j = 0; j < n; ++j) {
    const double x = pageTable.Dimensions[static_cast<std::size_t>(j)];
    at(j) = j < 2 ? NumberRules::display(x, start.dimensionUnit, fine())
                  : NumberRules::displayBySize(x);
  }
  convertHeights(start.dimensionUnit, dimensionUnit_);
  if (start.storedShape != shape_) {
    for (int j = 2; j < kFields; ++j) at(j).clear();
  }
}

std::string FormulaFormModel::title() const {
  if (structure_ < 0) return {};
  return link_.structure()->TitleCaptions[static_cast<std::size_t>(structure_)];
}

std::string FormulaFormModel::setLabel() const {
  if (structure_ < 0) return {};
  return link_.structure()->AutoEquationCaptions[static_cast<std::size_t>(structure_)];
}

std::string FormulaFormModel::caption(int j) const {
  return j >= 0 && j < fieldsInUse() ? captions_[static_cast<std::size_t>(j)] : std::string();
}

void FormulaFormModel::setField(int j, std::string text) {
  if (j >= 0 && j < kFields) at(j) = std::move(text);
}

bool FormulaFormModel::fieldVisible(int j) const {
  return FlowFormCheck::fieldVisible(j, input());
}

int FormulaFormModel::codeAt(int position) const {
  if (position < 0 || position >= link_.unitListLength()) return -1;
  return link_.structure()->Units[static_cast<std::size_t>(position)].Code;
}

std::string FormulaFormModel::nameAt(int position) const {
  if (position < 0 || position >= link_.unitListLength()) return {};
  return link_.structure()->Units[static_cast<std::size_t>(position)].Name;
}

std::string FormulaFormModel::dimensionUnitName() const { return nameAt(dimensionUnit_); }

int FormulaFormModel::flowDimensionUnit(int outputUnit) {
  return CoefficientSets::isCfsCode(outputUnit) ? 2 : 3;
}

void FormulaFormModel::chooseFlowMode(bool flow) {
  flowMode_ = flow;
  if (flow) {
    applyFlowUnit();
  } else {
    applyDistanceMode();
  }
}

void FormulaFormModel::applyFlowUnit() {
  const int code = codeAt(flowIndex_ + unitCount());
  if (code >= 0) outputUnit_ = code;
  const int unit = flowDimensionUnit(outputUnit_);
  convertHeights(dimensionUnit_, unit);
  dimensionUnit_ = unit;
  // Coefficients of one flow unit mean nothing in another.
  for (int j = 2; j < kFields; ++j) at(j).clear();
  refillSets(static_cast<std::uint16_t>(shape_ & 0xFF00));
}

void FormulaFormModel::applyDistanceMode() {
  if (isFlowCode(outputUnit_)) {
    const int unit = flowDimensionUnit(outputUnit_);
    convertHeights(dimensionUnit_, unit);
    dimensionUnit_ = unit;
  }
  distanceIndex_ = dimensionUnit_;
  const int code = codeAt(dimensionUnit_);
  outputUnit_ = code >= 0 ? code : dimensionUnit_;
}

void FormulaFormModel::chooseDistanceUnit(int index) {
  if (index < 0 || index >= static_cast<int>(distanceNames_.size())) return;
  const int code = codeAt(index);
  outputUnit_ = code >= 0 ? code : index;
  convertHeights(dimensionUnit_, index);
  dimensionUnit_ = index;
  distanceIndex_ = index;
}

void FormulaFormModel::chooseFlowUnit(int index) {
  if (index < 0 || index >= static_cast<int>(flowNames_.size())) return;
  flowIndex_ = index;
  applyFlowUnit();
}

void FormulaFormModel::convertHeights(int from, int to) {
  if (from == to) return;
  for (int j = 0; j < 2; ++j) {
    // A text that is not one number stays as typed, for OK to refuse.
    if (NumberText::isOneNumber(field(j), true)) {
      at(j) = NumberRules::convertField(field(j), from, to, link_);
    }
  }
}

void FormulaFormModel::refillSets(std::uint16_t shape) {
  setNames_.clear();
  selectedSet_ = 0;
  if (link_.structure() == nullptr) {
    setNames_.emplace_back(CoefficientSets::kManualEntry);
    return;
  }
  CoefficientSets::Choice choice = CoefficientSets::choices(*link_.structure(), shape, outputUnit_);
  setNames_ = std::move(choice.names);
  selectedSet_ = choice.selected;
}

void FormulaFormModel::chooseSet(int k) {
  if (k < 0 || k >= static_cast<int>(setNames_.size())) return;
  selectedSet_ = k;
  if (k < 1 || link_.structure() == nullptr) return;
  const auto texts = CoefficientSets::load(*link_.structure(), shape_, outputUnit_, k,
                                           fieldsInUse(), link_);
  if (!texts) return;
  for (int i = 1; i < static_cast<int>(texts->size()); ++i) at(i) = (*texts)[static_cast<std::size_t>(i)];
}

std::string FormulaFormModel::picture() const {
  if (structure_ < 0) return {};
  const StructureData& d = *link_.structure();
  return (flowMode_ ? d.NonLinearImages : d.DistanceImages)[static_cast<std::size_t>(structure_)];
}

FlowFormInput FormulaFormModel::input() const {
  FlowFormInput in;
  in.fields = fields_;
  in.fieldsInUse = fieldsInUse();
  in.flowMode = flowMode_;
  in.shape = shape_;
  in.dimensionUnit = dimensionUnit_;
  in.outputUnit = outputUnit_;
  in.selectedSet = selectedSet_;
  return in;
}

std::optional<FormFailure> FormulaFormModel::checkFields() const {
  const FlowFormInput in = input();
  if (auto failure = FlowFormCheck::checkFields(in)) return failure;
  for (int j = 0; j < kFields; ++j) {
    if (fieldVisible(j) && !NumberText::isOneNumber(field(j), true)) {
      return FormFailure::message("ERROR_MESSAGE121", {field(j)});
    }
  }
  return std::nullopt;
}

VolumeTable FormulaFormModel::linked(const VolumeTable& pageTable) const {
  VolumeTable table = pageTable;
  table.Link = link_;
  table.StructureName = title();
  return table;
}

std::optional<FormFailure> FormulaFormModel::computeMaxFlow(const VolumeTable& pageTable) {
  if (auto failure = checkFields()) return failure;
  const FormResult<FlowFormOutcome> built = FlowFormCheck::build(input(), linked(pageTable));
  // The formula needs the coefficients only, which stand even when the span
  // does not.
  VolumeTable table = linked(pageTable);
  for (std::size_t j = 0; j < kFields; ++j) {
    table.Dimensions[j] = static_cast<float>(NumberRules::read(fields_[j]));
  }
  const float head = table.Dimensions[1];
  maxFlow_ = NumberRules::display(static_cast<double>(table.FlowAt(shape_, head)), outputUnit_,
                                  fine());
  return built.failure;
}

FormResult<FlowFormOutcome> FormulaFormModel::preview(const VolumeTable& pageTable) const {
  return FlowFormCheck::build(input(), linked(pageTable));
}

FormResult<FlowFormOutcome> FormulaFormModel::ok(const VolumeTable& pageTable) const {
  if (auto failure = checkFields()) return FormResult<FlowFormOutcome>::fail(*failure);
  return FlowFormCheck::ok(input(), linked(pageTable));
}

}  // namespace ostrel

#include "core/volume/coefficient_sets.h"

#include <algorithm>

#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"

namespace ostrel {

std::optional<FormulaFamily> CoefficientSets::familyOf(std::uint16_t shape) {
  switch (shape >> 8) {
    case 0x20: return FormulaFamily::VNotch;
    case 0x21:
    case 0x22: return FormulaFamily::Rectangular;
    case 0x23: return FormulaFamily::Cipolletti;
    case 0x40: return FormulaFamily::Parshall;
    case 0x41: return FormulaFamily::Leopold;
    case 0x42: return FormulaFamily::Palmer;
    default: return std::nullopt;
  }
}

const FormulaSet* CoefficientSets::setsFor(const StructureData& structure, std::uint16_t shape,
                                           int outputUnit) {
  const auto family = familyOf(shape);
  if (!family) return nullptr;
  if (isCfsCode(outputUnit)) return &structure.formulas(*family, FlowUnit::CubicFeetPerSecond);
  if (isLsCode(outputUnit)) return &structure.formulas(*family, FlowUnit::LitresPerSecond);
  return nullptr;
}

CoefficientSets::Choice CoefficientSets::choices(const StructureData& structure,
                                                 std::uint16_t shape, int outputUnit) {
  Choice choice;
  choice.names.emplace_back(kManualEntry);
  if (const FormulaSet* sets = setsFor(structure, shape, outputUnit)) {
    const int count = std::clamp(sets->Count, 0, FormulaSet::kCapacity);
    for (int k = 0; k < count; ++k) choice.names.push_back(sets->Names[static_cast<std::size_t>(k)]);
  }
  const int low = shape & 0xFF;
  int selected = low;
  if (isLsCode(outputUnit)) selected = low <= kLsOffset ? 0 : low - kLsOffset;
  if (selected >= static_cast<int>(choice.names.size())) selected = 0;
  choice.selected = selected;
  return choice;
}

std::optional<std::vector<std::string>> CoefficientSets::load(const StructureData& structure,
                                                              std::uint16_t shape, int outputUnit,
                                                              int k, int fieldCount,
                                                              const ModelLink& link) {
  const FormulaSet* sets = setsFor(structure, shape, outputUnit);
  if (sets == nullptr || k < 1 || k > std::clamp(sets->Count, 0, FormulaSet::kCapacity)) {
    return std::nullopt;
  }
  // A unit the structure does not list has no factor to scale c2 with.
  const std::optional<double> unitFactor = link.outputUnitFactor(outputUnit);
  if (!unitFactor) return std::nullopt;
  const auto& c = sets->Coefficients[static_cast<std::size_t>(k - 1)];
  const bool fine = link.guidedWave() || link.ugus();
  const int fields = std::clamp(fieldCount, 0, 10);
  std::vector<std::string> texts(static_cast<std::size_t>(std::max(fields, 1)));
  for (int i = 1; i < fields; ++i) {
    // c_i sits at index i - 1: c1 is the maximum head, c2 the base-unit coefficient.
    double value = static_cast<double>(c[static_cast<std::size_t>(i - 1)]);
    if (i == 2) value = value * *unitFactor;
    texts[static_cast<std::size_t>(i)] = NumberRules::display(value, outputUnit, fine);
  }
  return texts;
}

std::uint16_t CoefficientSets::storedShape(std::uint16_t shape, int selected, int outputUnit) {
  const int low = selected + (isLsCode(outputUnit) ? kLsOffset : 0);
  return static_cast<std::uint16_t>((shape & 0xFF00) | (low & 0xFF));
}

}  // namespace ostrel

#include "core/volume/model_link.h"

#include <algorithm>
#include <cmath>

#include "core/model/model_database.h"
#include "core/model/structure_data.h"

namespace ostrel {

double ModelLink::defaultFactor() const {
  return model_ != nullptr ? model_->DefaultUnitFactor : kDefaultFactor;
}

int ModelLink::unitNameCount() const {
  if (model_ == nullptr) return 0;
  return usedLength(model_->UnitNames.Count, model_->UnitNames.Last, ModelDatabase::kUnits);
}

int ModelLink::unitFactorCount() const {
  if (model_ == nullptr) return 0;
  return usedLength(model_->UnitFactors.Count, model_->UnitFactors.Last, ModelDatabase::kUnits);
}

std::optional<double> ModelLink::unitFactor(int index) const {
  if (index < 0 || index >= unitFactorCount()) return std::nullopt;
  return model_->UnitFactors[static_cast<std::size_t>(index)];
}

double ModelLink::levelCountsPerUnit(int unit) const {
  // A unit index one past the names (or past the factors) has no factor of
  // its own: it takes TPF.
  if (unit >= unitNameCount()) return defaultFactor();
  return unitFactor(unit).value_or(defaultFactor());
}

double ModelLink::thirdUnitCounts() const {
  return unitFactorCount() >= 3 ? model_->UnitFactors[2] : defaultFactor();
}

bool ModelLink::guidedWave() const { return model_ != nullptr && model_->GuidedWaveRadar != 0; }
bool ModelLink::pulseRadar() const { return model_ != nullptr && model_->PulseRadar != 0; }
bool ModelLink::ugus() const { return model_ != nullptr && model_->Ugus != 0; }

int ModelLink::unitListLength() const {
  if (structure_ == nullptr) return 0;
  const StructureData& s = *structure_;
  return std::max(usedLength(s.SensorUnitCount, s.SensorUnitLast, StructureData::kUnits),
                  usedLength(s.StrapUnitCount, s.StrapUnitLast, StructureData::kUnits));
}

int ModelLink::position(int code) const {
  const int length = unitListLength();
  for (int i = 0; i < length; ++i) {
    const StructureUnit& unit = structure_->Units[static_cast<std::size_t>(i)];
    // An entry no line wrote has no name; its code 0 must not pass for feet.
    if (!unit.Name.empty() && unit.Code == code) return i;
  }
  return -1;
}

std::optional<double> ModelLink::outputUnitFactor(int code) const {
  const int p = position(code);
  if (p < 0) return std::nullopt;
  return structure_->Units[static_cast<std::size_t>(p)].Factor;
}

std::optional<double> ModelLink::nonLinearUnitFactor(int p) const {
  if (structure_ == nullptr) return std::nullopt;
  const auto& list = structure_->NonLinearUnitFactors;
  if (p < 0 || p >= usedLength(list.Count, list.Last, StructureData::kFactors)) return std::nullopt;
  const double f = list[static_cast<std::size_t>(p)];
  // The table is divided by it: a hole in the list (0) converts nothing.
  if (!std::isfinite(f) || f == 0.0) return std::nullopt;
  return f;
}

std::optional<double> ModelLink::cubicFactor(int index) const {
  if (structure_ == nullptr) return std::nullopt;
  const auto& list = structure_->CubicFactors;
  if (index < 0 || index >= usedLength(list.Count, list.Last, StructureData::kFactors)) {
    return std::nullopt;
  }
  return list[static_cast<std::size_t>(index)];
}

UnitFactorCheck ModelLink::checkVolumeFactors(int dimensionUnit, int outputUnit,
                                              bool withCubic) const {
  using Problem = UnitFactorCheck::Problem;
  const int p = position(outputUnit);
  if (p < 0) return {Problem::UnitNotListed, outputUnit};
  if (!nonLinearUnitFactor(p)) return {Problem::NoUnitConversion, p};
  if (withCubic) {
    if (!cubicFactor(dimensionUnit)) return {Problem::NoCubicFactor, dimensionUnit};
    if (!cubicFactor(p)) return {Problem::NoCubicFactor, p};
  }
  return {};
}

}  // namespace ostrel

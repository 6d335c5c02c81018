#pragma once
// One structure file: a category of non-linear structures (tank shapes,
// weirs, flumes or strapping) with their pictures, captions, units and the
// flow formulas of weirs and flumes.

#include <array>
#include <cstdint>
#include <string>

#include "core/model/bookkept_list.h"

namespace ostrel {

// Named coefficient sets of one structure family in one flow unit.
struct FormulaSet {
  static constexpr int kCapacity = 32;
  static constexpr int kCoefficients = 10;

  std::int32_t Count = 0;
  std::array<std::string, kCapacity> Names{};
  std::array<std::array<float, kCoefficients>, kCapacity> Coefficients{};
};

enum class FormulaFamily { VNotch = 0, Rectangular, Cipolletti, Parshall, Leopold, Palmer };
enum class FlowUnit { CubicFeetPerSecond = 0, LitresPerSecond };

// Position of a family's set in StructureData::Formulas.
constexpr int formulaIndex(FormulaFamily family, FlowUnit unit) {
  return static_cast<int>(family) * 2 + static_cast<int>(unit);
}

struct StructureUnit {
  std::uint16_t Code = 0;
  std::string Name;
  double Factor = 0.0;
};

struct StructureData {
  static constexpr int kStructures = 20;
  static constexpr int kShapeIds = 50;
  static constexpr int kUnits = 50;
  static constexpr int kFactors = 10;
  static constexpr int kNlTypes = 50;
  static constexpr int kFormulaSets = 12;
  static constexpr std::uint16_t kNoShape = 0xFFFF;

  using Captions = std::array<std::string, kStructures>;

  std::int32_t StructureCount = 0;
  Captions TabImages{};
  Captions TitleCaptions{};
  Captions FrontImages{};
  Captions RadarFrontImagesDistance{};
  Captions RadarFrontImagesVolume{};
  Captions NonLinearImages{};
  Captions RadarNonLinearImages{};
  Captions DistanceImages{};
  Captions RadarDistanceImages{};
  Captions AlternateModelFiles{};
  Captions DimensionCaptions{};
  Captions RadarDimensionCaptions{};
  Captions PulseDimensionCaptions{};
  Captions AutoEquationCaptions{};
  std::array<std::uint16_t, kShapeIds> ShapeIds{};
  std::int32_t ShapeCount = 0;
  Captions ShapeNames{};
  // SENSORUNITS and STRAPUNITS share the entries, each with its own counters.
  std::array<StructureUnit, kUnits> Units{};
  std::int32_t SensorUnitCount = 0;
  std::int32_t SensorUnitLast = -1;
  std::int32_t StrapUnitCount = 0;
  std::int32_t StrapUnitLast = -1;
  BookkeptList<double, kFactors> NonLinearUnitFactors;
  BookkeptList<double, kFactors> CubicFactors;
  BookkeptList<std::uint16_t, kNlTypes> NlTypes;
  std::array<FormulaSet, kFormulaSets> Formulas{};

  FormulaSet& formulas(FormulaFamily family, FlowUnit unit) {
    return Formulas[static_cast<std::size_t>(formulaIndex(family, unit))];
  }
  const FormulaSet& formulas(FormulaFamily family, FlowUnit unit) const {
    return Formulas[static_cast<std::size_t>(formulaIndex(family, unit))];
  }
};

// Before each structure file: every counter to empty, every text emptied,
// shape ids and types to 0xFFFF (none), units to code 0 without a name.
void ResetStructureData(StructureData& data);

}  // namespace ostrel

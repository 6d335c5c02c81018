#pragma once
// The table's link to the model and to the structure file of the current
// category: the length units and their count factors, the structure's unit
// list and its two factor lists. Every read is guarded, so a model or a
// structure file that lacks an entry never makes a table read outside a list.

#include <optional>

namespace ostrel {

struct ModelDatabase;
struct StructureData;

// What keeps a volume table from converting into an output unit.
struct UnitFactorCheck {
  enum class Problem {
    None,
    UnitNotListed,     // the output unit code is not in the structure's unit list
    NoUnitConversion,  // NLUNITCONV has no usable factor at the unit's position
    NoCubicFactor,     // CUBICAREATOVOL has no factor at the position
  };
  Problem problem = Problem::None;
  int position = -1;  // the list position concerned (or the code for UnitNotListed)

  bool ok() const { return problem == Problem::None; }
};

class ModelLink {
 public:
  static constexpr double kDefaultFactor = 708.0;

  ModelLink() = default;
  ModelLink(const ModelDatabase* model, const StructureData* structure)
      : model_(model), structure_(structure) {}

  const ModelDatabase* model() const { return model_; }
  const StructureData* structure() const { return structure_; }

  // TPF (708 without a model).
  double defaultFactor() const;
  // Number of UNITS names and of UNITCONV values.
  int unitNameCount() const;
  int unitFactorCount() const;
  // UNITCONV[i] inside the list.
  std::optional<double> unitFactor(int index) const;
  // UNITCONV[u] for a unit the model lists (a name and a factor), else TPF.
  double levelCountsPerUnit(int unit) const;
  // UNITCONV[2] when the model lists three factors, else TPF.
  double thirdUnitCounts() const;

  bool guidedWave() const;
  bool pulseRadar() const;
  bool radar() const { return guidedWave() || pulseRadar(); }
  bool ugus() const;

  // Entries of the structure's unit list (sensor and strapping lines share it).
  int unitListLength() const;
  // p(code): the first written entry with that code, -1 when there is none.
  int position(int code) const;
  // The SENSORUNITS factor of the entry with that code.
  std::optional<double> outputUnitFactor(int code) const;
  // NLUNITCONV[p]: only a finite, nonzero factor inside the list.
  std::optional<double> nonLinearUnitFactor(int position) const;
  // CUBICAREATOVOL[i] inside the list.
  std::optional<double> cubicFactor(int index) const;

  // The factors a volume table in outputUnit needs: NLUNITCONV[p(outputUnit)],
  // and with withCubic also CUBICAREATOVOL[dimensionUnit] and [p(outputUnit)].
  UnitFactorCheck checkVolumeFactors(int dimensionUnit, int outputUnit, bool withCubic) const;

 private:
  const ModelDatabase* model_ = nullptr;
  const StructureData* structure_ = nullptr;
};

}  // namespace ostrel

#pragma once
// A model and a structure unit list for the volume tests: feet, inches,
// metres and centimetres; cubic metres, litres, US gallons and cubic feet;
// CFS and l/s. The table's base volume is the cubic metre (the third length
// unit), so each unit's NLUNITCONV factor is its size in cubic metres.

#include <initializer_list>
#include <memory>

#include "core/model/model_database.h"
#include "core/model/structure_data.h"
#include "core/volume/volume_table.h"

namespace ostrel::test {

enum Unit { kFeet = 0, kInches = 1, kMetres = 2, kCentimetres = 3 };
enum Output { kCubicMetres = 32, kLitres = 33, kUsGallons = 34, kCubicFeet = 35, kCfs = 64, kLps = 96 };

struct VolumeModel {
  explicit VolumeModel(bool guidedWave = false, bool pulseRadar = false) {
    const double counts[] = {708, 59, 2322.835, 23.22835};
    for (std::size_t i = 0; i < 4; ++i) {
      model->UnitNames[i] = "unit";
      model->UnitFactors[i] = counts[i];
    }
    model->UnitNames.Count = model->UnitFactors.Count = 4;
    model->UnitNames.Last = model->UnitFactors.Last = 3;
    model->GuidedWaveRadar = guidedWave ? 1 : 0;
    model->PulseRadar = pulseRadar ? 1 : 0;
    model->MinRange = 1.0;  // feet
    model->MaxSensorHeight = 30.0;
    model->NutOffset = 0.1;
    model->LowerProbeDeadband = 0.2;

    ResetStructureData(*structure);
    struct Entry {
      int code;
      const char* name;
      double flowFactor, cubicMetres, perCubicMetre;
    };
    const Entry entries[] = {
        {0, "Feet", 0, 1, 0.028316846592},  {1, "Inches", 0, 1, 1.6387064e-5},
        {2, "Meters", 0, 1, 1},             {3, "Centimeters", 0, 1, 1e-6},
        {32, "Cubic Meters", 0, 1, 1},      {33, "Litres", 0, 0.001, 1000},
        {34, "US Gallons", 0, 0.003785411784, 264.1720524},
        {35, "Cubic Feet", 0, 0.028316846592, 35.31466672},
        {64, "CFS", 1, 1, 1},               {96, "l/s", 28.316846592, 1, 1}};
    int p = 0;
    for (const Entry& e : entries) {
      const auto i = static_cast<std::size_t>(p++);
      structure->Units[i] = StructureUnit{static_cast<std::uint16_t>(e.code), e.name, e.flowFactor};
      structure->NonLinearUnitFactors[i] = e.cubicMetres;
      structure->CubicFactors[i] = e.perCubicMetre;
    }
    structure->SensorUnitCount = structure->NonLinearUnitFactors.Count =
        structure->CubicFactors.Count = p;
    structure->SensorUnitLast = structure->NonLinearUnitFactors.Last =
        structure->CubicFactors.Last = p - 1;
  }

  // A reset table of this model with the dimensions D0.. in `unit`.
  VolumeTable table(std::initializer_list<float> dimensions, int unit) const {
    VolumeTable t;
    t.Link = ModelLink(model.get(), structure.get());
    t.Reset();
    std::size_t i = 0;
    for (float d : dimensions) t.Dimensions[i++] = d;
    t.SelectDimensionUnit(unit);
    return t;
  }

  std::unique_ptr<ModelDatabase> model = std::make_unique<ModelDatabase>();
  std::unique_ptr<StructureData> structure = std::make_unique<StructureData>();
};

// 0xFFFF counts as the number 65535, as the lookups take it.
inline double pointValue(const VolumeTable& t, int i) {
  return static_cast<double>(t.Points[static_cast<std::size_t>(i)]) * static_cast<double>(t.Scale);
}

}  // namespace ostrel::test

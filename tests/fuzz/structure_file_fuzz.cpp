// Feeds any bytes through the model file parser as a structure file, then
// builds tables and loads coefficient sets through whatever unit list and
// factor lists it produced: nothing may read outside a list.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/model/model_database.h"
#include "core/model/model_file_parser.h"
#include "core/model/structure_data.h"
#include "core/volume/coefficient_sets.h"
#include "core/volume/volume_table.h"

namespace {

ostrel::ModelDatabase* metricModel() {
  auto* model = new ostrel::ModelDatabase;
  const double counts[] = {708, 59, 2322.835, 23.22835};
  for (std::size_t i = 0; i < 4; ++i) {
    model->UnitNames[i] = "unit";
    model->UnitFactors[i] = counts[i];
  }
  model->UnitNames.Count = model->UnitFactors.Count = 4;
  model->UnitNames.Last = model->UnitFactors.Last = 3;
  return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto* structure = new ostrel::StructureData;
  static const ostrel::ModelDatabase* model = metricModel();
  ostrel::ResetStructureData(*structure);
  ostrel::ModelTargets targets;
  targets.structure = structure;
  ostrel::ModelFileParser parser(targets);
  parser.ParseBytes(std::string(reinterpret_cast<const char*>(data), size), "KM_Tanks.txt");

  const ostrel::StructureData& s = *structure;
  if (s.StructureCount > ostrel::StructureData::kStructures ||
      s.ShapeCount > ostrel::StructureData::kStructures ||
      s.SensorUnitCount > ostrel::StructureData::kUnits ||
      s.StrapUnitCount > ostrel::StructureData::kUnits ||
      s.NonLinearUnitFactors.Count > ostrel::StructureData::kFactors ||
      s.CubicFactors.Count > ostrel::StructureData::kFactors) {
    __builtin_trap();
  }
  for (const ostrel::FormulaSet& set : s.Formulas) {
    if (set.Count > ostrel::FormulaSet::kCapacity) __builtin_trap();
  }

  ostrel::VolumeTable table;
  table.Link = ostrel::ModelLink(model, structure);
  const float dimensions[] = {4, 3, 0, 3, 2, 1.5f, 0.5f};
  // Every code the file lists, and a few it may not.
  int codes[ostrel::StructureData::kUnits + 4] = {32, 64, 96, 127};
  int count = 4;
  for (int i = 0; i < table.Link.unitListLength(); ++i) {
    codes[count++] = s.Units[static_cast<std::size_t>(i)].Code;
  }
  for (int c = 0; c < count; ++c) {
    for (std::uint16_t shape : {std::uint16_t{0x0100}, std::uint16_t{0x0300}}) {
      table.Reset();
      for (std::size_t d = 0; d < sizeof dimensions / sizeof dimensions[0]; ++d) {
        table.Dimensions[d] = dimensions[d];
      }
      table.Dimensions[9] = static_cast<float>(c % 2);
      table.Dimensions[10] = 5;
      table.SelectDimensionUnit(c % 5);
      const int built = table.BuildTankTable(shape, c % 5, codes[c]);
      if (built == ostrel::VolumeTable::kBuilt && table.PointAt(0) != 0) __builtin_trap();
      (void)table.CapacityOrUserValue(shape, c % 5, codes[c]);
      (void)table.VolumeAtLevel(shape, c % 5, codes[c], 1.0);
    }
    for (std::uint16_t shape : {std::uint16_t{0x2003}, std::uint16_t{0x4021}, std::uint16_t{0x4223}}) {
      const auto choice = ostrel::CoefficientSets::choices(s, shape, codes[c]);
      if (choice.selected < 0 || choice.selected >= static_cast<int>(choice.names.size())) {
        __builtin_trap();
      }
      for (int k = 0; k <= 33; k += 11) {
        (void)ostrel::CoefficientSets::load(s, shape, codes[c], k, 10, table.Link);
      }
    }
  }
  return 0;
}

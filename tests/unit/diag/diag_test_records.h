#pragma once
// A small model for the live and diagnostics pages' tests: three height
// units with chosen factors, and an installation 10 units high.

#include "core/config/unit_configuration.h"
#include "core/model/model_records.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel::test {

struct DiagRecords {
  DiagRecords() {
    auto& names = records.Database.UnitNames;
    auto& factors = records.Database.UnitFactors;
    const char* unitNames[] = {"Inches", "Meters", "Feet"};
    const double unitFactors[] = {59.0, 2322.835, 100.0};
    for (std::size_t i = 0; i < 3; ++i) {
      names[i] = unitNames[i];
      factors[i] = unitFactors[i];
    }
    names.Count = factors.Count = 3;
    names.Last = factors.Last = 2;
    records.Identity.ProgramId = "KM-Test";
    config.heightUnits = 2;  // 100 counts per unit
    config.outputUnits = 2;
    config.sensorHeight = 10.0;
    config.fillHeight = 8.5;
    volume.Reset();
  }

  ModelRecords records;
  UnitConfiguration config;
  VolumeTable volume;
  StrappingRows rows;
};

}  // namespace ostrel::test

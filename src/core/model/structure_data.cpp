#include "core/model/structure_data.h"

namespace ostrel {

void ResetStructureData(StructureData& data) {
  data.StructureCount = 0;
  for (StructureData::Captions* captions :
       {&data.TabImages, &data.TitleCaptions, &data.FrontImages, &data.RadarFrontImagesDistance,
        &data.RadarFrontImagesVolume, &data.NonLinearImages, &data.RadarNonLinearImages,
        &data.DistanceImages, &data.RadarDistanceImages, &data.AlternateModelFiles,
        &data.DimensionCaptions, &data.RadarDimensionCaptions, &data.PulseDimensionCaptions,
        &data.AutoEquationCaptions, &data.ShapeNames}) {
    for (std::string& s : *captions) s.clear();
  }
  data.ShapeIds.fill(StructureData::kNoShape);
  data.ShapeCount = 0;
  // A strapping unit never sets its factor, so a stale one is cleared too.
  for (StructureUnit& unit : data.Units) unit = StructureUnit{};
  data.SensorUnitCount = 0;
  data.SensorUnitLast = -1;
  data.StrapUnitCount = 0;
  data.StrapUnitLast = -1;
  data.NonLinearUnitFactors.clearCounters();
  data.NonLinearUnitFactors.Items.fill(0.0);
  data.CubicFactors.clearCounters();
  data.CubicFactors.Items.fill(0.0);
  data.NlTypes.clearCounters();
  data.NlTypes.Items.fill(StructureData::kNoShape);
  for (FormulaSet& set : data.Formulas) set = FormulaSet{};
}

}  // namespace ostrel

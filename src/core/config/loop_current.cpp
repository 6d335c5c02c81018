#include "core/config/loop_current.h"

#include <algorithm>

#include "core/config/customer_page.h"
#include "core/config/unit_configuration.h"
#include "core/model/model_database.h"
#include "core/support/text_format.h"
#include "core/volume/guided_wave_span.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"
#include "core/volume/shape_class.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {

LoopCurrentPanel LoopCurrent::panel(const Input& in) {
  LoopCurrentPanel out;
  const ModelDatabase& model = *in.model;
  const std::uint16_t shape = in.config->shapeCode;
  const int output = in.config->outputUnits;
  if (model.GuidedWaveRadar == 0 || !shape::hasCurve(shape) || !output::isVolume(output)) {
    return out;
  }
  // The table as a write would prepare it from the boxes, on copies: the
  // panel only shows what the heights give.
  UnitConfiguration c = *in.config;
  VolumeTable table = *in.volume;
  table.Link = ModelLink(&model, in.structures);
  CustomerPage::prepareVolumeTable(c, model, table, *in.strapping);

  const double lowest = GuidedWaveSpan::lowestLevel(c.sensorHeight, c.probeLength, c.heightUnits,
                                                    ModelLink(&model, nullptr));
  const double low = std::max(lowest, c.minFillHeight);
  const double high = c.fillHeight;
  double vmin = 0, vmax = 0, vfull = 0;
  if (shape::isStrapping(shape)) {
    vmin = table.ValueAtDimensionLevel(low);
    vmax = table.ValueAtDimensionLevel(high);
    vfull = in.strapping->lastVolume();
  } else {
    vmin = table.VolumeAtLevel(shape, c.heightUnits, output, low);
    vmax = table.VolumeAtLevel(shape, c.heightUnits, output, high);
    vfull = table.CapacityOrUserValue(shape, c.heightUnits, output);
  }
  out.shown = true;
  out.minVolume = NumberRules::display(vmin, output, true);
  out.maxVolume = NumberRules::display(vmax, output, true);
  // Without a full volume there is no current scale to show.
  if (vfull > 0) {
    const bool inverted = GuidedWaveSpan::invertedLoop(in.config->itemChoices[1]);
    out.minCurrent = formatText("%.3f", {GuidedWaveSpan::currentAt(vmin, vfull, inverted)});
    out.maxCurrent = formatText("%.3f", {GuidedWaveSpan::fullCurrent(inverted)});
  }
  return out;
}

}  // namespace ostrel

#include "core/volume/guided_wave_span.h"

#include "core/model/model_database.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"

namespace ostrel {

double GuidedWaveSpan::lowestLevel(double sensorHeight, double probeLength, int unit,
                                   const ModelLink& link) {
  const ModelDatabase* m = link.model();
  if (m == nullptr) return 0.0;
  const double nut = NumberRules::modelValue(m->NutOffset, unit, link);
  const double deadBand = NumberRules::modelValue(m->LowerProbeDeadband, unit, link);
  return sensorHeight - (probeLength + nut) + deadBand;
}

double GuidedWaveSpan::currentAt(double volume, double full, bool inverted) {
  const double current = volume / full * 16.0 + 4.0;
  return inverted ? 24.0 - current : current;
}

}  // namespace ostrel

#include "core/config/radar_command_list.h"

#include <cstring>
#include <string>

#include "core/config/unit_configuration.h"
#include "core/model/model_database.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"

namespace ostrel {
namespace {

bool contains(const std::string& caption, const char* word) {
  return caption.find(word) != std::string::npos;
}

// Bit patterns compared, so that a value that reads back the same is not
// sent again.
bool sameFloat(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

float RadarCommandList::radarLength(double value, int heightUnits, const ModelDatabase& model) {
  if (heightUnits == 0) {
    const ModelLink link(&model, nullptr);
    const double feet = link.unitFactor(2).value_or(link.defaultFactor());
    const double metres = link.unitFactor(3).value_or(link.defaultFactor());
    value = NumberRules::round(value * feet / metres, 3);
  }
  return static_cast<float>(value);
}

bool RadarAdvancedState::anyFromFile() const {
  for (const bool f : fromFile) {
    if (f) return true;
  }
  return false;
}

int RadarAdvancedState::valueOf(Parameter p, const PulseParameters& b) {
  switch (p) {
    case kTypeOfMedium: return b.TypeOfMedium;
    case kFirstEcho: return b.FirstEcho;
    case kFastLevelChange: return b.FastLevelChange;
    case kAgitation: return b.Agitation;
    case kFoam: return b.Foam;
    case kPowderDust: return b.PowderDust;
    case kLargeResponseAngle: return b.LargeResponseAngle;
    case kLowDielectric: return b.LowDielectric;
    case kPipeDiameter: return b.PipeDiameter;
    case kDampingTime: return b.DampingTime;
    case kCount: break;
  }
  return 0;
}

void RadarAdvancedState::copyValue(Parameter p, const PulseParameters& from, PulseParameters& to) {
  switch (p) {
    case kTypeOfMedium: to.TypeOfMedium = from.TypeOfMedium; break;
    case kFirstEcho: to.FirstEcho = from.FirstEcho; break;
    case kFastLevelChange: to.FastLevelChange = from.FastLevelChange; break;
    case kAgitation: to.Agitation = from.Agitation; break;
    case kFoam: to.Foam = from.Foam; break;
    case kPowderDust: to.PowderDust = from.PowderDust; break;
    case kLargeResponseAngle: to.LargeResponseAngle = from.LargeResponseAngle; break;
    case kLowDielectric: to.LowDielectric = from.LowDielectric; break;
    case kPipeDiameter: to.PipeDiameter = from.PipeDiameter; break;
    case kDampingTime: to.DampingTime = from.DampingTime; break;
    case kCount: break;
  }
}

PulseCfgSet RadarCommandList::build(const UnitConfiguration& c, const ModelDatabase& model,
                                    const PulseParameters& radar,
                                    const RadarAdvancedState& advanced, bool laterUnit) {
  PulseCfgSet set;
  auto real = [&](std::uint16_t number, double value, float current) {
    const float v = radarLength(value, c.heightUnits, model);
    if (laterUnit || !sameFloat(v, current)) set[number] = PulseCfgItem::real(v);
  };
  auto byte = [&](std::uint16_t number, int value, std::uint8_t current) {
    const auto v = static_cast<std::uint8_t>(value);
    if (laterUnit || v != current) set[number] = PulseCfgItem::byte(v);
  };

  real(kSensorHeight, c.sensorHeight, radar.SensorHeight);
  real(kFillHeight, c.sensorHeight - c.fillHeight, radar.FillHeight);
  real(kDeadband, c.deadBand, radar.Deadband);
  real(kMaxRange, c.maxRange, radar.MaxRange);

  for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    const ConfigItem& item = model.ConfigItems[i];
    if (!item.Present) continue;
    const int choice = c.itemChoices[i];
    if (contains(item.Label, "Loop Fail")) {
      byte(kLoopFailSafe, choice, radar.LoopFailSafe);
    } else if (contains(item.Label, "Output at Empty")) {
      byte(kOutputAtEmpty, choice, radar.OutputAtEmpty);
    } else if (contains(item.Label, "Minimum Current")) {
      byte(kMinimumCurrent, choice, radar.MinimumCurrent);
    } else if (contains(item.Label, "Display")) {
      byte(kDisplay, choice - 1, radar.Display);
    }
  }

  const std::uint8_t units = c.heightUnits == 0 ? 2 : 1;
  if (laterUnit || (radar.UnitsOfMeasurement == 1 && c.heightUnits != 1) ||
      (radar.UnitsOfMeasurement == 2 && c.heightUnits != 0)) {
    set[kUnitsOfMeasurement] = PulseCfgItem::byte(units);
  }

  using A = RadarAdvancedState;
  const PulseParameters& v = advanced.values;
  auto wanted = [&](A::Parameter p) {
    if (advanced.changed[p] || (laterUnit && advanced.readThisActivation)) return true;
    return advanced.fromFile[p] && A::valueOf(p, v) != A::valueOf(p, radar);
  };
  const struct {
    A::Parameter which;
    std::uint16_t number;
    std::uint8_t value;
  } bytes[] = {
      {A::kTypeOfMedium, kTypeOfMedium, v.TypeOfMedium},
      {A::kFastLevelChange, kFastLevelChange, v.FastLevelChange},
      {A::kAgitation, kAgitation, v.Agitation},
      {A::kFoam, kFoam, v.Foam},
      {A::kFirstEcho, kFirstEcho, v.FirstEcho},
      {A::kPowderDust, kPowderDust, v.PowderDust},
      {A::kLargeResponseAngle, kLargeResponseAngle, v.LargeResponseAngle},
      {A::kLowDielectric, kLowDielectric, v.LowDielectric},
  };
  for (const auto& b : bytes) {
    if (wanted(b.which)) set[b.number] = PulseCfgItem::byte(b.value);
  }
  if (wanted(A::kDampingTime)) set[kDampingTime] = PulseCfgItem::word(v.DampingTime);
  if (wanted(A::kPipeDiameter)) set[kPipeDiameter] = PulseCfgItem::word(v.PipeDiameter);
  return set;
}

}  // namespace ostrel

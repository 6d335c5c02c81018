#include "core/config/units_change.h"

#include <cstdint>

#include "core/config/pulse_configuration.h"
#include "core/model/model_database.h"
#include "core/volume/number_rules.h"

namespace ostrel {
namespace {

double factor(const ModelDatabase& m, int u) {
  const auto& f = m.UnitFactors;
  return u >= 0 && u < f.used() && f.Items[static_cast<std::size_t>(u)] != 0.0
             ? f.Items[static_cast<std::size_t>(u)]
             : m.DefaultUnitFactor;
}

// The radar's two length units: the first units are feet, the second metres.
void applyRadar(const ModelDatabase& m, int old, int units, PageBoxes& boxes) {
  int decimals = -1;
  double from = 0, to = 0;
  if (old == 1 && units == 0) {
    from = factor(m, 3), to = factor(m, 2), decimals = 2;
  } else if (old == 0 && units == 1) {
    from = factor(m, 2), to = factor(m, 3), decimals = 3;
  }
  if (decimals < 0) return;
  for (const BoxMapper::Field& f : BoxMapper::fields()) {
    if (!BoxMapper::carries(f, {false, true})) continue;
    std::string& box = boxes.*f.page;
    box = NumberRules::formatTrimmed(NumberRules::round(BoxMapper::read(box) * from / to, decimals),
                                     decimals);
  }
}

}  // namespace

void UnitsChange::apply(const ModelDatabase& m, int old, int units, Page page) {
  if (m.PulseRadar != 0) {
    applyRadar(m, old, units, *page.boxes);
    return;
  }
  if (old == units) return;
  PageBoxes& boxes = *page.boxes;
  UnitConfiguration& config = *page.config;
  const bool fine = m.GuidedWaveRadar != 0 || m.Ugus != 0;
  const double from = factor(m, old);
  const double to = factor(m, units);
  const int decimals = NumberRules::unitDecimals(units, fine);
  auto convertValue = [&](double v) {
    if (!m.NonLinearButtonCaption.empty()) return NumberRules::round(v * from / to, decimals);
    // Without tank shapes the unit keeps heights as 16-bit counts: the new
    // value is what the count gives.
    const auto raw = static_cast<std::uint16_t>(static_cast<std::int64_t>(v * from + 0.5));
    return raw / to;
  };
  auto convert = [&](const std::string& box) { return convertValue(BoxMapper::read(box)); };
  auto show = [&](double v) { return NumberRules::display(v, units, fine); };
  const double sensor = convert(boxes.sensorHeight);
  const double fill = convert(boxes.fillHeight);
  const double probe = convert(boxes.probeLength);
  boxes.sensorHeight = show(sensor);
  boxes.fillHeight = show(fill);
  if (m.GuidedWaveRadar != 0) boxes.probeLength = show(probe);
  config.sensorHeight = sensor;
  config.fillHeight = fill;
  LevelRows& rows = *page.rows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].shown) continue;
    const double level = convert(rows[i].text);
    rows[i].text = show(level);
    config.levels[i] = level;
  }
  // The relay set points are in the relay units, which are the height
  // units here; an unset point (0) stays unset.
  for (float& point : config.independentLevels) {
    if (point != 0.0f) point = static_cast<float>(convertValue(point));
  }
}

}  // namespace ostrel

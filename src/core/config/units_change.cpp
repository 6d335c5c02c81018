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
void applyRadar(const ModelDatabase& m, int old, int units, PageBoxes& boxes, ExactBoxes& exact) {
  int decimals = -1;
  double from = 0, to = 0;
  if (old == 1 && units == 0) {
    from = factor(m, 3), to = factor(m, 2), decimals = 2;
  } else if (old == 0 && units == 1) {
    from = factor(m, 2), to = factor(m, 3), decimals = 3;
  }
  if (decimals < 0) return;
  const auto fields = BoxMapper::fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const BoxMapper::Field& f = fields[i];
    if (!BoxMapper::carries(f, {false, true})) continue;
    std::string& box = boxes.*f.page;
    ExactBoxes::Value& kept = exact.heights[i];
    const double converted = ExactBoxes::of(kept, box) * from / to;
    box = NumberRules::formatTrimmed(NumberRules::round(converted, decimals), decimals);
    kept = {box, converted, true};
  }
}

}  // namespace

double ExactBoxes::of(const Value& kept, const std::string& text) {
  return kept.known && kept.shown == text ? kept.value : BoxMapper::read(text);
}

void UnitsChange::apply(const ModelDatabase& m, int old, int units, Page page) {
  ExactBoxes scratch;
  ExactBoxes& exact = page.exact != nullptr ? *page.exact : scratch;
  if (m.PulseRadar != 0) {
    applyRadar(m, old, units, *page.boxes, exact);
    return;
  }
  if (old == units) return;
  PageBoxes& boxes = *page.boxes;
  UnitConfiguration& config = *page.config;
  const bool fine = m.GuidedWaveRadar != 0 || m.Ugus != 0;
  const double from = factor(m, old);
  const double to = factor(m, units);
  const int decimals = NumberRules::unitDecimals(units, fine);
  const bool floatHeights = !m.NonLinearButtonCaption.empty();
  // The value in the new units at full precision.
  auto convertValue = [&](double v) {
    if (floatHeights) return v * from / to;
    // Without tank shapes the unit keeps heights as 16-bit counts: the new
    // value is what the count gives.
    const auto raw = static_cast<std::uint16_t>(static_cast<std::int64_t>(v * from + 0.5));
    return raw / to;
  };
  // What the record keeps and the box shows.
  auto stored = [&](double v) { return floatHeights ? NumberRules::round(v, decimals) : v; };
  auto show = [&](double v) { return NumberRules::display(v, units, fine); };
  // A box converted: its record value.
  auto convertBox = [&](std::string& box, ExactBoxes::Value& kept) {
    const double converted = convertValue(ExactBoxes::of(kept, box));
    const double value = stored(converted);
    box = show(value);
    kept = {box, converted, true};
    return value;
  };
  const auto fields = BoxMapper::fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const BoxMapper::Field& f = fields[i];
    const bool converted = f.id == FieldId::SensorHeight || f.id == FieldId::FillHeight ||
                           (f.id == FieldId::ProbeLength && m.GuidedWaveRadar != 0);
    if (!converted) continue;
    const double value = convertBox(boxes.*f.page, exact.heights[i]);
    if (f.id != FieldId::ProbeLength) config.*f.record = value;
  }
  LevelRows& rows = *page.rows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].shown) continue;
    config.levels[i] = convertBox(rows[i].text, exact.levels[i]);
  }
  // The relay set points are in the relay units, which are the height
  // units here; an unset point (0) stays unset.
  for (float& point : config.independentLevels) {
    if (point != 0.0f) point = static_cast<float>(stored(convertValue(point)));
  }
}

}  // namespace ostrel

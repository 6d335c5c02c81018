#include "core/config/pulse_configuration.h"

#include <algorithm>

#include "core/config/customer_page.h"
#include "core/link/pulse_parameters.h"
#include "core/model/model_database.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"

namespace ostrel {
namespace {

int choiceCount(const ConfigItem& item) {
  return usedLength(item.ChoiceCount, item.ChoiceLast, ConfigItem::kChoices);
}

bool contains(const std::string& caption, const char* word) {
  return caption.find(word) != std::string::npos;
}

}  // namespace

std::string PulseConfiguration::showLength(double value, int units) {
  return NumberRules::formatTrimmed(value, decimals(units));
}

PulseConfigurationDecoding PulseConfiguration::decode(const PulseParameters& radar,
                                                      const ModelDatabase& model,
                                                      const UnitConfiguration& current) {
  PulseConfigurationDecoding out;
  UnitConfiguration& c = out.configuration;
  c = current;
  for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    c.itemChoices[i] = model.ConfigItems[i].Present ? 0 : -1;
  }
  c.advanced.fill(AdvancedEntry{});
  c.configFileName.clear();

  const bool feet = radar.UnitsOfMeasurement == kRadarFeet;
  c.heightUnits = feet ? 0 : 1;
  c.outputUnits = c.heightUnits;
  const ModelLink link(&model, nullptr);
  const double metres = link.unitFactor(3).value_or(link.defaultFactor());
  const double feetCounts = link.unitFactor(2).value_or(link.defaultFactor());
  const int d = decimals(c.heightUnits);
  auto length = [&](double v, std::string& box) {
    if (feet) v = NumberRules::round(v * metres / feetCounts, 2);
    box = NumberRules::formatTrimmed(v, d);
    return NumberRules::read(box);
  };
  const double sensor = radar.SensorHeight;
  c.sensorHeight = length(sensor, out.sensorHeight);
  c.fillHeight = length(sensor - static_cast<double>(radar.FillHeight), out.fillHeight);
  c.deadBand = length(radar.Deadband, out.deadBand);
  c.maxRange = length(radar.MaxRange, out.maxRange);

  for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    const ConfigItem& item = model.ConfigItems[i];
    if (!item.Present) continue;
    int choice = -1;
    if (contains(item.Label, "Loop Fail")) {
      choice = radar.LoopFailSafe;
    } else if (contains(item.Label, "Output at Empty")) {
      choice = radar.OutputAtEmpty;
    } else if (contains(item.Label, "Minimum Current")) {
      choice = radar.MinimumCurrent;
    } else if (contains(item.Label, "Display")) {
      choice = radar.Display + 1;
    }
    // A value the item does not list leaves the placeholder.
    if (choice >= 1 && choice < choiceCount(item)) c.itemChoices[i] = choice;
  }
  c.configurationIndex = CustomerPage::matchedConfiguration(model, c.itemChoices);
  c.configurationValid = c.configurationIndex >= 0;
  if (!c.configurationValid) {
    c.levelsValid = false;
    return out;
  }
  const ModelConfiguration& config =
      model.Configurations[static_cast<std::size_t>(c.configurationIndex)];
  c.levelsValid = c.sensorHeight >= 0 && c.fillHeight >= 0;
  for (std::size_t i = 0; i < UnitConfiguration::kLevels; ++i) {
    if (config.LevelWords[i] > 0 && !(c.levels[i] >= 0)) c.levelsValid = false;
  }
  out.result = c.levelsValid ? 0 : -1;
  return out;
}

}  // namespace ostrel

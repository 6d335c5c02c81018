#pragma once
// A pulse radar keeps its configuration as parameters, not in a page: the
// heights and the four item settings are read from its parameter block.

#include <string>

#include "core/config/unit_configuration.h"

namespace ostrel {

struct ModelDatabase;
struct PulseParameters;

struct PulseConfigurationDecoding {
  // 0; -1 when a matched configuration has a negative height, an error for
  // the caller as with the customer page.
  int result = 0;
  UnitConfiguration configuration;
  // The boxes as the page shows them (2 decimals in feet, 3 in metres).
  std::string sensorHeight;
  std::string fillHeight;
  std::string deadBand;
  std::string maxRange;
};

class PulseConfiguration {
 public:
  // The radar's units code for lengths shown in the first height unit.
  static constexpr std::uint8_t kRadarFeet = 2;
  static constexpr std::uint8_t kRadarMetres = 1;

  // The radar always reports lengths in metres; with its feet code the page
  // shows them in the first height unit.
  static PulseConfigurationDecoding decode(const PulseParameters& radar,
                                           const ModelDatabase& model,
                                           const UnitConfiguration& current);
  // Decimals a radar length shows with in `units`.
  static int decimals(int units) { return units == 0 ? 2 : 3; }
  // A radar length as every height box of the page shows it: the radar's
  // decimals, so that what a box (or a file) holds is what the radar gets.
  static std::string showLength(double value, int units);
};

}  // namespace ostrel

#pragma once
// What "Write to Unit" sends a pulse radar: the parameters that carry the
// configuration, as value bytes. The first unit of a run gets only what
// differs from the radar's block; every later unit gets everything, since
// it may hold anything.

#include <array>

#include "core/link/pulse_parameters.h"

namespace ostrel {

struct ModelDatabase;
struct UnitConfiguration;

// The page's state of the ten advanced radar parameters.
struct RadarAdvancedState {
  enum Parameter {
    kTypeOfMedium,
    kFirstEcho,
    kFastLevelChange,
    kAgitation,
    kFoam,
    kPowderDust,
    kLargeResponseAngle,
    kLowDielectric,
    kPipeDiameter,
    kDampingTime,
    kCount
  };
  bool readThisActivation = false;  // read from the radar since the page became active
  std::array<bool, kCount> changed{};
  // A configuration file set the parameter: its value in `values` goes to
  // the radar when it differs from the radar's own.
  std::array<bool, kCount> fromFile{};
  PulseParameters values;  // the page's copy, with the file's and the dialog's values

  bool anyFromFile() const;
  // The parameter's value in a block, as one number.
  static int valueOf(Parameter p, const PulseParameters& block);
  static void copyValue(Parameter p, const PulseParameters& from, PulseParameters& to);
};

class RadarCommandList {
 public:
  // Parameter numbers.
  static constexpr std::uint16_t kDisplay = 1;
  static constexpr std::uint16_t kTypeOfMedium = 2;
  static constexpr std::uint16_t kUnitsOfMeasurement = 5;
  static constexpr std::uint16_t kMaxRange = 6;
  static constexpr std::uint16_t kDampingTime = 9;
  static constexpr std::uint16_t kOutputAtEmpty = 32;
  static constexpr std::uint16_t kLoopFailSafe = 33;
  static constexpr std::uint16_t kMinimumCurrent = 34;
  static constexpr std::uint16_t kSensorHeight = 273;
  static constexpr std::uint16_t kFillHeight = 275;
  static constexpr std::uint16_t kFastLevelChange = 1280;
  static constexpr std::uint16_t kAgitation = 1281;
  static constexpr std::uint16_t kFoam = 1282;
  static constexpr std::uint16_t kLowDielectric = 1283;
  static constexpr std::uint16_t kFirstEcho = 1285;
  static constexpr std::uint16_t kPowderDust = 1286;
  static constexpr std::uint16_t kLargeResponseAngle = 1287;
  static constexpr std::uint16_t kPipeDiameter = 1296;
  static constexpr std::uint16_t kDeadband = 2048;

  // `config` holds the boxes' values; `radar` the block as the radar last
  // reported it.
  static PulseCfgSet build(const UnitConfiguration& config, const ModelDatabase& model,
                           const PulseParameters& radar, const RadarAdvancedState& advanced,
                           bool laterUnit);
  // A length of the page in the radar's unit (metres), as the radar gets it.
  static float radarLength(double value, int heightUnits, const ModelDatabase& model);
};

}  // namespace ostrel

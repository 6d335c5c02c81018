#pragma once
// Command line of ostrel-unitsim.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/fault.h"
#include "sim/level_profile.h"
#include "sim/pulse_fault.h"
#include "sim/unit_factory.h"

namespace ostrel::sim {

struct UnitsimOptions {
  UnitKind kind = UnitKind::Ultrasonic;
  std::optional<std::filesystem::path> image;  // --image DIR
  std::optional<std::filesystem::path> dump;   // --dump DIR
  // --fault, repeatable: unit-frame faults CMD:WHEN:KIND for every kind;
  // for the pulse radar also HART faults PARAM:WHEN:KIND (told apart by KIND).
  std::vector<Fault> faults;
  std::vector<PulseFault> pulseFaults;
  LevelProfile level;     // --level-profile
  bool invertDemo = false;  // --invert-demo
  bool pace = false;      // --pace
  bool only1200 = false;  // --only-1200
  bool help = false;      // --help
  bool version = false;   // --version

  // Parses the arguments after the program name. On failure returns nothing
  // and explains in *error.
  static std::optional<UnitsimOptions> parse(const std::vector<std::string>& args,
                                             std::string* error);
  static std::string usage();
  // "ostrel-unitsim VERSION", the project's version.
  static std::string versionText();
};

}  // namespace ostrel::sim

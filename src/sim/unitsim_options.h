#pragma once
// Command line of ostrel-unitsim.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/fault.h"
#include "sim/page_unit_kind.h"

namespace ostrel::sim {

struct UnitsimOptions {
  PageUnitKind kind = PageUnitKind::Ultrasonic;
  std::optional<std::filesystem::path> image;  // --image DIR
  std::optional<std::filesystem::path> dump;   // --dump DIR
  std::vector<Fault> faults;                   // --fault CMD:WHEN:KIND, repeatable
  bool pace = false;                           // --pace
  bool only1200 = false;                       // --only-1200
  bool help = false;                           // --help

  // Parses the arguments after the program name. On failure returns nothing
  // and explains in *error.
  static std::optional<UnitsimOptions> parse(const std::vector<std::string>& args,
                                             std::string* error);
  static std::string usage();
};

}  // namespace ostrel::sim

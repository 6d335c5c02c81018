#pragma once
// Every kind of unit the simulator plays, by name, for ostrel-unitsim, the
// CLI and the GUI.

#include <memory>
#include <optional>
#include <string_view>

#include "sim/page_unit_kind.h"
#include "sim/sim_unit.h"

namespace ostrel::sim {

enum class UnitKind { Ultrasonic, GuidedWave, UType, PulseRadar };

// "ultrasonic", "guided-wave", "u-type", "pulse-radar".
std::optional<UnitKind> unitKindFromName(std::string_view name);
std::string_view unitKindName(UnitKind kind);
// The memory-page kind, nothing for the pulse radar.
std::optional<PageUnitKind> pageKindOf(UnitKind kind);

// A unit of that kind with its factory settings.
std::shared_ptr<SimUnit> makeUnit(UnitKind kind);
// nullptr for a name that is no kind.
std::shared_ptr<SimUnit> makeUnit(std::string_view kind);

}  // namespace ostrel::sim

#include "sim/unit_factory.h"

#include "sim/page_unit.h"
#include "sim/pulse_radar_unit.h"

namespace ostrel::sim {

namespace {
constexpr std::string_view kPulseRadarName = "pulse-radar";
}

std::optional<UnitKind> unitKindFromName(std::string_view name) {
  if (name == kPulseRadarName) return UnitKind::PulseRadar;
  const auto page = pageUnitKindFromName(name);
  if (!page) return std::nullopt;
  switch (*page) {
    case PageUnitKind::Ultrasonic: return UnitKind::Ultrasonic;
    case PageUnitKind::GuidedWave: return UnitKind::GuidedWave;
    case PageUnitKind::UType: return UnitKind::UType;
  }
  return std::nullopt;
}

std::string_view unitKindName(UnitKind kind) {
  if (const auto page = pageKindOf(kind)) return pageUnitKindName(*page);
  return kPulseRadarName;
}

std::optional<PageUnitKind> pageKindOf(UnitKind kind) {
  switch (kind) {
    case UnitKind::Ultrasonic: return PageUnitKind::Ultrasonic;
    case UnitKind::GuidedWave: return PageUnitKind::GuidedWave;
    case UnitKind::UType: return PageUnitKind::UType;
    case UnitKind::PulseRadar: return std::nullopt;
  }
  return std::nullopt;
}

std::shared_ptr<SimUnit> makeUnit(UnitKind kind) {
  if (const auto page = pageKindOf(kind)) return std::make_shared<PageUnit>(*page);
  return std::make_shared<PulseRadarUnit>();
}

std::shared_ptr<SimUnit> makeUnit(std::string_view kind) {
  const auto k = unitKindFromName(kind);
  return k ? makeUnit(*k) : nullptr;
}

}  // namespace ostrel::sim

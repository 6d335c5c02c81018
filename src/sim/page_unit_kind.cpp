#include "sim/page_unit_kind.h"

namespace ostrel::sim {

std::optional<PageUnitKind> pageUnitKindFromName(std::string_view name) {
  if (name == "ultrasonic") return PageUnitKind::Ultrasonic;
  if (name == "guided-wave") return PageUnitKind::GuidedWave;
  if (name == "u-type") return PageUnitKind::UType;
  return std::nullopt;
}

std::string_view pageUnitKindName(PageUnitKind kind) {
  switch (kind) {
    case PageUnitKind::Ultrasonic:
      return "ultrasonic";
    case PageUnitKind::GuidedWave:
      return "guided-wave";
    case PageUnitKind::UType:
      return "u-type";
  }
  return "ultrasonic";
}

}  // namespace ostrel::sim

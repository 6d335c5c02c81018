#pragma once
// What kind of unit the session works with. The identification decides it
// once (the factory page's type letter, the radar's answer to the wake
// frames, or the sample program); every page and procedure asks here. What
// the loaded model says of itself (a guided-wave model's layout, say) is
// the model database's.

#include <string_view>

namespace ostrel {

enum class UnitKind {
  None,        // nothing identified yet
  Ultrasonic,  // page-based, classic layout
  UType,       // page-based, type letter U
  GuidedWave,  // page-based, type letter G
  PulseRadar,  // parameters over HART
  Sample,      // the sample program: no unit behind the page
};

constexpr bool isPageUnit(UnitKind k) {
  return k == UnitKind::Ultrasonic || k == UnitKind::UType || k == UnitKind::GuidedWave;
}

// The name scripts and logs use.
constexpr std::string_view unitKindName(UnitKind k) {
  switch (k) {
    case UnitKind::None: return "none";
    case UnitKind::Ultrasonic: return "ultrasonic";
    case UnitKind::UType: return "u-type";
    case UnitKind::GuidedWave: return "guided-wave";
    case UnitKind::PulseRadar: return "pulse-radar";
    case UnitKind::Sample: return "sample";
  }
  return "none";
}

}  // namespace ostrel

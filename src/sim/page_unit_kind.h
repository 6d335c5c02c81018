#pragma once
// The three memory-page unit kinds the simulator plays.

#include <optional>
#include <string_view>

namespace ostrel::sim {

enum class PageUnitKind {
  Ultrasonic,  // classic factory layout
  GuidedWave,  // factory type letter 'G', identity on the model page
  UType,       // factory type letter 'U', identity on the model page
};

// "ultrasonic", "guided-wave", "u-type".
std::optional<PageUnitKind> pageUnitKindFromName(std::string_view name);
std::string_view pageUnitKindName(PageUnitKind kind);

}  // namespace ostrel::sim

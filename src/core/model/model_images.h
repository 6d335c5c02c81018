#pragma once
// Pictures of the loaded model and the points where the configuration
// page's leader lines end.

#include <array>
#include <cstdint>
#include <string>

#include "core/model/bookkept_list.h"

namespace ostrel {

struct OverlayPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::string Caption;
};

struct ModelImages {
  static constexpr int kTankImages = 100;
  static constexpr int kOverlays = 8;
  static constexpr int kAlternatives = 8;

  std::string LogoImage;
  BookkeptList<std::string, kTankImages> TankImages;
  std::string Image;
  std::string ImageCaption;
  BookkeptList<OverlayPoint, kOverlays> Overlays;
  std::array<std::array<OverlayPoint, kOverlays>, kAlternatives> AlternateOverlays{};
  std::int32_t AlternatePartCount = 0;
};

}  // namespace ostrel

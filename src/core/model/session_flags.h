#pragma once
// Process-wide copies of two model flags. Number formatting reads them
// without having the model database at hand.

namespace ostrel {

struct SessionFlags {
  bool GuidedWaveRadar = false;
  bool Ugus = false;
};

}  // namespace ostrel

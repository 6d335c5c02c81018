#pragma once
// The configuration page's loop-current panel: on a guided-wave radar with
// volume relay units, the volumes at the lowest level the probe measures
// and at the fill height, and the loop currents they give.

#include <string>

namespace ostrel {

struct ModelDatabase;
struct StructureData;
struct StrappingRows;
struct UnitConfiguration;
class VolumeTable;

struct LoopCurrentPanel {
  bool shown = false;
  std::string minVolume;
  std::string maxVolume;
  std::string minCurrent;  // empty when the full volume is not positive
  std::string maxCurrent;
};

class LoopCurrent {
 public:
  // What the panel is worked out from. The record holds the heights as the
  // boxes hold them; the table and rows are the page's, copied before use.
  struct Input {
    const ModelDatabase* model = nullptr;
    const StructureData* structures = nullptr;
    const UnitConfiguration* config = nullptr;
    const VolumeTable* volume = nullptr;
    const StrappingRows* strapping = nullptr;
  };

  // The panel; not shown off guided-wave radar, without a curve shape or
  // with relay units that are no volume.
  static LoopCurrentPanel panel(const Input& in);
};

}  // namespace ostrel

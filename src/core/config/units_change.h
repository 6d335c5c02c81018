#pragma once
// A change of the configuration page's height units: the height boxes, the
// shown level rows and the record's heights, levels and relay set points
// converted from the old units to the new. The pulse radar's boxes convert
// between its two length units only (feet and metres), and only the boxes.

#include "core/config/box_mapper.h"

namespace ostrel {

struct ModelDatabase;

class UnitsChange {
 public:
  struct Page {
    PageBoxes* boxes = nullptr;
    LevelRows* rows = nullptr;
    UnitConfiguration* config = nullptr;  // its units are the caller's
  };
  static void apply(const ModelDatabase& model, int from, int to, Page page);
};

}  // namespace ostrel

#pragma once
// A change of the configuration page's height units: the height boxes, the
// shown level rows and the record's heights, levels and relay set points
// converted from the old units to the new. The pulse radar's boxes convert
// between its two length units only (feet and metres), and only the boxes.
//
// A box converts from the value it stands for, not from its rounded text:
// what the user typed, or what the last change of units gave at full
// precision while the box still shows that value's text. So 6.1 m shown in
// feet and back is 6.1 m again, not 6.099.

#include "core/config/box_mapper.h"

namespace ostrel {

struct ModelDatabase;

// The full-precision values behind the boxes' texts after a change of units.
struct ExactBoxes {
  struct Value {
    std::string shown;  // the text the value was shown as
    double value = 0.0;
    bool known = false;
  };
  std::array<Value, 6> heights{};  // in the order of BoxMapper::fields()
  std::array<Value, UnitConfiguration::kLevels> levels{};

  // What a box holding `text` stands for: the kept value while the box
  // still shows it, else the text read.
  static double of(const Value& kept, const std::string& text);
};

class UnitsChange {
 public:
  struct Page {
    PageBoxes* boxes = nullptr;
    LevelRows* rows = nullptr;
    UnitConfiguration* config = nullptr;  // its units are the caller's
    ExactBoxes* exact = nullptr;          // optional: kept between changes
  };
  static void apply(const ModelDatabase& model, int from, int to, Page page);
};

}  // namespace ostrel

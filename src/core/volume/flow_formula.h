#pragma once
// The head-to-flow relation of each weir and flume class. The coefficients
// are the table's dimensions D2..D9; the head is in the dimension unit and
// the flow comes out in the output unit.

#include <array>
#include <cstdint>

namespace ostrel {

class FlowFormula {
 public:
  using Dimensions = std::array<float, 19>;

  // Q(h) of the shape's class; 0 for codes outside 0x2000..0x49FF and for
  // classes without a formula. Evaluated in float: each power term is
  // float(pow(double, double)), each product and sum is rounded to float in
  // turn, left to right as the formula is written, so the unit's table comes
  // out the same on every machine.
  static float at(std::uint16_t shape, float head, const Dimensions& d);

  // Whether a class has a formula (the others give a table of zeros).
  static bool hasFormula(std::uint16_t shape);
};

}  // namespace ostrel

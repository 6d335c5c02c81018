#include "core/volume/flow_formula.h"

#include <cmath>

namespace ostrel {
namespace {

float power(float base, float exponent) {
  return static_cast<float>(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
}

}  // namespace

bool FlowFormula::hasFormula(std::uint16_t shape) {
  const int c = shape >> 8;
  return (c >= 0x20 && c <= 0x23) || (c >= 0x40 && c <= 0x49);
}

float FlowFormula::at(std::uint16_t shape, float h, const Dimensions& d) {
  if (shape < 0x2000 || shape > 0x49FF) return 0.0f;
  const float d2 = d[2], d3 = d[3], d4 = d[4], d5 = d[5], d6 = d[6], d7 = d[7], d8 = d[8],
              d9 = d[9];
  constexpr float kFifth = 0.2f;
  float q = 0.0f;
  switch (shape >> 8) {
    case 0x20:  // V-notch weir
    case 0x40:  // Parshall flume
    case 0x44:
      q = d2 * power(h, d3);
      break;
    case 0x21:  // rectangular weir with end contractions
      q = d2 * (d3 - kFifth * h);
      q = q * power(h, d4);
      break;
    case 0x22:  // rectangular weir, suppressed
    case 0x23:  // Cipolletti weir
    case 0x48:
      q = d2 * d3;
      q = q * power(h, d4);
      break;
    case 0x41:  // Leopold-Lagco flume
      q = d2 * power(d3, d4);
      q = q * power(h, d5);
      break;
    case 0x42:  // Palmer-Bowlus flume
      q = d2 * power(h + d3, d4);
      break;
    case 0x43:
      q = d2 + d3 * power(h, d4);
      q = q + d5 * power(h, d6);
      q = q + d7 * power(h, d8);
      break;
    case 0x45:
      q = d2 + d3 * h;
      q = q + d4 * power(h, d5);
      q = q + d6 * power(h, d7);
      q = q + d8 * power(h, d9);
      break;
    case 0x46:
      q = d2 * power(h, d3);
      q = q + d4 * power(h, d5);
      q = q + d6;
      break;
    case 0x47:
      q = d2 * d3;
      q = q * d4;
      q = q * d5;
      q = q * power(h, d6);
      break;
    case 0x49:
      q = d2 * d3;
      q = q * power(h, d4);
      q = q + d5 * power(h, d6);
      break;
    default:
      break;
  }
  return q;
}

}  // namespace ostrel

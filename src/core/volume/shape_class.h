#pragma once
// The one vocabulary of shape codes (NLTYPE: class x 256) and output unit
// codes (OUTPUT) that the page, the files, the forms and the tables share.

#include <cstdint>

namespace ostrel {

namespace shape {

inline constexpr std::uint16_t kNone = 0xFFFF;
inline constexpr std::uint16_t kFirstTank = 0x0100;  // a length output starts here
inline constexpr int kStrappingClass = 7;

// A shape with a level-to-value curve: tanks (the strapping table among
// them), weirs and flumes.
constexpr bool hasCurve(std::uint16_t code) { return code >= 0x0100 && code <= 0x5FFF; }
// Tanks are classes 1..31; class 7 is the strapping table.
constexpr bool isTank(std::uint16_t code) { return code >= 0x0100 && code <= 0x1FFF; }
constexpr bool isStrapping(std::uint16_t code) { return (code >> 8) == kStrappingClass; }
constexpr bool isWeir(std::uint16_t code) { return code >= 0x2000 && code <= 0x3FFF; }
constexpr bool isFlume(std::uint16_t code) { return code >= 0x4000 && code <= 0x5FFF; }
constexpr bool isFlow(std::uint16_t code) { return code >= 0x2000 && code <= 0x5FFF; }

}  // namespace shape

namespace output {

// Output (relay) unit codes: 0..31 a length (the model's UNITS), 32..63 a
// volume, 64..127 a flow.
constexpr bool isLength(int code) { return code >= 0 && code <= 31; }
constexpr bool isVolume(int code) { return code >= 32 && code <= 63; }
constexpr bool isFlow(int code) { return code >= 64 && code <= 127; }

}  // namespace output

}  // namespace ostrel

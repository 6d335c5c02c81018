#pragma once
// The memories a freshly made unit of each kind carries: identities that the
// shipped model files expect, a 20 ft installation, a configured set of
// relays, a volume table and an echo record of the current level.

#include <array>
#include <cstdint>
#include <string_view>

#include "sim/page_unit_kind.h"
#include "sim/unit_memories.h"

namespace ostrel::sim {

struct UnitIdentity {
  std::uint32_t serial;
  std::uint16_t revision;
  std::string_view modelText;      // factory page (classic) or model page
  std::string_view hardwareModel;  // information memory HWMODEL
  std::uint8_t typeLetter;         // factory byte 180
};

// Where the customer page keeps what the simulated unit itself uses.
struct CustomerLayout {
  static constexpr std::size_t kMinFillHeight = 0;   // guided-wave
  static constexpr std::size_t kSensorHeight = 2;
  static constexpr std::size_t kFillHeight = 6;      // probe length on guided-wave
  static constexpr std::size_t kGwrFillHeight = 44;  // guided-wave
  static constexpr std::size_t kNlType = 102;
  static constexpr std::size_t kUnits = 104;
  static constexpr std::size_t kDimensions = 106;
  static constexpr std::size_t kOutput = 150;
  static constexpr std::size_t kSetPoints = 152;  // relay k on at 152+4k, off at 168+4k
  static constexpr std::size_t kNotes = 448;
};

class MemoryGenerator {
 public:
  static constexpr double kCountsPerFoot = 708.0;
  // Level counts per height unit, by the UNITS code a customer page holds:
  // inches, centimeters, feet, meters, as the family's model files list them.
  static constexpr std::array<double, 4> kCountsPerUnit = {59.0, 23.22835, kCountsPerFoot,
                                                           2322.835};
  static constexpr std::uint16_t kUnitsFeet = 2;
  static constexpr std::uint16_t kSensorHeightCounts = 14160;  // 20 ft
  static constexpr std::uint16_t kFillHeightCounts = 12744;    // 18 ft

  static UnitIdentity identity(PageUnitKind kind);
  static UnitMemories generate(PageUnitKind kind);

  // The parts, for callers that rebuild one memory.
  static UnitMemories::Page customerPage(PageUnitKind kind);
  static UnitMemories::Page factoryPage(PageUnitKind kind);
  static UnitMemories::Page historyPage();
  static UnitMemories::Page ocmPage();
  static UnitMemories::Page modelPage(PageUnitKind kind);
  static UnitMemories::Info infoMemory(PageUnitKind kind);
};

}  // namespace ostrel::sim

#pragma once
// What a page unit puts into its stream frames A5 A5 b2 b3 b4 b5. Most units
// send the distance to the surface in level counts, with the raw values 1
// and 2 for a full and an empty tank. Units of models marked INVERTDEMO send
// the count of their own level-to-output table at the level instead, and
// say full, empty or measured in bits 4 and 5 of b4. The table is read here
// from the unit's history page by the simulator's own reading of it.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ostrel::sim {

enum class Surface { Measured, Full, Empty };

struct StreamReading {
  std::uint16_t raw = 0;
  std::uint8_t state = 0;  // b4 bits 4 and 5
};

// A pinned level at 100 % of the fill height reads full, at 0 % empty.
Surface surfaceOf(std::optional<double> fixedFraction);

StreamReading streamReading(bool invertDemo, std::span<const std::uint8_t> historyPage,
                            std::uint16_t levelCounts, std::uint16_t distanceCounts,
                            Surface surface);

// The frame: relays in b4 bits 0..3, the state bits above them.
std::vector<std::uint8_t> readingFrame(const StreamReading& reading, std::uint8_t relays);

}  // namespace ostrel::sim

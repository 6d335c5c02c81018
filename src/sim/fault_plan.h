#pragma once
// The faults a unit is to show, and the count of each command's arrivals
// that decides when they strike.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/fault.h"

namespace ostrel::sim {

// Everything that goes wrong with one answer (several faults may meet).
struct FaultAction {
  bool silence = false;
  bool wrongAckCheck = false;
  bool wrongDataCheck = false;
  bool noReady = false;
  bool wrongReady = false;
  std::optional<std::uint8_t> refuse;
  std::optional<int> dropIndex;  // Fault::kLastByte for the last byte
  std::chrono::milliseconds delay{0};
  std::optional<std::chrono::milliseconds> powerLost;  // the outage

  bool any() const;
};

class FaultPlan {
 public:
  void add(const Fault& fault);
  void clear();  // forgets the faults and the counts
  const std::vector<Fault>& faults() const { return faults_; }

  // Counts one arrival of `cmd` and returns what goes wrong with it.
  FaultAction onCommand(std::uint8_t cmd);

  // How often `cmd` has arrived so far.
  std::uint32_t arrivals(std::uint8_t cmd) const { return counts_[cmd]; }

 private:
  std::vector<Fault> faults_;
  std::array<std::uint32_t, 256> counts_{};
};

}  // namespace ostrel::sim

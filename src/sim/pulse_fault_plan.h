#pragma once
// The faults a pulse-radar unit is to show in its HART answers, and the
// count of requests per parameter that decides when they strike.

#include <chrono>
#include <cstdint>
#include <map>
#include <vector>

#include "sim/pulse_fault.h"

namespace ostrel::sim {

// Everything that goes wrong with one reply (several faults may meet).
struct PulseFaultAction {
  bool noReply = false;
  bool hartXor = false;
  bool messageSum = false;
  bool messageLength = false;
  bool headerFe = false;
  bool headerAddress = false;
  bool headerMarker = false;
  bool unknownType = false;
  std::chrono::milliseconds delay{0};

  bool any() const;
};

class PulseFaultPlan {
 public:
  void add(const PulseFault& fault);
  void clear();  // forgets the faults and the counts
  const std::vector<PulseFault>& faults() const { return faults_; }

  // Counts one request for `parameter` and returns what goes wrong with it.
  PulseFaultAction onRequest(std::uint16_t parameter);

  // How often `parameter` has been asked for so far.
  std::uint32_t requests(std::uint16_t parameter) const;

 private:
  std::vector<PulseFault> faults_;
  std::map<std::uint16_t, std::uint32_t> counts_;
};

}  // namespace ostrel::sim

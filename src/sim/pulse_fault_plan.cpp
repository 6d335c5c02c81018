#include "sim/pulse_fault_plan.h"

namespace ostrel::sim {

bool PulseFaultAction::any() const {
  return noReply || hartXor || messageSum || messageLength || headerFe || headerAddress ||
         headerMarker || unknownType || delay.count() > 0;
}

void PulseFaultPlan::add(const PulseFault& fault) { faults_.push_back(fault); }

void PulseFaultPlan::clear() {
  faults_.clear();
  counts_.clear();
}

std::uint32_t PulseFaultPlan::requests(std::uint16_t parameter) const {
  const auto it = counts_.find(parameter);
  return it == counts_.end() ? 0 : it->second;
}

PulseFaultAction PulseFaultPlan::onRequest(std::uint16_t parameter) {
  const std::uint32_t n = ++counts_[parameter];
  PulseFaultAction a;
  for (const PulseFault& f : faults_) {
    if (f.parameter != parameter || (f.occurrence != PulseFault::kEvery && f.occurrence != n)) {
      continue;
    }
    switch (f.kind) {
      case PulseFaultKind::NoReply: a.noReply = true; break;
      case PulseFaultKind::HartXor: a.hartXor = true; break;
      case PulseFaultKind::MessageSum: a.messageSum = true; break;
      case PulseFaultKind::MessageLength: a.messageLength = true; break;
      case PulseFaultKind::HeaderFe: a.headerFe = true; break;
      case PulseFaultKind::HeaderAddress: a.headerAddress = true; break;
      case PulseFaultKind::HeaderMarker: a.headerMarker = true; break;
      case PulseFaultKind::UnknownType: a.unknownType = true; break;
      case PulseFaultKind::Late: a.delay += std::chrono::milliseconds(f.value); break;
    }
  }
  return a;
}

}  // namespace ostrel::sim

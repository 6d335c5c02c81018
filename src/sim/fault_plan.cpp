#include "sim/fault_plan.h"

namespace ostrel::sim {

bool FaultAction::any() const {
  return silence || wrongAckCheck || wrongDataCheck || noReady || wrongReady ||
         refuse.has_value() || dropIndex.has_value() || delay.count() > 0 || powerLost.has_value();
}

void FaultPlan::add(const Fault& fault) { faults_.push_back(fault); }

void FaultPlan::clear() {
  faults_.clear();
  counts_.fill(0);
}

FaultAction FaultPlan::onCommand(std::uint8_t cmd) {
  const std::uint32_t n = ++counts_[cmd];
  FaultAction a;
  for (const Fault& f : faults_) {
    if (f.command != cmd || (f.occurrence != Fault::kEvery && f.occurrence != n)) continue;
    switch (f.kind) {
      case FaultKind::Silence:
        a.silence = true;
        break;
      case FaultKind::WrongAckCheck:
        a.wrongAckCheck = true;
        break;
      case FaultKind::WrongDataCheck:
        a.wrongDataCheck = true;
        break;
      case FaultKind::Refuse:
        a.refuse = static_cast<std::uint8_t>(f.value);
        break;
      case FaultKind::NoReady:
        a.noReady = true;
        break;
      case FaultKind::WrongReady:
        a.wrongReady = true;
        break;
      case FaultKind::DropByte:
        a.dropIndex = f.value;
        break;
      case FaultKind::Slow:
        a.delay += std::chrono::milliseconds(f.value);
        break;
      case FaultKind::PowerLost:
        a.powerLost = std::chrono::milliseconds(f.value);
        break;
    }
  }
  return a;
}

}  // namespace ostrel::sim

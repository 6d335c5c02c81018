#include "core/link/connect_failure.h"

#include "core/link/unit_link.h"

namespace ostrel {

ConnectFailure explainConnectFailure(int result, const OpenFailure& open) {
  using P = ConnectFailure::Problem;
  ConnectFailure f;
  f.result = result;
  f.device = open.device;
  f.detail = open.detail;
  if (result == -1 && open.kind != OpenFailure::Kind::None) {
    switch (open.kind) {
      case OpenFailure::Kind::NoSuchDevice: f.problem = P::NoSuchDevice; break;
      case OpenFailure::Kind::NotSerial: f.problem = P::NotSerial; break;
      case OpenFailure::Kind::PermissionDenied: f.problem = P::PermissionDenied; break;
      case OpenFailure::Kind::Busy: f.problem = P::Busy; break;
      default: f.problem = P::OpenFailed; break;
    }
  } else if (result == -1) {
    f.problem = P::NoAnswer;
  } else if (result == -2) {
    f.problem = P::RadarAsleep;
  } else if (result == UnitLink::kBaudChangeRefused) {
    f.problem = P::BaudChangeRefused;
  } else {
    f.problem = P::Other;
  }
  return f;
}

std::string describeConnectFailure(const ConnectFailure& f) {
  using P = ConnectFailure::Problem;
  switch (f.problem) {
    case P::NoSuchDevice: return f.device + ": no such device";
    case P::NotSerial: return f.device + " is not a serial device";
    case P::PermissionDenied:
      return f.device + ": permission denied (add yourself to the dialout group)";
    case P::Busy: return f.device + " is in use by another program";
    case P::OpenFailed: return f.device + ": " + f.detail;
    case P::NoAnswer: return "no unit answered at 9600 or 1200 baud";
    case P::RadarAsleep: return "a radar unit did not answer the wake-up frames";
    case P::BaudChangeRefused: return "the unit answered at 1200 baud but refused to change to 9600";
    case P::Other: break;
  }
  return "the unit's identification failed";
}

}  // namespace ostrel

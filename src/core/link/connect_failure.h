#pragma once
// What a failed connect found, in words besides its code: the device that
// could not be opened and why, or the unit that did not answer.

#include <string>

#include "core/link/cable_driver.h"

namespace ostrel {

struct ConnectFailure {
  enum class Problem {
    NoSuchDevice,      // the device path does not exist
    NotSerial,         // a file, a folder, /dev/null: not a terminal
    PermissionDenied,  // not in the group that may open it
    Busy,              // another program holds it
    OpenFailed,        // any other reason the system gave (detail)
    NoAnswer,          // opened, but no unit answered at either baud rate
    RadarAsleep,       // a radar's stream, but no answer to the wake-up
    BaudChangeRefused, // answered at 1200 baud, refused to move to 9600
    Other,             // an identification result of its own
  };
  Problem problem = Problem::Other;
  int result = 0;      // what UnitLink::Connect returned
  std::string device;  // for the problems of opening
  std::string detail;  // the system's words for OpenFailed
};

// Reads a non-zero result of UnitLink::Connect together with the driver's
// account of its last open.
ConnectFailure explainConnectFailure(int result, const OpenFailure& open);

// The words for the command line, without the code:
// "/tmp is not a serial device", "no unit answered at 9600 or 1200 baud".
std::string describeConnectFailure(const ConnectFailure& failure);

}  // namespace ostrel

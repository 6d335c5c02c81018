#pragma once
// Identification of a page-based unit after Connect: its four pages, its
// model page where the type letter asks for it, the factory identity and
// the information memory. Startup and the command-line tool run the same
// steps; each step names its caption key and progress so the caller can
// show them.

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

class UnitMemory;
class ProgressSink;

struct PageUnitIdentity {
  enum class Kind { Ultrasonic, GuidedWave, UType };

  Kind kind = Kind::Ultrasonic;
  char typeLetter = 0;                 // factory byte 180
  std::string firmware;                // FIRMWARE
  std::int32_t swRev = 0;              // SW REV
  std::int32_t fileSerial = 0;         // FILESERIAL: the factory page's serial number
  std::int32_t serial = 0;             // SERIAL: the information memory's serial number
  std::string model = "Not Assigned";  // MODEL

  // The failure, when there was one: the message key (ERROR_MESSAGE1 ..
  // ERROR_MESSAGE4) and the result it is formatted with.
  std::string errorKey;
  int result = 0;
  bool ok() const { return errorKey.empty(); }

  static const char* kindName(Kind kind);
};

// What a caller shows while the steps run.
class IdentifySteps {
 public:
  virtual ~IdentifySteps() = default;
  virtual void caption(std::string_view key) = 0;  // a BUSY_MESSAGE key
  virtual void progress(int percent) = 0;
};

// Runs the identification steps on an open, connected link. Progress
// values: 30, 40, 50 after the pages, 55 after the factory identity, 60
// after the information memory.
PageUnitIdentity identifyPageUnit(UnitMemory& memory, IdentifySteps* steps);

}  // namespace ostrel

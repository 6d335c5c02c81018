#pragma once
// What every unit command of ostrelctl shares: the cable driver chosen on the
// command line (a cable, a serial device, or a simulated unit), the link and
// memory over it, the message texts, and the connect step.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "cli/link_commands.h"
#include "core/link/cable_driver.h"
#include "core/link/pulse_protocol.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/model/model_records.h"
#include "core/support/console_presenter.h"

namespace ostrel {

// Texts for the messages the link's procedures show, from the installed
// language file when it can be found (else the keys stand for themselves).
struct Texts {
  Texts();
  std::string text(const std::string& key, const std::string& fallback) const;
  ModelRecords records;
};

struct Session {
  std::unique_ptr<CableDriver> driver;
  std::unique_ptr<UnitLink> link;
  std::unique_ptr<UnitMemory> memory;
  std::unique_ptr<ConsolePresenter> presenter;
  PulseProtocol pulse;
  Texts texts;
};

std::string describeEnumeration(int n);
// What a command's result means, in words ("no answer from the unit after 1 s").
std::string describeCommandResult(int result, const UnitLink::Timing& timing);
// Where and why the last page read or write stopped, in words.
std::string describeMemoryFailure(const UnitMemory::Failure& failure,
                                  const UnitLink::Timing& timing);
// Sets up the driver and link; an error text for a bad --simulate kind.
std::optional<std::string> makeSession(const LinkOptions& options, Session& s, std::ostream& err);
// Finds the cable and connects, as startup does. 0 when connected.
int connect(Session& s, std::ostream& err);

std::string hexBytes(const std::uint8_t* bytes, std::size_t count);
void hexDump(std::ostream& out, const std::uint8_t* bytes, std::size_t count);
bool saveBytes(const std::string& path, const std::uint8_t* bytes, std::size_t count,
               std::ostream& err);

}  // namespace ostrel

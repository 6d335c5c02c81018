#pragma once
// "ostrelctl program-file show|pack", "ostrelctl programs" and "ostrelctl
// program": program files, the files that fit the connected unit with the
// update decision, and the programming of the unit.

#include <ostream>
#include <string>
#include <vector>

#include "cli/link_commands.h"

namespace ostrel {

// True when args[0] names a firmware command.
bool isFirmwareCommand(const std::string& command);

// 0 on success; 2 on a usage error or a file that cannot be read; 1 when a
// step failed (with its message on err).
int runFirmwareCommand(const LinkOptions& options, const std::vector<std::string>& args,
                       std::ostream& out, std::ostream& err);

}  // namespace ostrel

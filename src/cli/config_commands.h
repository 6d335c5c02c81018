#pragma once
// "ostrelctl config ...": what a configuration file holds, the file a unit's
// pages (or a pulse radar's parameters) make, and how a unit differs from a
// file.

#include <ostream>
#include <string>
#include <vector>

#include "cli/link_commands.h"

namespace ostrel {

// 0 done; 1 failed (config diff: the unit differs); 2 usage error;
// 3 config diff could not compare.
int runConfigCommand(const LinkOptions& options, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err);

// Reads the unit over an open session and prints the configuration its
// customer page decodes to, as "config read" does.
struct Session;
int printUnitConfiguration(Session& s, bool json, std::ostream& out, std::ostream& err);

}  // namespace ostrel

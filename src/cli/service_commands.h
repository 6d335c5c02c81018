#pragma once
// "ostrelctl poke | info-memory | support-mail | uploads": the service
// tools for scripts: one word of a page, the information memory, the
// tech-support e-mail and the pending configuration reports.

#include <ostream>
#include <string>
#include <vector>

#include "cli/link_commands.h"

namespace ostrel {

bool isServiceCommand(const std::string& command);

// 0 done; 1 refused or failed (nothing written on a refusal); 2 usage.
int runServiceCommand(const LinkOptions& options, const std::vector<std::string>& args,
                      std::ostream& out, std::ostream& err);

}  // namespace ostrel

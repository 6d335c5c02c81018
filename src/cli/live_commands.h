#pragma once
// "ostrelctl live", "ostrelctl echo ..." and "ostrelctl radar echo-curve":
// the live level page and the echo-curve pages for scripts.

#include <ostream>
#include <string>
#include <vector>

#include "cli/link_commands.h"

namespace ostrel {

// True when args name one of these commands.
bool isLiveCommand(const std::vector<std::string>& args);

// 0 done; 1 failed (the message on err); 2 usage error.
int runLiveCommand(const LinkOptions& options, const std::vector<std::string>& args,
                   std::ostream& out, std::ostream& err);

}  // namespace ostrel

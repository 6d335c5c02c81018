#pragma once
// One ostrelctl command run in the test's own process, its output captured.

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/link_commands.h"

namespace ostrel::test {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `command(options, args, out, err)` (any of the runXCommand
// functions) and keeps its status and both streams.
template <typename Command>
CliRun runCli(Command command, const LinkOptions& options, const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  CliRun r;
  r.status = command(options, args, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

}  // namespace ostrel::test

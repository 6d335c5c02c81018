#pragma once
// "ostrelctl [--port PATH | --simulate KIND] [--json] COMMAND": the device
// link procedures for scripts: list cables, identify the unit, read and write
// its pages, read its echo records and watch its stream.

#include <ostream>
#include <string>
#include <vector>

namespace ostrel {

struct LinkOptions {
  std::string port;      // --port PATH (else $OSTREL_PORT)
  std::string simulate;  // --simulate KIND
  bool json = false;
};

// True when args[0] names a link command.
bool isLinkCommand(const std::string& command);

// 0 on success; 2 on a usage error; otherwise a failure with its message on err.
int runLinkCommand(const LinkOptions& options, const std::vector<std::string>& args,
                   std::ostream& out, std::ostream& err);

}  // namespace ostrel

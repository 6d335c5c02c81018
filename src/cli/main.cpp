// ostrelctl: the tool's procedures for scripts and the terminal.

#include <iostream>
#include <string>
#include <vector>

#include "cli/model_commands.h"

namespace {

constexpr const char* kUsage =
    "usage: ostrelctl COMMAND [ARGS...]\n"
    "\n"
    "commands:\n"
    "  model encipher IN OUT [--key HEX]   encipher a model file into the .fmf form\n"
    "  model decipher IN OUT [--key HEX]   decipher an .fmf model file\n"
    "  model show FILE [--json]            print what a model file defines\n"
    "\n"
    "--key takes the four key words k0 k1 k2 k3 as 32 hex digits, k0 first.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    (args.empty() ? std::cerr : std::cout) << kUsage;
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "model") return ostrel::runModelCommand(args, std::cout, std::cerr);
  std::cerr << "ostrelctl: unknown command '" << args[0] << "'\n\n" << kUsage;
  return 2;
}

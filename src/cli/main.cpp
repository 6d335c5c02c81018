// ostrelctl: the tool's procedures for scripts and the terminal.

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/config_commands.h"
#include "cli/firmware_commands.h"
#include "cli/link_commands.h"
#include "cli/live_commands.h"
#include "cli/model_commands.h"
#include "cli/service_commands.h"
#include "cli/table_commands.h"
#include "ostrelctl_usage.h"

namespace {

// The usage text is made from ostrelctl.usage with the manual page and the
// bash completion.
constexpr const char* kUsage = kOstrelctlUsage;

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> all(argv + 1, argv + argc);
  ostrel::LinkOptions link;
  std::vector<std::string> args;
  std::string dataDir;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const std::string& a = all[i];
    if ((a == "--port" || a == "--simulate") && i + 1 < all.size()) {
      (a == "--port" ? link.port : link.simulate) = all[++i];
    } else if (a.rfind("--port=", 0) == 0) {
      link.port = a.substr(7);
    } else if (a.rfind("--simulate=", 0) == 0) {
      link.simulate = a.substr(11);
    } else if (a == "--data-dir" && i + 1 < all.size() && args.empty()) {
      dataDir = all[++i];
    } else if (a.rfind("--data-dir=", 0) == 0 && args.empty()) {
      dataDir = a.substr(11);
    } else if (a == "--json" && args.empty()) {
      link.json = true;
    } else {
      args.push_back(a);
    }
  }
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    (args.empty() ? std::cerr : std::cout) << kUsage;
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "--version") {
    std::cout << "ostrelctl " << kOstrelctlUsageVersion << '\n';
    return 0;
  }
  if (args[0].size() > 1 && args[0][0] == '-') {
    std::cerr << "ostrelctl: unknown option '" << args[0] << "'\n\n" << kUsage;
    return 2;
  }
  if (!link.port.empty() && !link.simulate.empty()) {
    std::cerr << "ostrelctl: --port and --simulate exclude each other\n\n" << kUsage;
    return 2;
  }
  // The data root is looked up where it is needed; the option stands for
  // $OSTREL_HOME for this run, as the GUI's does.
  if (!dataDir.empty()) ::setenv("OSTREL_HOME", dataDir.c_str(), 1);
  if (args[0] == "model") {
    if (link.json) args.push_back("--json");
    return ostrel::runModelCommand(args, std::cout, std::cerr);
  }
  if (args[0] == "config") return ostrel::runConfigCommand(link, args, std::cout, std::cerr);
  if (args[0] == "table") return ostrel::runTableCommand(args, std::cin, std::cout, std::cerr);
  if (ostrel::isServiceCommand(args[0]))
    return ostrel::runServiceCommand(link, args, std::cout, std::cerr);
  if (ostrel::isLiveCommand(args)) return ostrel::runLiveCommand(link, args, std::cout, std::cerr);
  if (ostrel::isFirmwareCommand(args[0])) {
    return ostrel::runFirmwareCommand(link, args, std::cout, std::cerr);
  }
  if (ostrel::isLinkCommand(args[0]))
    return ostrel::runLinkCommand(link, args, std::cout, std::cerr);
  std::cerr << "ostrelctl: unknown command '" << args[0] << "'\n\n" << kUsage;
  return 2;
}

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

namespace {

constexpr const char* kUsage =
    "usage: ostrelctl [--port PATH | --simulate KIND] [--data-dir DIR] [--json] COMMAND [ARGS...]\n"
    "\n"
    "unit commands (a cable, the device given with --port or $OSTREL_PORT, or a\n"
    "simulated unit of KIND ultrasonic, guided-wave, u-type or pulse-radar):\n"
    "  cables                               list the interface cables\n"
    "  identify                             connect and identify the unit\n"
    "  read-page PAGE [--out FILE | --format int|hex]\n"
    "                                       PAGE: customer factory history ocm model info\n"
    "  write-page PAGE FILE                 write 512 bytes and verify them\n"
    "  read-blocks echo|scan [--out FILE]   the echo record or the disturbance scan\n"
    "  stream [--seconds N]                 decoded stream frames\n"
    "  radar get PARAM...                   read pulse-radar parameters (number or name)\n"
    "  radar set PARAM=VALUE...             write pulse-radar parameters\n"
    "  radar curve echo|false-echo|envelope [--out FILE]\n"
    "  poke customer|factory ADDRESS VALUE [--yes]   one word, verified\n"
    "  info-memory [--json] | info-memory set LABEL=TEXT... [--yes]\n"
    "  support-mail --server HOST[:PORT] --name N --phone P --email E --description TEXT\n"
    "               [--to ADDRESS] [--dry-run]\n"
    "  uploads [--send]                     the pending configuration reports\n"
    "  record [--since DATE] [--file CSV]   the production record of written units\n"
    "  live [--frames N] [--seconds S]      the live level page's displays per frame\n"
    "  echo record|scan [--csv FILE]        the echo record as the diagnostics page shows it\n"
    "  echo erase-scan                      erase the unit's disturbance scan\n"
    "  radar echo-curve [--curves echo,envelope,false-echo] [--csv FILE]\n"
    "\n"
    "model files:\n"
    "  model encipher IN OUT [--key HEX]    encipher a model file into the .fmf form\n"
    "  model decipher IN OUT [--key HEX]    decipher an .fmf model file\n"
    "  model show FILE [--json]             print what a model file defines\n"
    "\n"
    "configuration files:\n"
    "  config show FILE [--model MODELFILE] the record a file holds\n"
    "  config decode --model MODELFILE CUSTOMER.bin [TABLE.bin] [--out FILE]\n"
    "                                       the file the pages make\n"
    "  config read [--out FILE]             the file the unit's configuration makes\n"
    "  config diff FILE                     the fields where the unit differs from a file\n"
    "  config write FILE [--yes] [--count N] [--record CSV]\n"
    "                                       write to units; each written unit gets a line\n"
    "                                       in the production record (Logs/Production.csv)\n"
    "\n"
    "firmware:\n"
    "  program-file show FILE [--json]      what a program file holds\n"
    "  program-file pack --pid TEXT [--fep FILE] [--pkt FILE] --out FILE.fp2\n"
    "  programs [--json]                    the program files that fit the unit\n"
    "  program FILE [--yes] [--force]       update the unit's firmware\n"
    "\n"
    "tables (offline; see 'ostrelctl table --help'):\n"
    "  table tank|flow|strap --json-in FILE [--json-out FILE] [--model FILE]\n"
    "\n"
    "--data-dir DIR: the data root (Models, Configs, Programs, Logs) instead of\n"
    "$OSTREL_HOME or the user's data folder.\n"
    "--key takes the four key words k0 k1 k2 k3 as 32 hex digits, k0 first.\n"
    "Exit status: 0 done, 1 failed (the message names the failing step's code), 2 usage.\n";

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

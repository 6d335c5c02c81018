// ostrel-unitsim: a simulated unit behind a pseudo-terminal.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "sim/memory_generator.h"
#include "sim/page_unit.h"
#include "sim/pty_server.h"
#include "sim/pulse_radar_unit.h"
#include "sim/unit_engine.h"
#include "sim/unitsim_options.h"

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void onStopSignal(int) { stopRequested.store(true); }

void installStopHandlers() {
  struct sigaction sa {};
  sa.sa_handler = onStopSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ostrel::sim;
  static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

  std::string error;
  const auto options = UnitsimOptions::parse(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) {
    std::cerr << "ostrel-unitsim: " << error << "\n\n" << UnitsimOptions::usage();
    return 2;
  }
  if (options->help) {
    std::cout << UnitsimOptions::usage();
    return 0;
  }
  if (options->version) {
    std::cout << UnitsimOptions::versionText();
    return 0;
  }

  std::shared_ptr<SimUnit> unit;
  std::shared_ptr<PageUnit> pageUnit;
  if (const auto pageKind = pageKindOf(options->kind)) {
    UnitMemories memories = MemoryGenerator::generate(*pageKind);
    PageUnit::Options unitOptions;
    unitOptions.only1200 = options->only1200;
    unitOptions.levelPeriod = options->level.period;
    unitOptions.fixedFraction = options->level.fixedFraction;
    unitOptions.invertDemo = options->invertDemo;
    if (options->image) {
      const auto loaded = memories.load(*options->image);
      if (!loaded.error.empty()) {
        std::cerr << "ostrel-unitsim: " << loaded.error << '\n';
        return 1;
      }
      for (const auto& name : loaded.loaded) {
        // A loaded echo record or scan is served as it is, not replaced by
        // live captures.
        if (name == "echo.bin") unitOptions.liveEcho = false;
        if (name == "scan.bin") unitOptions.liveScan = false;
      }
    }
    pageUnit = std::make_shared<PageUnit>(*pageKind, unitOptions);
    pageUnit->setMemories(memories);
    for (const Fault& f : options->faults) pageUnit->addFault(f);
    unit = pageUnit;
  } else {
    PulseRadarUnit::Options radarOptions;
    radarOptions.only1200 = options->only1200;
    radarOptions.levelPeriod = options->level.period;
    radarOptions.fixedFraction = options->level.fixedFraction;
    auto radar = std::make_shared<PulseRadarUnit>(radarOptions);
    for (const Fault& f : options->faults) radar->addFault(f);
    for (const PulseFault& f : options->pulseFaults) radar->addFault(f);
    unit = radar;
  }

  UnitEngine engine(unit);
  engine.setPacing(options->pace);
  PtyServer server(engine);
  if (const std::string err = server.open(); !err.empty()) {
    std::cerr << "ostrel-unitsim: " << err << '\n';
    return 1;
  }
  installStopHandlers();
  std::printf("%s\n", server.slavePath().c_str());
  std::fflush(stdout);
  std::cerr << "ostrel-unitsim: " << unitKindName(options->kind) << " unit on "
            << server.slavePath() << (options->only1200 ? " at 1200 baud" : " at 9600 baud")
            << (options->pace ? ", paced" : "") << '\n';

  server.serve(stopRequested);

  if (options->dump && pageUnit) {
    if (const std::string err = pageUnit->memories().dump(*options->dump); !err.empty()) {
      std::cerr << "ostrel-unitsim: " << err << '\n';
      return 1;
    }
  }
  return 0;
}

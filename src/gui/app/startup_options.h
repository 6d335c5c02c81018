#pragma once
// What the command line of the tool decides for one run.

#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/link/cable_driver.h"
#include "core/link/unit_link.h"

namespace ostrel {

struct StartupOptions {
  std::optional<std::filesystem::path> dataDir;      // --data-dir
  std::optional<std::filesystem::path> configRoot;   // settings key folder (default: user's)
  std::optional<std::filesystem::path> screenshots;  // --screenshots DIR
  bool unattended = false;                           // --unattended, or no screen to ask on
  // Where the unit is: a simulated unit of a kind (--simulate KIND), a
  // serial device (--port PATH, listed after any interface cable), or the
  // interface cables alone.
  std::string simulate;
  std::optional<std::filesystem::path> port;
  bool sample = false;  // --sample: the sample program, no unit looked for

  // For tests: a cable library of their own, and shorter link timings.
  std::function<std::unique_ptr<CableDriver>()> makeDriver;
  std::optional<UnitLink::Timing> linkTiming;

  // The cable library these options name; nullptr with an error text for
  // an unknown simulated kind.
  std::unique_ptr<CableDriver> createDriver(std::string& error) const;

  // Parses the arguments. Returns nullopt with a text to print when the run
  // ends here: a usage error, or --help/--version (then informational is set).
  static std::optional<StartupOptions> parse(const QStringList& arguments, QString& text,
                                             bool& informational);
};

}  // namespace ostrel

#pragma once
// What the command line of the tool decides for one run.

#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>

namespace ostrel {

struct StartupOptions {
  std::optional<std::filesystem::path> dataDir;      // --data-dir
  std::optional<std::filesystem::path> configRoot;   // settings key folder (default: user's)
  std::optional<std::filesystem::path> screenshots;  // --screenshots DIR
  bool unattended = false;                           // --unattended, or no screen to ask on

  // Parses the arguments. Returns nullopt with a text to print when the run
  // ends here: a usage error, or --help/--version (then informational is set).
  static std::optional<StartupOptions> parse(const QStringList& arguments, QString& text,
                                             bool& informational);
};

}  // namespace ostrel

#pragma once
// Where the tool keeps its files. The data root (Models, Configs, Programs,
// Logs) is chosen once per run; Drawings, Help and Bitmaps are read from the
// installed data folder.

#include <filesystem>
#include <optional>
#include <string>

namespace ostrel {

struct WorkFolders {
  std::filesystem::path DataRoot;
  std::filesystem::path InstalledData;
  std::filesystem::path Models;
  std::filesystem::path Configs;
  std::filesystem::path Programs;
  std::filesystem::path Logs;
  std::filesystem::path Drawings;
  std::filesystem::path Help;
  std::filesystem::path Bitmaps;

  // Builds every path from the two roots.
  static WorkFolders build(const std::filesystem::path& dataRoot,
                           const std::filesystem::path& installedData);
};

// The data root: the --data-dir argument when given, else $OSTREL_HOME, else
// the user's data folder ($XDG_DATA_HOME/ostrel or ~/.local/share/ostrel).
std::filesystem::path resolveDataRoot(const std::optional<std::filesystem::path>& dataDirArgument);

// The shipped data folder: share/ostrel beside the folder the running program
// sits in (bin/), so an installed or unpacked tree finds its own data; else
// the source tree's data folder this build was made from.
std::filesystem::path installedDataDir();

// The user's configuration folder ($XDG_CONFIG_HOME or ~/.config).
std::filesystem::path userConfigDir();

// Prepares the data root the way an installer would. On the first run (no
// Models folder yet) the shipped Models, Configs and Programs are copied in
// and listed in Models/.shipped. Later runs of a root seeded so bring in what
// a newer tool ships: new files are added and files the user has not changed
// are replaced; changed or deleted files stay as the user left them. On every
// run missing Configs, Programs and Logs folders are created, so that saving
// and logging have somewhere to go. Returns false with a reason when the
// root cannot be prepared.
bool prepareDataRoot(const WorkFolders& folders, std::string& error);

}  // namespace ostrel

#include "core/platform/work_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace ostrel {
namespace fs = std::filesystem;

namespace {

fs::path homeDir() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    return pw->pw_dir;
  }
  return fs::temp_directory_path();
}

fs::path fromEnv(const char* name) {
  const char* v = std::getenv(name);
  return (v != nullptr && *v != '\0') ? fs::path(v) : fs::path();
}

bool copyTree(const fs::path& from, const fs::path& to, std::string& error) {
  std::error_code ec;
  fs::create_directories(to, ec);
  if (ec) {
    error = "cannot create " + to.string() + ": " + ec.message();
    return false;
  }
  if (!fs::is_directory(from)) return true;
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
  if (ec) {
    error = "cannot copy " + from.string() + " to " + to.string() + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace

WorkFolders WorkFolders::build(const fs::path& dataRoot, const fs::path& installedData) {
  WorkFolders f;
  f.DataRoot = dataRoot;
  f.InstalledData = installedData;
  f.Models = dataRoot / "Models";
  f.Configs = dataRoot / "Configs";
  f.Programs = dataRoot / "Programs";
  f.Logs = dataRoot / "Logs";
  f.Drawings = installedData / "Drawings";
  f.Help = installedData / "Help";
  f.Bitmaps = installedData / "Bitmaps";
  return f;
}

fs::path resolveDataRoot(const std::optional<fs::path>& dataDirArgument) {
  if (dataDirArgument && !dataDirArgument->empty()) return fs::absolute(*dataDirArgument);
  if (fs::path env = fromEnv("OSTREL_HOME"); !env.empty()) return fs::absolute(env);
  if (fs::path xdg = fromEnv("XDG_DATA_HOME"); !xdg.empty()) return xdg / "ostrel";
  return homeDir() / ".local" / "share" / "ostrel";
}

fs::path installedDataDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path installed = exe.parent_path().parent_path() / "share" / "ostrel" / "data";
    if (fs::is_directory(installed / "Models", ec)) return installed;
  }
  return OSTREL_SOURCE_DATA_DIR;
}

fs::path userConfigDir() {
  if (fs::path xdg = fromEnv("XDG_CONFIG_HOME"); !xdg.empty()) return xdg;
  return homeDir() / ".config";
}

bool prepareDataRoot(const WorkFolders& folders, std::string& error) {
  std::error_code ec;
  if (!fs::exists(folders.Models, ec)) {
    if (!copyTree(folders.InstalledData / "Models", folders.Models, error)) return false;
    if (!copyTree(folders.InstalledData / "Configs", folders.Configs, error)) return false;
    if (!copyTree(folders.InstalledData / "Programs", folders.Programs, error)) return false;
  }
  for (const fs::path& p : {folders.Configs, folders.Programs, folders.Logs}) {
    fs::create_directories(p, ec);
    if (ec) {
      error = "cannot create " + p.string() + ": " + ec.message();
      return false;
    }
  }
  return true;
}

}  // namespace ostrel

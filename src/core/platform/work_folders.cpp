#include "core/platform/work_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

#include "core/platform/atomic_file.h"

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

bool makeFolder(const fs::path& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) error = "cannot create " + folder.string() + ": " + ec.message();
  return !ec;
}

// The shipped files as they were last put into a data root, by path below
// the root: what lets a newer version of the tool bring its files in without
// touching what the user has changed.
constexpr const char* kShippedList = "Models/.shipped";
constexpr const char* kShippedFolders[] = {"Models", "Configs", "Programs"};

bool readFile(const fs::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::uint64_t contentHash(const std::string& bytes) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

using ShippedList = std::map<std::string, std::uint64_t>;

ShippedList readShippedList(const fs::path& root) {
  ShippedList list;
  std::string text;
  if (!readFile(root / kShippedList, text)) return list;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    list[line.substr(tab + 1)] = std::strtoull(line.substr(0, tab).c_str(), nullptr, 16);
  }
  return list;
}

bool writeShippedList(const fs::path& root, const ShippedList& list) {
  std::ostringstream out;
  for (const auto& [path, hash] : list) out << std::hex << hash << '\t' << path << '\n';
  return writeFileAtomically(root / kShippedList, out.str());
}

// Brings the shipped files into the root: a file shipped for the first time
// is added, a file the user has not changed since it was shipped follows
// the shipped one, and a file the user changed or deleted stays as it is.
bool refreshShippedFiles(const WorkFolders& folders, ShippedList& list, std::string& error) {
  std::error_code ec;
  for (const char* folder : kShippedFolders) {
    const fs::path from = folders.InstalledData / folder;
    if (!fs::is_directory(from, ec)) continue;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(from, ec)) {
      if (!e.is_regular_file(ec)) continue;
      const std::string rel =
          (fs::path(folder) / fs::relative(e.path(), from, ec)).generic_string();
      std::string shipped;
      if (!readFile(e.path(), shipped)) continue;
      const std::uint64_t shippedHash = contentHash(shipped);
      const fs::path dest = folders.DataRoot / rel;
      const auto known = list.find(rel);
      std::string current;
      const bool present = readFile(dest, current);
      bool take = false;
      if (!present) {
        take = known == list.end();
      } else if (known != list.end()) {
        take = contentHash(current) == known->second && known->second != shippedHash;
      } else if (contentHash(current) == shippedHash) {
        list[rel] = shippedHash;  // the same file, now known as shipped
      }
      if (!take) continue;
      fs::create_directories(dest.parent_path(), ec);
      if (!writeFileAtomically(dest, shipped)) {
        error = "cannot write " + dest.string();
        return false;
      }
      list[rel] = shippedHash;
    }
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
    const fs::path installed = exe.parent_path().parent_path() / "share" / "ostrel";
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
  // A root this tool seeded keeps a list of what it shipped there; a root
  // without one (its Models folder made by hand or by an installer) is left
  // to whoever made it.
  const bool firstRun = !fs::exists(folders.Models, ec);
  if (firstRun || fs::exists(folders.DataRoot / kShippedList, ec)) {
    if (!makeFolder(folders.Models, error)) return false;
    ShippedList list = readShippedList(folders.DataRoot);
    const ShippedList before = list;
    if (!refreshShippedFiles(folders, list, error)) return false;
    if ((firstRun || list != before) && !writeShippedList(folders.DataRoot, list)) {
      error = "cannot write " + (folders.DataRoot / kShippedList).string();
      return false;
    }
  }
  for (const fs::path& p : {folders.Configs, folders.Programs, folders.Logs}) {
    if (!makeFolder(p, error)) return false;
  }
  return true;
}

}  // namespace ostrel

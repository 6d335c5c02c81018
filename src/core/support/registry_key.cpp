#include "core/support/registry_key.h"

#include <unistd.h>

#include <fstream>
#include <system_error>

#include "core/platform/atomic_file.h"
#include "core/support/text_codec.h"

namespace ostrel {
namespace fs = std::filesystem;

namespace {

std::string safePiece(const std::string& s) {
  std::string out;
  for (char c : s) out.push_back((c == '/' || c == '\0') ? '_' : c);
  if (out.empty() || out == "." || out == "..") out = "_" + out;
  return out;
}

// Names and values are stored with \\, \n and \r escaped so a line is a value.
std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '=') {
      out += "\\e";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      const char n = s[++i];
      out.push_back(n == 'n' ? '\n' : n == 'r' ? '\r' : n == 'e' ? '=' : n);
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

}  // namespace

fs::path RegistryKey::keyPath(const fs::path& configRoot, const std::string& corporateId,
                              const std::string& programName) {
  return configRoot / safePiece(corporateId) / (safePiece(programName) + ".conf");
}

bool RegistryKey::create(const fs::path& path) {
  std::error_code ec;
  if (fs::exists(path, ec)) return true;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out << "# ostrel settings\n";
  return static_cast<bool>(out);
}

bool RegistryKey::open(const fs::path& path) {
  close();
  if (::access(path.c_str(), R_OK | W_OK) != 0) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  values_.clear();
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string name = unescape(line.substr(0, eq));
    std::string value = unescape(line.substr(eq + 1));
    bool replaced = false;
    for (auto& [n, v] : values_) {
      if (n == name) {
        v = value;
        replaced = true;
      }
    }
    if (!replaced) values_.emplace_back(std::move(name), std::move(value));
  }
  path_ = path;
  open_ = true;
  return true;
}

bool RegistryKey::close() {
  const bool wasOpen = open_;
  open_ = false;
  values_.clear();
  return wasOpen;
}

bool RegistryKey::queryValue(const std::string& name, std::string& value) const {
  if (!open_) return false;
  for (const auto& [n, v] : values_) {
    if (n != name) continue;
    if ((utf16Length(v) + 1) * 2 > kValueBytes) return false;
    value = v;
    return true;
  }
  return false;
}

bool RegistryKey::setValue(const std::string& name, const std::string& value) {
  if (!open_ || name.empty()) return false;
  bool found = false;
  for (auto& [n, v] : values_) {
    if (n == name) {
      v = value;
      found = true;
    }
  }
  if (!found) values_.emplace_back(name, value);
  return save();
}

RegistryKey::EnumResult RegistryKey::enumValue(std::size_t index, std::string& name,
                                               std::string& value) const {
  if (!open_) return EnumResult::Failed;
  if (index >= values_.size()) return EnumResult::NoMoreItems;
  const auto& [n, v] = values_[index];
  if (utf16Length(n) + 1 > kNameChars || (utf16Length(v) + 1) * 2 > kValueBytes) {
    return EnumResult::MoreData;
  }
  name = n;
  value = v;
  return EnumResult::Ok;
}

bool RegistryKey::save() const {
  std::string text = "# ostrel settings\n";
  for (const auto& [n, v] : values_) text += escape(n) + "=" + escape(v) + "\n";
  return writeFileAtomically(path_, text, 0600);
}

}  // namespace ostrel

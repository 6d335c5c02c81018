#include "core/config/production_record.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <iterator>

#include "core/config/unit_configuration.h"
#include "core/platform/atomic_file.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

std::string csvField(const std::string& v) {
  if (v.find_first_of(",\"\r\n") == std::string::npos) return v;
  std::string out = "\"";
  for (char c : v) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// One record's fields; at is moved past its line end. Nothing when a quoted
// field does not close.
std::optional<std::vector<std::string>> csvRecord(std::string_view text, std::size_t& at) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  while (at < text.size()) {
    const char c = text[at++];
    if (quoted) {
      if (c == '"' && at < text.size() && text[at] == '"') {
        fields.back() += '"';
        ++at;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n') {
      return fields;
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  if (quoted) return std::nullopt;
  return fields;
}

struct FolderLock {
  int fd = -1;
  explicit FolderLock(const fs::path& folder) {
    fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX) != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  ~FolderLock() {
    if (fd >= 0) ::close(fd);
  }
};

std::string timeNow() {
  const std::time_t t = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

bool digits(std::string_view t, std::size_t at, std::size_t n) {
  for (std::size_t i = at; i < at + n; ++i) {
    if (i >= t.size() || t[i] < '0' || t[i] > '9') return false;
  }
  return true;
}

}  // namespace

bool isProductionTime(std::string_view t) {
  if (!t.empty() && t.back() == 'Z') t.remove_suffix(1);
  const bool date = t.size() >= 10 && digits(t, 0, 4) && t[4] == '-' && digits(t, 5, 2) &&
                    t[7] == '-' && digits(t, 8, 2);
  if (!date) return false;
  if (t.size() == 10) return true;
  return t.size() == 19 && t[10] == 'T' && digits(t, 11, 2) && t[13] == ':' && digits(t, 14, 2) &&
         t[16] == ':' && digits(t, 17, 2);
}

ProductionEntry productionEntry(const UnitConfiguration& config, const std::string& configFile,
                                bool verified, std::string_view reason) {
  ProductionEntry e;
  e.time = timeNow();
  e.serial = std::to_string(config.serial);
  e.model = config.model;
  e.firmware = config.firmware;
  e.softwareRevision = UnitConfiguration::softwareRevisionText(config.softwareRevision);
  e.configFile = configFile;
  e.configNumber = std::to_string(config.configurationIndex);
  e.verified = verified;
  e.reason = std::string(reason);
  return e;
}

bool appendProductionRecord(const fs::path& file, const ProductionEntry& e, std::string& error) {
  const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  std::error_code ec;
  fs::create_directories(folder, ec);
  FolderLock lock(folder);
  if (lock.fd < 0) {
    error = "the folder " + folder.string() + " cannot be locked";
    return false;
  }
  std::string bytes;
  if (fs::exists(file)) {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      error = file.string() + " cannot be read";
      return false;
    }
    if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
  }
  if (bytes.empty()) bytes = std::string(kProductionHeader) + "\r\n";
  const std::string fields[] = {e.time,       e.serial,       e.model,
                                e.firmware,   e.softwareRevision, e.configFile,
                                e.configNumber, e.verified ? "verified" : "failed", e.reason};
  std::string line;
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    if (i > 0) line += ',';
    line += csvField(fields[i]);
  }
  bytes += line + "\r\n";
  if (!writeFileAtomically(file, bytes)) {
    error = file.string() + " cannot be written";
    return false;
  }
  return true;
}

bool recordWrittenUnit(const fs::path& file, const UnitConfiguration& config,
                       const std::string& configFile, bool verified, std::string_view reason,
                       std::string& error) {
  return appendProductionRecord(file, productionEntry(config, configFile, verified, reason), error);
}

std::optional<std::vector<ProductionEntry>> readProductionRecord(const fs::path& file,
                                                                 std::string_view since,
                                                                 std::string& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = file.string() + " cannot be read";
    return std::nullopt;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<ProductionEntry> out;
  std::size_t at = 0;
  int line = 0;
  while (at < text.size()) {
    ++line;
    const auto fields = csvRecord(text, at);
    if (!fields || (line == 1 && (*fields)[0] != "time")) {
      error = file.string() + " line " + std::to_string(line) + " is not a production record line";
      return std::nullopt;
    }
    if (line == 1) continue;
    if (fields->size() == 1 && (*fields)[0].empty()) continue;
    if (fields->size() != 9) {
      error = file.string() + " line " + std::to_string(line) + " has " +
              std::to_string(fields->size()) + " fields, not 9";
      return std::nullopt;
    }
    const auto& f = *fields;
    ProductionEntry e{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7] == "verified", f[8]};
    // The times sort as text, so a date alone takes in its whole day.
    if (!since.empty() && std::string_view(e.time) < since) continue;
    out.push_back(std::move(e));
  }
  return out;
}

}  // namespace ostrel

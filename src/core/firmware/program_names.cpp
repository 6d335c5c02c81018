#include "core/firmware/program_names.h"

#include <algorithm>
#include <fstream>

#include "core/firmware/program_file.h"
#include "core/model/fmf_cipher.h"
#include "core/support/cstdio_file_ex.h"
#include "core/support/key_value_file.h"

namespace ostrel {
namespace program_names {

std::string stem(std::string_view fileName) {
  return std::string(fileName.substr(0, fileName.size() < 4 ? 0 : fileName.size() - 4));
}

std::string versionText(std::string_view fileName) {
  const std::string s = stem(fileName);
  const std::size_t at = s.find("ver");
  if (at == std::string::npos) return {};
  std::string v = s.substr(at + 3);
  std::transform(v.begin(), v.end(), v.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return v;
}

std::string rangeText(std::string_view fileName) {
  const std::string s = stem(fileName);
  std::string range;
  for (char c : s.substr(0, s.find("ver"))) {
    if (c == 'p') c = '.';
    if ((c >= '0' && c <= '9') || c == '.') range.push_back(c);
  }
  if (!range.empty()) range.push_back('M');
  return range;
}

bool takesPartInOffers(std::string_view fileName) {
  const std::string v = versionText(fileName);
  return v.size() <= 5 && v.find("old", 1) == std::string::npos;
}

std::optional<double> versionNumber(std::string_view fileName) {
  if (!takesPartInOffers(fileName)) return std::nullopt;
  const std::string v = versionText(fileName);
  double whole = 0;
  double tenths = 0;
  bool point = false;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (c == 'p') {
      point = true;
      continue;
    }
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'i') digit = c - 'a' + 1;
    if (digit < 0) continue;
    if (!point) {
      whole = whole * 10 + digit;
    } else if (i == 3) {
      tenths = digit;
    }
  }
  return whole + tenths / 10.0;
}

std::string shownVersion(std::string_view fileName) {
  std::string v = versionText(fileName);
  std::replace(v.begin(), v.end(), 'p', '.');
  return v;
}

}  // namespace program_names

std::optional<std::vector<std::string>> modelProgramNames(const std::filesystem::path& modelFile) {
  bool tooLarge = false;
  std::optional<std::string> bytes = program_file::readFile(modelFile, 16u << 20, tooLarge);
  if (!bytes) return std::nullopt;
  if (modelFile.extension() == ".fmf") *bytes = FmfCipher().decipherText(*bytes);
  CStdioFileEx file;
  if (!file.OpenBytes(std::move(*bytes))) return std::nullopt;
  // Every PROGRAMNAME line counts, not only the first.
  std::vector<std::string> names;
  KeyValueLine line;
  while (keyvalue::ReadLine(file, line)) {
    if (line.HasEquals && keyvalue::equalsIgnoreCase(line.Key, "PROGRAMNAME") &&
        !line.Value.empty()) {
      names.push_back(line.Value);
    }
  }
  return names;
}

bool programNameFits(std::string_view name, const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return keyvalue::equalsIgnoreCase(n, name); });
}

std::vector<std::string> ListProgramFiles(const std::filesystem::path& programsFolder,
                                          const std::vector<std::string>& programNames) {
  // Examined in name order, so the listing never depends on the file system.
  std::vector<std::filesystem::path> entries;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(programsFolder, ec)) {
    if (entry.is_regular_file(ec)) entries.push_back(entry.path());
  }
  std::sort(entries.begin(), entries.end());
  std::vector<std::string> list;
  for (const std::filesystem::path& path : entries) {
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    char header[8];
    in.read(header, 8);
    if (in.gcount() < 8) continue;  // too short to be a program file: the next may be one
    const std::string_view h(header, 8);
    if (h.substr(0, 4) != std::string_view("PID\0", 4)) continue;
    const std::uint32_t n = static_cast<std::uint8_t>(h[4]) |
                            static_cast<std::uint32_t>(static_cast<std::uint8_t>(h[5])) << 8 |
                            static_cast<std::uint32_t>(static_cast<std::uint8_t>(h[6])) << 16 |
                            static_cast<std::uint32_t>(static_cast<std::uint8_t>(h[7])) << 24;
    if (n > program_file::kMaxPidBytes) continue;
    std::string pid(n, '\0');
    in.read(pid.data(), n);
    if (static_cast<std::uint32_t>(in.gcount()) != n) continue;
    if (programNameFits(program_file::programName(pid), programNames)) {
      list.push_back(path.filename().string());
    }
  }
  return list;
}

OfferDecision decideOffer(int swRev, const std::vector<std::string>& fittingFiles) {
  OfferDecision d;
  d.unitVersion = swRev > 99 ? swRev / 10.0 : swRev;
  if (fittingFiles.empty()) {
    d.noFiles = true;
    return d;
  }
  for (const std::string& name : fittingFiles) {
    if (const auto v = program_names::versionNumber(name); v && *v > d.best) d.best = *v;
  }
  if (d.best > d.unitVersion || d.unitVersion < 10) {
    d.offer = true;
    d.messageKey = d.unitVersion < 10 ? "STATUS_MESSAGE52" : "STATUS_MESSAGE51";
  }
  return d;
}

}  // namespace ostrel

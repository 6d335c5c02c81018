#pragma once
// The tool's texts by key, read from the language file in the Models folder.
// Each entry carries a text for language column 0 and one for column 1.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/support/notice.h"

namespace ostrel {

class CStdioFileEx;

struct LanguageEntry {
  std::string Key;
  std::array<std::string, 2> Texts;
};

class LanguageTable {
 public:
  static constexpr int kCapacity = 1000;

  LanguageTable() = default;

  void setFolder(std::filesystem::path folder) { folder_ = std::move(folder); }
  const std::filesystem::path& folder() const { return folder_; }

  // Reads the named file from the folder. 0 on success; -1 when it cannot be
  // opened. Entries beyond the capacity are ignored. What went wrong waits
  // in takeNotices() for the caller to show.
  int Load(const std::string& fileName);

  // Parses the file at the given path (what Load does after forming it).
  int LoadPath(const std::filesystem::path& path);

  // Parses file contents held in memory.
  int LoadBytes(std::string bytes);

  // Copies the text of the first entry with the key into dest, with every
  // "\n" written in the file turned into a line break. A column other than
  // 0 or 1 reads column 0. Without a match dest is left as it was.
  bool Lookup(std::string_view key, int column, std::string& dest) const;

  // The text for the key, or the fallback when the key is missing.
  std::string Text(std::string_view key, int column, std::string_view fallback = {}) const;

  // The platform boxes a failed load asks for, in the order they are shown.
  Notices takeNotices() { return std::exchange(notices_, {}); }

  int Count() const { return static_cast<int>(entries_.size()); }
  const LanguageEntry& Entry(int index) const {
    return entries_.at(static_cast<std::size_t>(index));
  }

 private:
  void parse(CStdioFileEx& file);

  Notices notices_;
  std::filesystem::path folder_;
  std::vector<LanguageEntry> entries_;
};

}  // namespace ostrel

#pragma once
// The per-user settings key: a small file of "name=value" lines under the
// user's configuration folder, one per corporate id and program name. It
// keeps the rules of the key it stands in for: it is opened, never created
// by the store (the installer step makes it), values are texts of at most
// 49 characters, names at most 99, and values are enumerated in the order
// they were first written.

#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace ostrel {

class RegistryKey {
 public:
  static constexpr std::size_t kValueBytes = 100;  // UTF-16 bytes with the null
  static constexpr std::size_t kNameChars = 100;   // with the null

  enum class EnumResult { Ok, NoMoreItems, MoreData, Failed };

  // <config>/<corporateId>/<programName>.conf, path pieces made safe.
  static std::filesystem::path keyPath(const std::filesystem::path& configRoot,
                                       const std::string& corporateId,
                                       const std::string& programName);

  // Makes an empty key if none exists (the installer's step).
  static bool create(const std::filesystem::path& path);

  bool open(const std::filesystem::path& path);
  bool isOpen() const { return open_; }
  bool close();

  // Fails when the value is missing or longer than the buffer.
  bool queryValue(const std::string& name, std::string& value) const;
  bool setValue(const std::string& name, const std::string& value);
  EnumResult enumValue(std::size_t index, std::string& name, std::string& value) const;

 private:
  bool save() const;

  std::filesystem::path path_;
  std::vector<std::pair<std::string, std::string>> values_;
  bool open_ = false;
};

}  // namespace ostrel

#pragma once
// Loads and saves AppSettings: in the per-user settings key, or, when the
// corporate model file names one, in a settings file in the Models folder.
// Every operation returns false on success and true on failure, with a
// numeric code for the message.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/support/registry_key.h"

namespace ostrel {

struct AppSettings;

class SettingsStore {
 public:
  // Code of Load when the settings file cannot be read.
  static constexpr int kSettingsFileUnreadable = 1;
  // Code of the file writes when the file cannot be rewritten or lacks the key.
  static constexpr int kFileWriteFailed = 4;

  // The identity strings and folders are referenced, not copied: they are
  // filled in by the corporate model file after construction.
  SettingsStore(AppSettings& settings, const std::string& corporateId,
                const std::string& programName, const std::filesystem::path& modelsFolder,
                std::filesystem::path configRoot);

  bool Load(int& code);
  bool ReadBool(const std::string& name, bool& value, int& code);
  bool WriteBool(const std::string& name, bool value, int& code);
  bool WriteText(const std::string& name, const std::string& value, int& code);

  // Where the settings key lives for the current identity.
  std::filesystem::path keyPath() const;
  std::filesystem::path settingsFilePath() const;
  bool usesSettingsFile() const;

  // The defaults written into an empty key, in the order they are created.
  struct Default {
    const char* name;
    const char* value;
  };
  static const Default kDefaults[12];

 private:
  bool loadFromFile(int& code);
  bool loadFromKey(int& code);
  bool writeValue(const std::string& name, const std::string& value, int& code);

  AppSettings& settings_;
  const std::string& corporateId_;
  const std::string& programName_;
  const std::filesystem::path& modelsFolder_;
  std::filesystem::path configRoot_;
  RegistryKey key_;
};

}  // namespace ostrel

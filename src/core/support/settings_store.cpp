#include "core/support/settings_store.h"

#include "core/support/cstdio_file_ex.h"
#include "core/support/key_value_file.h"
#include "core/support/app_settings.h"

namespace ostrel {

const SettingsStore::Default SettingsStore::kDefaults[12] = {
    {"GUIDE", "TRUE"},      {"GFILE", "User Guide.pps"}, {"DEMOMODEL", "KM30Demo"},
    {"DEMOSERIAL", "1001"}, {"DEMOSWREV", "0001"},       {"DEMOTAB", "FALSE"},
    {"OPTOUT", "FALSE"},    {"PENDING", "FALSE"},        {"VERSION", "5.0.0"},
    {"DBVERSION", "5.0.0"}, {"TECHSUPPORT", "FALSE"},    {"PREF_UNITS", "Inches"},
};

SettingsStore::SettingsStore(AppSettings& settings, const std::string& corporateId,
                             const std::string& programName,
                             const std::filesystem::path& modelsFolder,
                             std::filesystem::path configRoot)
    : settings_(settings),
      corporateId_(corporateId),
      programName_(programName),
      modelsFolder_(modelsFolder),
      configRoot_(std::move(configRoot)) {}

std::filesystem::path SettingsStore::keyPath() const {
  return RegistryKey::keyPath(configRoot_, corporateId_, programName_);
}

std::filesystem::path SettingsStore::settingsFilePath() const {
  return modelsFolder_ / settings_.RegistryFile;
}

bool SettingsStore::usesSettingsFile() const { return !settings_.RegistryFile.empty(); }

bool SettingsStore::Load(int& code) {
  code = 0;
  return usesSettingsFile() ? loadFromFile(code) : loadFromKey(code);
}

bool SettingsStore::loadFromFile(int& code) {
  // Only the settings record is open to the settings file.
  CStdioFileEx file;
  if (!file.Open(settingsFilePath(), CStdioFileEx::modeRead | CStdioFileEx::shareDenyWrite)) {
    code = kSettingsFileUnreadable;
    return true;
  }
  KeyValueLine line;
  while (keyvalue::ReadLine(file, line)) applySettingLine(settings_, line);
  return false;
}

bool SettingsStore::loadFromKey(int& code) {
  const auto fail = [&](int c) {
    key_.close();
    code = c;
    return true;
  };
  if (!key_.open(keyPath())) return fail(1);

  // Complete the defaults: every defaulted value the key lacks is written.
  std::vector<std::string> names;
  for (std::size_t i = 0;; ++i) {
    std::string name;
    std::string value;
    const RegistryKey::EnumResult r = key_.enumValue(i, name, value);
    if (r == RegistryKey::EnumResult::NoMoreItems) break;
    if (r != RegistryKey::EnumResult::Ok) return fail(2);
    names.push_back(name);
  }
  for (const Default& d : kDefaults) {
    bool present = false;
    for (const std::string& n : names) present = present || n == d.name;
    if (!present && !key_.setValue(d.name, d.value)) return fail(2);
  }

  const auto text = [&](const char* name, std::string& field) {
    std::string v;
    if (!key_.queryValue(name, v)) return false;
    field = v;
    return true;
  };
  const auto flag = [&](const char* name, bool& field) {
    std::string v;
    if (!key_.queryValue(name, v)) return false;
    field = v == "TRUE";
    return true;
  };

  if (!text("GFILE", settings_.GuideFile)) return fail(3);
  if (!flag("GUIDE", settings_.ShowGuide)) return fail(4);
  if (!text("DEMOMODEL", settings_.DemoModel)) return fail(5);
  if (!text("DEMOSERIAL", settings_.DemoSerial)) return fail(6);
  if (!text("DEMOSWREV", settings_.DemoSoftwareRevision)) return fail(7);
  if (!flag("DEMOTAB", settings_.DemoTab)) settings_.DemoTab = false;
  if (!flag("KESTRANE_MODE", settings_.MakerMode)) settings_.MakerMode = false;
  if (!flag("OPTOUT", settings_.UploadOptOut)) return fail(8);
  if (!flag("PENDING", settings_.UploadPending)) return fail(9);
  if (!text("VERSION", settings_.Version)) return fail(10);
  if (!text("DBVERSION", settings_.DatabaseVersion)) return fail(11);
  if (!flag("TECHSUPPORT", settings_.TechSupport)) settings_.TechSupport = false;
  if (!text("PREF_UNITS", settings_.PreferredUnits)) return fail(11);

  if (!key_.close()) {
    code = 12;
    return true;
  }
  return false;
}

bool SettingsStore::ReadBool(const std::string& name, bool& value, int& code) {
  code = 0;
  if (usesSettingsFile()) {
    value = keyvalue::ReadKeyValue(settingsFilePath(), name, "TRUE", nullptr, false);
    return false;
  }
  if (!key_.open(keyPath())) {
    code = 1;
    return true;
  }
  std::string v;
  if (!key_.queryValue(name, v)) {
    key_.close();
    code = 2;
    return true;
  }
  value = v == "TRUE";
  if (!key_.close()) {
    code = 3;
    return true;
  }
  return false;
}

bool SettingsStore::WriteBool(const std::string& name, bool value, int& code) {
  return writeValue(name, value ? "TRUE" : "FALSE", code);
}

bool SettingsStore::WriteText(const std::string& name, const std::string& value, int& code) {
  return writeValue(name, value, code);
}

bool SettingsStore::writeValue(const std::string& name, const std::string& value, int& code) {
  code = 0;
  if (usesSettingsFile()) {
    if (keyvalue::RewriteKeyValue(settingsFilePath(), name, value) != RewriteResult::Rewritten) {
      code = kFileWriteFailed;
      return true;
    }
    return false;
  }
  if (!key_.open(keyPath())) {
    code = 1;
    return true;
  }
  if (!key_.setValue(name, value)) {
    key_.close();
    code = 2;
    return true;
  }
  if (!key_.close()) {
    code = 3;
    return true;
  }
  return false;
}

}  // namespace ostrel

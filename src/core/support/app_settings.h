#pragma once
// The tool's persisted settings and the run-wide values that the corporate
// model file sets. One record for the whole run.

#include <cstdint>
#include <string>

namespace ostrel {

struct AppSettings {
  // Persisted (settings store).
  bool ShowGuide = false;            // GUIDE
  std::string GuideFile;             // GFILE
  bool MakerMode = false;            // KESTRANE_MODE
  std::string DemoModel;             // DEMOMODEL
  std::string DemoFirmware;          // DEMOFW
  std::string DemoSerial;            // DEMOSERIAL
  std::string DemoSoftwareRevision;  // DEMOSWREV
  bool DemoTab = false;              // DEMOTAB
  bool UploadOptOut = false;         // OPTOUT
  bool UploadPending = false;        // PENDING
  std::string Version;               // VERSION
  std::string DatabaseVersion;       // DBVERSION
  bool TechSupport = false;          // TECHSUPPORT
  std::string PreferredUnits;        // PREF_UNITS

  // Set by the corporate model file.
  std::string RegistryFile;         // REGISTRY_FILE
  std::string LanguageFile;         // LANGUAGE_FILE
  std::int32_t LanguageNumber = 0;  // LANGUAGE_NUMBER
  std::string SelectText;           // text of the SELECTSTR key
};

}  // namespace ostrel

namespace ostrel {

struct KeyValueLine;

// Applies one line of the settings file or the corporate model file to the
// settings; false when the key is not a setting.
bool applySettingLine(AppSettings& settings, const KeyValueLine& line);

}  // namespace ostrel

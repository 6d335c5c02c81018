#include "core/support/app_settings.h"

#include <string_view>
#include <unordered_map>

#include "core/support/key_value_file.h"

namespace ostrel {
namespace {

using Setter = void (*)(AppSettings&, const KeyValueLine&);

#define OSTREL_TEXT(field) +[](AppSettings& s, const KeyValueLine& l) { s.field = l.Value; }
#define OSTREL_INT(field) \
  +[](AppSettings& s, const KeyValueLine& l) { s.field = keyvalue::readInt(l.Value); }
#define OSTREL_BOOL(field) \
  +[](AppSettings& s, const KeyValueLine& l) { s.field = l.Value == "TRUE"; }

const std::unordered_map<std::string_view, Setter>& setters() {
  static const std::unordered_map<std::string_view, Setter> table = {
      {"REGISTRY_FILE", OSTREL_TEXT(RegistryFile)},
      {"LANGUAGE_FILE", OSTREL_TEXT(LanguageFile)},
      {"LANGUAGE_NUMBER", OSTREL_INT(LanguageNumber)},
      {"DBVERSION", OSTREL_TEXT(DatabaseVersion)},
      {"DEMOMODEL", OSTREL_TEXT(DemoModel)},
      {"DEMOFW", OSTREL_TEXT(DemoFirmware)},
      {"DEMOSERIAL", OSTREL_TEXT(DemoSerial)},
      {"DEMOSWREV", OSTREL_TEXT(DemoSoftwareRevision)},
      {"DEMOTAB", OSTREL_BOOL(DemoTab)},
      {"KESTRANE_MODE", OSTREL_BOOL(MakerMode)},
      {"GFILE", OSTREL_TEXT(GuideFile)},
      {"GUIDE", OSTREL_BOOL(ShowGuide)},
      {"OPTOUT", OSTREL_BOOL(UploadOptOut)},
      {"PENDING", OSTREL_BOOL(UploadPending)},
      {"PREF_UNITS", OSTREL_TEXT(PreferredUnits)},
      {"TECHSUPPORT", OSTREL_BOOL(TechSupport)},
      {"VERSION", OSTREL_TEXT(Version)},
  };
  return table;
}

#undef OSTREL_TEXT
#undef OSTREL_INT
#undef OSTREL_BOOL

}  // namespace

bool applySettingLine(AppSettings& settings, const KeyValueLine& line) {
  if (!line.HasEquals || line.Key.empty()) return false;
  const auto& table = setters();
  const auto it = table.find(line.Key);
  if (it == table.end()) return false;
  it->second(settings, line);
  return true;
}

}  // namespace ostrel

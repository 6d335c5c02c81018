#include "core/config/config_page_files.h"

#include <chrono>
#include <system_error>

#include "core/config/config_save_name.h"
#include "core/config/unit_configuration.h"
#include "core/model/model_records.h"
#include "core/support/log_file.h"
#include "core/support/notice.h"
#include "core/support/presenter.h"
#include "core/support/text_format.h"
#include "core/volume/shape_class.h"

namespace ostrel {
namespace {

// The advanced radar parameter a configuration file's key sets.
RadarAdvancedState::Parameter radarParameter(FieldId id) {
  using A = RadarAdvancedState;
  switch (id) {
    case FieldId::TypeOfMedium: return A::kTypeOfMedium;
    case FieldId::AdditionalAdjustment: return A::kFastLevelChange;
    case FieldId::FirstEcho: return A::kFirstEcho;
    case FieldId::Agitation: return A::kAgitation;
    case FieldId::Foam: return A::kFoam;
    case FieldId::PowderDust: return A::kPowderDust;
    case FieldId::LargeResponseAngle: return A::kLargeResponseAngle;
    case FieldId::LowDielectric: return A::kLowDielectric;
    case FieldId::PipeDiameter: return A::kPipeDiameter;
    case FieldId::DampingTime: return A::kDampingTime;
    default: return A::kCount;
  }
}

}  // namespace

std::string ConfigPageFiles::text(const char* key) const {
  const ModelRecords& r = *services_.records;
  return r.Language.Text(key, r.Values.LanguageNumber, key);
}

void ConfigPageFiles::show(const Notice& notice) const {
  const ModelRecords& r = *services_.records;
  if (services_.presenter != nullptr) {
    showNotice(*services_.presenter, notice, &r.Language, r.Values.LanguageNumber);
  }
}

void ConfigPageFiles::log(const char* key, const std::string& message) const {
  if (services_.log != nullptr) services_.log->LogEvent(key, message);
}

std::filesystem::path ConfigPageFiles::pathOf(const std::string& name) const {
  std::filesystem::path path(name);
  return path.is_relative() ? services_.configsFolder / path : path;
}

std::string ConfigPageFiles::nameOf(const std::filesystem::path& chosen) const {
  return chosen.parent_path() == services_.configsFolder ? chosen.filename().string()
                                                         : chosen.string();
}

ConfigReadResult ConfigPageFiles::read(const std::filesystem::path& path, bool sample,
                                       bool radarUnit) {
  ConfigReadContext context;
  context.records =
      ConfigRecords{records_.config, records_.volume, records_.strapping, &radarAdvanced_};
  context.model = &services_.records->Database;
  context.sampleMode = sample;
  context.loadModel = services_.loadModel;
  RadarAdvancedState& radar = *records_.radar;
  radarAdvanced_ = RadarAdvanced::from(radar.values);
  ConfigReadResult result = ConfigFileReader::read(path, context);
  radarAdvanced_.applyTo(radar.values);
  if (radarUnit) {
    for (const FieldId id : result.radarSettings) {
      const RadarAdvancedState::Parameter p = radarParameter(id);
      if (p != RadarAdvancedState::kCount) radar.fromFile[static_cast<std::size_t>(p)] = true;
    }
  }
  return result;
}

void ConfigPageFiles::showNotices(const ConfigReadResult& result) const {
  if (services_.presenter == nullptr) return;
  const ModelRecords& r = *services_.records;
  ostrel::showNotices(*services_.presenter, result.notices, &r.Language, r.Values.LanguageNumber);
}

void ConfigPageFiles::openFailed() const {
  log("LOADCONFIG", formatText("Error opening config file:  %s", {text("ERROR_MESSAGE53")}));
  show(Notice::message("ERROR_MESSAGE53", {}, kStyleError));
}

void ConfigPageFiles::opened(const std::string& name) const {
  log("LOADCONFIG", formatText("Config file '%s' loaded", {name}));
}

std::optional<std::filesystem::path> ConfigPageFiles::factoryFile() const {
  const std::string& name = services_.records->Database.DefaultFile;
  if (name.empty()) {
    show(Notice::message("ERROR_MESSAGE60", {}, kStyleError));
    return std::nullopt;
  }
  return services_.configsFolder / name;
}

void ConfigPageFiles::factoryFailed() const {
  show(Notice::message("ERROR_MESSAGE61", {}, kStyleError));
}

void ConfigPageFiles::factoryLoaded() const {
  log("LOADCONFIG",
      formatText("Default Config file '%s' loaded", {services_.records->Database.DefaultFile}));
}

ConfigPageFiles::Saved ConfigPageFiles::save(
    const std::function<ConfigFileContent()>& content, bool complete, const std::string& typedName,
    const std::function<bool(std::string& name)>& confirmName) const {
  Saved out;
  auto fail = [&](const Notice& notice) {
    const ModelRecords& r = *services_.records;
    log("SAVECONFIG", notice.text(&r.Language, r.Values.LanguageNumber));
    show(notice);
    return out;
  };
  if (!complete) return fail(Notice::message("ERROR_MESSAGE55", {}, kStyleError));
  auto proposed = ConfigSaveName::propose(services_.configsFolder, typedName);
  if (const Notice* notice = std::get_if<Notice>(&proposed)) return fail(*notice);
  std::string name = std::get<std::string>(proposed);
  if (confirmName && !confirmName(name)) return out;
  if (name.find(".txt") == std::string::npos) name += ".txt";
  out.name = name;
  const std::filesystem::path path = services_.configsFolder / name;
  ConfigWriteResult written = ConfigFileWriter::save(path, content());
  if (!written.ok) {
    return fail(written.notice.value_or(Notice::message("ERROR_MESSAGE57", {1}, kStyleError)));
  }
  out.ok = true;
  out.date = fileDate(path);
  log("SAVECONFIG", formatText(text("STATUS_MESSAGE42"), {name}));
  show(Notice::message("STATUS_MESSAGE42", {name}, kStyleInformation));
  return out;
}

ConfigFileContent ConfigPageFiles::content(const ConfigBoxValues& boxes, bool independentRelays,
                                           bool radarShown) const {
  const ModelRecords& r = *services_.records;
  ConfigFileContent content;
  content.config = records_.config;
  content.model = &r.Database;
  content.volume = records_.volume;
  content.rows = records_.strapping;
  content.boxes = boxes;
  content.independentRelays = independentRelays;
  if (radarShown) content.radar = radarForFile(records_.radar->values);
  if (shape::hasCurve(records_.config->shapeCode)) {
    content.structure = ConfigFileWriter::structureCaptions(r.Database, r.Structures, *records_.config);
  }
  return content;
}

std::string ConfigPageFiles::fileDate(const std::filesystem::path& path) const {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return "0";
  const auto when = std::filesystem::last_write_time(path, ec);
  if (ec) return text("ERROR_MESSAGE76");
  const auto system = std::chrono::file_clock::to_sys(when);
  const std::time_t t = std::chrono::system_clock::to_time_t(system);
  std::tm local{};
  localtime_r(&t, &local);
  return formatText(text("STATUS_MESSAGE39"), {local.tm_mon + 1, local.tm_mday, local.tm_year + 1900,
                                              local.tm_hour, local.tm_min});
}

const RadarAdvanced* ConfigPageFiles::radarForFile(const PulseParameters& block) const {
  radarAdvanced_ = RadarAdvanced::from(block);
  return &radarAdvanced_;
}

bool ConfigPageFiles::openDrawing() const {
  const UnitConfiguration& config = *records_.config;
  if (!config.configurationValid || config.configurationIndex < 0) {
    show(Notice::message("ERROR_MESSAGE58", {}, kStyleError));
    return false;
  }
  const ModelConfiguration& mc =
      services_.records->Database.Configurations[static_cast<std::size_t>(config.configurationIndex)];
  const std::filesystem::path path = services_.drawingsFolder / mc.DrawingFile;
  if (!services_.openDocument || !services_.openDocument(path)) {
    show(Notice::message("ERROR_MESSAGE59", {}, kStyleError));
    log("VIEWDWG", formatText("Error opening drawing file %s", {path.string()}));
    return false;
  }
  return true;
}

}  // namespace ostrel

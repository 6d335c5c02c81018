#include "core/config/config_file_reader.h"

#include <algorithm>
#include <string_view>

#include "core/model/model_database.h"
#include "core/support/cstdio_file_ex.h"
#include "core/support/key_value_file.h"
#include "core/volume/model_link.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {
namespace {

std::string_view beforeDash(std::string_view s) { return s.substr(0, s.find('-')); }

class Reader {
 public:
  explicit Reader(const ConfigReadContext& c)
      : c_(c), r_(*c.records.config), m_(*c.model), link_(c.model, nullptr) {}

  ConfigReadResult run(CStdioFileEx& file) {
    r_.configurationValid = false;
    r_.levelsValid = false;
    for (AdvancedEntry& e : r_.advanced) e.set = false;
    r_.independentLevels.fill(0.0f);

    KeyValueLine line;
    while (keyvalue::ReadLine(file, line)) {
      if (!apply(line)) return std::move(result_);
    }
    if (file.ReadFailed()) {
      result_.code = ConfigFileReader::kCannotOpen;
      return std::move(result_);
    }
    if (!heightUnitsValid(r_.heightUnits)) {
      unitsOutOfRange();
      return std::move(result_);
    }
    result_.code = ConfigFileReader::kRead;
    return std::move(result_);
  }

 private:
  // A UNITS index names an entry of the model's units list; anything else
  // would have the page read outside it.
  bool heightUnitsValid(int units) const { return units >= 0 && units < link_.unitNameCount(); }

  // Marks the read as stopped by units the model does not have. (The
  // result is handed out once, at the end of the run: taking it here would
  // leave an emptied result for the run to return.)
  void unitsOutOfRange() {
    result_.code = ConfigFileReader::kUnitsOutOfRange;
    result_.notices.push_back(Notice::message("ERROR_MESSAGE126", {}, kStyleError));
    result_.unitsOutOfRange = true;
  }

  void resetNonLinear() {
    r_.shapeCode = UnitConfiguration::kNoCurve;
    r_.outputUnits = 0;
    // A model without curves keeps the unit's own table: it is written back
    // as it was read, never replaced by an empty one.
    if (c_.records.volume != nullptr && !m_.NonLinearButtonCaption.empty()) {
      c_.records.volume->Reset();
    }
    if (c_.records.rows != nullptr) c_.records.rows->clear();
    result_.nonLinearReset = true;
  }

  bool model(const std::string& value) {
    const std::string_view number = beforeDash(value);
    const int types = std::clamp(m_.UnitTypeCount, 0, ModelDatabase::kUnitTypes);
    for (int k = 0; k < types; ++k) {
      if (beforeDash(m_.UnitTypes[static_cast<std::size_t>(k)]) != number) continue;
      resetNonLinear();
      if (c_.sampleMode) r_.model = value;
      return true;
    }
    if (c_.sampleMode && c_.loadModel && c_.loadModel(std::string(number))) {
      resetNonLinear();
      r_.model = m_.UnitTypes[0];
      result_.modelLoaded = true;
      return true;
    }
    result_.code = ConfigFileReader::kOtherModel;
    result_.notices.push_back(Notice::message("ERROR_MESSAGE54", {r_.model, value}, kStyleError));
    return false;
  }

  void row(int i, std::string_view value) {
    StrappingRows* rows = c_.records.rows;
    if (rows == nullptr || rows->RowCount >= StrappingRows::kCapacity || rows->RowCount < 0) return;
    const std::size_t comma = value.find(',');
    StrapRow pair;
    pair.level = configFileNumber(value.substr(0, comma));
    pair.volume = comma == std::string_view::npos ? 0.0 : configFileNumber(value.substr(comma + 1));
    ConfigFields::set(c_.records, FieldId::Row, i, pair);
    ++rows->RowCount;
  }

  // False when the line stops the read.
  bool apply(const KeyValueLine& line) {
    const ConfigField* f = ConfigFields::forLineKey(line.Key);
    if (f == nullptr) return true;
    const int i = line.Written1;
    const std::string& value = line.Value;
    const std::int64_t integer = configFileInt(value);
    const double number = configFileNumber(value);
    const ConfigRecords& records = c_.records;

    switch (f->id) {
      case FieldId::Model: return model(value);
      case FieldId::Serial:
        r_.fileSerial = configFileInt(value);
        return true;
      case FieldId::Firmware:
        r_.firmware = value;
        return true;
      case FieldId::UnitDescription:
        r_.unitDescription = value;
        return true;
      case FieldId::TankDescription:
        r_.tankDescription = value;
        return true;
      case FieldId::ModelFileName:
        r_.modelFileName = value;
        return true;
      case FieldId::ConfigItem:
        ConfigFields::set(records, f->id, i, integer);
        return true;
      case FieldId::Advanced:
        ConfigFields::set(records, f->id, i, AdvancedEntry{true, number});
        return true;
      case FieldId::Units:
        r_.heightUnits = configFileInt(value);
        r_.outputUnits = r_.heightUnits;
        return true;
      case FieldId::Level:
        // The mode follows item 0 as the lines so far have set it.
        if (ConfigFileReader::independentMode(m_, r_)) {
          ConfigFields::set(records, FieldId::IndependentLevel, i, number);
        } else {
          ConfigFields::set(records, FieldId::Level, i, number);
        }
        return true;
      case FieldId::FillHeight:
      case FieldId::MinFillHeight:
      case FieldId::MaxRange:
      case FieldId::DeadBand:
      case FieldId::SensorHeight:
      case FieldId::ProbeLength:
        ConfigFields::set(records, f->id, 0, number);
        return true;
      case FieldId::ShapeCode:
        ConfigFields::set(records, f->id, 0, integer);
        return true;
      case FieldId::Output:
        if (m_.NonLinearButtonCaption.empty() && !heightUnitsValid(static_cast<int>(integer))) {
          unitsOutOfRange();
          return false;
        }
        r_.outputUnits = static_cast<std::int32_t>(integer);
        return true;
      case FieldId::Dimension:
        ConfigFields::set(records, f->id, i, number);
        return true;
      case FieldId::Row:
        if (ConfigFields::inRecord(*f, i)) row(i, value);
        return true;
      default:
        // The radar block's bytes and words.
        if (ConfigFields::set(records, f->id, 0, integer) && f->id >= FieldId::TypeOfMedium) {
          result_.radarSettings.push_back(f->id);
        }
        return true;
    }
  }

  const ConfigReadContext& c_;
  UnitConfiguration& r_;
  const ModelDatabase& m_;
  ModelLink link_;
  ConfigReadResult result_;
};

}  // namespace

ConfigReadResult ConfigFileReader::read(const std::filesystem::path& path,
                                        const ConfigReadContext& context) {
  CStdioFileEx file;
  if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::shareDenyWrite)) {
    ConfigReadResult r;
    r.code = kCannotOpen;
    return r;
  }
  return read(file, context);
}

ConfigReadResult ConfigFileReader::read(CStdioFileEx& file, const ConfigReadContext& context) {
  if (context.records.config == nullptr || context.model == nullptr) {
    ConfigReadResult r;
    r.code = kCannotOpen;
    return r;
  }
  return Reader(context).run(file);
}

bool ConfigFileReader::independentMode(const ModelDatabase& model, const UnitConfiguration& config) {
  const int choice = config.itemChoices[0];
  if (choice < 0 || choice >= ConfigItem::kChoices) return false;
  std::string caption = model.ConfigItems[0].Texts[static_cast<std::size_t>(choice)];
  for (char& ch : caption) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return caption.find("independent") != std::string::npos ||
         caption.find("\u72EC\u7ACB") != std::string::npos;
}

}  // namespace ostrel

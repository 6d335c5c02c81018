#include "core/config/config_fields.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/link/pulse_parameters.h"
#include "core/support/key_value_file.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {

RadarAdvanced RadarAdvanced::from(const PulseParameters& p) {
  RadarAdvanced a;
  a.typeOfMedium = p.TypeOfMedium;
  a.additionalAdjustment = p.FastLevelChange;
  a.firstEcho = p.FirstEcho;
  a.agitation = p.Agitation;
  a.foam = p.Foam;
  a.powderDust = p.PowderDust;
  a.largeResponseAngle = p.LargeResponseAngle;
  a.lowDielectric = p.LowDielectric;
  a.pipeDiameter = p.PipeDiameter;
  a.dampingTime = p.DampingTime;
  return a;
}

void RadarAdvanced::applyTo(PulseParameters& p) const {
  p.TypeOfMedium = typeOfMedium;
  p.FastLevelChange = additionalAdjustment;
  p.FirstEcho = firstEcho;
  p.Agitation = agitation;
  p.Foam = foam;
  p.PowderDust = powderDust;
  p.LargeResponseAngle = largeResponseAngle;
  p.LowDielectric = lowDielectric;
  p.PipeDiameter = pipeDiameter;
  p.DampingTime = dampingTime;
}
namespace {

using F = ConfigField;
using T = ConfigField::Type;
using U = ConfigField::Units;
using D = ConfigField::Decimals;
using M = ConfigField::Match;
using H = ConfigField::Home;

constexpr int kRecordDimensions = VolumeTable::kDimensions;

// Keyed fields in the order a line's key is tested: the first that matches
// takes the line, so "MINFILLHEIGHT" must come after FILLHEIGHT's exact
// test and before LEVEL, and the radar keys last.
constexpr std::array kFields{
    F{FieldId::Model, "MODEL", M::Contains, T::Text, U::None, D::None, 1, H::Configuration, true, false},
    F{FieldId::Serial, "SERIAL", M::Contains, T::Integer, U::None, D::None, 1, H::Configuration, true, false},
    F{FieldId::Firmware, "FIRMWARE", M::Contains, T::Text, U::None, D::None, 1, H::Configuration, true, false},
    F{FieldId::UnitDescription, "UNIT DESCRIPTION", M::Contains, T::Text, U::None, D::None, 1, H::Configuration, true, false},
    F{FieldId::TankDescription, "TANK DESCRIPTION", M::Contains, T::Text, U::None, D::None, 1, H::Configuration, true, false},
    F{FieldId::ModelFileName, "MDL FILE NAME", M::Contains, T::Text, U::None, D::None, 1, H::Configuration, true, false},
    F{FieldId::ConfigItem, "CONFIG", M::Contains, T::Integer, U::None, D::None, UnitConfiguration::kConfigItems, H::Configuration, true, true},
    F{FieldId::Advanced, "ADVANCED", M::Contains, T::Advanced, U::None, D::One, UnitConfiguration::kAdvanced, H::Configuration, true, true},
    F{FieldId::Units, "UNITS", M::Contains, T::Integer, U::None, D::None, 1, H::Configuration, true, false},
    F{FieldId::SensorHeight, "SENSORHEIGHT", M::Contains, T::Number, U::Height, D::Height, 1, H::Configuration, true, false},
    F{FieldId::FillHeight, "FILLHEIGHT", M::Equals, T::Number, U::Height, D::Height, 1, H::Configuration, true, false},
    F{FieldId::MinFillHeight, "MINFILLHEIGHT", M::Contains, T::Number, U::Height, D::Height, 1, H::Configuration, true, false},
    F{FieldId::Level, "LEVEL", M::Contains, T::Number, U::Output, D::Output, UnitConfiguration::kLevels, H::Configuration, true, true},
    F{FieldId::ProbeLength, "PROBELENGTH", M::Contains, T::Number, U::Height, D::Height, 1, H::Configuration, true, false},
    F{FieldId::MaxRange, "RANGE", M::Contains, T::Number, U::Height, D::Height, 1, H::Configuration, true, false},
    F{FieldId::DeadBand, "DEADBAND", M::Contains, T::Number, U::Height, D::Height, 1, H::Configuration, true, false},
    F{FieldId::ShapeCode, "NLTYPE", M::Equals, T::Integer, U::None, D::None, 1, H::Configuration, true, false},
    F{FieldId::Output, "OUTPUT", M::Equals, T::Integer, U::None, D::None, 1, H::Configuration, true, false},
    F{FieldId::Dimension, "D", M::Equals, T::Number, U::Height, D::Dimension, kRecordDimensions, H::VolumeTable, true, true},
    F{FieldId::Row, "ROW", M::Equals, T::Row, U::None, D::Three, StrappingRows::kCapacity, H::StrappingRows, true, true},
    F{FieldId::TypeOfMedium, "TYPEOFMEDIUM", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    F{FieldId::AdditionalAdjustment, "ADDITIONALADJUSTMENT", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    F{FieldId::FirstEcho, "FIRSTECHO", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    F{FieldId::Agitation, "AGITATION", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    F{FieldId::Foam, "FOAM", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    F{FieldId::PowderDust, "POWDERDUST", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    F{FieldId::LargeResponseAngle, "LARGERESPONSEANGLE", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    F{FieldId::LowDielectric, "LOWDIELECTRIC", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    F{FieldId::PipeDiameter, "PIPEDIAMETER", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    F{FieldId::DampingTime, "DAMPINGTIME", M::Equals, T::Integer, U::None, D::None, 1, H::Radar, true, false},
    // Written or kept, never set by a line of their own.
    F{FieldId::SoftwareRevision, "SW REV", M::Equals, T::Integer, U::None, D::None, 1, H::Configuration, false, false},
    F{FieldId::IndependentLevel, "INDYLEVEL", M::Equals, T::Number, U::Output, D::Output, UnitConfiguration::kIndependentLevels, H::Configuration, false, true},
    F{FieldId::FileSerial, "FILESERIAL", M::Equals, T::Integer, U::None, D::None, 1, H::Configuration, false, false},
    F{FieldId::ConfigFileName, "CONFIGFILENAME", M::Equals, T::Text, U::None, D::None, 1, H::Configuration, false, false},
    F{FieldId::ConfigIndex, "CONFIGINDEX", M::Equals, T::Integer, U::None, D::None, 1, H::Configuration, false, false},
    F{FieldId::ConfigValid, "CONFIGVALID", M::Equals, T::Flag, U::None, D::None, 1, H::Configuration, false, false},
    F{FieldId::LevelsValid, "LEVELSVALID", M::Equals, T::Flag, U::None, D::None, 1, H::Configuration, false, false},
};

template <typename Records>
bool present(const Records& r, const ConfigField& f) {
  switch (f.home) {
    case H::Configuration: return r.config != nullptr;
    case H::VolumeTable: return r.volume != nullptr;
    case H::StrappingRows: return r.rows != nullptr;
    case H::Radar: return r.radar != nullptr;
  }
  return false;
}

ConfigValue defaultValue(T type) {
  switch (type) {
    case T::Text: return std::string();
    case T::Integer:
    case T::Flag: return std::int64_t{0};
    case T::Number: return 0.0;
    case T::Advanced: return AdvancedEntry{};
    case T::Row: return StrapRow{};
  }
  return std::int64_t{0};
}

// A number the record keeps as float, saturated so that a huge file value
// cannot overflow the conversion.
float toFloat(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (std::isnan(v)) return 0.0f;
  return static_cast<float>(std::clamp(v, -kMax, kMax));
}

std::int32_t toInt32(std::int64_t v) { return keyvalue::saturate(v); }

}  // namespace

std::span<const ConfigField> ConfigFields::all() { return kFields; }

const ConfigField& ConfigFields::field(FieldId id) {
  for (const ConfigField& f : kFields) {
    if (f.id == id) return f;
  }
  return kFields.front();  // unreachable: every id has an entry
}

const ConfigField* ConfigFields::forLineKey(std::string_view lineKey) {
  for (const ConfigField& f : kFields) {
    if (!f.keyed) continue;
    const bool hit = f.match == M::Equals ? lineKey == f.key
                                          : lineKey.find(f.key) != std::string_view::npos;
    if (hit) return &f;
  }
  return nullptr;
}

ConfigValue ConfigFields::get(const ConstConfigRecords& r, FieldId id, int index) {
  const ConfigField& f = field(id);
  if (!present(r, f) || !inRecord(f, index)) return defaultValue(f.type);
  const auto i = static_cast<std::size_t>(index);
  const UnitConfiguration* c = r.config;
  switch (id) {
    case FieldId::Model: return c->model;
    case FieldId::Serial: return std::int64_t{c->serial};
    case FieldId::FileSerial: return std::int64_t{c->fileSerial};
    case FieldId::Firmware: return c->firmware;
    case FieldId::SoftwareRevision: return std::int64_t{c->softwareRevision};
    case FieldId::UnitDescription: return c->unitDescription;
    case FieldId::TankDescription: return c->tankDescription;
    case FieldId::ModelFileName: return c->modelFileName;
    case FieldId::ConfigFileName: return c->configFileName;
    case FieldId::ConfigItem: return std::int64_t{c->itemChoices[i]};
    case FieldId::ConfigIndex: return std::int64_t{c->configurationIndex};
    case FieldId::ConfigValid: return std::int64_t{c->configurationValid ? 1 : 0};
    case FieldId::LevelsValid: return std::int64_t{c->levelsValid ? 1 : 0};
    case FieldId::Advanced: return c->advanced[i];
    case FieldId::Units: return std::int64_t{c->heightUnits};
    case FieldId::SensorHeight: return c->sensorHeight;
    case FieldId::FillHeight: return c->fillHeight;
    case FieldId::MinFillHeight: return c->minFillHeight;
    case FieldId::Level: return c->levels[i];
    case FieldId::IndependentLevel: return static_cast<double>(c->independentLevels[i]);
    case FieldId::ProbeLength: return c->probeLength;
    case FieldId::MaxRange: return c->maxRange;
    case FieldId::DeadBand: return c->deadBand;
    case FieldId::ShapeCode: return std::int64_t{c->shapeCode};
    case FieldId::Output: return std::int64_t{c->outputUnits};
    case FieldId::Dimension: return static_cast<double>(r.volume->Dimensions[i]);
    case FieldId::Row:
      return StrapRow{static_cast<double>(r.rows->Levels[i]),
                      static_cast<double>(r.rows->Volumes[i])};
    case FieldId::TypeOfMedium: return std::int64_t{r.radar->typeOfMedium};
    case FieldId::AdditionalAdjustment: return std::int64_t{r.radar->additionalAdjustment};
    case FieldId::FirstEcho: return std::int64_t{r.radar->firstEcho};
    case FieldId::Agitation: return std::int64_t{r.radar->agitation};
    case FieldId::Foam: return std::int64_t{r.radar->foam};
    case FieldId::PowderDust: return std::int64_t{r.radar->powderDust};
    case FieldId::LargeResponseAngle: return std::int64_t{r.radar->largeResponseAngle};
    case FieldId::LowDielectric: return std::int64_t{r.radar->lowDielectric};
    case FieldId::PipeDiameter: return std::int64_t{r.radar->pipeDiameter};
    case FieldId::DampingTime: return std::int64_t{r.radar->dampingTime};
  }
  return defaultValue(f.type);
}

bool ConfigFields::set(const ConfigRecords& r, FieldId id, int index, const ConfigValue& value) {
  const ConfigField& f = field(id);
  if (!present(r, f) || !inRecord(f, index)) return false;
  if (value.index() != defaultValue(f.type).index()) return false;
  const auto i = static_cast<std::size_t>(index);
  UnitConfiguration* c = r.config;
  const auto* text = std::get_if<std::string>(&value);
  const std::int64_t n = std::holds_alternative<std::int64_t>(value) ? std::get<std::int64_t>(value) : 0;
  const double x = std::holds_alternative<double>(value) ? std::get<double>(value) : 0.0;
  // Radar bytes and words keep their low bits, as a byte or word store does.
  const auto byte = static_cast<std::uint8_t>(n & 0xFF);
  const auto word = static_cast<std::uint16_t>(n & 0xFFFF);
  switch (id) {
    case FieldId::Model: c->model = *text; break;
    case FieldId::Serial: c->serial = toInt32(n); break;
    case FieldId::FileSerial: c->fileSerial = toInt32(n); break;
    case FieldId::Firmware: c->firmware = *text; break;
    case FieldId::SoftwareRevision: c->softwareRevision = toInt32(n); break;
    case FieldId::UnitDescription: c->unitDescription = *text; break;
    case FieldId::TankDescription: c->tankDescription = *text; break;
    case FieldId::ModelFileName: c->modelFileName = *text; break;
    case FieldId::ConfigFileName: c->configFileName = *text; break;
    case FieldId::ConfigItem: c->itemChoices[i] = toInt32(n); break;
    case FieldId::ConfigIndex: c->configurationIndex = toInt32(n); break;
    case FieldId::ConfigValid: c->configurationValid = n != 0; break;
    case FieldId::LevelsValid: c->levelsValid = n != 0; break;
    case FieldId::Advanced: c->advanced[i] = std::get<AdvancedEntry>(value); break;
    case FieldId::Units: c->heightUnits = toInt32(n); break;
    case FieldId::SensorHeight: c->sensorHeight = x; break;
    case FieldId::FillHeight: c->fillHeight = x; break;
    case FieldId::MinFillHeight: c->minFillHeight = x; break;
    case FieldId::Level: c->levels[i] = x; break;
    case FieldId::IndependentLevel: c->independentLevels[i] = toFloat(x); break;
    case FieldId::ProbeLength: c->probeLength = x; break;
    case FieldId::MaxRange: c->maxRange = x; break;
    case FieldId::DeadBand: c->deadBand = x; break;
    case FieldId::ShapeCode: c->shapeCode = word; break;
    case FieldId::Output: c->outputUnits = toInt32(n); break;
    case FieldId::Dimension: r.volume->Dimensions[i] = toFloat(x); break;
    case FieldId::Row: {
      const StrapRow& row = std::get<StrapRow>(value);
      r.rows->Levels[i] = toFloat(row.level);
      r.rows->Volumes[i] = toFloat(row.volume);
      break;
    }
    case FieldId::TypeOfMedium: r.radar->typeOfMedium = byte; break;
    case FieldId::AdditionalAdjustment: r.radar->additionalAdjustment = byte; break;
    case FieldId::FirstEcho: r.radar->firstEcho = byte; break;
    case FieldId::Agitation: r.radar->agitation = byte; break;
    case FieldId::Foam: r.radar->foam = byte; break;
    case FieldId::PowderDust: r.radar->powderDust = byte; break;
    case FieldId::LargeResponseAngle: r.radar->largeResponseAngle = byte; break;
    case FieldId::LowDielectric: r.radar->lowDielectric = byte; break;
    case FieldId::PipeDiameter: r.radar->pipeDiameter = word; break;
    case FieldId::DampingTime: r.radar->dampingTime = word; break;
  }
  return true;
}

std::int32_t configFileInt(std::string_view text) { return keyvalue::readInt(text); }

double configFileNumber(std::string_view text) {
  std::string_view s = text;
  while (!s.empty() && keyvalue::isScanSpace(s.front())) s.remove_prefix(1);
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
  // Only digits or a point may start a number: "inf", "nan" and their
  // spellings read 0, and "0x10" stops at the x.
  if (s.empty() || !((s.front() >= '0' && s.front() <= '9') || s.front() == '.')) return 0.0;
  const double v = keyvalue::readDouble(text);
  return std::isfinite(v) ? v : 0.0;
}

}  // namespace ostrel

#pragma once
// The keys of the configuration record as configuration files spell them,
// with what each field holds, the units it is shown in, how many decimals a
// file gives it and how far its index goes. The file reader, the file
// writer and the record's printers take keys and bounds from this one table,
// so a key is spelt in one place only.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/config/unit_configuration.h"

namespace ostrel {

class VolumeTable;
struct PulseParameters;
struct StrappingRows;

// The pulse radar's advanced settings as a configuration file carries them.
struct RadarAdvanced {
  std::uint8_t typeOfMedium = 0;
  std::uint8_t additionalAdjustment = 0;
  std::uint8_t firstEcho = 0;
  std::uint8_t agitation = 0;
  std::uint8_t foam = 0;
  std::uint8_t powderDust = 0;
  std::uint8_t largeResponseAngle = 0;
  std::uint8_t lowDielectric = 0;
  std::uint16_t pipeDiameter = 0;
  std::uint16_t dampingTime = 0;

  bool operator==(const RadarAdvanced&) const = default;

  // The same settings in the radar's parameter block, both ways.
  static RadarAdvanced from(const PulseParameters& block);
  void applyTo(PulseParameters& block) const;
};

// One level/volume pair of the strapping table.
struct StrapRow {
  double level = 0.0;
  double volume = 0.0;
};

// The records one configuration file fills: the record itself and the three
// that travel with it. Any of the last three may be absent.
struct ConfigRecords {
  UnitConfiguration* config = nullptr;
  VolumeTable* volume = nullptr;
  StrappingRows* rows = nullptr;
  RadarAdvanced* radar = nullptr;
};

struct ConstConfigRecords {
  const UnitConfiguration* config = nullptr;
  const VolumeTable* volume = nullptr;
  const StrappingRows* rows = nullptr;
  const RadarAdvanced* radar = nullptr;

  ConstConfigRecords() = default;
  ConstConfigRecords(const UnitConfiguration* c, const VolumeTable* v, const StrappingRows* r,
                     const RadarAdvanced* a)
      : config(c), volume(v), rows(r), radar(a) {}
  ConstConfigRecords(const ConfigRecords& r)  // NOLINT: a view of the same records
      : config(r.config), volume(r.volume), rows(r.rows), radar(r.radar) {}
};

enum class FieldId {
  Model,
  Serial,
  FileSerial,
  Firmware,
  SoftwareRevision,
  UnitDescription,
  TankDescription,
  ModelFileName,
  ConfigFileName,
  ConfigItem,
  ConfigIndex,
  ConfigValid,
  LevelsValid,
  Advanced,
  Units,
  SensorHeight,
  FillHeight,
  MinFillHeight,
  Level,
  IndependentLevel,
  ProbeLength,
  MaxRange,
  DeadBand,
  ShapeCode,
  Output,
  Dimension,
  Row,
  TypeOfMedium,
  AdditionalAdjustment,
  FirstEcho,
  Agitation,
  Foam,
  PowderDust,
  LargeResponseAngle,
  LowDielectric,
  PipeDiameter,
  DampingTime,
};

// A field's value as the table hands it out.
using ConfigValue = std::variant<std::int64_t, double, std::string, AdvancedEntry, StrapRow>;

struct ConfigField {
  enum class Type { Text, Integer, Flag, Number, Advanced, Row };
  // Units a number is shown in: the height units (UNITS), the relay units
  // (OUTPUT), or none.
  enum class Units { None, Height, Output };
  // Decimals a file writes: those of the height units, those of the relay
  // units, a dimension's (height units for tanks and D0/D1, else six),
  // fixed three (strapping rows), one (advanced values), or none.
  enum class Decimals { None, Height, Output, Dimension, Three, One };
  enum class Match { Contains, Equals };
  enum class Home { Configuration, VolumeTable, StrappingRows, Radar };

  FieldId id;
  std::string_view key;  // as files spell it
  Match match;
  Type type;
  Units units;
  Decimals decimals;
  int count;      // entries of an indexed field; 1 for a plain one
  Home home;
  bool keyed;     // a file line sets it
  bool indexed;   // the file writes "KEY[i]"
};

class ConfigFields {
 public:
  // Every field, keyed ones first in the order a reader tests a line's key.
  static std::span<const ConfigField> all();
  static const ConfigField& field(FieldId id);
  static std::string_view key(FieldId id) { return field(id).key; }

  // The first keyed field whose key a line's key text selects (contains or
  // equals, case-sensitive, as the field says); nullptr for none.
  static const ConfigField* forLineKey(std::string_view lineKey);

  // Whether index lies inside the record the field belongs to.
  static bool inRecord(const ConfigField& f, int index) { return index >= 0 && index < f.count; }

  // The value of entry index; an absent record or an index outside it gives
  // a default value of the field's type.
  static ConfigValue get(const ConstConfigRecords& records, FieldId id, int index = 0);
  // Stores a value of the field's type; false when the record is absent,
  // the index outside it or the value of another type.
  static bool set(const ConfigRecords& records, FieldId id, int index, const ConfigValue& value);
};

// The C library's number readers as configuration files need them: leading
// white space, a sign, decimal digits only (no hex, infinity or NaN), and 0
// for text that is not a number. Independent of the process locale.
std::int32_t configFileInt(std::string_view text);
double configFileNumber(std::string_view text);

}  // namespace ostrel

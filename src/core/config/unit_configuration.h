#pragma once
// The configuration of the one unit the tool works with. Field names are the
// keys under which the fields appear in configuration files.

#include <array>
#include <cstdint>
#include <string>

namespace ostrel {

struct AdvancedEntry {
  bool set = false;
  double value = -1.0;  // -1: no value
};

struct UnitConfiguration {
  static constexpr int kConfigItems = 10;
  static constexpr int kLevels = 6;
  static constexpr int kIndependentLevels = 8;
  static constexpr int kAdvanced = 31;
  static constexpr std::uint16_t kNoCurve = 0xFFFF;

  std::string FIRMWARE;
  std::string CONFIGFILENAME;
  std::int32_t FILESERIAL = 0;
  std::int32_t SW_REV = 0;       // "SW REV"
  std::string UNIT_DESCRIPTION;  // "UNIT DESCRIPTION"
  std::string TANK_DESCRIPTION;  // "TANK DESCRIPTION"
  std::string MDL_FILE_NAME;     // "MDL FILE NAME"
  std::array<std::int32_t, kConfigItems> CONFIG{};
  std::int32_t CONFIGINDEX = -1;
  bool CONFIGVALID = false;
  bool LEVELSVALID = false;
  std::int32_t UNITS = 0;
  std::int32_t OUTPUT = 0;
  std::uint16_t NLTYPE = kNoCurve;
  double SENSORHEIGHT = 0.0;
  double FILLHEIGHT = 0.0;
  double MINFILLHEIGHT = 0.0;
  double PROBELENGTH = 0.0;
  double RANGE = 0.0;
  double DEADBAND = 0.0;
  std::array<double, kLevels> LEVEL{-1, -1, -1, -1, -1, -1};
  std::array<float, kIndependentLevels> INDYLEVEL{};
  std::array<AdvancedEntry, kAdvanced> ADVANCED{};
  std::int32_t SERIAL = 0;
  std::string MODEL;

  // "SW REV" as it is shown: values above 99 are tenths (412 shows as
  // 41.2), smaller ones whole numbers.
  static std::string softwareRevisionText(std::int32_t revision);
};

}  // namespace ostrel

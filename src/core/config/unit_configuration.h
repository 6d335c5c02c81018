#pragma once
// The configuration of the one unit the tool works with. The fields have
// readable names here; the keys under which configuration files and logs
// spell them (MODEL, SENSORHEIGHT, "SW REV" ...) are given next to each and
// belong to the record's field table.

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

  std::string firmware;                                  // FIRMWARE
  std::string configFileName;                            // CONFIGFILENAME
  std::int32_t fileSerial = 0;                           // FILESERIAL
  std::int32_t softwareRevision = 0;                     // SW REV
  std::string unitDescription;                           // UNIT DESCRIPTION
  std::string tankDescription;                           // TANK DESCRIPTION (the Notes box)
  std::string modelFileName;                             // MDL FILE NAME
  std::array<std::int32_t, kConfigItems> itemChoices{};  // CONFIG[i]: choice index per item
  std::int32_t configurationIndex = -1;                  // CONFIGINDEX
  bool configurationValid = false;                       // CONFIGVALID
  bool levelsValid = false;                              // LEVELSVALID
  std::int32_t heightUnits = 0;                          // UNITS: index into the model's UNITS
  std::int32_t outputUnits = 0;                          // OUTPUT: relay units code
  std::uint16_t shapeCode = kNoCurve;                    // NLTYPE
  double sensorHeight = 0.0;                             // SENSORHEIGHT
  double fillHeight = 0.0;                               // FILLHEIGHT
  double minFillHeight = 0.0;                            // MINFILLHEIGHT
  double probeLength = 0.0;                              // PROBELENGTH
  double maxRange = 0.0;                                 // RANGE
  double deadBand = 0.0;                                 // DEADBAND
  std::array<double, kLevels> levels{-1, -1, -1, -1, -1, -1};        // LEVEL[i]
  std::array<float, kIndependentLevels> independentLevels{};         // INDYLEVEL[k]
  std::array<AdvancedEntry, kAdvanced> advanced{};                   // ADVANCED[i]
  std::int32_t serial = 0;                               // SERIAL
  std::string model;                                     // MODEL

  // "SW REV" as it is shown: values above 99 are tenths (412 shows as
  // 41.2), smaller ones whole numbers.
  static std::string softwareRevisionText(std::int32_t revision);
};

}  // namespace ostrel

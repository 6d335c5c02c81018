#pragma once
// The pulse-radar unit's parameter values as last read or written, and the
// value type of the parameter sets exchanged with it.

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace ostrel {

// One parameter of a set: no value bytes means read it, value bytes mean
// write them.
struct PulseCfgItem {
  std::array<std::uint8_t, 8> Value{};
  std::uint8_t Count = 0;

  static PulseCfgItem read() { return {}; }
  static PulseCfgItem byte(std::uint8_t v);
  static PulseCfgItem word(std::uint16_t v);
  static PulseCfgItem real(float v);
};

// A set keyed by parameter number. The map's order is ascending, so the
// units of measurement (5) are written before the heights that depend on them.
using PulseCfgSet = std::map<std::uint16_t, PulseCfgItem>;

struct PulseCurve {
  static constexpr int kCapacity = 2048;
  std::array<std::uint8_t, kCapacity> Bytes{};
  int Count = 0;
};

struct PulseParameters {
  // Field sizes of the texts, in bytes.
  static constexpr std::size_t kModelNumberSize = 14;
  static constexpr std::size_t kSerialNumberSize = 28;
  static constexpr std::size_t kFirmwareVersionSize = 14;

  std::string ModelNumber;      // 0x50
  std::string SerialNumber;     // 0x51
  std::string FirmwareVersion;  // 0x53
  float SensorHeight = 0.0f;    // 0x111
  std::array<std::uint8_t, 4> Parameter110{};
  float FillHeight = 0.0f;  // 0x113
  std::array<std::uint8_t, 4> Parameter112{};
  float Deadband = 0.0f;                // 0x800
  float MaxRange = 0.0f;                // 6
  std::uint8_t LoopFailSafe = 0;        // 0x21
  std::uint8_t OutputAtEmpty = 0;       // 0x20
  std::uint8_t MinimumCurrent = 0;      // 0x22
  std::uint8_t Display = 0;             // 1
  std::uint8_t UnitsOfMeasurement = 0;  // 5
  std::uint8_t SensorType = 0;          // 4, as received less 0x51
  std::uint8_t Parameter10 = 0;         // 0x10, as received less 1
  std::uint8_t Parameter12 = 0;         // 0x12, as received less 1
  std::uint8_t Parameter13 = 0;         // 0x13, as received less 1
  std::uint8_t TypeOfMedium = 0;        // 2
  std::uint8_t FastLevelChange = 0;     // 0x500
  std::uint8_t Agitation = 0;           // 0x501
  std::uint8_t Foam = 0;                // 0x502
  std::uint8_t FirstEcho = 0;           // 0x505
  std::uint8_t PowderDust = 0;          // 0x506
  std::uint8_t LargeResponseAngle = 0;  // 0x507
  std::uint8_t LowDielectric = 0;       // 0x503
  std::uint8_t StillWell = 0;           // 0x504
  std::uint16_t DampingTime = 0;        // 9
  std::uint16_t PipeDiameter = 0;       // 0x510
  PulseCurve EchoCurve;                 // 0x991
  PulseCurve FalseEchoCurve;            // 0x992
  PulseCurve Envelope;                  // 0x993

  // Stores the value bytes of a reply for a parameter. Unknown parameters
  // are ignored. Every field is cleared first and takes at most its size.
  void store(std::uint16_t parameter, const std::uint8_t* value, std::size_t count);
  // Takes the bytes of a confirmed write into the fields the tool writes.
  void storeWritten(std::uint16_t parameter, const std::uint8_t* value, std::size_t count);
  PulseCurve* curve(std::uint16_t parameter);
};

}  // namespace ostrel

#pragma once
// The pulse-radar unit's parameters as it keeps them: value bytes as they
// travel (floats IEEE single and 16-bit values little-endian), a size per
// parameter and the range a write must keep to.
//
//   number  name                  size  accepted on write (wire values)   factory
//   0x01    display                 1   0..3 (level, distance, %, mA)      0
//   0x02    type of medium          1   1..10 (1-based medium choice)      1
//   0x04    sensor type             1   0x51..0x58 (0x51 + type 0..7)      0x53
//   0x05    units of measurement    1   1 metres, 2 feet                   1
//   0x06    max range             float 0.5..100                          10.0
//   0x09    damping time, s        16   0..999                             6
//   0x10    parameter 0x10          1   1..4 (value + 1)                   1
//   0x12    parameter 0x12          1   1..4 (value + 1)                   2
//   0x13    parameter 0x13          1   1..4 (value + 1)                   1
//   0x20    output at empty         1   0..1 (4 mA, 20 mA)                 0
//   0x21    loop fail-safe          1   0..2 (hold, low, high)             1
//   0x22    minimum current         1   0..1 (3.8 mA, 4.0 mA)              0
//   0x50    model number          14    read-only text                     "KM70-2610"
//   0x51    serial number         28    read-only text                     "710244"
//   0x53    firmware version      14    read-only text                     "215"
//   0x110   parameter 0x110         4   any bytes                          00 00 00 00
//   0x111   sensor height         float 0.1..100                           6.0
//   0x112   parameter 0x112         4   any bytes                          00 00 00 00
//   0x113   fill distance         float 0..100 (sensor to full level)      0.8
//   0x500   fast level change       1   0..3 (0 on, others off)            0
//   0x501   agitation               1   0..3 (0 off, 1..3 how strong)      0
//   0x502   foam                    1   0..3                               0
//   0x503   low dielectric          1   0..3                               0
//   0x504   still well              1   0..3                               0
//   0x505   first echo              1   0..9 (0-based choice)              0
//   0x506   powder dust             1   0..3                               0
//   0x507   large response angle    1   0..3                               0
//   0x510   pipe diameter, mm      16   0..1000                            0
//   0x800   deadband              float 0..100                             0.3
//   0x991   echo curve            block read-only, made at each read
//   0x992   false-echo curve      block read-only
//   0x993   envelope              block read-only
//
// Lengths are in the unit's length unit (parameter 5). Their bounds are
// plain numbers that hold 30 m in feet too: the tool may send a new unit
// and lengths already in it in one set, in any order. Each value is checked
// on its own, for the same reason. Floats must be finite. Texts travel
// zero-padded to their full width.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::sim {

class RadarParameters {
 public:
  static constexpr std::uint16_t kDisplay = 0x01;
  static constexpr std::uint16_t kTypeOfMedium = 0x02;
  static constexpr std::uint16_t kSensorType = 0x04;
  static constexpr std::uint16_t kUnits = 0x05;
  static constexpr std::uint16_t kMaxRange = 0x06;
  static constexpr std::uint16_t kDampingTime = 0x09;
  static constexpr std::uint16_t kParameter10 = 0x10;
  static constexpr std::uint16_t kParameter12 = 0x12;
  static constexpr std::uint16_t kParameter13 = 0x13;
  static constexpr std::uint16_t kOutputAtEmpty = 0x20;
  static constexpr std::uint16_t kLoopFailSafe = 0x21;
  static constexpr std::uint16_t kMinimumCurrent = 0x22;
  static constexpr std::uint16_t kModelNumber = 0x50;
  static constexpr std::uint16_t kSerialNumber = 0x51;
  static constexpr std::uint16_t kFirmwareVersion = 0x53;
  static constexpr std::uint16_t kParameter110 = 0x110;
  static constexpr std::uint16_t kSensorHeight = 0x111;
  static constexpr std::uint16_t kParameter112 = 0x112;
  static constexpr std::uint16_t kFillDistance = 0x113;
  static constexpr std::uint16_t kFastLevelChange = 0x500;
  static constexpr std::uint16_t kAgitation = 0x501;
  static constexpr std::uint16_t kFoam = 0x502;
  static constexpr std::uint16_t kLowDielectric = 0x503;
  static constexpr std::uint16_t kStillWell = 0x504;
  static constexpr std::uint16_t kFirstEcho = 0x505;
  static constexpr std::uint16_t kPowderDust = 0x506;
  static constexpr std::uint16_t kLargeResponseAngle = 0x507;
  static constexpr std::uint16_t kPipeDiameter = 0x510;
  static constexpr std::uint16_t kDeadband = 0x800;
  static constexpr std::uint16_t kEchoCurve = 0x991;
  static constexpr std::uint16_t kFalseEchoCurve = 0x992;
  static constexpr std::uint16_t kEnvelope = 0x993;

  // The sensor type travels as this plus the type.
  static constexpr std::uint8_t kSensorTypeBase = 0x51;
  static constexpr std::uint8_t kUnitsMetres = 1;
  static constexpr std::uint8_t kUnitsFeet = 2;

  enum class Type { Text, Float, Byte, Word, Raw, Curve };
  enum class WriteResult { Stored, Unknown, Invalid };

  struct Rule {
    std::uint16_t number;
    std::string_view name;
    Type type;
    std::size_t size;  // value bytes; 0 for a curve
    double least;      // accepted range on write (Float, Byte, Word)
    double most;
    bool writable;
  };

  // The factory values of the table above.
  RadarParameters();

  static const Rule* rule(std::uint16_t number);
  static std::span<const Rule> rules();
  static bool isCurve(std::uint16_t number);

  // The value bytes a read answers with; nothing for unknown numbers and
  // for curves (the unit makes those at each read).
  std::optional<std::vector<std::uint8_t>> value(std::uint16_t number) const;

  // A write as the unit takes it from the line.
  WriteResult write(std::uint16_t number, std::span<const std::uint8_t> bytes);

  // Sets a value without the range rule (a test or an image presetting the
  // unit); false for unknown numbers, curves and sizes that do not fit.
  bool set(std::uint16_t number, std::span<const std::uint8_t> bytes);
  bool setFloat(std::uint16_t number, float v);

  float floatValue(std::uint16_t number) const;  // 0 when not a float
  std::uint8_t byteValue(std::uint16_t number) const;
  std::uint16_t wordValue(std::uint16_t number) const;
  std::string text(std::uint16_t number) const;  // up to the first zero

  // Length values in metres, whatever unit the unit uses.
  double metres(std::uint16_t number) const;

 private:
  std::map<std::uint16_t, std::vector<std::uint8_t>> values_;
};

}  // namespace ostrel::sim

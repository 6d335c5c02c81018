#include "sim/radar_parameters.h"

#include <algorithm>
#include <cmath>

#include "sim/byte_fields.h"

namespace ostrel::sim {

namespace {

using P = RadarParameters;
using T = RadarParameters::Type;

constexpr double kFeetToMetres = 0.3048;
// Room for 30 m in feet (98.4 ft).
constexpr double kLongest = 100.0;

constexpr P::Rule kRules[] = {
    {P::kDisplay, "Display", T::Byte, 1, 0, 3, true},
    {P::kTypeOfMedium, "Type of Medium", T::Byte, 1, 1, 10, true},
    {P::kSensorType, "Sensor Type", T::Byte, 1, P::kSensorTypeBase, P::kSensorTypeBase + 7, true},
    {P::kUnits, "Units of Measurement", T::Byte, 1, P::kUnitsMetres, P::kUnitsFeet, true},
    {P::kMaxRange, "Max Range", T::Float, 4, 0.5, kLongest, true},
    {P::kDampingTime, "Damping Time", T::Word, 2, 0, 999, true},
    {P::kParameter10, "Parameter 0x10", T::Byte, 1, 1, 4, true},
    {P::kParameter12, "Parameter 0x12", T::Byte, 1, 1, 4, true},
    {P::kParameter13, "Parameter 0x13", T::Byte, 1, 1, 4, true},
    {P::kOutputAtEmpty, "Output at Empty", T::Byte, 1, 0, 1, true},
    {P::kLoopFailSafe, "Loop Fail-Safe", T::Byte, 1, 0, 2, true},
    {P::kMinimumCurrent, "Minimum Current", T::Byte, 1, 0, 1, true},
    {P::kModelNumber, "Model Number", T::Text, 14, 0, 0, false},
    {P::kSerialNumber, "Serial Number", T::Text, 28, 0, 0, false},
    {P::kFirmwareVersion, "Firmware Version", T::Text, 14, 0, 0, false},
    {P::kParameter110, "Parameter 0x110", T::Raw, 4, 0, 0, true},
    {P::kSensorHeight, "Sensor Height", T::Float, 4, 0.1, kLongest, true},
    {P::kParameter112, "Parameter 0x112", T::Raw, 4, 0, 0, true},
    {P::kFillDistance, "Fill Height", T::Float, 4, 0.0, kLongest, true},
    {P::kFastLevelChange, "Fast Level Change", T::Byte, 1, 0, 3, true},
    {P::kAgitation, "Agitation", T::Byte, 1, 0, 3, true},
    {P::kFoam, "Foam", T::Byte, 1, 0, 3, true},
    {P::kLowDielectric, "Low Dielectric", T::Byte, 1, 0, 3, true},
    {P::kStillWell, "Still Well", T::Byte, 1, 0, 3, true},
    {P::kFirstEcho, "First Echo", T::Byte, 1, 0, 9, true},
    {P::kPowderDust, "Powder Dust", T::Byte, 1, 0, 3, true},
    {P::kLargeResponseAngle, "Large Response Angle", T::Byte, 1, 0, 3, true},
    {P::kPipeDiameter, "Pipe Diameter", T::Word, 2, 0, 1000, true},
    {P::kDeadband, "Deadband", T::Float, 4, 0.0, kLongest, true},
    {P::kEchoCurve, "Echo Curve", T::Curve, 0, 0, 0, false},
    {P::kFalseEchoCurve, "False Echo Curve", T::Curve, 0, 0, 0, false},
    {P::kEnvelope, "Envelope", T::Curve, 0, 0, 0, false},
};

std::vector<std::uint8_t> floatBytes(float v) {
  std::vector<std::uint8_t> b(4);
  putFloat(b, 0, v);
  return b;
}

std::vector<std::uint8_t> textBytes(std::string_view text, std::size_t width) {
  std::vector<std::uint8_t> b(width);
  putText(b, 0, width, text.substr(0, width));
  return b;
}

}  // namespace

RadarParameters::RadarParameters() {
  for (const Rule& r : kRules) {
    if (r.type != Type::Curve) values_[r.number] = std::vector<std::uint8_t>(r.size, 0);
  }
  values_[kLoopFailSafe] = {1};
  values_[kTypeOfMedium] = {1};
  values_[kSensorType] = {kSensorTypeBase + 2};
  values_[kUnits] = {kUnitsMetres};
  values_[kMaxRange] = floatBytes(10.0f);
  values_[kDampingTime] = {6, 0};
  values_[kParameter10] = {1};
  values_[kParameter12] = {2};
  values_[kParameter13] = {1};
  values_[kModelNumber] = textBytes("KM70-2610", 14);
  values_[kSerialNumber] = textBytes("710244", 28);
  values_[kFirmwareVersion] = textBytes("215", 14);
  values_[kSensorHeight] = floatBytes(6.0f);
  values_[kFillDistance] = floatBytes(0.8f);
  values_[kDeadband] = floatBytes(0.3f);
}

const RadarParameters::Rule* RadarParameters::rule(std::uint16_t number) {
  for (const Rule& r : kRules) {
    if (r.number == number) return &r;
  }
  return nullptr;
}

std::span<const RadarParameters::Rule> RadarParameters::rules() { return kRules; }

bool RadarParameters::isCurve(std::uint16_t number) {
  const Rule* r = rule(number);
  return r && r->type == Type::Curve;
}

std::optional<std::vector<std::uint8_t>> RadarParameters::value(std::uint16_t number) const {
  const auto it = values_.find(number);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

RadarParameters::WriteResult RadarParameters::write(std::uint16_t number,
                                                    std::span<const std::uint8_t> bytes) {
  const Rule* r = rule(number);
  if (!r) return WriteResult::Unknown;
  if (!r->writable || bytes.size() != r->size) return WriteResult::Invalid;
  double v = 0;
  switch (r->type) {
    case Type::Float:
      v = getFloat(bytes, 0);
      if (!std::isfinite(v)) return WriteResult::Invalid;
      break;
    case Type::Byte: v = bytes[0]; break;
    case Type::Word: v = getU16(bytes, 0); break;
    case Type::Raw: values_[number].assign(bytes.begin(), bytes.end()); return WriteResult::Stored;
    case Type::Text:
    case Type::Curve: return WriteResult::Invalid;
  }
  if (v < r->least || v > r->most) return WriteResult::Invalid;
  values_[number].assign(bytes.begin(), bytes.end());
  return WriteResult::Stored;
}

bool RadarParameters::set(std::uint16_t number, std::span<const std::uint8_t> bytes) {
  const Rule* r = rule(number);
  if (!r || r->type == Type::Curve) return false;
  if (r->type == Type::Text) {
    if (bytes.size() > r->size) return false;
    std::vector<std::uint8_t> padded(bytes.begin(), bytes.end());
    padded.resize(r->size, 0);
    values_[number] = std::move(padded);
    return true;
  }
  if (bytes.size() != r->size) return false;
  values_[number].assign(bytes.begin(), bytes.end());
  return true;
}

bool RadarParameters::setFloat(std::uint16_t number, float v) {
  const Rule* r = rule(number);
  return r && r->type == Type::Float && set(number, floatBytes(v));
}

float RadarParameters::floatValue(std::uint16_t number) const {
  const Rule* r = rule(number);
  if (!r || r->type != Type::Float) return 0.0f;
  return getFloat(values_.at(number), 0);
}

std::uint8_t RadarParameters::byteValue(std::uint16_t number) const {
  const Rule* r = rule(number);
  if (!r || r->type != Type::Byte) return 0;
  return values_.at(number)[0];
}

std::uint16_t RadarParameters::wordValue(std::uint16_t number) const {
  const Rule* r = rule(number);
  if (!r || r->type != Type::Word) return 0;
  return getU16(values_.at(number), 0);
}

std::string RadarParameters::text(std::uint16_t number) const {
  const Rule* r = rule(number);
  if (!r || r->type != Type::Text) return {};
  const auto& b = values_.at(number);
  const auto end = std::find(b.begin(), b.end(), 0);
  return std::string(b.begin(), end);
}

double RadarParameters::metres(std::uint16_t number) const {
  const double v = floatValue(number);
  return byteValue(kUnits) == kUnitsFeet ? v * kFeetToMetres : v;
}

}  // namespace ostrel::sim

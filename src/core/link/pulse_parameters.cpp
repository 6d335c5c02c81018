#include "core/link/pulse_parameters.h"

#include <algorithm>
#include <cstring>

#include "core/support/text_codec.h"

namespace ostrel {
namespace {

// A text field: at most its size, ending at the first zero the unit sent.
std::string text(const std::uint8_t* value, std::size_t count, std::size_t size) {
  count = std::min(count, size);
  const auto* end = std::find(value, value + count, std::uint8_t{0});
  return cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(value),
                                       static_cast<std::size_t>(end - value)));
}

template <typename T>
T fixed(const std::uint8_t* value, std::size_t count) {
  T out{};
  std::uint8_t bytes[sizeof(T)] = {};
  std::memcpy(bytes, value, std::min(count, sizeof(T)));
  std::memcpy(&out, bytes, sizeof(T));
  return out;
}

std::uint8_t first(const std::uint8_t* value, std::size_t count) {
  return count > 0 ? value[0] : 0;
}

}  // namespace

PulseCfgItem PulseCfgItem::byte(std::uint8_t v) {
  PulseCfgItem item;
  item.Value[0] = v;
  item.Count = 1;
  return item;
}

PulseCfgItem PulseCfgItem::word(std::uint16_t v) {
  PulseCfgItem item;
  item.Value[0] = static_cast<std::uint8_t>(v & 0xFF);
  item.Value[1] = static_cast<std::uint8_t>(v >> 8);
  item.Count = 2;
  return item;
}

PulseCfgItem PulseCfgItem::real(float v) {
  PulseCfgItem item;
  std::memcpy(item.Value.data(), &v, sizeof v);  // little-endian, as the unit sends it
  item.Count = 4;
  return item;
}

PulseCurve* PulseParameters::curve(std::uint16_t parameter) {
  switch (parameter) {
    case 0x991: return &EchoCurve;
    case 0x992: return &FalseEchoCurve;
    case 0x993: return &Envelope;
    default: return nullptr;
  }
}

void PulseParameters::store(std::uint16_t parameter, const std::uint8_t* value, std::size_t count) {
  if (PulseCurve* c = curve(parameter)) {
    c->Bytes.fill(0);
    c->Count = static_cast<int>(std::min<std::size_t>(count, PulseCurve::kCapacity));
    std::memcpy(c->Bytes.data(), value, static_cast<std::size_t>(c->Count));
    return;
  }
  switch (parameter) {
    case 0x50: ModelNumber = text(value, count, kModelNumberSize); break;
    case 0x51: SerialNumber = text(value, count, kSerialNumberSize); break;
    case 0x53: FirmwareVersion = text(value, count, kFirmwareVersionSize); break;
    case 0x111: SensorHeight = fixed<float>(value, count); break;
    case 0x110: Parameter110 = fixed<std::array<std::uint8_t, 4>>(value, count); break;
    case 0x113: FillHeight = fixed<float>(value, count); break;
    case 0x112: Parameter112 = fixed<std::array<std::uint8_t, 4>>(value, count); break;
    case 0x800: Deadband = fixed<float>(value, count); break;
    case 6: MaxRange = fixed<float>(value, count); break;
    case 0x21: LoopFailSafe = first(value, count); break;
    case 0x20: OutputAtEmpty = first(value, count); break;
    case 0x22: MinimumCurrent = first(value, count); break;
    case 1: Display = first(value, count); break;
    case 5: UnitsOfMeasurement = first(value, count); break;
    case 4: SensorType = static_cast<std::uint8_t>(first(value, count) - 0x51); break;
    case 0x10: Parameter10 = static_cast<std::uint8_t>(first(value, count) - 1); break;
    case 0x12: Parameter12 = static_cast<std::uint8_t>(first(value, count) - 1); break;
    case 0x13: Parameter13 = static_cast<std::uint8_t>(first(value, count) - 1); break;
    case 2: TypeOfMedium = first(value, count); break;
    case 0x500: FastLevelChange = first(value, count); break;
    case 0x501: Agitation = first(value, count); break;
    case 0x502: Foam = first(value, count); break;
    case 0x505: FirstEcho = first(value, count); break;
    case 0x506: PowderDust = first(value, count); break;
    case 0x507: LargeResponseAngle = first(value, count); break;
    case 0x503: LowDielectric = first(value, count); break;
    case 0x504: StillWell = first(value, count); break;
    case 9: DampingTime = fixed<std::uint16_t>(value, count); break;
    case 0x510: PipeDiameter = fixed<std::uint16_t>(value, count); break;
    default: break;
  }
}

void PulseParameters::storeWritten(std::uint16_t parameter, const std::uint8_t* value,
                                   std::size_t count) {
  switch (parameter) {
    case 0x111:
    case 0x110:
    case 0x113:
    case 0x112:
    case 0x800:
    case 6:
    case 0x21:
    case 0x20:
    case 0x22:
    case 1:
    case 5:
    case 2:
    case 0x500:
    case 0x501:
    case 0x502:
    case 0x505:
    case 0x503: store(parameter, value, count); break;
    default: break;  // the other fields keep what was last read
  }
}

}  // namespace ostrel

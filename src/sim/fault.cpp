#include "sim/fault.h"

#include "sim/fault_text.h"

#include <charconv>
#include <cstdio>

namespace ostrel::sim {

namespace {

struct KindName {
  FaultKind kind;
  std::string_view name;
  bool takesValue;
  bool needsValue;
};

constexpr KindName kKinds[] = {
    {FaultKind::Silence, "silence", false, false},
    {FaultKind::WrongAckCheck, "wrong-ack-check", false, false},
    {FaultKind::WrongDataCheck, "wrong-data-check", false, false},
    {FaultKind::Refuse, "refuse", true, true},
    {FaultKind::NoReady, "no-ready", false, false},
    {FaultKind::WrongReady, "wrong-ready", false, false},
    {FaultKind::DropByte, "drop-byte", true, false},
    {FaultKind::Slow, "slow", true, true},
    {FaultKind::PowerLost, "power-lost", true, false},
};

std::optional<Fault> fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return std::nullopt;
}

}  // namespace

std::optional<Fault> Fault::parse(std::string_view text, std::string* error) {
  const auto parts = parseFaultText(text, "CMD", 0xFF, error);
  if (!parts) return std::nullopt;
  Fault f;
  f.command = static_cast<std::uint8_t>(parts->target);
  f.occurrence = parts->occurrence;
  const std::string_view kindText = parts->kind;
  const std::optional<std::string_view> valueText = parts->value;

  const KindName* kind = nullptr;
  for (const auto& k : kKinds) {
    if (k.name == kindText) kind = &k;
  }
  if (const auto problem =
          faultKindProblem(kind != nullptr, *parts, kind != nullptr && kind->takesValue,
                           kind != nullptr && kind->needsValue)) {
    return fail(error, *problem);
  }
  f.kind = kind->kind;
  if (f.kind == FaultKind::DropByte) f.value = kLastByte;
  if (f.kind == FaultKind::PowerLost) f.value = kDefaultOutageMs;
  if (valueText) {
    const auto v =
        f.kind == FaultKind::Refuse ? parseFaultNumber(*valueText) : parseDecimal(*valueText);
    if (!v) return fail(error, "fault value '" + std::string(*valueText) + "' is not a number");
    const bool ok = f.kind == FaultKind::Refuse ? (*v >= 1 && *v <= 0xFF)
                    : f.kind == FaultKind::Slow || f.kind == FaultKind::PowerLost
                        ? (*v >= 0 && *v <= 600000)
                                                : (*v >= 0 && *v <= 0xFFFF);
    if (!ok) return fail(error, "fault value '" + std::string(*valueText) + "' is out of range");
    f.value = static_cast<int>(*v);
  }
  return f;
}

std::string Fault::toString() const {
  char head[32];
  std::snprintf(head, sizeof head, "0x%02X:", command);
  std::string s = head;
  s += occurrence == kEvery ? "*" : std::to_string(occurrence);
  s += ':';
  for (const auto& k : kKinds) {
    if (k.kind == kind) s += k.name;
  }
  if (kind == FaultKind::Refuse || kind == FaultKind::Slow ||
      (kind == FaultKind::PowerLost && value != kDefaultOutageMs) ||
      (kind == FaultKind::DropByte && value != kLastByte)) {
    s += '=' + std::to_string(value);
  }
  return s;
}

}  // namespace ostrel::sim

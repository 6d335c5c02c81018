#include "sim/pulse_fault.h"

#include "sim/fault_text.h"

#include <charconv>
#include <cstdio>

namespace ostrel::sim {

namespace {

struct KindName {
  PulseFaultKind kind;
  std::string_view name;
  bool needsValue;
  bool needsMessage;  // only a parameter message can carry it
};

constexpr KindName kKinds[] = {
    {PulseFaultKind::NoReply, "no-reply", false, false},
    {PulseFaultKind::HartXor, "hart-xor", false, false},
    {PulseFaultKind::MessageSum, "message-sum", false, true},
    {PulseFaultKind::MessageLength, "message-length", false, true},
    {PulseFaultKind::HeaderFe, "header-fe", false, true},
    {PulseFaultKind::HeaderAddress, "header-address", false, true},
    {PulseFaultKind::HeaderMarker, "header-marker", false, true},
    {PulseFaultKind::UnknownType, "unknown-type", false, false},
    {PulseFaultKind::Late, "late", true, false},
};

std::optional<PulseFault> fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return std::nullopt;
}

}  // namespace

bool PulseFault::isKindName(std::string_view kind) {
  for (const auto& k : kKinds) {
    if (k.name == kind) return true;
  }
  return false;
}

std::optional<PulseFault> PulseFault::parse(std::string_view text, std::string* error) {
  const auto parts = parseFaultText(text, "PARAM", 0xFFFF, error);
  if (!parts) return std::nullopt;
  PulseFault f;
  f.parameter = static_cast<std::uint16_t>(parts->target);
  f.occurrence = parts->occurrence;
  const std::string_view kindText = parts->kind;
  const std::optional<std::string_view> valueText = parts->value;

  const KindName* kind = nullptr;
  for (const auto& k : kKinds) {
    if (k.name == kindText) kind = &k;
  }
  if (const auto problem =
          faultKindProblem(kind != nullptr, *parts, kind != nullptr && kind->needsValue,
                           kind != nullptr && kind->needsValue)) {
    return fail(error, *problem);
  }
  f.kind = kind->kind;
  if (kind->needsMessage && f.parameter == kCommandZero) {
    return fail(error, "fault kind '" + std::string(kindText) +
                           "' needs a parameter message; command 0 has none");
  }
  if (valueText) {
    const auto v = parseDecimal(*valueText);
    if (!v) return fail(error, "fault value '" + std::string(*valueText) + "' is not a number");
    if (*v < 0 || *v > 600000) {
      return fail(error, "fault value '" + std::string(*valueText) + "' is out of range");
    }
    f.value = static_cast<int>(*v);
  }
  return f;
}

std::string PulseFault::toString() const {
  char head[16];
  std::snprintf(head, sizeof head, "0x%X:", parameter);
  std::string s = head;
  s += occurrence == kEvery ? "*" : std::to_string(occurrence);
  s += ':';
  for (const auto& k : kKinds) {
    if (k.kind == kind) s += k.name;
  }
  if (kind == PulseFaultKind::Late) s += '=' + std::to_string(value);
  return s;
}

}  // namespace ostrel::sim

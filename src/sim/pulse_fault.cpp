#include "sim/pulse_fault.h"

#include <charconv>
#include <cstdio>

namespace ostrel::sim {

namespace {

std::optional<long> parseNumber(std::string_view s, int base) {
  if (s.empty()) return std::nullopt;
  long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<long> parseParameterNumber(std::string_view s) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    return parseNumber(s.substr(2), 16);
  return parseNumber(s, 10);
}

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
  const auto c1 = text.find(':');
  const auto c2 = c1 == std::string_view::npos ? c1 : text.find(':', c1 + 1);
  if (c2 == std::string_view::npos) {
    return fail(error, "fault '" + std::string(text) + "' is not PARAM:WHEN:KIND");
  }
  const std::string_view paramText = text.substr(0, c1);
  const std::string_view whenText = text.substr(c1 + 1, c2 - c1 - 1);
  std::string_view kindText = text.substr(c2 + 1);

  PulseFault f;
  const auto param = parseParameterNumber(paramText);
  if (!param || *param < 0 || *param > 0xFFFF) {
    return fail(error, "fault parameter '" + std::string(paramText) + "' is not a 16-bit number");
  }
  f.parameter = static_cast<std::uint16_t>(*param);

  if (whenText == "*") {
    f.occurrence = kEvery;
  } else {
    const auto n = parseNumber(whenText, 10);
    if (!n || *n < 1 || *n > 0x7FFFFFFF) {
      return fail(error,
                  "fault occurrence '" + std::string(whenText) + "' is not * or a count from 1");
    }
    f.occurrence = static_cast<std::uint32_t>(*n);
  }

  std::optional<std::string_view> valueText;
  if (const auto eq = kindText.find('='); eq != std::string_view::npos) {
    valueText = kindText.substr(eq + 1);
    kindText = kindText.substr(0, eq);
  }
  const KindName* kind = nullptr;
  for (const auto& k : kKinds) {
    if (k.name == kindText) kind = &k;
  }
  if (!kind) return fail(error, "unknown fault kind '" + std::string(kindText) + "'");
  f.kind = kind->kind;
  if (valueText && !kind->needsValue) {
    return fail(error, "fault kind '" + std::string(kindText) + "' takes no value");
  }
  if (!valueText && kind->needsValue) {
    return fail(error, "fault kind '" + std::string(kindText) + "' needs =VALUE");
  }
  if (kind->needsMessage && f.parameter == kCommandZero) {
    return fail(error, "fault kind '" + std::string(kindText) +
                           "' needs a parameter message; command 0 has none");
  }
  if (valueText) {
    const auto v = parseNumber(*valueText, 10);
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

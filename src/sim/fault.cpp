#include "sim/fault.h"

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

std::optional<long> parseCommandNumber(std::string_view s) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) return parseNumber(s.substr(2), 16);
  return parseNumber(s, 10);
}

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
};

std::optional<Fault> fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return std::nullopt;
}

}  // namespace

std::optional<Fault> Fault::parse(std::string_view text, std::string* error) {
  const auto c1 = text.find(':');
  const auto c2 = c1 == std::string_view::npos ? c1 : text.find(':', c1 + 1);
  if (c2 == std::string_view::npos) {
    return fail(error, "fault '" + std::string(text) + "' is not CMD:WHEN:KIND");
  }
  const std::string_view cmdText = text.substr(0, c1);
  const std::string_view whenText = text.substr(c1 + 1, c2 - c1 - 1);
  std::string_view kindText = text.substr(c2 + 1);

  Fault f;
  const auto cmd = parseCommandNumber(cmdText);
  if (!cmd || *cmd < 0 || *cmd > 0xFF) {
    return fail(error, "fault command '" + std::string(cmdText) + "' is not a byte");
  }
  f.command = static_cast<std::uint8_t>(*cmd);

  if (whenText == "*") {
    f.occurrence = kEvery;
  } else {
    const auto n = parseNumber(whenText, 10);
    if (!n || *n < 1 || *n > 0x7FFFFFFF) {
      return fail(error, "fault occurrence '" + std::string(whenText) + "' is not * or a count from 1");
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
  if (valueText && !kind->takesValue) {
    return fail(error, "fault kind '" + std::string(kindText) + "' takes no value");
  }
  if (!valueText && kind->needsValue) {
    return fail(error, "fault kind '" + std::string(kindText) + "' needs =VALUE");
  }
  if (f.kind == FaultKind::DropByte) f.value = kLastByte;
  if (valueText) {
    const auto v = f.kind == FaultKind::Refuse ? parseCommandNumber(*valueText)
                                               : parseNumber(*valueText, 10);
    if (!v) return fail(error, "fault value '" + std::string(*valueText) + "' is not a number");
    const bool ok = f.kind == FaultKind::Refuse ? (*v >= 1 && *v <= 0xFF)
                    : f.kind == FaultKind::Slow ? (*v >= 0 && *v <= 600000)
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
      (kind == FaultKind::DropByte && value != kLastByte)) {
    s += '=' + std::to_string(value);
  }
  return s;
}

}  // namespace ostrel::sim

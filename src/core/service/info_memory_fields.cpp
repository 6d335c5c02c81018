#include "core/service/info_memory_fields.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/support/text_codec.h"

namespace ostrel {
namespace {

constexpr int kModelOffset = 14;

int fieldOffset(InfoField f) {
  switch (f) {
    case InfoField::TCAL: return 0;
    case InfoField::TVAL: return 2;
    case InfoField::CALA: return 4;
    case InfoField::CALC: return 6;
    case InfoField::CALD: return 8;
    case InfoField::HWSERIAL: return 10;
    case InfoField::HWMODEL: return kModelOffset;
    case InfoField::CALDONE: return 30;
    case InfoField::UNITNUM: return 32;
  }
  return 0;
}

bool isSignedField(InfoField f) { return f == InfoField::HWSERIAL || f == InfoField::UNITNUM; }

std::uint16_t word(const std::uint8_t* b) { return static_cast<std::uint16_t>(b[0] | (b[1] << 8)); }
void putWord(std::uint8_t* b, std::uint16_t v) {
  b[0] = static_cast<std::uint8_t>(v & 0xFF);
  b[1] = static_cast<std::uint8_t>(v >> 8);
}

std::string_view trimmed(std::string_view t) {
  const std::size_t b = t.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  return t.substr(b, t.find_last_not_of(" \t") - b + 1);
}

int digitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  return v < base ? v : -1;
}

// Digits of one base and nothing else, below limit.
std::optional<std::uint64_t> readDigits(std::string_view t, int base, std::uint64_t limit) {
  if (t.empty()) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : t) {
    const int d = digitValue(c, base);
    if (d < 0) return std::nullopt;
    v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    if (v > limit) return std::nullopt;
  }
  return v;
}

}  // namespace

std::optional<InfoField> infoFieldByLabel(std::string_view label) {
  for (int i = 0; i < kInfoFieldCount; ++i) {
    if (label == kInfoFieldLabels[static_cast<std::size_t>(i)]) return static_cast<InfoField>(i);
  }
  return std::nullopt;
}

std::string showInfoField(const std::uint8_t* info, InfoField field) {
  const std::uint8_t* b = info + fieldOffset(field);
  char text[24];
  if (field == InfoField::HWMODEL) {
    const void* zero = std::memchr(b, 0, kInfoModelBytes);
    const std::size_t n = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - b)
                               : kInfoModelBytes;
    return cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(b), n));
  }
  if (isSignedField(field)) {
    const std::uint32_t v = (std::uint32_t{word(b)} << 16) | word(b + 2);
    std::snprintf(text, sizeof text, "%d", static_cast<std::int32_t>(v));
  } else {
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(word(b)));
  }
  return text;
}

std::array<std::string, kInfoFieldCount> showInfoMemory(const std::uint8_t* info) {
  std::array<std::string, kInfoFieldCount> texts;
  for (int i = 0; i < kInfoFieldCount; ++i) {
    texts[static_cast<std::size_t>(i)] = showInfoField(info, static_cast<InfoField>(i));
  }
  return texts;
}

std::optional<std::uint16_t> readInfoWord(std::string_view text) {
  const std::string_view t = trimmed(text);
  if (t.empty()) return 0;
  const bool hex = t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
  const auto v = hex ? readDigits(t.substr(2), 16, 0xFFFFFFFFu) : readDigits(t, 10, 0xFFFFFFFFu);
  if (!v) return std::nullopt;
  return static_cast<std::uint16_t>(*v & 0xFFFF);
}

std::optional<std::int32_t> readInfoSigned(std::string_view text) {
  std::string_view t = trimmed(text);
  bool negative = false;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  const auto v = readDigits(t, 10, negative ? 2147483648u : 2147483647u);
  if (!v) return std::nullopt;
  const std::int64_t s = negative ? -static_cast<std::int64_t>(*v) : static_cast<std::int64_t>(*v);
  return static_cast<std::int32_t>(s);
}

std::optional<std::vector<std::uint8_t>> readInfoModel(std::string_view text) {
  const std::string bytes = utf8ToCp1252(text);
  if (cp1252ToUtf8(bytes) != text) return std::nullopt;  // a character Windows-1252 lacks
  if (bytes.size() > kInfoModelBytes || bytes.find('\0') != std::string::npos) return std::nullopt;
  std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
  if (out.size() < kInfoModelBytes) out.push_back(0);
  return out;
}

InfoEditResult applyInfoMemoryFields(std::uint8_t* info,
                                     const std::vector<std::pair<std::string, std::string>>& edits) {
  struct Parsed {
    InfoField field = InfoField::TCAL;
    std::uint32_t number = 0;
    std::vector<std::uint8_t> model;
  };
  std::vector<Parsed> parsed;
  for (const auto& [label, text] : edits) {
    const std::optional<InfoField> field = infoFieldByLabel(label);
    if (!field) return {false, "SVC_MESSAGE3", label};
    Parsed p;
    p.field = *field;
    if (*field == InfoField::HWMODEL) {
      auto m = readInfoModel(text);
      if (!m) return {false, "SVC_MESSAGE4", label};
      p.model = std::move(*m);
    } else if (isSignedField(*field)) {
      const auto v = readInfoSigned(text);
      if (!v) return {false, "SVC_MESSAGE5", label};
      p.number = static_cast<std::uint32_t>(*v);
    } else {
      const auto v = readInfoWord(text);
      if (!v) return {false, "SVC_MESSAGE6", label};
      p.number = *v;
    }
    parsed.push_back(std::move(p));
  }
  for (int i = 0; i < kInfoFieldCount; ++i) {
    for (const Parsed& p : parsed) {
      if (static_cast<int>(p.field) != i) continue;
      std::uint8_t* b = info + fieldOffset(p.field);
      if (p.field == InfoField::HWMODEL) {
        std::memcpy(b, p.model.data(), p.model.size());
      } else if (isSignedField(p.field)) {
        putWord(b, static_cast<std::uint16_t>(p.number >> 16));
        putWord(b + 2, static_cast<std::uint16_t>(p.number & 0xFFFF));
      } else {
        putWord(b, static_cast<std::uint16_t>(p.number));
      }
    }
  }
  return {};
}

}  // namespace ostrel

#pragma once
// The information memory's fields as the service dialog shows them and
// reads them back. The first 36 bytes hold the fields; bytes 36..127 are
// never shown nor changed.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ostrel {

enum class InfoField { TCAL, TVAL, CALA, CALC, CALD, HWSERIAL, HWMODEL, CALDONE, UNITNUM };
inline constexpr int kInfoFieldCount = 9;
inline constexpr std::array<const char*, kInfoFieldCount> kInfoFieldLabels = {
    "TCAL", "TVAL", "CALA", "CALC", "CALD", "HWSERIAL", "HWMODEL", "CALDONE", "UNITNUM"};
inline constexpr std::size_t kInfoModelBytes = 16;

std::optional<InfoField> infoFieldByLabel(std::string_view label);

// Every field's text, in label order (UTF-8; HWMODEL from Windows-1252).
std::array<std::string, kInfoFieldCount> showInfoMemory(const std::uint8_t* info);
std::string showInfoField(const std::uint8_t* info, InfoField field);

// Word fields: an empty text is 0; "0x" (either case) starts a hexadecimal
// number, anything else is decimal. A number of more digits keeps its low
// 16 bits (0x12345 gives 0x2345). Nothing but the number may be in the
// text; a number beyond 32 bits or a sign is refused.
std::optional<std::uint16_t> readInfoWord(std::string_view text);
// HWSERIAL and UNITNUM: a signed decimal 32-bit number.
std::optional<std::int32_t> readInfoSigned(std::string_view text);
// HWMODEL: the Windows-1252 bytes to store, the terminator included when it
// fits in 16 bytes. Refused when longer than 16 bytes or when a character has
// no Windows-1252 form.
std::optional<std::vector<std::uint8_t>> readInfoModel(std::string_view text);

struct InfoEditResult {
  bool ok = true;
  std::string errorKey;  // language key of the refusal
  std::string field;     // label of the refused field
};

// Reads each (label, text) back by its field's rule into the image, in label
// order. Every text is checked first: a refusal leaves the image untouched.
// Fields not named keep their bytes.
InfoEditResult applyInfoMemoryFields(std::uint8_t* info,
                                     const std::vector<std::pair<std::string, std::string>>& edits);

}  // namespace ostrel

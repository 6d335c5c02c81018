// Any bytes as a mail server's replies or as information memory texts: the
// reply reader must consume only whole replies inside the bytes held, and
// the field readers must never write past the 36 field bytes nor accept a
// text they cannot read back the same way.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/net/smtp_reply.h"
#include "core/service/info_memory_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Replies one after another, as the connection reads them.
  std::string_view rest = bytes;
  while (true) {
    ostrel::SmtpReply reply;
    std::size_t used = 0;
    if (ostrel::scanSmtpReply(rest, reply, used) != ostrel::ReplyScan::Complete) break;
    if (used == 0 || used > rest.size() || reply.code < 100 || reply.code > 999) __builtin_trap();
    rest.remove_prefix(used);
  }

  // The same bytes as the texts of the fields, split at zero bytes.
  std::array<std::uint8_t, 128> info{};
  for (std::size_t i = 0; i < info.size(); ++i) info[i] = static_cast<std::uint8_t>(i);
  const std::array<std::uint8_t, 128> before = info;
  std::vector<std::pair<std::string, std::string>> edits;
  std::size_t at = 0;
  for (int field = 0; field < ostrel::kInfoFieldCount && at <= bytes.size(); ++field) {
    std::size_t end = bytes.find('\0', at);
    if (end == std::string_view::npos) end = bytes.size();
    edits.emplace_back(ostrel::kInfoFieldLabels[static_cast<std::size_t>(field)],
                       std::string(bytes.substr(at, end - at)));
    at = end + 1;
  }
  const ostrel::InfoEditResult r = ostrel::applyInfoMemoryFields(info.data(), edits);
  for (std::size_t i = 36; i < info.size(); ++i) {
    if (info[i] != before[i]) __builtin_trap();
  }
  if (!r.ok && info != before) __builtin_trap();
  if (r.ok) {
    // What was stored shows as a text that stores the same bytes again.
    std::array<std::uint8_t, 128> again = info;
    std::vector<std::pair<std::string, std::string>> shown;
    for (const auto& [label, text] : edits) {
      shown.emplace_back(label, ostrel::showInfoField(info.data(), *ostrel::infoFieldByLabel(label)));
    }
    if (!ostrel::applyInfoMemoryFields(again.data(), shown).ok || again != info) __builtin_trap();
  }
  return 0;
}

#pragma once
// Reading SMTP replies (RFC 5321 4.2): one or more lines "NNN-text" ended by
// a line "NNN text" or "NNN", all with the same code.

#include <cstddef>
#include <string>
#include <string_view>

namespace ostrel {

struct SmtpReply {
  int code = 0;
  std::string text;  // the lines' texts joined by LF
};

enum class ReplyScan { Incomplete, Complete, Malformed };

// A reply longer than this is refused rather than buffered without end.
inline constexpr std::size_t kMaxSmtpReply = 64 * 1024;

// Looks for one whole reply at the start of buffer; on Complete, consumed
// says how many bytes it took. Lines end in CR LF (a bare LF is taken too).
ReplyScan scanSmtpReply(std::string_view buffer, SmtpReply& reply, std::size_t& consumed);

}  // namespace ostrel

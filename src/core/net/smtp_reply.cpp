#include "core/net/smtp_reply.h"

namespace ostrel {

ReplyScan scanSmtpReply(std::string_view buffer, SmtpReply& reply, std::size_t& consumed) {
  SmtpReply r;
  std::size_t at = 0;
  while (true) {
    const std::size_t end = buffer.find('\n', at);
    if (end == std::string_view::npos) {
      return buffer.size() > kMaxSmtpReply ? ReplyScan::Malformed : ReplyScan::Incomplete;
    }
    if (end + 1 > kMaxSmtpReply) return ReplyScan::Malformed;
    std::string_view line = buffer.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() < 3) return ReplyScan::Malformed;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
      const char c = line[static_cast<std::size_t>(i)];
      if (c < '0' || c > '9') return ReplyScan::Malformed;
      code = code * 10 + (c - '0');
    }
    if (code < 100 || (r.code != 0 && code != r.code)) return ReplyScan::Malformed;
    r.code = code;
    const char mark = line.size() > 3 ? line[3] : ' ';
    if (mark != ' ' && mark != '-') return ReplyScan::Malformed;
    if (!r.text.empty()) r.text += '\n';
    r.text += line.substr(line.size() > 4 ? 4 : line.size());
    at = end + 1;
    if (mark == ' ') {
      reply = std::move(r);
      consumed = at;
      return ReplyScan::Complete;
    }
  }
}

}  // namespace ostrel

#pragma once
// One injected fault of the pulse-radar unit's HART answers: what goes
// wrong, for which parameter, and when.
//
// Text form  PARAM:WHEN:KIND[=VALUE]
//   PARAM  parameter number, 0x111 or 273; 0 stands for HART command 0
//   WHEN   n (the n-th request for that parameter, from 1) or * (every one)
//   KIND   no-reply        the unit ignores the request: no effect (a write is
//                          not carried out), no answer
//          hart-xor        the HART check byte of the reply is off by one
//          message-sum     the parameter message's last (sum) byte is off by one
//          message-length  the message length field M is one more than the bytes sent
//          header-fe       the message's first byte is 0xFD instead of 0xFE
//          header-address  the message's polling address byte is 1 instead of 0
//          header-marker   the message's reply marker is 0 instead of 1
//          unknown-type    the type byte is 'X'; for command 0 the manufacturer
//                          code becomes 0x00
//          late=MS         the reply leaves MS milliseconds late
// Apart from the fault itself the reply stays consistent: a message fault
// recomputes the sums it does not target and the HART check, so exactly one
// rule of the tool's reply parser breaks. The message faults need a
// parameter message and are refused for command 0.
// e.g. 0x111:1:hart-xor  0:*:no-reply  0x991:2:message-sum  5:1:late=7000

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::sim {

enum class PulseFaultKind {
  NoReply,
  HartXor,
  MessageSum,
  MessageLength,
  HeaderFe,
  HeaderAddress,
  HeaderMarker,
  UnknownType,
  Late,
};

struct PulseFault {
  static constexpr std::uint32_t kEvery = 0;
  // The key of HART command 0 (no parameter has number 0).
  static constexpr std::uint16_t kCommandZero = 0;

  std::uint16_t parameter = 0;
  std::uint32_t occurrence = kEvery;  // 1-based; kEvery for each request
  PulseFaultKind kind = PulseFaultKind::NoReply;
  int value = 0;  // Late: milliseconds

  // Parses the text form; on failure returns nothing and explains in *error.
  static std::optional<PulseFault> parse(std::string_view text, std::string* error = nullptr);
  // Whether `kind` is one of this form's kind names (without "=VALUE").
  static bool isKindName(std::string_view kind);
  std::string toString() const;

  bool operator==(const PulseFault&) const = default;
};

}  // namespace ostrel::sim

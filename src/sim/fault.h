#pragma once
// One injected fault: what goes wrong, for which command, and when.
//
// Text form  CMD:WHEN:KIND[=VALUE]
//   CMD   command byte, 0x31 or 49
//   WHEN  n (the n-th arrival of that command, from 1) or * (every arrival)
//   KIND  silence            the unit ignores the command: no effect, no answer
//         wrong-ack-check    acknowledgement check byte off by one
//         wrong-data-check   check byte of the data frame (0x31, 0x37, 0x40) off by one
//         refuse=S           acknowledgement with status S (1..255); command not carried out
//         no-ready           no ready frame after a stored block (0x32)
//         wrong-ready        ready frame A5 01 10 B7 instead of A5 01 10 B6
//         drop-byte[=K]      byte K (from 0) of the whole answer is lost; default the last
//         slow=MS            the whole answer leaves MS milliseconds late
//         power-lost[=MS]    the unit loses power as the command arrives: it hears
//                            nothing for MS milliseconds (default 5000), then runs
//                            again at its start-up rate with what its memories kept
// e.g. 0x31:3:wrong-data-check  0x32:*:wrong-ready  0x10:1:slow=1500  0x52:*:refuse=7
//      0x24:40:power-lost

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::sim {

enum class FaultKind {
  Silence,
  WrongAckCheck,
  WrongDataCheck,
  Refuse,
  NoReady,
  WrongReady,
  DropByte,
  Slow,
  PowerLost,
};

struct Fault {
  static constexpr std::uint32_t kEvery = 0;
  static constexpr int kLastByte = -1;
  static constexpr int kDefaultOutageMs = 5000;

  std::uint8_t command = 0;
  std::uint32_t occurrence = kEvery;  // 1-based; kEvery for each arrival
  FaultKind kind = FaultKind::Silence;
  // Refuse: the status; Slow and PowerLost: milliseconds; DropByte: the index or kLastByte.
  int value = 0;

  // Parses the text form; on failure returns nothing and explains in *error.
  static std::optional<Fault> parse(std::string_view text, std::string* error = nullptr);
  std::string toString() const;

  bool operator==(const Fault&) const = default;
};

}  // namespace ostrel::sim

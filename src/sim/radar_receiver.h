#pragma once
// The pulse-radar unit's receiver: turns the bytes it hears into the three
// frame kinds that reach it.
//
//   wake family  A5 A5 c d0 d1 d2 k             c + d0 + d1 + d2 + k = 0 mod 256
//   unit frame   A5 L cmd data.. check          check = sum of bytes 0..L+1
//   tunnel       A5 lo 60 hi <HART message> sum  lo/hi: N + 2 for N message
//                                               bytes; sum over bytes 0..N+3
//
// Bytes outside a frame (the pad 00 after a unit frame, line noise) are
// skipped; a frame that stalls longer than the gap limit is abandoned. A
// unit-frame length above the longest command the unit knows, or a tunnel
// longer than kLongestTunnel, is taken as noise. A5 A5 always opens a wake
// family frame, so a tunnel whose low length byte is A5 cannot reach the
// unit (the tool's requests are far shorter).

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace ostrel::sim {

struct RadarLineFrame {
  enum class Kind { Wake, Command, Tunnel };
  Kind kind = Kind::Command;
  std::uint8_t cmd = 0;            // c of a wake frame, cmd of a unit frame, 0x60
  std::vector<std::uint8_t> data;  // d0..d2, the unit frame's data, the HART message
  bool checkOk = false;
};

class RadarReceiver {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::uint8_t kTunnelCommand = 0x60;
  static constexpr std::uint8_t kLongestCommand = 0x48;
  static constexpr std::size_t kLongestTunnel = 0x400;  // N + 2

  explicit RadarReceiver(std::chrono::milliseconds gapLimit = std::chrono::milliseconds(200));

  std::optional<RadarLineFrame> feed(std::uint8_t byte, Clock::time_point at);
  void reset();

 private:
  std::optional<std::size_t> expectedSize() const;

  std::chrono::milliseconds gapLimit_;
  std::vector<std::uint8_t> buffer_;
  Clock::time_point last_{};
};

}  // namespace ostrel::sim

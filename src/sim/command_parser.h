#pragma once
// The unit's receiver: turns the bytes it hears into command frames
// A5 L cmd data.. check. Bytes outside a frame (the pad 00 after each frame,
// line noise) are skipped; a frame that stalls longer than the gap limit is
// abandoned, as a unit that lost bytes would. A length byte above the
// longest frame the unit knows is taken as noise too (and looked at again as
// a possible start byte), so a stray A5 A5 cannot make the unit wait for a
// frame of 165 bytes while the tool keeps talking.

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace ostrel::sim {

struct CommandFrame {
  std::uint8_t cmd = 0;
  std::vector<std::uint8_t> data;  // L - 1 bytes
  bool checkOk = false;
};

class CommandParser {
 public:
  using Clock = std::chrono::steady_clock;

  explicit CommandParser(std::uint8_t longestLength = 0xFF,
                         std::chrono::milliseconds gapLimit = std::chrono::milliseconds(200));

  // Feeds one byte heard at `at`; returns the frame it completes, if any.
  std::optional<CommandFrame> feed(std::uint8_t byte, Clock::time_point at);

  // Forgets a partly received frame (after noise on the line).
  void reset();

  bool midFrame() const { return !buffer_.empty(); }

 private:
  std::uint8_t longestLength_;
  std::chrono::milliseconds gapLimit_;
  std::vector<std::uint8_t> buffer_;
  Clock::time_point last_{};
};

}  // namespace ostrel::sim

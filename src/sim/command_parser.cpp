#include "sim/command_parser.h"

#include "sim/unit_frames.h"

namespace ostrel::sim {

CommandParser::CommandParser(std::uint8_t longestLength, std::chrono::milliseconds gapLimit)
    : longestLength_(longestLength), gapLimit_(gapLimit) {}

void CommandParser::reset() { buffer_.clear(); }

std::optional<CommandFrame> CommandParser::feed(std::uint8_t byte, Clock::time_point at) {
  if (!buffer_.empty() && at - last_ > gapLimit_) buffer_.clear();
  last_ = at;

  if (buffer_.empty()) {
    if (byte == kFrameStart) buffer_.push_back(byte);
    return std::nullopt;
  }
  if (buffer_.size() == 1 && (byte == 0 || byte > longestLength_)) {
    // A frame always carries its command byte, so L = 0 is noise, and so is
    // a length no command has.
    buffer_.clear();
    if (byte == kFrameStart) buffer_.push_back(byte);
    return std::nullopt;
  }
  buffer_.push_back(byte);
  const std::size_t length = buffer_[1];
  if (buffer_.size() < length + 3) return std::nullopt;

  CommandFrame frame;
  frame.cmd = buffer_[2];
  frame.data.assign(buffer_.begin() + 3, buffer_.begin() + static_cast<std::ptrdiff_t>(length + 2));
  frame.checkOk = byteSum(std::span(buffer_).first(length + 2)) == buffer_[length + 2];
  buffer_.clear();
  return frame;
}

}  // namespace ostrel::sim

#include "sim/radar_receiver.h"

#include "sim/unit_frames.h"

namespace ostrel::sim {

namespace {
constexpr std::size_t kWakeFrameSize = 7;
}

RadarReceiver::RadarReceiver(std::chrono::milliseconds gapLimit) : gapLimit_(gapLimit) {}

void RadarReceiver::reset() { buffer_.clear(); }

// The whole frame's size once the bytes held tell it; nothing before.
std::optional<std::size_t> RadarReceiver::expectedSize() const {
  if (buffer_.size() < 2) return std::nullopt;
  if (buffer_[1] == kFrameStart) return kWakeFrameSize;
  if (buffer_.size() < 3) return std::nullopt;
  if (buffer_[2] != kTunnelCommand) return buffer_[1] + 3u;
  if (buffer_.size() < 4) return std::nullopt;
  return (buffer_[1] | static_cast<std::size_t>(buffer_[3]) << 8) + 3u;
}

std::optional<RadarLineFrame> RadarReceiver::feed(std::uint8_t byte, Clock::time_point at) {
  if (!buffer_.empty() && at - last_ > gapLimit_) buffer_.clear();
  last_ = at;

  if (buffer_.empty()) {
    if (byte == kFrameStart) buffer_.push_back(byte);
    return std::nullopt;
  }
  if (buffer_.size() == 1 && byte == 0) {  // no frame has L = 0
    buffer_.clear();
    return std::nullopt;
  }
  buffer_.push_back(byte);

  if (buffer_.size() == 3 && buffer_[1] != kFrameStart && buffer_[2] != kTunnelCommand &&
      buffer_[1] > kLongestCommand) {
    buffer_.clear();
    if (byte == kFrameStart) buffer_.push_back(byte);
    return std::nullopt;
  }
  if (buffer_.size() == 4 && buffer_[1] != kFrameStart && buffer_[2] == kTunnelCommand) {
    const std::size_t length = buffer_[1] | static_cast<std::size_t>(buffer_[3]) << 8;
    if (length < 2 || length > kLongestTunnel) {
      buffer_.clear();
      return std::nullopt;
    }
  }
  const auto size = expectedSize();
  if (!size || buffer_.size() < *size) return std::nullopt;

  RadarLineFrame f;
  const std::span<const std::uint8_t> all(buffer_);
  if (buffer_[1] == kFrameStart) {
    f.kind = RadarLineFrame::Kind::Wake;
    f.cmd = buffer_[2];
    f.data.assign(buffer_.begin() + 3, buffer_.begin() + 6);
    f.checkOk = byteSum(all.subspan(2, 5)) == 0;
  } else if (buffer_[2] == kTunnelCommand) {
    f.kind = RadarLineFrame::Kind::Tunnel;
    f.cmd = kTunnelCommand;
    f.data.assign(buffer_.begin() + 4, buffer_.end() - 1);
    f.checkOk = byteSum(all.first(all.size() - 1)) == buffer_.back();
  } else {
    f.kind = RadarLineFrame::Kind::Command;
    f.cmd = buffer_[2];
    f.data.assign(buffer_.begin() + 3, buffer_.end() - 1);
    f.checkOk = byteSum(all.first(all.size() - 1)) == buffer_.back();
  }
  buffer_.clear();
  return f;
}

}  // namespace ostrel::sim

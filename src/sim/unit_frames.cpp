#include "sim/unit_frames.h"

#include <stdexcept>

namespace ostrel::sim {

std::uint8_t byteSum(std::span<const std::uint8_t> bytes) {
  unsigned sum = 0;
  for (const std::uint8_t b : bytes) sum += b;
  return static_cast<std::uint8_t>(sum & 0xFF);
}

std::vector<std::uint8_t> unitFrame(std::uint8_t cmd, std::span<const std::uint8_t> data) {
  if (data.size() > 254) throw std::length_error("unit frame data longer than 254 bytes");
  std::vector<std::uint8_t> f;
  f.reserve(data.size() + 4);
  f.push_back(kFrameStart);
  f.push_back(static_cast<std::uint8_t>(data.size() + 1));
  f.push_back(cmd);
  f.insert(f.end(), data.begin(), data.end());
  f.push_back(byteSum(f));
  return f;
}

std::vector<std::uint8_t> ackFrame(std::uint8_t cmd, std::uint8_t status) {
  const std::uint8_t data[] = {cmd, status};
  return unitFrame(kAckCommand, data);
}

std::vector<std::uint8_t> readyFrame() { return unitFrame(kReadyCommand, {}); }

std::vector<std::uint8_t> blockFrame(std::uint8_t h1, std::uint8_t h2,
                                     std::span<const std::uint8_t> block) {
  if (block.size() != kBlockSize) throw std::invalid_argument("a block is 64 bytes");
  // An ordinary unit frame whose command byte is the first header byte.
  std::vector<std::uint8_t> data;
  data.reserve(kBlockSize + 1);
  data.push_back(h2);
  data.insert(data.end(), block.begin(), block.end());
  return unitFrame(h1, data);
}

std::vector<std::uint8_t> textFrame(std::uint8_t cmd, std::string_view text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  return unitFrame(cmd, data);
}

std::vector<std::uint8_t> streamFrame(std::uint16_t raw, std::uint8_t relays) {
  std::vector<std::uint8_t> f = {kFrameStart, kFrameStart, static_cast<std::uint8_t>(raw & 0xFF),
                                 static_cast<std::uint8_t>(raw >> 8),
                                 static_cast<std::uint8_t>(relays & 0x0F), 0};
  f[5] = static_cast<std::uint8_t>(0x100 - byteSum(std::span(f).subspan(2, 3)));
  return f;
}

}  // namespace ostrel::sim

#include "sim/hart_frames.h"

#include <stdexcept>

#include "sim/unit_frames.h"

namespace ostrel::sim {

namespace {
constexpr std::uint8_t kFrameTypeMask = 0x07;
constexpr std::uint8_t kFrameTypeRequest = 0x02;
constexpr std::uint8_t kLongAddressBit = 0x80;
constexpr std::size_t kLeastPreambles = 2;
}  // namespace

std::uint8_t byteXor(std::span<const std::uint8_t> bytes) {
  std::uint8_t x = 0;
  for (const std::uint8_t b : bytes) x ^= b;
  return x;
}

std::optional<HartRequest> parseHartRequest(std::span<const std::uint8_t> message) {
  std::size_t i = 0;
  while (i < message.size() && message[i] == kHartPreamble) ++i;
  if (i < kLeastPreambles || i >= message.size()) return std::nullopt;
  const std::size_t start = i;
  const std::uint8_t d = message[i++];
  if ((d & kFrameTypeMask) != kFrameTypeRequest) return std::nullopt;

  HartRequest r;
  r.delimiter = d;
  const std::size_t addressSize = (d & kLongAddressBit) ? kHartLongAddressSize : 1;
  const std::size_t expansions = (d >> 5) & 0x03;
  if (message.size() < i + addressSize + expansions + 2) return std::nullopt;
  r.address.assign(message.begin() + static_cast<std::ptrdiff_t>(i),
                   message.begin() + static_cast<std::ptrdiff_t>(i + addressSize));
  i += addressSize;
  const std::uint8_t high = expansions > 0 ? message[i] : 0;
  i += expansions;
  r.command = message[i++];
  const std::size_t count = static_cast<std::size_t>(high) << 8 | message[i++];
  if (message.size() != i + count + 1) return std::nullopt;
  r.data.assign(message.begin() + static_cast<std::ptrdiff_t>(i),
                message.begin() + static_cast<std::ptrdiff_t>(i + count));
  if (byteXor(message.subspan(start, message.size() - start)) != 0) return std::nullopt;
  return r;
}

std::vector<std::uint8_t> hartReply(std::size_t preambles, std::span<const std::uint8_t> address,
                                    std::uint8_t command, std::uint8_t responseCode,
                                    std::uint8_t deviceStatus,
                                    std::span<const std::uint8_t> payload) {
  const bool longFrame = address.size() == kHartLongAddressSize;
  if (!longFrame && address.size() != 1)
    throw std::invalid_argument("HART address of 1 or 5 bytes");
  const std::size_t count = payload.size() + 2;
  if (count > (longFrame ? 0xFFFFu : 0xFFu)) throw std::length_error("HART reply too long");

  std::vector<std::uint8_t> f(preambles, kHartPreamble);
  f.reserve(preambles + count + 12);
  f.push_back(longFrame ? kHartLongReply : kHartShortReply);
  f.insert(f.end(), address.begin(), address.end());
  if (longFrame) f.push_back(static_cast<std::uint8_t>(count >> 8));
  f.push_back(command);
  f.push_back(static_cast<std::uint8_t>(count & 0xFF));
  f.push_back(responseCode);
  f.push_back(deviceStatus);
  f.insert(f.end(), payload.begin(), payload.end());
  f.push_back(byteXor(std::span(f).subspan(preambles)));
  return f;
}

std::vector<std::uint8_t> parameterMessage(std::uint8_t type, std::uint8_t pollingAddress,
                                           std::uint8_t marker, std::uint16_t parameter,
                                           std::span<const std::uint8_t> value) {
  const std::size_t m = kMessageOverhead + value.size();
  if (m > 0xFFFF) throw std::length_error("parameter message too long");
  std::vector<std::uint8_t> msg = {kMessageStart,
                                   type,
                                   static_cast<std::uint8_t>(m & 0xFF),
                                   static_cast<std::uint8_t>(m >> 8),
                                   pollingAddress,
                                   0,
                                   marker,
                                   static_cast<std::uint8_t>(parameter & 0xFF),
                                   static_cast<std::uint8_t>(parameter >> 8)};
  msg.insert(msg.end(), value.begin(), value.end());
  msg.push_back(0);
  resealMessage(msg);
  return msg;
}

void resealMessage(std::span<std::uint8_t> message) {
  if (message.size() < kMessageOverhead) return;
  message[5] = byteSum(message.first(5));
  message.back() = byteSum(message.first(message.size() - 1));
}

std::optional<ParameterRequest> parseParameterMessage(std::span<const std::uint8_t> message) {
  if (message.size() < kMessageOverhead || message[0] != kMessageStart) return std::nullopt;
  const std::size_t m = message[2] | static_cast<std::size_t>(message[3]) << 8;
  if (m != message.size()) return std::nullopt;
  if (message[5] != byteSum(message.first(5))) return std::nullopt;
  if (message.back() != byteSum(message.first(m - 1))) return std::nullopt;
  ParameterRequest r;
  r.type = message[1];
  r.pollingAddress = message[4];
  r.marker = message[6];
  r.parameter = static_cast<std::uint16_t>(message[7] | message[8] << 8);
  r.value.assign(message.begin() + 9, message.end() - 1);
  return r;
}

}  // namespace ostrel::sim

#pragma once
// HART frames and parameter messages as the pulse-radar unit hears and
// sends them. Written from the byte rules alone; the simulator never
// borrows the tool's encoders.
//
//   HART frame   FF.. delimiter address [expansion] command count data.. check
//                delimiter bits 0..2: 2 request, 6 reply; bit 7: 5-byte
//                address; bits 5..6: number of expansion bytes, the first of
//                which is the high byte of the data length
//                check = XOR of delimiter .. last data byte
//   parameter    FE type M(LE16) address sum(0..4) marker param(LE16)
//   message      value.. sum(0..M-2)             M = 10 + value bytes

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ostrel::sim {

constexpr std::uint8_t kHartPreamble = 0xFF;
constexpr std::uint8_t kHartShortReply = 0x06;
// Long address and one expansion byte: the tool reads the byte after the
// address as the high byte of the count, so long replies always carry it.
constexpr std::uint8_t kHartLongReply = 0xA6;
constexpr std::size_t kHartLongAddressSize = 5;

constexpr std::uint8_t kMessageStart = 0xFE;
constexpr std::size_t kMessageOverhead = 10;  // M without value bytes
constexpr std::uint8_t kTypeRead = 'G';
constexpr std::uint8_t kTypeWrite = 'S';
constexpr std::uint8_t kTypeUnknown = 'E';
constexpr std::uint8_t kTypeInvalid = 'M';

std::uint8_t byteXor(std::span<const std::uint8_t> bytes);

// A request from the master, with a good check and at least two preambles.
struct HartRequest {
  std::uint8_t delimiter = 0;
  std::vector<std::uint8_t> address;  // 1 or 5 bytes as received
  std::uint8_t command = 0;
  std::vector<std::uint8_t> data;

  bool longFrame() const { return address.size() == kHartLongAddressSize; }
};

// Nothing for anything but one complete request with a good XOR and no
// bytes after its check.
std::optional<HartRequest> parseHartRequest(std::span<const std::uint8_t> message);

// Preambles, delimiter (short 0x06 for a 1-byte address, long 0xA6 with one
// expansion byte for a 5-byte one), address, [expansion], command, count,
// response code, device status, payload, XOR. A short reply's payload is at
// most 253 bytes.
std::vector<std::uint8_t> hartReply(std::size_t preambles, std::span<const std::uint8_t> address,
                                    std::uint8_t command, std::uint8_t responseCode,
                                    std::uint8_t deviceStatus,
                                    std::span<const std::uint8_t> payload);

// A parameter message with its length, header sum and closing sum filled in.
std::vector<std::uint8_t> parameterMessage(std::uint8_t type, std::uint8_t pollingAddress,
                                           std::uint8_t marker, std::uint16_t parameter,
                                           std::span<const std::uint8_t> value);

// Recomputes the header sum (byte 5) and the closing sum of a message.
void resealMessage(std::span<std::uint8_t> message);

// A parameter message as received; nothing when any framing rule fails
// (start byte, length field, either sum).
struct ParameterRequest {
  std::uint8_t type = 0;
  std::uint8_t pollingAddress = 0;
  std::uint8_t marker = 0;
  std::uint16_t parameter = 0;
  std::vector<std::uint8_t> value;
};
std::optional<ParameterRequest> parseParameterMessage(std::span<const std::uint8_t> message);

}  // namespace ostrel::sim

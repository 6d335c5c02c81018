#pragma once
// Frames as the unit sends them. Built here from the byte rules alone so the
// simulator never borrows the tool's encoders.
//
//   unit frame      A5 L cmd data.. check     check = sum of bytes 0..L+1
//   acknowledgement A5 03 2F cmd status check
//   ready           A5 01 10 B6
//   block data      A5 42 h1 h2 <64 bytes> check
//   stream          A5 A5 b2 b3 b4 b5        b2+b3+b4+b5 = 0 mod 256

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace ostrel::sim {

constexpr std::uint8_t kFrameStart = 0xA5;
constexpr std::uint8_t kAckCommand = 0x2F;
constexpr std::uint8_t kReadyCommand = 0x10;
constexpr std::size_t kBlockSize = 64;

// Sum of the bytes modulo 256.
std::uint8_t byteSum(std::span<const std::uint8_t> bytes);

// A5, L, cmd, data, check. The data may be at most 254 bytes.
std::vector<std::uint8_t> unitFrame(std::uint8_t cmd, std::span<const std::uint8_t> data);

std::vector<std::uint8_t> ackFrame(std::uint8_t cmd, std::uint8_t status);

std::vector<std::uint8_t> readyFrame();

// Answer to a block read: header bytes h1, h2 then exactly 64 data bytes.
std::vector<std::uint8_t> blockFrame(std::uint8_t h1, std::uint8_t h2,
                                     std::span<const std::uint8_t> block);

// Answer to the identification request: the text, zero-terminated, as the
// data of a frame of command `cmd`.
std::vector<std::uint8_t> textFrame(std::uint8_t cmd, std::string_view text);

// One streamed measurement: raw count and the relay bits 0..3.
std::vector<std::uint8_t> streamFrame(std::uint16_t raw, std::uint8_t relays);

}  // namespace ostrel::sim

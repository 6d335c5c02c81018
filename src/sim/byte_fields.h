#pragma once
// Little helpers to place and fetch the unit's memory fields. The unit keeps
// 16-bit values little-endian and 32-bit values as two such words with the
// high word first.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace ostrel::sim {

inline void putU16(std::span<std::uint8_t> mem, std::size_t at, std::uint16_t v) {
  mem[at] = static_cast<std::uint8_t>(v & 0xFF);
  mem[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline std::uint16_t getU16(std::span<const std::uint8_t> mem, std::size_t at) {
  return static_cast<std::uint16_t>(mem[at] | (mem[at + 1] << 8));
}

inline void putI16(std::span<std::uint8_t> mem, std::size_t at, std::int16_t v) {
  putU16(mem, at, static_cast<std::uint16_t>(v));
}

inline std::int16_t getI16(std::span<const std::uint8_t> mem, std::size_t at) {
  return static_cast<std::int16_t>(getU16(mem, at));
}

// 32-bit field of two words, high word first.
inline void putU32HighFirst(std::span<std::uint8_t> mem, std::size_t at, std::uint32_t v) {
  putU16(mem, at, static_cast<std::uint16_t>(v >> 16));
  putU16(mem, at + 2, static_cast<std::uint16_t>(v & 0xFFFF));
}

inline std::uint32_t getU32HighFirst(std::span<const std::uint8_t> mem, std::size_t at) {
  return (static_cast<std::uint32_t>(getU16(mem, at)) << 16) | getU16(mem, at + 2);
}

// Plain little-endian signed 32-bit value (the history page's offset and scale).
inline void putI32(std::span<std::uint8_t> mem, std::size_t at, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (std::size_t i = 0; i < 4; ++i) mem[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

inline std::int32_t getI32(std::span<const std::uint8_t> mem, std::size_t at) {
  std::uint32_t u = 0;
  for (std::size_t i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(mem[at + i]) << (8 * i);
  return static_cast<std::int32_t>(u);
}

inline void putFloat(std::span<std::uint8_t> mem, std::size_t at, float v) {
  std::uint32_t u = 0;
  static_assert(sizeof u == sizeof v);
  std::memcpy(&u, &v, sizeof u);
  for (std::size_t i = 0; i < 4; ++i) mem[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

inline float getFloat(std::span<const std::uint8_t> mem, std::size_t at) {
  std::uint32_t u = 0;
  for (std::size_t i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(mem[at + i]) << (8 * i);
  float v = 0;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

// Copies text into a field of `width` bytes and zero-fills the rest.
inline void putText(std::span<std::uint8_t> mem, std::size_t at, std::size_t width,
                    std::string_view text) {
  for (std::size_t i = 0; i < width; ++i) {
    mem[at + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
  }
}

}  // namespace ostrel::sim

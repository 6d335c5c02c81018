#pragma once
// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, start 0xFFFFFFFF,
// final complement), table-driven byte by byte. The CRC chunk of a combined
// program file carries it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ostrel {

class CCRC_32 {
 public:
  static constexpr std::uint32_t kStart = 0xFFFFFFFFu;

  CCRC_32();

  // Runs count bytes into crc (start with kStart, complement at the end).
  void update(const std::uint8_t* bytes, std::size_t count, std::uint32_t& crc) const;

  // The finished CRC of a whole byte string.
  std::uint32_t of(std::string_view bytes) const;

 private:
  std::array<std::uint32_t, 256> table_{};
};

}  // namespace ostrel

#include "core/firmware/crc32.h"

namespace ostrel {
namespace {

std::uint32_t reflect(std::uint32_t v, int bits) {
  std::uint32_t r = 0;
  for (int i = 0; i < bits; ++i) {
    if (v & (1u << i)) r |= 1u << (bits - 1 - i);
  }
  return r;
}

}  // namespace

CCRC_32::CCRC_32() {
  constexpr std::uint32_t kPolynomial = 0x04C11DB7u;
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = reflect(i, 8) << 24;
    for (int k = 0; k < 8; ++k) r = (r << 1) ^ ((r & 0x80000000u) ? kPolynomial : 0u);
    table_[i] = reflect(r, 32);
  }
}

void CCRC_32::update(const std::uint8_t* bytes, std::size_t count, std::uint32_t& crc) const {
  for (std::size_t i = 0; i < count; ++i) crc = (crc >> 8) ^ table_[(crc ^ bytes[i]) & 0xFFu];
}

std::uint32_t CCRC_32::of(std::string_view bytes) const {
  std::uint32_t crc = kStart;
  update(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), crc);
  return ~crc;
}

}  // namespace ostrel

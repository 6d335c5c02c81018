#include "sim/bootloader.h"

#include <algorithm>

#include "sim/byte_fields.h"

namespace ostrel::sim {
namespace {

// Where the firmware text and revision live: the factory page of a classic
// unit, the model page of guided-wave and U-type units.
constexpr std::size_t kClassicText = 138;
constexpr std::size_t kClassicRevision = 26;
constexpr std::size_t kModelText = 0;
constexpr std::size_t kModelRevision = 16;
constexpr std::size_t kMaxDataBytes = 71;  // of a 0x48 frame

// CRC-32 of IEEE 802.3, bit by bit: the unit checks a program with it.
std::uint32_t crc32(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace

std::array<std::uint8_t, Bootloader::kHeaderSize> Bootloader::header(std::uint32_t length,
                                                                     std::uint16_t revision) {
  return {'O',
          'S',
          'P',
          'G',
          static_cast<std::uint8_t>(length),
          static_cast<std::uint8_t>(length >> 8),
          static_cast<std::uint8_t>(length >> 16),
          static_cast<std::uint8_t>(length >> 24),
          static_cast<std::uint8_t>(revision),
          static_cast<std::uint8_t>(revision >> 8)};
}

void Bootloader::losePower(Clock::time_point at, std::chrono::milliseconds outage) {
  powerBack_ = at + outage;
}

std::optional<Bootloader::Answer> Bootloader::execute(const CommandFrame& frame,
                                                      UnitMemories& memories, PageUnitKind kind) {
  const auto& d = frame.data;
  switch (frame.cmd) {
    case 0x17:
      if (!d.empty()) return Answer{0x04, false};
      if (whole_) eraseIdentity(memories, kind);
      whole_ = false;
      state_.erased = true;
      state_.program.clear();
      return Answer{};
    case 0x24:
      // 64 bytes from a 0x41 frame, 71 from a 0x48 frame; a packet program
      // may carry shorter program-data frames of its own.
      if (d.empty() || d.size() > kMaxDataBytes) return Answer{0x04, false};
      if (!state_.erased) return Answer{kStatusNotErased, false};
      takeData(frame, memories, kind);
      return Answer{0, true};
    case 0x40:
      if (d.size() == 1 && d[0] == kLargePacketRequest) return Answer{};
      return std::nullopt;
    case 0x28:
      // Verifies the program held: with four data bytes against their
      // CRC-32 (little-endian), without data only that it is whole.
      if (!d.empty() && d.size() != 4) return Answer{0x04, false};
      if (!whole_) return Answer{kStatusIncomplete, false};
      if (d.size() == 4 && crc32(state_.program) != (d[0] | d[1] << 8 | d[2] << 16 |
                                                     static_cast<std::uint32_t>(d[3]) << 24)) {
        return Answer{kStatusBadCrc, false};
      }
      return Answer{};
    case 0x36:
      memories.history.fill(0);
      return Answer{};
    case 0x49:
      return Answer{};
    default:
      return std::nullopt;
  }
}

void Bootloader::takeData(const CommandFrame& frame, UnitMemories& memories, PageUnitKind kind) {
  if (whole_) return;  // bytes behind a whole program are filler
  auto& p = state_.program;
  p.insert(p.end(), frame.data.begin(), frame.data.end());
  if (frame.data.size() == 71) {
    // The frame's check byte arrives where the packet's last byte was.
    unsigned sum = 0xA5 + 0x48 + 0x24;
    for (std::uint8_t b : frame.data) sum += b;
    p.push_back(static_cast<std::uint8_t>(sum));
  }
  if (p.size() < kHeaderSize || !std::equal(p.begin(), p.begin() + 4, "OSPG")) return;
  const std::uint32_t length = p[4] | p[5] << 8 | p[6] << 16 | static_cast<std::uint32_t>(p[7]) << 24;
  if (length < kHeaderSize || p.size() < length) return;
  p.resize(length);
  whole_ = true;
  state_.erased = false;
  state_.revision = static_cast<std::uint16_t>(p[8] | p[9] << 8);
  ++state_.programsCompleted;
  restoreIdentity(memories, kind, state_.revision);
}

void Bootloader::eraseIdentity(UnitMemories& memories, PageUnitKind kind) {
  if (kind == PageUnitKind::Ultrasonic) {
    std::copy_n(memories.factory.begin() + kClassicText, 16, firmwareText_.begin());
    std::fill_n(memories.factory.begin() + kClassicText, 16, std::uint8_t{0});
    putU16(memories.factory, kClassicRevision, 0);
  } else {
    std::copy_n(memories.model.begin() + kModelText, 16, firmwareText_.begin());
    memories.model.fill(0xFF);  // an erased model page starts with a byte of its top bit set
    putU16(memories.model, kModelRevision, 0);
  }
}

void Bootloader::restoreIdentity(UnitMemories& memories, PageUnitKind kind,
                                 std::uint16_t revision) {
  if (kind == PageUnitKind::Ultrasonic) {
    std::copy(firmwareText_.begin(), firmwareText_.end(), memories.factory.begin() + kClassicText);
    putU16(memories.factory, kClassicRevision, revision);
  } else {
    memories.model.fill(0);
    std::copy(firmwareText_.begin(), firmwareText_.end(), memories.model.begin() + kModelText);
    putU16(memories.model, kModelRevision, revision);
  }
}

}  // namespace ostrel::sim

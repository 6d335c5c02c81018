#pragma once
// The boot loader of a page-based unit: what it does with the commands of
// programming.
//
//   0x17        erases the program memory; until a whole program has arrived
//               the unit reports an erased firmware (no firmware text,
//               revision 0), so the tool finds its model by hardware only
//   0x24        program data: all 64 bytes of a 0x41 frame; of a 0x48 frame
//               the 71 data bytes and the check byte, which stands in for
//               the packet's 72nd byte; the bytes of a shorter frame of a
//               packet program. Answered by a ready frame. Refused with
//               kStatusNotErased before an erase
//   0x40 (72)   the request for 72-byte packets: acknowledged, no text (any
//               other data byte is the identification request)
//   0x28        verifies the program: refused with kStatusIncomplete while
//               no whole program is held; with four data bytes, refused
//               with kStatusBadCrc unless they are the CRC-32 of the program
//   0x32, 0x33, 0x34, 0x38   the page writes of a packet program (scratch
//               area, then a page by its selector: 1 customer, 2 factory),
//               as the page unit takes them at any time
//   0x36        erases the history page
//   0x49        leaves programming
//
// The firmware never looks inside program data, but a simulated unit has no
// firmware to run: the demonstration programs start with a small header
// that only the simulator reads, "OSPG", the program's whole length (32-bit
// little-endian, header included) and the revision it brings (16-bit
// little-endian). A program is whole when that many bytes have arrived;
// the unit then reports the revision and its firmware text again.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/command_parser.h"
#include "sim/page_unit_kind.h"
#include "sim/unit_memories.h"

namespace ostrel::sim {

class Bootloader {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::uint8_t kStatusNotErased = 0x05;
  static constexpr std::uint8_t kStatusIncomplete = 0x06;
  static constexpr std::uint8_t kStatusBadCrc = 0x07;
  static constexpr std::uint8_t kLargePacketRequest = 72;
  static constexpr std::size_t kHeaderSize = 10;

  struct Answer {
    std::uint8_t status = 0;
    bool ready = false;  // a ready frame follows the acknowledgement
  };

  struct State {
    bool erased = false;      // erased and no whole program since
    std::vector<std::uint8_t> program;  // the program bytes held since the last erase
    std::uint16_t revision = 0;         // of the last whole program (0 before one)
    int programsCompleted = 0;
  };

  // The answer to a programming command, or nothing for the unit's other commands.
  std::optional<Answer> execute(const CommandFrame& frame, UnitMemories& memories,
                                PageUnitKind kind);

  // The unit is without power from `at` for `outage`.
  void losePower(Clock::time_point at, std::chrono::milliseconds outage);
  bool powered(Clock::time_point at) const { return at >= powerBack_; }

  const State& state() const { return state_; }

  // The header a demonstration program starts with.
  static std::array<std::uint8_t, kHeaderSize> header(std::uint32_t length,
                                                      std::uint16_t revision);

 private:
  void eraseIdentity(UnitMemories& memories, PageUnitKind kind);
  void restoreIdentity(UnitMemories& memories, PageUnitKind kind, std::uint16_t revision);
  void takeData(const CommandFrame& frame, UnitMemories& memories, PageUnitKind kind);

  State state_;
  bool whole_ = true;  // a whole program is in place (the factory's, to begin with)
  std::array<std::uint8_t, 16> firmwareText_{};
  Clock::time_point powerBack_{};
};

}  // namespace ostrel::sim

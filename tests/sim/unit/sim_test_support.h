#pragma once
// Helpers for the simulator's tests. Frames are written out by hand or built
// here with the check computed on the spot, never with the simulator's own
// frame code.

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/page_unit.h"
#include "sim/unit_engine.h"

namespace ostrel::sim::test {

using Bytes = std::vector<std::uint8_t>;

// "A5 03 31 01 00 DA 00" -> bytes.
Bytes hex(std::string_view text);
std::string toHex(std::span<const std::uint8_t> bytes);

// A command frame as the tool sends it, pad byte included.
Bytes command(std::uint8_t cmd, const Bytes& data = {});

// The acknowledgement the unit owes for cmd with status.
Bytes ack(std::uint8_t cmd, std::uint8_t status = 0);

Bytes concat(std::initializer_list<Bytes> parts);

// A page unit on an unpaced line: answers are there as soon as the command
// is written.
struct Bench {
  explicit Bench(PageUnitKind kind = PageUnitKind::Ultrasonic, PageUnit::Options options = {});
  // Writes bytes and returns everything the unit has answered by then.
  Bytes talk(const Bytes& bytes);
  // Waits up to `timeout` for `count` bytes and returns them (or fewer).
  Bytes collect(std::size_t count, std::chrono::milliseconds timeout);

  std::shared_ptr<PageUnit> unit;
  UnitEngine engine;
};

// Reads a 512-byte page through 0x31, checking every frame on the way.
Bytes readPage(Bench& bench, std::uint8_t selector);

// Writes 512 bytes through 0x33, 8 x 0x32 and 0x34, checking every answer.
void writePage(Bench& bench, std::uint8_t selector, const Bytes& page);

}  // namespace ostrel::sim::test

#pragma once
// Helpers for the pulse-radar unit's tests. Requests are built here from the
// byte rules with their checks computed on the spot, and replies are read
// with the tool's own reply rules, never with the simulator's frame code.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/pulse_radar_unit.h"
#include "sim/unit_engine.h"
#include "unit/sim_test_support.h"

namespace ostrel::sim::test {

inline const Bytes kWakeListenFrame = {0xA5, 0xA5, 0x57, 0x00, 0x01, 0x00, 0xA8};
inline const Bytes kWakeLinkFrame = {0xA5, 0xA5, 0x4C, 0x00, 0x01, 0x00, 0xB3};
inline const Bytes kUnitLongAddress = {0x38, 0x70, 0x0A, 0xD6, 0x64};

// A5, low and high byte of N + 2 around 0x60, the HART message, the sum.
Bytes tunnel(const Bytes& hart);
// The command-0 request: five preambles, 02 80 00 00, XOR.
Bytes commandZeroRequest();
// Five preambles, delimiter (A2, or 82 without expansion), address,
// expansion (high byte of the count), command, count, data, XOR.
Bytes longRequest(const Bytes& address, std::uint8_t command, const Bytes& data,
                  bool withExpansion = true);
// FE type M(LE) address sum(0..4) marker param(LE) value sum.
Bytes paramMessage(char type, std::uint16_t parameter, const Bytes& value = {},
                   std::uint8_t marker = 0, std::uint8_t pollingAddress = 0);
// A parameter request wrapped for the unit's long address and tunnelled.
Bytes parameterRequest(char type, std::uint16_t parameter, const Bytes& value = {});

Bytes floatBytes(float v);
float floatOf(const Bytes& b, std::size_t at = 0);

// What the tool makes of the bytes it received, by its reply rules:
// result 0 or the error key (-1, -100 .. -105); payload and value as taken.
struct ToolReading {
  bool complete = false;  // the expected length is known and reached
  int result = -1;
  std::uint8_t delimiter = 0;
  std::size_t byteCount = 0;
  Bytes payload;  // after response code and device status
  Bytes value;    // P[9 .. n-2] when stored
};
ToolReading readReply(const Bytes& received);

// The text of the bytes as the tool's listener writes it: each byte's
// decimal number, no separators.
std::string decimalText(const Bytes& bytes);

bool containsBytes(const Bytes& haystack, const Bytes& needle);

// Options that keep a radar's tests fast and its level still.
PulseRadarUnit::Options quickRadar();

// A pulse-radar unit on an unpaced line.
struct RadarBench {
  explicit RadarBench(PulseRadarUnit::Options options = quickRadar());
  Bytes talk(const Bytes& bytes);
  // Both wake frames; checks the replies and that the unit is awake.
  void wakeUp();
  // A parameter request; what the tool reads from the answer.
  ToolReading ask(char type, std::uint16_t parameter, const Bytes& value = {});

  std::shared_ptr<PulseRadarUnit> unit;
  UnitEngine engine;
};

}  // namespace ostrel::sim::test

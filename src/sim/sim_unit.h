#pragma once
// What a simulated unit offers the line it hangs on. The engine hands the
// unit each byte at the moment it has fully arrived, and wakes the unit at
// the times the unit asks for (a streaming unit sends on its own). The unit
// answers through UnitOutput; the engine puts the bytes on the wire.
//
// The engine calls a unit from one thread at a time, in time order.

#include <chrono>
#include <cstdint>
#include <span>

namespace ostrel::sim {

class UnitOutput {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~UnitOutput() = default;
  // Queues bytes to leave the unit at `baud`, the first no earlier than
  // readyAt. The rate travels with the bytes: a unit that switches rate
  // right after answering has still answered at the old one.
  virtual void send(std::span<const std::uint8_t> bytes, Clock::time_point readyAt,
                    std::uint32_t baud) = 0;
};

class SimUnit {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~SimUnit() = default;

  // The rate the unit talks and listens at; bytes at another rate are noise.
  virtual std::uint32_t baud() const = 0;

  // One byte heard at the unit's rate, complete at `at`.
  virtual void hear(std::uint8_t byte, Clock::time_point at, UnitOutput& out) = 0;

  // A byte sent at another rate arrived: the unit hears a garbled byte.
  virtual void hearNoise(Clock::time_point at) = 0;

  // The next moment the unit wants to act by itself, or time_point::max().
  virtual Clock::time_point nextWake() const { return Clock::time_point::max(); }
  virtual void wake(Clock::time_point /*at*/, UnitOutput& /*out*/) {}
};

}  // namespace ostrel::sim

#pragma once
// The line between the cable and a simulated unit, driven by the clock.
//
// Bytes the tool writes travel to the unit; the unit's answers travel back
// and become readable when they are due. With pacing on, every byte takes
// its wire time (10 bits at the baud rate) in both directions, so a frame is
// processed only once its last byte would have arrived and an answer trickles
// in byte by byte. Without pacing the wire is instantaneous (tests stay fast).
//
// The line's rate is the tool's; the unit has its own. A byte sent while the
// two differ is lost: the unit hears noise, the cable hears nothing.
//
// Thread-safe: one thread may write while others read or wait.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "sim/sim_unit.h"

namespace ostrel::sim {

class UnitEngine {
 public:
  using Clock = std::chrono::steady_clock;

  // What the cable buffers before it drops arriving bytes.
  static constexpr std::size_t kReceiveCapacity = 65536;
  // How much of what the tool wrote is kept for inspection.
  static constexpr std::size_t kWrittenLogCapacity = 1 << 20;

  explicit UnitEngine(std::shared_ptr<SimUnit> unit = nullptr);

  // Replaces the unit on the line (nullptr: nothing attached, bytes vanish).
  void setUnit(std::shared_ptr<SimUnit> unit);
  std::shared_ptr<SimUnit> unit() const;

  void setPacing(bool on);
  bool pacing() const;

  void setLineBaud(std::uint32_t baud);
  std::uint32_t lineBaud() const;

  // While nobody listens on the tool's side (the cable is closed), bytes
  // arriving from the unit are lost.
  void setListening(bool on);

  // Tool side.
  void write(std::span<const std::uint8_t> bytes);
  // Bytes the cable holds now.
  std::size_t available();
  // Takes up to out.size() bytes the cable holds now.
  std::size_t read(std::span<std::uint8_t> out);
  std::vector<std::uint8_t> readAll();
  // Waits until the cable holds at least `count` bytes or the deadline passes.
  bool waitFor(std::size_t count, Clock::time_point deadline);
  // Drops what the cable holds (receive) or has not yet sent (transmit).
  void flushReceive();
  void flushTransmit();

  // Earliest moment something changes on the line, or time_point::max().
  Clock::time_point nextEvent();

  // Everything the tool wrote, in order, and the bytes lost on the way.
  std::vector<std::uint8_t> written() const;
  void clearWritten();
  std::size_t noiseHeardByUnit() const;
  std::size_t bytesUnheardByCable() const;

  // Wire time of one byte (start, 8 data, stop bit).
  static Clock::duration byteTime(std::uint32_t baud);

 private:
  struct WireByte {
    std::uint8_t value;
    Clock::time_point at;  // when its last bit has arrived
    std::uint32_t baud;    // the rate it was sent at
  };
  class Output;

  void advanceLocked(Clock::time_point now);
  Clock::time_point nextEventLocked() const;
  void sendFromUnitLocked(std::span<const std::uint8_t> bytes, Clock::time_point readyAt,
                          std::uint32_t baud);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::shared_ptr<SimUnit> unit_;
  bool pacing_ = false;
  bool listening_ = true;
  std::uint32_t lineBaud_ = 9600;
  std::deque<WireByte> toUnit_;
  std::deque<WireByte> toCable_;
  std::deque<std::uint8_t> received_;
  Clock::time_point txFree_{};
  Clock::time_point rxFree_{};
  std::vector<std::uint8_t> written_;
  std::size_t noise_ = 0;
  std::size_t unheard_ = 0;
};

}  // namespace ostrel::sim

#pragma once
// A memory-page unit (ultrasonic, guided-wave, U-type) as the tool meets it
// on the line: it acknowledges every command frame with A5 03 2F cmd status
// check and then answers as the unit's command table says.
//
// Acknowledgement status values of this unit:
//   0x00 accepted
//   0x01 the frame's check byte was wrong (nothing carried out)
//   0x02 unknown command
//   0x03 bad argument (selector, block, baud rate, the 0x38 key byte)
//   0x04 wrong frame length for the command
//
// Streaming (after 0x21): A5 A5 b2 b3 b4 b5 every 100 ms; b2 + 256·b3 is the
// distance from the sensor to the surface in level counts, following a level
// that rises and falls slowly between 40 % and 85 % of the fill height; b4
// bits 0..3 are the relays, switched by the set points of the customer page
// (relay k on at the float at 152+4k, off at 168+4k, in the height unit that
// OUTPUT names, feet for any other code; both 0: relay unused). Any complete
// command frame ends the stream. With invertDemo the frames carry table
// counts and state bits instead (stream_reading.h).

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/bootloader.h"
#include "sim/command_parser.h"
#include "sim/fault_plan.h"
#include "sim/page_unit_kind.h"
#include "sim/sim_unit.h"
#include "sim/unit_memories.h"

namespace ostrel::sim {

class PageUnit final : public SimUnit {
 public:
  static constexpr std::uint8_t kStatusAccepted = 0x00;
  static constexpr std::uint8_t kStatusBadCheck = 0x01;
  static constexpr std::uint8_t kStatusUnknownCommand = 0x02;
  static constexpr std::uint8_t kStatusBadArgument = 0x03;
  static constexpr std::uint8_t kStatusBadLength = 0x04;
  // L of the longest command frame (a 72-byte program packet).
  static constexpr std::uint8_t kLongestFrameLength = 0x48;

  struct Options {
    // Starts at 1200 baud (silent at 9600) until command 0x52 moves it.
    bool only1200 = false;
    // The echo record is taken anew from the moving level when its first
    // block is read; off serves the stored record as it is (a loaded image).
    bool liveEcho = true;
    // The same for the empty-signal scan, until command 0x16 erases it.
    bool liveScan = true;
    std::chrono::milliseconds streamPeriod{100};
    std::chrono::milliseconds levelPeriod{180'000};  // one rise and fall
    std::optional<double> fixedFraction;  // pins the level at this part of the fill height
    // Streams table counts and state bits, as units of INVERTDEMO models do.
    bool invertDemo = false;
  };

  explicit PageUnit(PageUnitKind kind);
  PageUnit(PageUnitKind kind, Options options);

  PageUnitKind kind() const { return kind_; }

  UnitMemories memories() const;
  void setMemories(const UnitMemories& memories);
  UnitMemories::Page scratch() const;

  void addFault(const Fault& fault);
  void clearFaults();
  std::uint32_t arrivals(std::uint8_t cmd) const;

  bool streaming() const;
  // Pins the level (in level counts) instead of letting it move.
  void setFixedLevel(std::optional<std::uint16_t> levelCounts);
  std::uint16_t levelAt(Clock::time_point t) const;
  // The distance the stream reports at t, and the relay bits.
  std::uint16_t distanceAt(Clock::time_point t) const;

  // The text sent in answer to 0x40.
  std::string identificationText() const;

  // Back to the state after switching on: initial baud rate, no stream, an
  // empty scratch area. Memories and faults stay.
  void powerCycle();

  // What the boot loader holds: the program bytes since the last erase.
  Bootloader::State bootState() const {
    std::lock_guard lock(mutex_);
    return boot_.state();
  }

  // Complete command frames heard so far (good check or not), oldest first.
  std::vector<CommandFrame> receivedCommands() const;
  void clearReceivedCommands();

  // SimUnit
  std::uint32_t baud() const override;
  void hear(std::uint8_t byte, Clock::time_point at, UnitOutput& out) override;
  void hearNoise(Clock::time_point at) override;
  Clock::time_point nextWake() const override;
  void wake(Clock::time_point at, UnitOutput& out) override;

 private:
  enum class Follow { None, Data, Ready };
  struct Answer {
    std::vector<std::uint8_t> ack;
    std::vector<std::uint8_t> follow;
    Follow kind = Follow::None;
    std::optional<std::uint32_t> newBaud;
    bool startStream = false;
  };

  void handleLocked(const CommandFrame& frame, Clock::time_point at, UnitOutput& out);
  Answer executeLocked(const CommandFrame& frame, Clock::time_point at);
  std::uint16_t levelAtLocked(Clock::time_point t) const;
  std::uint16_t distanceAtLocked(Clock::time_point t) const;
  std::pair<std::uint16_t, std::uint16_t> heightsLocked() const;
  // An echo record captured at t: the surface echo at the level of the moment.
  UnitMemories::Record captureLocked(Clock::time_point t) const;
  std::uint8_t updateRelaysLocked(std::uint16_t levelCounts);

  const PageUnitKind kind_;
  const Options options_;
  const Clock::time_point start_;
  mutable std::mutex mutex_;
  UnitMemories memories_;
  bool scanErased_ = false;  // command 0x16 since the memories were set
  UnitMemories::Page scratch_{};
  CommandParser parser_{kLongestFrameLength};
  FaultPlan faults_;
  Bootloader boot_;
  std::uint32_t baud_;
  bool streaming_ = false;
  Clock::time_point nextFrame_{};
  std::uint8_t relays_ = 0;
  std::optional<std::uint16_t> fixedLevel_;
  std::vector<CommandFrame> received_;
};

}  // namespace ostrel::sim

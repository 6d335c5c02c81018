#pragma once
// A pulse-radar unit as the tool meets it on the line.
//
// Asleep (after switching on): it sends its own measurement frames
// A5 A5 01 lo hi k every idle period (lo/hi: distance to the surface in
// millimetres; 01 + lo + hi + k = 0 mod 256) and ignores everything but the
// wake family frames A5 A5 c d0 d1 d2 k. It echoes a good wake frame of
// c = 0x57 or 0x4C back as its reply; after 0x4C it stops its frames and is
// awake until powerCycle(). (0x4C wakes it on its own: the tool sends it
// whether 0x57 was answered or not.)
//
// Awake: unit frames are acknowledged A5 03 2F cmd status check (status as
// the page unit's: 0 accepted, 1 bad check, 2 unknown command, 4 wrong
// length, 3 bad argument):
//   0x10  acknowledgement only
//   0x40  (one data byte) acknowledgement, then A5 L 40 <text> 00 check
//   0x52  (baud, 32-bit LE) acknowledgement, then the unit moves to that rate
// and tunnel frames (command 0x60, no acknowledgement) carry HART requests,
// answered with a raw HART reply:
//   command 0    short or long frame to polling address 0 / the long address;
//                payload 254, F8, device type, 5 preambles, revision 5,
//                device revision, software revision, hardware revision,
//                flags, device id (3 bytes)
//   command 128  long frame to the unit's long address only; the data is a
//                parameter message (G read, S write), answered G with the
//                value, S without value, E for an unknown parameter or
//                type, M for a value the unit refuses (range, size, read-only)
//   others       response code 64 (not implemented), no payload
// No reply at all to a tunnel frame with a bad sum, a HART request with a
// bad check or another address, command 128 in a short frame, or a
// parameter message that breaks its own framing (start byte, length, sums,
// polling address, request marker 0).

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/command_parser.h"
#include "sim/fault_plan.h"
#include "sim/hart_frames.h"
#include "sim/pulse_fault_plan.h"
#include "sim/radar_parameters.h"
#include "sim/radar_receiver.h"
#include "sim/sim_unit.h"

namespace ostrel::sim {

class PulseRadarUnit final : public SimUnit {
 public:
  static constexpr std::uint8_t kStatusAccepted = 0x00;
  static constexpr std::uint8_t kStatusBadCheck = 0x01;
  static constexpr std::uint8_t kStatusUnknownCommand = 0x02;
  static constexpr std::uint8_t kStatusBadArgument = 0x03;
  static constexpr std::uint8_t kStatusBadLength = 0x04;

  static constexpr std::uint8_t kWakeListen = 0x57;
  static constexpr std::uint8_t kWakeLink = 0x4C;

  static constexpr std::uint8_t kManufacturer = 0xF8;
  static constexpr std::uint8_t kDeviceType = 0x70;
  static constexpr std::array<std::uint8_t, 3> kDeviceId = {0x0A, 0xD6, 0x64};  // 710244
  static constexpr std::uint8_t kPollingAddress = 0;
  static constexpr std::uint8_t kResponseNotImplemented = 64;
  static constexpr std::uint8_t kParameterCommand = 128;

  struct Options {
    // Starts at 1200 baud until command 0x52 (awake) moves it.
    bool only1200 = false;
    // False: a unit that never answers the wake frames and streams on.
    bool wakeable = true;
    std::chrono::milliseconds idlePeriod{25};
    std::chrono::milliseconds levelPeriod{180'000};  // one rise and fall
    std::optional<double> fixedFraction;  // pins the level at this part of the fill height
    std::size_t replyPreambles = 5;
  };

  PulseRadarUnit();
  explicit PulseRadarUnit(Options options);

  bool awake() const;
  // Back to the state after switching on: asleep and streaming, initial
  // baud rate. Parameters and faults stay.
  void powerCycle();

  // Faults of the HART replies, by parameter number (0: command 0).
  void addFault(const PulseFault& fault);
  // Faults of the unit-frame answers (0x10, 0x40, 0x52), by command byte.
  void addFault(const Fault& fault);
  void clearFaults();
  std::uint32_t requests(std::uint16_t parameter) const;

  RadarParameters parameters() const;
  void setParameters(const RadarParameters& parameters);

  // Pins the level (metres above the bottom) instead of letting it move.
  void setFixedLevel(std::optional<double> metres);
  double levelAt(Clock::time_point t) const;
  // Sensor to surface, metres.
  double distanceAt(Clock::time_point t) const;

  // The curve block a read at t would answer with (0x991, 0x992, 0x993).
  std::vector<std::uint8_t> curve(std::uint16_t parameter, Clock::time_point t) const;

  // The text sent in answer to 0x40.
  std::string identificationText() const;
  // What the tool derives from the command-0 reply.
  static std::array<std::uint8_t, 5> longAddress();

  // One frame of the sleeping unit's own stream.
  static std::vector<std::uint8_t> idleFrame(std::uint16_t distanceMillimetres);

  // What reached the unit whole, oldest first: unit frames (good check or
  // not) and the HART messages of tunnel frames with a good sum.
  std::vector<CommandFrame> receivedCommands() const;
  std::vector<std::vector<std::uint8_t>> receivedHart() const;
  void clearReceived();

  // SimUnit
  std::uint32_t baud() const override;
  void hear(std::uint8_t byte, Clock::time_point at, UnitOutput& out) override;
  void hearNoise(Clock::time_point at) override;
  Clock::time_point nextWake() const override;
  void wake(Clock::time_point at, UnitOutput& out) override;

 private:
  void handleWakeLocked(const RadarLineFrame& frame, Clock::time_point at, UnitOutput& out);
  void handleCommandLocked(const RadarLineFrame& frame, Clock::time_point at, UnitOutput& out);
  void handleTunnelLocked(const RadarLineFrame& frame, Clock::time_point at, UnitOutput& out);
  std::optional<std::vector<std::uint8_t>> answerParameterLocked(std::span<const std::uint8_t> data,
                                                                 Clock::time_point at,
                                                                 PulseFaultAction& fault);
  std::vector<std::uint8_t> commandZeroPayload() const;
  std::string identificationTextLocked() const;
  double levelAtLocked(Clock::time_point t) const;
  double distanceAtLocked(Clock::time_point t) const;
  std::vector<std::uint8_t> curveLocked(std::uint16_t parameter, Clock::time_point t,
                                        std::uint32_t capture) const;

  const Options options_;
  const Clock::time_point start_;
  mutable std::mutex mutex_;
  RadarParameters parameters_;
  RadarReceiver receiver_;
  FaultPlan commandFaults_;
  PulseFaultPlan hartFaults_;
  std::uint32_t baud_;
  bool awake_ = false;
  Clock::time_point nextIdle_;
  std::optional<double> fixedLevel_;
  std::uint32_t captures_ = 0;
  std::vector<CommandFrame> receivedCommands_;
  std::vector<std::vector<std::uint8_t>> receivedHart_;
};

}  // namespace ostrel::sim

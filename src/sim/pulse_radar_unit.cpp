#include "sim/pulse_radar_unit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/level_profile.h"
#include "sim/radar_curve_synthesizer.h"
#include "sim/unit_frames.h"

namespace ostrel::sim {

namespace {

constexpr std::size_t kReceivedLogCapacity = 10000;
constexpr std::uint32_t kStartBaud = 9600;
constexpr std::uint32_t kFallbackBaud = 1200;
constexpr std::uint32_t kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr std::uint8_t kIdleFrameKind = 0x01;
constexpr std::uint8_t kIdentifyCommand = 0x40;
constexpr std::uint8_t kPresenceCommand = 0x10;
constexpr std::uint8_t kBaudCommand = 0x52;
constexpr std::uint8_t kReplyMarker = 1;
constexpr std::uint8_t kFaultType = 'X';
constexpr std::uint8_t kFaultStart = 0xFD;
constexpr std::uint8_t kFaultAddress = 1;
constexpr std::uint8_t kFaultMarker = 0;
constexpr std::uint8_t kAddressMask = 0x3F;  // without the master and burst bits
// A surface never comes closer than this to the antenna.
constexpr double kLeastDistance = 0.05;
constexpr double kFallbackSensorHeight = 6.0;
constexpr double kFallbackFillHeight = 5.2;

// Command-0 revisions and flags of this unit.
constexpr std::uint8_t kExpansionCode = 254;
constexpr std::uint8_t kPreamblesWanted = 5;
constexpr std::uint8_t kUniversalRevision = 5;
constexpr std::uint8_t kDeviceRevision = 2;
constexpr std::uint8_t kSoftwareRevision = 15;
constexpr std::uint8_t kHardwareRevision = 1 << 3;  // revision 1, Bell 202 current
constexpr std::uint8_t kFlags = 0;

}  // namespace

PulseRadarUnit::PulseRadarUnit() : PulseRadarUnit(Options{}) {}

PulseRadarUnit::PulseRadarUnit(Options options)
    : options_(options),
      start_(Clock::now()),
      baud_(options.only1200 ? kFallbackBaud : kStartBaud),
      nextIdle_(start_ + options.idlePeriod) {}

bool PulseRadarUnit::awake() const {
  std::lock_guard lock(mutex_);
  return awake_;
}

void PulseRadarUnit::powerCycle() {
  std::lock_guard lock(mutex_);
  awake_ = false;
  baud_ = options_.only1200 ? kFallbackBaud : kStartBaud;
  receiver_.reset();
  nextIdle_ = Clock::now() + options_.idlePeriod;
}

void PulseRadarUnit::addFault(const PulseFault& fault) {
  std::lock_guard lock(mutex_);
  hartFaults_.add(fault);
}

void PulseRadarUnit::addFault(const Fault& fault) {
  std::lock_guard lock(mutex_);
  commandFaults_.add(fault);
}

void PulseRadarUnit::clearFaults() {
  std::lock_guard lock(mutex_);
  hartFaults_.clear();
  commandFaults_.clear();
}

std::uint32_t PulseRadarUnit::requests(std::uint16_t parameter) const {
  std::lock_guard lock(mutex_);
  return hartFaults_.requests(parameter);
}

RadarParameters PulseRadarUnit::parameters() const {
  std::lock_guard lock(mutex_);
  return parameters_;
}

void PulseRadarUnit::setParameters(const RadarParameters& parameters) {
  std::lock_guard lock(mutex_);
  parameters_ = parameters;
}

void PulseRadarUnit::setFixedLevel(std::optional<double> metres) {
  std::lock_guard lock(mutex_);
  fixedLevel_ = metres;
}

double PulseRadarUnit::levelAt(Clock::time_point t) const {
  std::lock_guard lock(mutex_);
  return levelAtLocked(t);
}

double PulseRadarUnit::distanceAt(Clock::time_point t) const {
  std::lock_guard lock(mutex_);
  return distanceAtLocked(t);
}

std::vector<std::uint8_t> PulseRadarUnit::curve(std::uint16_t parameter,
                                                Clock::time_point t) const {
  std::lock_guard lock(mutex_);
  return curveLocked(parameter, t, captures_);
}

std::string PulseRadarUnit::identificationText() const {
  std::lock_guard lock(mutex_);
  return identificationTextLocked();
}

std::string PulseRadarUnit::identificationTextLocked() const {
  // Firmware "215" reads as version 2.15.
  const std::string firmware = parameters_.text(RadarParameters::kFirmwareVersion);
  std::string version = firmware;
  if (firmware.size() >= 2) version = firmware.substr(0, 1) + "." + firmware.substr(1);
  return "Pulse Radar " + parameters_.text(RadarParameters::kModelNumber) + " FW " + version;
}

std::array<std::uint8_t, 5> PulseRadarUnit::longAddress() {
  return {static_cast<std::uint8_t>(kManufacturer & kAddressMask), kDeviceType, kDeviceId[0],
          kDeviceId[1], kDeviceId[2]};
}

std::vector<std::uint8_t> PulseRadarUnit::idleFrame(std::uint16_t distanceMillimetres) {
  std::vector<std::uint8_t> f = {kFrameStart,
                                 kFrameStart,
                                 kIdleFrameKind,
                                 static_cast<std::uint8_t>(distanceMillimetres & 0xFF),
                                 static_cast<std::uint8_t>(distanceMillimetres >> 8),
                                 0};
  f[5] = static_cast<std::uint8_t>(0x100 - byteSum(std::span(f).subspan(2, 3)));
  return f;
}

std::vector<CommandFrame> PulseRadarUnit::receivedCommands() const {
  std::lock_guard lock(mutex_);
  return receivedCommands_;
}

std::vector<std::vector<std::uint8_t>> PulseRadarUnit::receivedHart() const {
  std::lock_guard lock(mutex_);
  return receivedHart_;
}

void PulseRadarUnit::clearReceived() {
  std::lock_guard lock(mutex_);
  receivedCommands_.clear();
  receivedHart_.clear();
}

std::uint32_t PulseRadarUnit::baud() const {
  std::lock_guard lock(mutex_);
  return baud_;
}

void PulseRadarUnit::hear(std::uint8_t byte, Clock::time_point at, UnitOutput& out) {
  std::lock_guard lock(mutex_);
  const auto frame = receiver_.feed(byte, at);
  if (!frame) return;
  switch (frame->kind) {
    case RadarLineFrame::Kind::Wake: handleWakeLocked(*frame, at, out); break;
    case RadarLineFrame::Kind::Command: handleCommandLocked(*frame, at, out); break;
    case RadarLineFrame::Kind::Tunnel: handleTunnelLocked(*frame, at, out); break;
  }
}

void PulseRadarUnit::hearNoise(Clock::time_point) {
  std::lock_guard lock(mutex_);
  receiver_.reset();
}

PulseRadarUnit::Clock::time_point PulseRadarUnit::nextWake() const {
  std::lock_guard lock(mutex_);
  return awake_ ? Clock::time_point::max() : nextIdle_;
}

void PulseRadarUnit::wake(Clock::time_point at, UnitOutput& out) {
  std::lock_guard lock(mutex_);
  if (awake_) return;
  const double mm = std::clamp(distanceAtLocked(at) * 1000.0, 0.0, 65535.0);
  const auto frame = idleFrame(static_cast<std::uint16_t>(mm));
  out.send(frame, at, baud_);
  // Never faster than the line carries them (a slow rate would pile them up).
  const auto wireTime =
      std::chrono::microseconds(10'000'000LL * static_cast<long long>(frame.size()) / baud_);
  nextIdle_ =
      at + std::max<Clock::duration>(options_.idlePeriod, wireTime + std::chrono::milliseconds(2));
}

void PulseRadarUnit::handleWakeLocked(const RadarLineFrame& frame, Clock::time_point at,
                                      UnitOutput& out) {
  if (!frame.checkOk || !options_.wakeable) return;
  if (frame.cmd != kWakeListen && frame.cmd != kWakeLink) return;
  // The reply echoes the frame.
  std::vector<std::uint8_t> reply = {kFrameStart, kFrameStart, frame.cmd};
  reply.insert(reply.end(), frame.data.begin(), frame.data.end());
  reply.push_back(static_cast<std::uint8_t>(0x100 - byteSum(std::span(reply).subspan(2))));
  out.send(reply, at, baud_);
  if (frame.cmd == kWakeLink) awake_ = true;
}

void PulseRadarUnit::handleCommandLocked(const RadarLineFrame& frame, Clock::time_point at,
                                         UnitOutput& out) {
  if (!awake_) return;
  CommandFrame logged{frame.cmd, frame.data, frame.checkOk};
  if (receivedCommands_.size() < kReceivedLogCapacity) receivedCommands_.push_back(logged);

  if (!frame.checkOk) {
    out.send(ackFrame(frame.cmd, kStatusBadCheck), at, baud_);
    return;
  }
  const FaultAction fault = commandFaults_.onCommand(frame.cmd);
  if (fault.silence) return;

  std::vector<std::uint8_t> ack;
  std::vector<std::uint8_t> follow;
  std::optional<std::uint32_t> newBaud;
  if (fault.refuse) {
    ack = ackFrame(frame.cmd, *fault.refuse);
  } else {
    std::uint8_t status = kStatusAccepted;
    const auto& d = frame.data;
    switch (frame.cmd) {
      case kPresenceCommand:
        if (!d.empty()) status = kStatusBadLength;
        break;
      case kIdentifyCommand: {
        if (d.size() != 1) {
          status = kStatusBadLength;
          break;
        }
        follow = textFrame(kIdentifyCommand, identificationTextLocked());
        if (fault.wrongDataCheck) ++follow.back();
        break;
      }
      case kBaudCommand: {
        if (d.size() != 4) {
          status = kStatusBadLength;
          break;
        }
        const std::uint32_t rate =
            d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<std::uint32_t>(d[3]) << 24);
        if (std::find(std::begin(kBaudRates), std::end(kBaudRates), rate) == std::end(kBaudRates)) {
          status = kStatusBadArgument;
        } else {
          newBaud = rate;
        }
        break;
      }
      default: status = kStatusUnknownCommand; break;
    }
    ack = ackFrame(frame.cmd, status);
  }
  if (fault.wrongAckCheck) ++ack.back();
  std::vector<std::uint8_t> bytes = std::move(ack);
  bytes.insert(bytes.end(), follow.begin(), follow.end());
  if (fault.dropIndex) {
    const std::size_t i = *fault.dropIndex == Fault::kLastByte
                              ? bytes.size() - 1
                              : static_cast<std::size_t>(*fault.dropIndex);
    if (i < bytes.size()) bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(i));
  }
  out.send(bytes, at + fault.delay, baud_);
  if (newBaud) baud_ = *newBaud;
}

void PulseRadarUnit::handleTunnelLocked(const RadarLineFrame& frame, Clock::time_point at,
                                        UnitOutput& out) {
  if (!awake_ || !frame.checkOk) return;
  if (receivedHart_.size() < kReceivedLogCapacity) receivedHart_.push_back(frame.data);

  const auto request = parseHartRequest(frame.data);
  if (!request) return;
  const auto ours = longAddress();
  if (request->longFrame()) {
    const auto& a = request->address;
    if ((a[0] & kAddressMask) != ours[0] || !std::equal(a.begin() + 1, a.end(), ours.begin() + 1)) {
      return;
    }
  } else if ((request->address[0] & kAddressMask) != kPollingAddress) {
    return;
  }

  PulseFaultAction fault;
  std::vector<std::uint8_t> reply;
  if (request->command == 0) {
    fault = hartFaults_.onRequest(PulseFault::kCommandZero);
    if (fault.noReply) return;
    auto payload = commandZeroPayload();
    if (fault.unknownType) payload[1] = 0x00;
    reply = hartReply(options_.replyPreambles, request->address, 0, 0, 0, payload);
  } else if (request->command == kParameterCommand) {
    if (!request->longFrame()) return;
    const auto message = answerParameterLocked(request->data, at, fault);
    if (!message) return;
    reply = hartReply(options_.replyPreambles, request->address, kParameterCommand, 0, 0, *message);
  } else {
    reply = hartReply(options_.replyPreambles, request->address, request->command,
                      kResponseNotImplemented, 0, {});
  }
  if (fault.hartXor) ++reply.back();
  out.send(reply, at + fault.delay, baud_);
}

std::optional<std::vector<std::uint8_t>> PulseRadarUnit::answerParameterLocked(
    std::span<const std::uint8_t> data, Clock::time_point at, PulseFaultAction& fault) {
  const auto request = parseParameterMessage(data);
  if (!request || request->pollingAddress != kPollingAddress || request->marker != 0) {
    return std::nullopt;
  }
  fault = hartFaults_.onRequest(request->parameter);
  if (fault.noReply) return std::nullopt;

  const std::uint16_t number = request->parameter;
  std::uint8_t type = kTypeUnknown;
  std::vector<std::uint8_t> value;
  if (request->type == kTypeRead) {
    if (!request->value.empty()) {
      type = kTypeInvalid;
    } else if (RadarParameters::isCurve(number)) {
      type = kTypeRead;
      value = curveLocked(number, at, captures_++);
    } else if (auto v = parameters_.value(number)) {
      type = kTypeRead;
      value = std::move(*v);
    }
  } else if (request->type == kTypeWrite) {
    switch (parameters_.write(number, request->value)) {
      case RadarParameters::WriteResult::Stored: type = kTypeWrite; break;
      case RadarParameters::WriteResult::Invalid: type = kTypeInvalid; break;
      case RadarParameters::WriteResult::Unknown: break;
    }
  }

  auto message = parameterMessage(type, kPollingAddress, kReplyMarker, number, value);
  if (fault.unknownType) message[1] = kFaultType;
  if (fault.headerFe) message[0] = kFaultStart;
  if (fault.headerAddress) message[4] = kFaultAddress;
  if (fault.headerMarker) message[6] = kFaultMarker;
  if (fault.messageLength) {
    const std::size_t m = message.size() + 1;
    message[2] = static_cast<std::uint8_t>(m & 0xFF);
    message[3] = static_cast<std::uint8_t>(m >> 8);
  }
  resealMessage(message);
  if (fault.messageSum) ++message.back();
  return message;
}

std::vector<std::uint8_t> PulseRadarUnit::commandZeroPayload() const {
  return {kExpansionCode,    kManufacturer,      kDeviceType,
          kPreamblesWanted,  kUniversalRevision, kDeviceRevision,
          kSoftwareRevision, kHardwareRevision,  kFlags,
          kDeviceId[0],      kDeviceId[1],       kDeviceId[2]};
}

double PulseRadarUnit::levelAtLocked(Clock::time_point t) const {
  if (fixedLevel_) return *fixedLevel_;
  double sensor = parameters_.metres(RadarParameters::kSensorHeight);
  double fill = sensor - parameters_.metres(RadarParameters::kFillDistance);
  // Settings the tool has not made sane yet still give a sane tank.
  if (!(sensor > 0) || !(fill > 0) || fill > sensor) {
    sensor = kFallbackSensorHeight;
    fill = kFallbackFillHeight;
  }
  const LevelProfile profile{options_.levelPeriod, options_.fixedFraction};
  return fill * profile.fraction(t - start_);
}

double PulseRadarUnit::distanceAtLocked(Clock::time_point t) const {
  double sensor = parameters_.metres(RadarParameters::kSensorHeight);
  if (!(sensor > 0)) sensor = kFallbackSensorHeight;
  return std::max(sensor - levelAtLocked(t), kLeastDistance);
}

std::vector<std::uint8_t> PulseRadarUnit::curveLocked(std::uint16_t parameter, Clock::time_point t,
                                                      std::uint32_t capture) const {
  if (!RadarParameters::isCurve(parameter)) return {};
  RadarScene scene;
  scene.levelDistanceMetres = distanceAtLocked(t);
  scene.maxRangeMetres = parameters_.metres(RadarParameters::kMaxRange);
  const int type =
      parameters_.byteValue(RadarParameters::kSensorType) - RadarParameters::kSensorTypeBase;
  scene.sensorType = static_cast<std::uint8_t>(std::clamp(type, 0, 7));
  scene.capture = capture;
  return RadarCurveSynthesizer::build(static_cast<RadarCurve>(parameter), scene);
}

}  // namespace ostrel::sim

#include "sim/page_unit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/byte_fields.h"
#include "sim/echo_synthesizer.h"
#include "sim/level_profile.h"
#include "sim/memory_generator.h"
#include "sim/stream_reading.h"
#include "sim/unit_frames.h"

namespace ostrel::sim {

namespace {

constexpr std::size_t kReceivedLogCapacity = 10000;
constexpr std::uint32_t kStartBaud = 9600;
constexpr std::uint32_t kFallbackBaud = 1200;
constexpr std::uint32_t kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
// Raw stream values 0, 1 and 2 mean lost, full and empty; a measured
// distance never comes that close.
constexpr std::uint16_t kLeastDistance = 3;

std::span<const std::uint8_t> block(std::span<const std::uint8_t> mem, std::size_t index) {
  return mem.subspan(index * kBlockSize, kBlockSize);
}

}  // namespace

PageUnit::PageUnit(PageUnitKind kind) : PageUnit(kind, Options{}) {}

PageUnit::PageUnit(PageUnitKind kind, Options options)
    : kind_(kind),
      options_(options),
      start_(Clock::now()),
      memories_(MemoryGenerator::generate(kind)),
      baud_(options.only1200 ? kFallbackBaud : kStartBaud) {}

UnitMemories PageUnit::memories() const {
  std::lock_guard lock(mutex_);
  return memories_;
}

void PageUnit::setMemories(const UnitMemories& memories) {
  std::lock_guard lock(mutex_);
  memories_ = memories;
  scanErased_ = false;
}

UnitMemories::Page PageUnit::scratch() const {
  std::lock_guard lock(mutex_);
  return scratch_;
}

void PageUnit::addFault(const Fault& fault) {
  std::lock_guard lock(mutex_);
  faults_.add(fault);
}

void PageUnit::clearFaults() {
  std::lock_guard lock(mutex_);
  faults_.clear();
}

std::uint32_t PageUnit::arrivals(std::uint8_t cmd) const {
  std::lock_guard lock(mutex_);
  return faults_.arrivals(cmd);
}

bool PageUnit::streaming() const {
  std::lock_guard lock(mutex_);
  return streaming_;
}

void PageUnit::setFixedLevel(std::optional<std::uint16_t> levelCounts) {
  std::lock_guard lock(mutex_);
  fixedLevel_ = levelCounts;
}

std::uint16_t PageUnit::levelAt(Clock::time_point t) const {
  std::lock_guard lock(mutex_);
  return levelAtLocked(t);
}

std::uint16_t PageUnit::distanceAt(Clock::time_point t) const {
  std::lock_guard lock(mutex_);
  return distanceAtLocked(t);
}

std::string PageUnit::identificationText() const {
  const UnitIdentity id = MemoryGenerator::identity(kind_);
  std::string what;
  switch (kind_) {
    case PageUnitKind::Ultrasonic:
      what = "ULTRASONIC LEVEL TRANSMITTER";
      break;
    case PageUnitKind::GuidedWave:
      what = "GUIDED WAVE RADAR";
      break;
    case PageUnitKind::UType:
      what = "U-TYPE LEVEL TRANSMITTER";
      break;
  }
  return std::string(id.modelText) + " " + what + " REV " + std::to_string(id.revision);
}

void PageUnit::powerCycle() {
  std::lock_guard lock(mutex_);
  baud_ = options_.only1200 ? kFallbackBaud : kStartBaud;
  streaming_ = false;
  scratch_.fill(0);
  parser_.reset();
  relays_ = 0;
}

std::vector<CommandFrame> PageUnit::receivedCommands() const {
  std::lock_guard lock(mutex_);
  return received_;
}

void PageUnit::clearReceivedCommands() {
  std::lock_guard lock(mutex_);
  received_.clear();
}

std::uint32_t PageUnit::baud() const {
  std::lock_guard lock(mutex_);
  return baud_;
}

void PageUnit::hear(std::uint8_t byte, Clock::time_point at, UnitOutput& out) {
  std::lock_guard lock(mutex_);
  if (!boot_.powered(at)) return;
  if (auto frame = parser_.feed(byte, at)) handleLocked(*frame, at, out);
}

void PageUnit::hearNoise(Clock::time_point) {
  std::lock_guard lock(mutex_);
  parser_.reset();
}

PageUnit::Clock::time_point PageUnit::nextWake() const {
  std::lock_guard lock(mutex_);
  return streaming_ ? nextFrame_ : Clock::time_point::max();
}

void PageUnit::wake(Clock::time_point at, UnitOutput& out) {
  std::lock_guard lock(mutex_);
  if (!streaming_) return;
  const std::uint16_t level = levelAtLocked(at);
  const std::uint8_t relays = updateRelaysLocked(level);
  const StreamReading reading =
      streamReading(options_.invertDemo, memories_.history, level, distanceAtLocked(at),
                    fixedLevel_ ? Surface::Measured : surfaceOf(options_.fixedFraction));
  const auto frame = readingFrame(reading, relays);
  out.send(frame, at, baud_);
  nextFrame_ = at + options_.streamPeriod;
}

void PageUnit::handleLocked(const CommandFrame& frame, Clock::time_point at, UnitOutput& out) {
  if (received_.size() < kReceivedLogCapacity) received_.push_back(frame);
  streaming_ = false;

  if (!frame.checkOk) {
    out.send(ackFrame(frame.cmd, kStatusBadCheck), at, baud_);
    return;
  }
  const FaultAction fault = faults_.onCommand(frame.cmd);
  if (fault.silence) return;
  if (fault.powerLost) return boot_.losePower(at, *fault.powerLost);

  Answer a;
  if (fault.refuse) {
    a.ack = ackFrame(frame.cmd, *fault.refuse);
  } else {
    a = executeLocked(frame, at);
  }

  if (fault.wrongAckCheck) ++a.ack.back();
  if (a.kind == Follow::Data && fault.wrongDataCheck) ++a.follow.back();
  if (a.kind == Follow::Ready) {
    if (fault.noReady) {
      a.follow.clear();
    } else if (fault.wrongReady) {
      ++a.follow.back();
    }
  }
  std::vector<std::uint8_t> bytes = std::move(a.ack);
  bytes.insert(bytes.end(), a.follow.begin(), a.follow.end());
  if (fault.dropIndex && !bytes.empty()) {
    const std::size_t i = *fault.dropIndex == Fault::kLastByte
                              ? bytes.size() - 1
                              : static_cast<std::size_t>(*fault.dropIndex);
    if (i < bytes.size()) bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(i));
  }
  const auto ready = at + fault.delay;
  out.send(bytes, ready, baud_);

  if (a.newBaud) baud_ = *a.newBaud;
  if (a.startStream) {
    streaming_ = true;
    nextFrame_ = ready + options_.streamPeriod;
  }
}

UnitMemories::Record PageUnit::captureLocked(Clock::time_point t) const {
  const auto fill = heightsLocked().second;
  EchoScene scene;
  scene.levelCounts = levelAtLocked(t);
  scene.distanceCounts = distanceAtLocked(t);
  scene.currentHundredthsMa =
      static_cast<std::uint16_t>(400 + 1600.0 * scene.levelCounts / (fill > 0 ? fill : 1) + 0.5);
  return EchoSynthesizer::build(scene);
}

PageUnit::Answer PageUnit::executeLocked(const CommandFrame& frame, Clock::time_point at) {
  Answer a;
  const auto& d = frame.data;
  const auto refuse = [&](std::uint8_t status) {
    a.ack = ackFrame(frame.cmd, status);
    return a;
  };
  const auto needs = [&](std::size_t n) { return d.size() == n; };
  if (const auto boot = boot_.execute(frame, memories_, kind_)) {
    a.ack = ackFrame(frame.cmd, boot->status);
    if (boot->ready) {
      a.follow = readyFrame();
      a.kind = Follow::Ready;
    }
    return a;
  }

  switch (frame.cmd) {
    case 0x10:  // are you there
      if (!needs(0)) return refuse(kStatusBadLength);
      break;

    case 0x16:  // forget the disturbance scan
      if (!needs(0)) return refuse(kStatusBadLength);
      memories_.scan.fill(0);
      scanErased_ = true;
      break;

    case 0x21:  // stream measurements
      if (!needs(0)) return refuse(kStatusBadLength);
      a.startStream = true;
      break;

    case 0x31: {  // read a block: selector, block
      if (!needs(2)) return refuse(kStatusBadLength);
      const std::uint8_t selector = d[0];
      const std::uint8_t blockNo = d[1];
      std::span<const std::uint8_t> source;
      if (const auto* page = memories_.pageFor(selector); page && blockNo < 8) {
        source = block(*page, blockNo);
      } else if (selector == 4 && blockNo >= 64 && blockNo < 96) {
        // The scan shows the surface where the level stands now, until
        // command 0x16 has erased it.
        if (blockNo == 64 && options_.liveScan && !scanErased_) memories_.scan = captureLocked(at);
        source = block(memories_.scan, blockNo - 64u);
      } else if (selector == 5 && blockNo < 32) {
        // A fresh capture; the next 31 reads page through the same record.
        if (blockNo == 0 && options_.liveEcho) memories_.echo = captureLocked(at);
        source = block(memories_.echo, blockNo);
      } else {
        return refuse(kStatusBadArgument);
      }
      a.follow = blockFrame(selector, blockNo, source);
      a.kind = Follow::Data;
      break;
    }

    case 0x32: {  // store a block in the scratch area
      if (!needs(1 + kBlockSize)) return refuse(kStatusBadLength);
      if (d[0] >= 8) return refuse(kStatusBadArgument);
      std::copy(d.begin() + 1, d.end(), scratch_.begin() + d[0] * kBlockSize);
      a.follow = readyFrame();
      a.kind = Follow::Ready;
      break;
    }

    case 0x33:  // begin a write
      if (!needs(0)) return refuse(kStatusBadLength);
      scratch_.fill(0);
      break;

    case 0x34: {  // commit the scratch area to a page
      if (!needs(1)) return refuse(kStatusBadLength);
      auto* page = memories_.pageFor(d[0]);
      if (!page) return refuse(kStatusBadArgument);
      *page = scratch_;
      break;
    }

    case 0x37: {  // read the information memory
      if (!needs(1)) return refuse(kStatusBadLength);
      if (d[0] > 1) return refuse(kStatusBadArgument);
      a.follow = blockFrame(0x00, d[0], block(memories_.info, d[0]));
      a.kind = Follow::Data;
      break;
    }

    case 0x38:  // commit the scratch area to the information memory
      if (!needs(1)) return refuse(kStatusBadLength);
      if (d[0] != 0x5A) return refuse(kStatusBadArgument);
      std::copy_n(scratch_.begin(), memories_.info.size(), memories_.info.begin());
      break;

    case 0x40:  // identify
      if (!needs(1)) return refuse(kStatusBadLength);
      a.follow = textFrame(0x40, identificationText());
      a.kind = Follow::Data;
      break;

    case 0x52: {  // change the baud rate, after answering at the old one
      if (!needs(4)) return refuse(kStatusBadLength);
      const std::uint32_t rate = d[0] | (d[1] << 8) | (d[2] << 16) |
                                 (static_cast<std::uint32_t>(d[3]) << 24);
      if (std::find(std::begin(kBaudRates), std::end(kBaudRates), rate) == std::end(kBaudRates)) {
        return refuse(kStatusBadArgument);
      }
      a.newBaud = rate;
      break;
    }

    default:
      return refuse(kStatusUnknownCommand);
  }
  a.ack = ackFrame(frame.cmd, kStatusAccepted);
  return a;
}

std::pair<std::uint16_t, std::uint16_t> PageUnit::heightsLocked() const {
  std::uint16_t sensor = getU16(memories_.customer, CustomerLayout::kSensorHeight);
  std::uint16_t fill = getU16(memories_.customer, kind_ == PageUnitKind::GuidedWave
                                                      ? CustomerLayout::kGwrFillHeight
                                                      : CustomerLayout::kFillHeight);
  // A page the tool has not set up yet (or garbage) still gives a sane tank.
  if (sensor == 0 || fill == 0 || fill >= sensor || sensor == 0xFFFF) {
    sensor = MemoryGenerator::kSensorHeightCounts;
    fill = MemoryGenerator::kFillHeightCounts;
  }
  return {sensor, fill};
}

std::uint16_t PageUnit::levelAtLocked(Clock::time_point t) const {
  if (fixedLevel_) return *fixedLevel_;
  const auto fill = heightsLocked().second;
  const LevelProfile profile{options_.levelPeriod, options_.fixedFraction};
  return static_cast<std::uint16_t>(fill * profile.fraction(t - start_));
}

std::uint16_t PageUnit::distanceAtLocked(Clock::time_point t) const {
  const auto sensor = heightsLocked().first;
  const auto level = levelAtLocked(t);
  const int distance = static_cast<int>(sensor) - static_cast<int>(level);
  return static_cast<std::uint16_t>(std::max<int>(distance, kLeastDistance));
}

std::uint8_t PageUnit::updateRelaysLocked(std::uint16_t levelCounts) {
  // The set points are in the relay units; a volume or flow code is taken
  // as feet, since this unit keeps no lookup through its table.
  const std::uint16_t output = getU16(memories_.customer, CustomerLayout::kOutput);
  const double countsPerUnit = output < MemoryGenerator::kCountsPerUnit.size()
                                   ? MemoryGenerator::kCountsPerUnit[output]
                                   : MemoryGenerator::kCountsPerFoot;
  const double level = levelCounts / countsPerUnit;
  for (std::size_t k = 0; k < 4; ++k) {
    const float on = getFloat(memories_.customer, CustomerLayout::kSetPoints + 4 * k);
    const float off = getFloat(memories_.customer, CustomerLayout::kSetPoints + 16 + 4 * k);
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << k);
    bool energised = (relays_ & bit) != 0;
    if (!std::isfinite(on) || !std::isfinite(off) || (on == 0.0f && off == 0.0f)) {
      energised = false;
    } else if (on >= off) {  // high alarm: on when rising past `on`
      if (level >= on) {
        energised = true;
      } else if (level <= off || on == off) {
        energised = false;
      }
    } else {  // low alarm: on when falling past `on`
      if (level <= on) {
        energised = true;
      } else if (level >= off) {
        energised = false;
      }
    }
    relays_ = static_cast<std::uint8_t>(energised ? relays_ | bit : relays_ & ~bit);
  }
  return relays_;
}

}  // namespace ostrel::sim

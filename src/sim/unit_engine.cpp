#include "sim/unit_engine.h"

#include <algorithm>

namespace ostrel::sim {

namespace {
constexpr auto kNever = UnitEngine::Clock::time_point::max();
}

class UnitEngine::Output final : public UnitOutput {
 public:
  explicit Output(UnitEngine& engine) : engine_(engine) {}
  void send(std::span<const std::uint8_t> bytes, Clock::time_point readyAt,
            std::uint32_t baud) override {
    engine_.sendFromUnitLocked(bytes, readyAt, baud);
  }

 private:
  UnitEngine& engine_;
};

UnitEngine::UnitEngine(std::shared_ptr<SimUnit> unit) : unit_(std::move(unit)) {}

void UnitEngine::setUnit(std::shared_ptr<SimUnit> unit) {
  std::lock_guard lock(mutex_);
  advanceLocked(Clock::now());
  unit_ = std::move(unit);
  changed_.notify_all();
}

std::shared_ptr<SimUnit> UnitEngine::unit() const {
  std::lock_guard lock(mutex_);
  return unit_;
}

void UnitEngine::setPacing(bool on) {
  std::lock_guard lock(mutex_);
  pacing_ = on;
}

bool UnitEngine::pacing() const {
  std::lock_guard lock(mutex_);
  return pacing_;
}

void UnitEngine::setLineBaud(std::uint32_t baud) {
  std::lock_guard lock(mutex_);
  // What arrived before the change was heard at the old rate.
  advanceLocked(Clock::now());
  lineBaud_ = baud;
  changed_.notify_all();
}

std::uint32_t UnitEngine::lineBaud() const {
  std::lock_guard lock(mutex_);
  return lineBaud_;
}

void UnitEngine::setListening(bool on) {
  std::lock_guard lock(mutex_);
  advanceLocked(Clock::now());
  listening_ = on;
  if (!on) received_.clear();
  changed_.notify_all();
}

UnitEngine::Clock::duration UnitEngine::byteTime(std::uint32_t baud) {
  if (baud == 0) return Clock::duration::zero();
  return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(10'000'000'000LL / baud));
}

void UnitEngine::write(std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  const auto now = Clock::now();
  advanceLocked(now);
  const auto step = byteTime(lineBaud_);
  for (const std::uint8_t b : bytes) {
    Clock::time_point at = now;
    if (pacing_) {
      at = std::max(now, txFree_) + step;
      txFree_ = at;
    }
    toUnit_.push_back({b, at, lineBaud_});
    if (written_.size() < kWrittenLogCapacity) written_.push_back(b);
  }
  advanceLocked(now);
  changed_.notify_all();
}

std::size_t UnitEngine::available() {
  std::lock_guard lock(mutex_);
  advanceLocked(Clock::now());
  return received_.size();
}

std::size_t UnitEngine::read(std::span<std::uint8_t> out) {
  std::lock_guard lock(mutex_);
  advanceLocked(Clock::now());
  const std::size_t n = std::min(out.size(), received_.size());
  std::copy_n(received_.begin(), n, out.begin());
  received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

std::vector<std::uint8_t> UnitEngine::readAll() {
  std::lock_guard lock(mutex_);
  advanceLocked(Clock::now());
  std::vector<std::uint8_t> out(received_.begin(), received_.end());
  received_.clear();
  return out;
}

bool UnitEngine::waitFor(std::size_t count, Clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  for (;;) {
    const auto now = Clock::now();
    advanceLocked(now);
    if (received_.size() >= count) return true;
    if (now >= deadline) return false;
    changed_.wait_until(lock, std::min(deadline, nextEventLocked()));
  }
}

void UnitEngine::flushReceive() {
  std::lock_guard lock(mutex_);
  advanceLocked(Clock::now());
  received_.clear();
}

void UnitEngine::flushTransmit() {
  std::lock_guard lock(mutex_);
  const auto now = Clock::now();
  advanceLocked(now);
  toUnit_.clear();
  txFree_ = now;
  changed_.notify_all();
}

UnitEngine::Clock::time_point UnitEngine::nextEvent() {
  std::lock_guard lock(mutex_);
  advanceLocked(Clock::now());
  return nextEventLocked();
}

std::vector<std::uint8_t> UnitEngine::written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

void UnitEngine::clearWritten() {
  std::lock_guard lock(mutex_);
  written_.clear();
}

std::size_t UnitEngine::noiseHeardByUnit() const {
  std::lock_guard lock(mutex_);
  return noise_;
}

std::size_t UnitEngine::bytesUnheardByCable() const {
  std::lock_guard lock(mutex_);
  return unheard_;
}

UnitEngine::Clock::time_point UnitEngine::nextEventLocked() const {
  auto t = kNever;
  if (!toUnit_.empty()) t = std::min(t, toUnit_.front().at);
  if (!toCable_.empty()) t = std::min(t, toCable_.front().at);
  if (unit_) t = std::min(t, unit_->nextWake());
  return t;
}

void UnitEngine::sendFromUnitLocked(std::span<const std::uint8_t> bytes,
                                    Clock::time_point readyAt, std::uint32_t baud) {
  const auto step = byteTime(baud);
  for (const std::uint8_t b : bytes) {
    // The wire carries one byte after the other, so an answer never
    // overtakes an earlier one.
    const auto start = std::max(readyAt, rxFree_);
    const auto at = pacing_ ? start + step : start;
    rxFree_ = at;
    toCable_.push_back({b, at, baud});
  }
}

void UnitEngine::advanceLocked(Clock::time_point now) {
  Output out(*this);
  for (;;) {
    const auto tCable = toCable_.empty() ? kNever : toCable_.front().at;
    const auto tUnit = toUnit_.empty() ? kNever : toUnit_.front().at;
    const auto tWake = unit_ ? unit_->nextWake() : kNever;
    const auto t = std::min({tCable, tUnit, tWake});
    if (t == kNever || t > now) return;

    if (t == tCable) {
      const WireByte b = toCable_.front();
      toCable_.pop_front();
      if (!listening_ || b.baud != lineBaud_ || received_.size() >= kReceiveCapacity) {
        ++unheard_;
      } else {
        received_.push_back(b.value);
      }
    } else if (t == tUnit) {
      const WireByte b = toUnit_.front();
      toUnit_.pop_front();
      if (!unit_) continue;
      if (b.baud != unit_->baud()) {
        ++noise_;
        unit_->hearNoise(b.at);
      } else {
        unit_->hear(b.value, b.at, out);
      }
    } else {
      unit_->wake(t, out);
      // A unit that does not move its wake time on would spin here.
      if (unit_->nextWake() <= t) return;
    }
  }
}

}  // namespace ostrel::sim

#include "core/diag/pulse_curve_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/link/pulse_protocol.h"
#include "core/link/unit_link.h"
#include "core/support/presenter.h"
#include "core/support/text_format.h"

namespace ostrel {

namespace {

constexpr int kHeaderBytes = 17;
constexpr int kLeftMargin = 58;
constexpr double kMetresPerFoot = 0.3048;
constexpr std::uint16_t kMaxRangeParameter = 6;
const char* const kCurveNames[] = {"echo", "false-echo", "envelope"};

std::string format(const char* f, double value) { return formatText(f, {value}); }

std::string formatInt(const char* f, long long value) { return formatText(f, {value}); }

}  // namespace

DecodedCurve PulseCurveModel::decode(const std::uint8_t* bytes, int count) {
  DecodedCurve c;
  if (bytes == nullptr || count <= 0) return c;
  if (count >= 8) c.expectedEchoIndex = static_cast<std::uint16_t>(bytes[6] | bytes[7] << 8);
  if (count >= 12) std::memcpy(&c.echoDistance, bytes + 8, 4);
  if (count >= 16) std::memcpy(&c.levelDistance, bytes + 12, 4);
  int x = 0;
  for (int at = kHeaderBytes; at < count - 1; at += 2) {
    if (static_cast<int>(c.samples.size()) >= kSlotCapacity) break;
    const int w = bytes[at] | bytes[at + 1] << 8;
    c.samples.push_back({x, w & 0x0FFF});
    x += w >> 12;
  }
  return c;
}

Rgb PulseCurveModel::colour(int slot) {
  switch (slot) {
    case kEcho:
      return {255, 0, 0};
    case kFalseEcho:
      return {215, 215, 0};
    default:
      return {0, 0, 255};
  }
}

void PulseCurveModel::setRadar(double maxRange, int sensorType) {
  maxRange_ = std::isfinite(maxRange) && maxRange > 0.0 ? maxRange : 0.0;
  sensorType_ = sensorType;
}

std::vector<int> PulseCurveModel::slotsToRead() const {
  std::vector<int> order;
  for (const int s : {kEcho, kEnvelope, kFalseEcho}) {
    if (checked(s)) order.push_back(s);
  }
  return order;
}

double PulseCurveModel::indexOf(double metres) const {
  return metres * sensorFactor() * kIndexScale;
}

int PulseCurveModel::indexRange() const {
  const double plain = std::trunc(1.1 * maxRange_ * kIndexScale);
  return static_cast<int>(std::trunc(plain * sensorFactor()));
}

double PulseCurveModel::inDisplayUnits(double metres) const {
  if (units_ == 1) return metres;
  // Feet, to the two decimals of the feet unit.
  return std::trunc(metres / kMetresPerFoot * 100.0 + 0.5) / 100.0;
}

std::string PulseCurveModel::distanceText(double metres, const char* metreFormat) const {
  return format(units_ == 1 ? metreFormat : "%2.2f", inDisplayUnits(metres));
}

void PulseCurveModel::load(int slot, const std::uint8_t* bytes, int count) {
  if (slot < 0 || slot > 2) return;
  DecodedCurve c = decode(bytes, count);
  expected_ = c.expectedEchoIndex;
  echoDistance_ = c.echoDistance;
  levelDistance_ = c.levelDistance;
  Slot& s = slots_[static_cast<std::size_t>(slot)];
  s.samples = std::move(c.samples);
  s.maximum = 0;
  if (s.samples.empty()) return;
  s.maximum = s.samples.front().amplitude;
  const int n = static_cast<int>(s.samples.size());
  for (int k = 5; k <= n - 6; ++k) {
    int& a = s.samples[static_cast<std::size_t>(k)].amplitude;
    if (a < 0) a = 0;
    if (a >= s.maximum) s.maximum = a;
  }
  if (slot == kEcho) align(s);
  s.maximum += 20;
}

void PulseCurveModel::align(Slot& s) const {
  auto& v = s.samples;
  const long long n = static_cast<long long>(v.size());
  const auto amp = [&v](long long k) { return v[static_cast<std::size_t>(k)].amplitude; };
  long long p = static_cast<long long>(std::trunc(indexOf(levelDistance_)));
  long long b = 0;
  for (long long k = 5; k <= n - 6; ++k) {
    const int x = v[static_cast<std::size_t>(k)].x;
    if (std::abs(static_cast<long long>(x) - expected_) > 8) continue;
    bool peak = true;
    for (long long d = 1; d <= 3 && peak; ++d) peak = amp(k) > amp(k - d) && amp(k) > amp(k + d);
    if (!peak) continue;
    b = static_cast<long long>(x) - p;
    p = k;
  }
  // Only samples of the curve move, however close to an end the peak lies.
  for (long long k = std::max(p - 10, 0LL); k <= std::min(p + 9, n - 1); ++k) {
    int& x = v[static_cast<std::size_t>(k)].x;
    x = static_cast<int>(std::max(static_cast<long long>(x) - b, 0LL));
  }
  const long long first = std::max(p - 20, 0LL);
  const long long last = std::min(p + 20, n - 1);
  if (first <= last) {
    std::vector<int> xs;
    for (long long k = first; k <= last; ++k) xs.push_back(v[static_cast<std::size_t>(k)].x);
    std::sort(xs.begin(), xs.end());
    for (long long k = first; k <= last; ++k) {
      v[static_cast<std::size_t>(k)].x = xs[static_cast<std::size_t>(k - first)];
    }
  }
}

PulsePlot PulseCurveModel::plot(const PlotRect& c) const {
  PulsePlot p;
  p.frame = PlotRect{c.left + 5, c.top + 15, c.right - 5, c.bottom - 60};
  p.axisCaption = units_ == 1 ? "Meters" : "Feet";
  const int width = p.frame.right - kLeftMargin;
  const int rowStep = (c.bottom - 60 - 120) / 10;
  for (int k = 0; k < 10; ++k) {
    const int y = c.top + 15 + k * rowStep;
    p.amplitudeLines.push_back({{p.frame.left, y}, {p.frame.right, y}});
  }
  const auto amplitudeLabels = [&](const char* f) {
    for (int k = 0; k < 10; k += 2) {
      const int y = c.top + 15 + k * rowStep;
      p.amplitudeLabels.push_back({{p.frame.left, y}, formatInt(f, 100 - 10 * k)});
    }
  };

  if (slots_[kEcho].samples.empty()) {
    const int frameWidth = p.frame.right - p.frame.left;
    for (int i = 1; i <= 9; ++i) {
      const int x = p.frame.left + frameWidth * i / 10;
      p.distanceLines.push_back({{x, p.frame.top}, {x, p.frame.bottom}});
      p.distanceLabels.push_back({{x, p.frame.bottom + 15}, formatInt("%d.00", 20LL * i)});
    }
    for (int k = 0; k < 10; k += 2) {
      const int y = c.top + 15 + k * rowStep;
      p.amplitudeLabels.push_back({{p.frame.left, y}, format("  %2.2f", 100.0 - 10 * k)});
    }
    return p;
  }
  amplitudeLabels("%d");

  const double r = 1.1 * maxRange_;
  const double step = r >= 60 ? 10 : r >= 30 ? 5 : r >= 20 ? 2 : r >= 10 ? 1 : r >= 2 ? 0.5
                      : r >= 0.5 ? 0.1 : r >= 0.1 ? 0.05 : 0.02;
  const int lines = r > 0 ? static_cast<int>(std::trunc(r / step + 0.5)) : 0;
  const auto xOf = [&](double metres) {
    return r > 0 ? static_cast<int>(std::trunc(width * metres / r)) + kLeftMargin : kLeftMargin;
  };
  for (int k = 0; k < lines; ++k) {
    const double value = step * k;
    const int x = xOf(value);
    p.distanceLines.push_back({{x, p.frame.top}, {x, p.frame.bottom}});
    const std::string label =
        units_ == 1 ? formatInt("%d.00", static_cast<long long>(std::trunc(value)))
                    : format("%2.2f", inDisplayUnits(value));
    p.distanceLabels.push_back({{x, p.frame.bottom + 15}, label});
  }

  if (checked(kEcho)) {
    p.markers = true;
    p.echoMarker = {xOf(echoDistance_), p.frame.top};
    p.levelMarker = {xOf(levelDistance_), p.frame.top};
    p.echoText = distanceText(echoDistance_, "%2.3f");
    p.levelText = distanceText(levelDistance_, "%2.3f");
  }

  const int xmax = indexRange();
  const int h = c.bottom - c.top - 195;
  const double t = c.bottom - 180 != 0 ? static_cast<double>(h) / (c.bottom - 180) : 0.0;
  for (const int slot : {kEcho, kFalseEcho, kEnvelope}) {
    const Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (!checked(slot) || s.samples.empty() || s.maximum == 0 || xmax <= 0) continue;
    CurveTrace trace;
    trace.slot = slot;
    trace.colour = colour(slot);
    trace.points.push_back({p.frame.left, c.bottom - 120});
    for (const CurveSample& sample : s.samples) {
      if (sample.x < 0 || sample.x > xmax) continue;
      const int x = static_cast<int>(std::trunc(static_cast<double>(sample.x) * width / xmax)) +
                    kLeftMargin;
      const int y = c.bottom - 120 -
                    static_cast<int>(std::trunc(h * t * sample.amplitude / s.maximum));
      trace.points.push_back({x, y});
    }
    p.traces.push_back(std::move(trace));
  }
  return p;
}

std::optional<FormFailure> PulseCurveModel::readCurves(UnitLink& link, PulseProtocol& pulse,
                                                       const std::array<bool, 3>& checked,
                                                       ProgressSink* busy, const CurveSink& got) {
  const auto report = [&pulse](int r) {
    return FormFailure::error("ERROR_MESSAGE132",
                              {PulseProtocol::ErrorName(r),
                               PulseProtocol::CommandName(pulse.LastFailingParameter())});
  };
  const auto progress = [busy](int percent) {
    if (busy != nullptr) busy->setProgress(percent);
  };
  progress(0);
  // A failed exchange closed the link; the radar answers again only once it
  // has been woken and addressed at its long address.
  if (!link.IsOpen()) {
    if (link.Connect() != 0 || !pulse.DetectPulse(link)) return FormFailure::error("ERROR_MESSAGE33");
    if (const int r = pulse.ReadUniqueIdentifier(link); r != 0) return report(r);
  }
  if (const int r = pulse.ReadSensorType(link); r != 0) return report(r);
  const PulseCfgSet range{{kMaxRangeParameter, PulseCfgItem::read()}};
  if (const int r = pulse.ExchangeSet(link, range, nullptr, nullptr); r != 0) return report(r);
  progress(25);
  int percent = 25;
  for (const int slot : {kEcho, kEnvelope, kFalseEcho}) {
    if (checked[static_cast<std::size_t>(slot)]) {
      const std::uint16_t command = kCommands[static_cast<std::size_t>(slot)];
      if (const int r = pulse.ReadCurve(link, command); r != 0) return report(r);
      CurveRead read;
      read.slot = slot;
      read.maxRange = pulse.Parameters().MaxRange;
      read.sensorType = pulse.Parameters().SensorType;
      if (const PulseCurve* curve = pulse.Parameters().curve(command)) {
        const int count = std::clamp<int>(curve->Count, 0, static_cast<int>(curve->Bytes.size()));
        read.block.assign(curve->Bytes.begin(), curve->Bytes.begin() + count);
      }
      if (got) got(read);
    }
    percent += 25;
    progress(percent);
  }
  return std::nullopt;
}

void PulseCurveModel::take(const CurveRead& read) {
  setRadar(read.maxRange, read.sensorType);
  load(read.slot, read.block.data(), static_cast<int>(read.block.size()));
}

std::string PulseCurveModel::samplesCsv() const {
  std::string csv = "curve,index,amplitude\n";
  for (const int slot : {kEcho, kEnvelope, kFalseEcho}) {
    if (!checked(slot)) continue;
    for (const CurveSample& v : slots_[static_cast<std::size_t>(slot)].samples) {
      csv += std::string(kCurveNames[slot]) + ',' + std::to_string(v.x) + ',' +
             std::to_string(v.amplitude) + '\n';
    }
  }
  return csv;
}

}  // namespace ostrel

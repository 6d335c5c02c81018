#include "core/volume/volume_table.h"

#include <algorithm>
#include <cmath>

#include "core/volume/count_conversion.h"
#include "core/volume/flow_formula.h"
#include "core/volume/strapping_rows.h"

namespace ostrel {
namespace {

constexpr double kFullCount = 65535.0;
constexpr float kFullCountF = 65535.0f;

// A span in counts (already rounded up or to nearest) that MaxLevel can hold.
bool spanFits(double counts) { return counts >= 0.0 && counts < 65536.0; }

}  // namespace

void VolumeTable::Reset() {
  Dimensions.fill(0.0f);
  Points.fill(0);
  Offset = 0.0f;
  Scale = 0.0f;
  MaxLevel = 0;
  PointCount = 0;
  Step = 0;
  LevelScale = Link.unitFactor(0).value_or(Link.defaultFactor());
  VolumeUnitScale = Link.defaultFactor();
}

void VolumeTable::SelectDimensionUnit(int unit) {
  LevelScale = Link.levelCountsPerUnit(unit);
  VolumeUnitScale = Link.thirdUnitCounts();
}

void VolumeTable::ComputeStep() {
  unsigned step = static_cast<unsigned>(MaxLevel / 247.0) & 0xFFu;
  if (step == 0) step = 1;
  while (step * 247u < MaxLevel) ++step;
  Step = static_cast<std::uint16_t>(step);
  unsigned count = 0;
  while (count * step < MaxLevel) ++count;
  PointCount = static_cast<std::uint8_t>(count);
}

bool VolumeTable::adjusting() const {
  const float flag = Dimensions[9];
  return std::isfinite(flag) && std::trunc(flag) != 0.0f;
}

double VolumeTable::TankVolume(std::uint16_t shape, double h, double k, bool radarSet) const {
  const std::size_t base = radarSet ? 1 : 0;
  auto dim = [&](std::size_t i) { return static_cast<double>(Dimensions[i + base]); };
  // Area of the circle segment of height h in a horizontal cylinder of radius R.
  auto segment = [](double r, double hh) {
    return kPi * r * r / 2 - r * r * std::asin(1 - hh / r) -
           (r - hh) * std::sqrt(std::max(0.0, hh * (2 * r - hh)));
  };
  auto outside = [](double r, double hh) {
    const double x = 1 - hh / r;
    return !(x >= -1.0 && x <= 1.0);
  };
  switch (shape >> 8) {
    case 1: {  // vertical cylinder
      const double r = dim(4) * k / 2;
      return kPi * r * r * h;
    }
    case 2: {  // vertical cylinder with a conical bottom
      const double coneHeight = dim(4);
      const double bottom = dim(5);
      const double diameter = dim(6);
      const double hc = std::min(coneHeight * k, h);
      const double r1 = bottom * k / 2;
      const double r2 = k * (bottom + (diameter - bottom) * (hc / k) / coneHeight) / 2;
      double v = (kPi * hc / 3) * (r1 * r1 + r1 * r2 + r2 * r2);
      const double above = h - coneHeight * k;
      if (above > 0) {
        const double r = diameter * k / 2;
        v += kPi * r * r * above;
      }
      return v;
    }
    case 3: {  // horizontal cylinder with dished heads
      const double r = dim(3) * k / 2;
      const double length = dim(4) * k;
      const double head = dim(5) * k;
      if (outside(r, h)) return -1;
      return length * segment(r, h) + kPi * head * h * h * (1 - h / (3 * r));
    }
    case 4: {  // horizontal cylinder with hemispherical heads
      const double r = dim(3) * k / 2;
      const double length = dim(4) * k;
      if (outside(r, h)) return -1;
      return length * segment(r, h) + (h * h * kPi * r - h * h * h * kPi / 3);
    }
    case 5: {  // sphere: followed above the diameter too
      const double r = dim(3) * k / 2;
      return h * h * kPi * r - h * h * h * kPi / 3;
    }
    case 6:  // rectangular
      return (dim(4) * k) * (dim(5) * k) * h;
    default:
      return 0;
  }
}

std::uint16_t VolumeTable::roundedPoint(double scaled) {
  if (scaled + 0.5 > kFullCount) return kBeyond;
  return truncateOrZero<std::uint16_t>(scaled + 0.5);
}

int VolumeTable::BuildTankTable(std::uint16_t shape, int dimensionUnit, int outputUnit) {
  const double height = static_cast<double>(Dimensions[static_cast<std::size_t>(heightIndex())]) *
                        LevelScale;
  if (!(height > 0) || !spanFits(height + 0.5)) return kHeightNotUsable;
  const bool adjust = adjusting();
  // Check every factor before the table changes, so a failed build leaves it whole.
  if (!Link.checkVolumeFactors(dimensionUnit, outputUnit, adjust).ok()) return kNoUnitFactor;
  const double unitFactor = *Link.nonLinearUnitFactor(Link.position(outputUnit));

  MaxLevel = static_cast<std::uint16_t>(height + 0.5);
  ComputeStep();
  const double a = adjust ? AdjustFactor(shape, dimensionUnit, outputUnit) : 1.0;
  const int shapeClass = shape >> 8;
  const bool radar = Link.radar();
  const double top = (shapeClass == 3 || shapeClass == 4)
                         ? height
                         : static_cast<double>(Step) * static_cast<double>(PointCount);
  double full = TankVolume(shape, top, LevelScale, radar);
  if (adjust) full = full * a;
  Offset = 0.0f;
  Scale = static_cast<float>(full);
  Scale = Scale / kFullCountF;
  const double inv = 1.0 / static_cast<double>(Scale);
  for (int i = 0; i < kPoints; ++i) {
    double v = TankVolume(shape, static_cast<double>(i * Step), LevelScale, radar);
    std::uint16_t& point = Points[static_cast<std::size_t>(i)];
    if (v == -1) {
      point = kBeyond;
    } else if (!std::isfinite(inv)) {
      point = 0;  // a table of zeros has no scale to divide by
    } else {
      v = v * inv;
      if (adjust) v = v * a;
      point = roundedPoint(v);
    }
  }
  RescaleToOutputUnit(unitFactor);
  return kBuilt;
}

void VolumeTable::BuildLinearTable(double lowerOffset) {
  const double range = static_cast<double>(Dimensions[0]) - lowerOffset;
  const double span = range * LevelScale;
  MaxLevel = truncateOrZero<std::uint16_t>(span == std::trunc(span) ? span : span + 1);
  Step = MaxLevel;
  PointCount = 2;
  Offset = 0.0f;
  Scale = static_cast<float>(range / kFullCount);
  Points[0] = 0;
  Points[1] = kBeyond;
  Points[2] = kBeyond;
}

double VolumeTable::Capacity(std::uint16_t shape, int dimensionUnit, int outputUnit) const {
  if (!Link.checkVolumeFactors(dimensionUnit, outputUnit, true).ok()) return 0.0;
  const double height = static_cast<double>(Dimensions[static_cast<std::size_t>(heightIndex())]);
  return TankVolume(shape, height, 1.0, Link.radar()) * *Link.cubicFactor(dimensionUnit) *
         *Link.cubicFactor(Link.position(outputUnit));
}

double VolumeTable::AdjustFactor(std::uint16_t shape, int dimensionUnit, int outputUnit) const {
  return static_cast<double>(Dimensions[10]) / Capacity(shape, dimensionUnit, outputUnit);
}

double VolumeTable::CapacityOrUserValue(std::uint16_t shape, int dimensionUnit,
                                        int outputUnit) const {
  const double capacity = Capacity(shape, dimensionUnit, outputUnit);
  return capacity > 0 && adjusting() ? static_cast<double>(Dimensions[10]) : capacity;
}

double VolumeTable::VolumeAtLevel(std::uint16_t shape, int dimensionUnit, int outputUnit,
                                  double level) const {
  if (!Link.checkVolumeFactors(dimensionUnit, outputUnit, true).ok()) return 0.0;
  double v = TankVolume(shape, level, 1.0, true) * *Link.cubicFactor(dimensionUnit) *
             *Link.cubicFactor(Link.position(outputUnit));
  if (adjusting()) v = v * AdjustFactor(shape, dimensionUnit, outputUnit);
  return v;
}

void VolumeTable::RescaleToOutputUnit(double factor) {
  const double k = VolumeUnitScale;
  const auto t = static_cast<float>(factor * k * k * k);
  Offset = Offset / t;
  Scale = Scale / t;
}

float VolumeTable::FlowAt(std::uint16_t shape, float head) const {
  return FlowFormula::at(shape, head, Dimensions);
}

int VolumeTable::BuildFlowTable(std::uint16_t shape) {
  const double height = static_cast<double>(Dimensions[0]) * LevelScale;
  if (!(height > 0) || !spanFits(height + 0.5)) return kHeightNotUsable;
  MaxLevel = static_cast<std::uint16_t>(height + 0.5);
  ComputeStep();
  Offset = 0.0f;
  const double top = static_cast<double>(Step) * static_cast<double>(PointCount);
  Scale = FlowAt(shape, static_cast<float>(top / LevelScale));
  Scale = Scale / kFullCountF;
  const double inv = 1.0 / static_cast<double>(Scale);
  for (int i = 0; i < kPoints; ++i) {
    const float head = static_cast<float>(static_cast<double>(i * Step) / LevelScale);
    const double q = static_cast<double>(FlowAt(shape, head)) * inv;
    std::uint16_t& point = Points[static_cast<std::size_t>(i)];
    if (!std::isfinite(inv) || q < 0) {
      point = 0;
    } else {
      point = roundedPoint(q);
    }
  }
  return kBuilt;
}

int VolumeTable::BuildStrappingTable(const StrappingRows& rows) {
  const int n = rows.RowCount;
  if (n < 1 || n > StrappingRows::kCapacity) return kNoRows;
  // Strapping tanks keep their height one place further only on guided-wave models.
  const std::size_t heightAt = Link.guidedWave() ? 4 : 3;
  const double height = static_cast<double>(Dimensions[heightAt]) * LevelScale;
  if (!(height >= 0) || !spanFits(height + 1.0)) return kHeightNotUsable;
  MaxLevel = static_cast<std::uint16_t>(height + 1.0);
  ComputeStep();
  Offset = 0.0f;
  Scale = rows.Volumes[static_cast<std::size_t>(n - 1)];
  Scale = Scale / kFullCountF;
  const double inv = 1.0 / static_cast<double>(Scale);
  for (int i = 0; i < kPoints; ++i) {
    const double level = static_cast<double>(i * Step) / LevelScale;
    const double x = inv * rows.volumeAt(level);
    std::uint16_t& point = Points[static_cast<std::size_t>(i)];
    if (!std::isfinite(inv)) {
      point = 0;
    } else {
      point = x > kFullCount ? kBeyond : truncateOrZero<std::uint16_t>(x);
    }
  }
  // The point before the first saturated one is saturated too.
  for (int i = 0; i < kPoints; ++i) {
    if (Points[static_cast<std::size_t>(i)] == kBeyond) {
      if (i > 0) Points[static_cast<std::size_t>(i - 1)] = kBeyond;
      break;
    }
  }
  return kBuilt;
}

std::uint16_t VolumeTable::PointAt(std::uint32_t level) const {
  if (Step == 0) return kBeyond;  // no table yet
  const std::uint32_t i = level / Step;
  const std::uint32_t f = level % Step;
  if (i >= static_cast<std::uint32_t>(kPoints)) return kBeyond;
  const std::uint32_t here = Points[i];
  if (here == kBeyond) return kBeyond;
  if (f == 0) return static_cast<std::uint16_t>(here);
  if (i + 1 >= static_cast<std::uint32_t>(kPoints)) return kBeyond;  // no point after the last
  const std::uint32_t next = Points[i + 1];
  return static_cast<std::uint16_t>((f * next + (Step - f) * here) / Step);
}

float VolumeTable::ValueOfPoint(std::uint16_t point) const {
  return static_cast<float>(point) * Scale + Offset;
}

float VolumeTable::ValueAtCounts(std::uint32_t level) const {
  return static_cast<float>(PointAt(level)) * Scale;
}

float VolumeTable::ValueAtDimensionLevel(double level) const {
  const double x = level < 0 ? 0.0 : level;
  return static_cast<float>(PointAt(levelCounts(x * LevelScale))) * Scale;
}

float VolumeTable::FullValue() const { return ValueOfPoint(PointAt(MaxLevel)); }

std::uint16_t VolumeTable::PointForValue(double value) const {
  const auto p = truncateOrZero<std::uint16_t>(value / static_cast<double>(Scale));
  return p == PointAt(MaxLevel) ? static_cast<std::uint16_t>(p - 1) : p;
}

std::uint16_t VolumeTable::LevelForPoint(std::uint16_t point) const {
  const std::int64_t p = point;
  for (int i = 0; i + 1 < PointCount && i + 1 < kPoints; ++i) {
    const std::int64_t a = Points[static_cast<std::size_t>(i)];
    const std::int64_t b = Points[static_cast<std::size_t>(i + 1)];
    if (!((a <= p && p <= b) || (b <= p && p <= a))) continue;
    const std::int64_t start = static_cast<std::int64_t>(i) * Step;
    const std::int64_t d = b - a;
    // A flat segment holds the point over its whole length: its start.
    if (d == 0) return static_cast<std::uint16_t>(start);
    return static_cast<std::uint16_t>(start + ((p - a) * Step + d / 2) / d);
  }
  return kBeyond;
}

double VolumeTable::ClampedLevel(std::uint32_t level, double divisor, double factor) const {
  double v = static_cast<double>(std::min<std::uint32_t>(level, MaxLevel));
  if (divisor != 1) v = v / divisor;
  if (factor != 1) v = v * factor;
  return v;
}

void VolumeTable::EmptyAndFullValues(double level, float& empty, float& full) const {
  full = static_cast<float>(PointAt(levelCounts(level * LevelScale + 0.5))) * Scale;
  empty = static_cast<float>(PointAt(0)) * Scale;
}

}  // namespace ostrel

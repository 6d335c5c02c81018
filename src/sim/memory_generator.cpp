#include "sim/memory_generator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/byte_fields.h"
#include "sim/echo_synthesizer.h"

namespace ostrel::sim {

namespace {

std::uint16_t feet(double ft) {
  return static_cast<std::uint16_t>(ft * MemoryGenerator::kCountsPerFoot + 0.5);
}

// Filled fraction of a horizontal cylinder of radius r at depth h.
double horizontalCylinderFraction(double h, double r) {
  h = std::clamp(h, 0.0, 2 * r);
  const double segment = r * r * std::acos((r - h) / r) - (r - h) * std::sqrt(2 * r * h - h * h);
  return segment / (std::numbers::pi * r * r);
}

}  // namespace

UnitIdentity MemoryGenerator::identity(PageUnitKind kind) {
  switch (kind) {
    case PageUnitKind::GuidedWave:
      return {520114, 105, "KM50-GWR", "KM50-2410", 'G'};
    case PageUnitKind::UType:
      return {630052, 233, "KM40-U2", "KM40-1130", 'U'};
    case PageUnitKind::Ultrasonic:
      break;
  }
  return {410237, 412, "KM30-U", "KM30-1020", 0x00};
}

UnitMemories::Page MemoryGenerator::customerPage(PageUnitKind kind) {
  using L = CustomerLayout;
  UnitMemories::Page p{};
  putU16(p, L::kSensorHeight, kSensorHeightCounts);
  if (kind == PageUnitKind::GuidedWave) {
    putU16(p, L::kMinFillHeight, feet(0.5));
    putU16(p, L::kFillHeight, feet(19.0));  // probe length
    putU16(p, L::kGwrFillHeight, kFillHeightCounts);
  } else {
    putU16(p, L::kFillHeight, kFillHeightCounts);
  }
  putU16(p, L::kNlType, 0xFFFF);
  putU16(p, L::kUnits, kUnitsFeet);
  putFloat(p, L::kDimensions + 0, 20.0f);  // D0 sensor height
  putFloat(p, L::kDimensions + 4, 18.0f);  // D1 fill height
  if (kind == PageUnitKind::GuidedWave) {
    putFloat(p, L::kDimensions + 8, 0.5f);    // D2 minimum fill height
    putFloat(p, L::kDimensions + 12, 19.0f);  // D3 probe length
  }
  putU16(p, L::kOutput, kUnitsFeet);  // relay set points in feet
  // Relay 1 high alarm, relay 2 low alarm, relay 3 pump-down, relay 4 unused.
  const float on[4] = {14.0f, 9.0f, 12.0f, 0.0f};
  const float off[4] = {13.5f, 9.5f, 10.0f, 0.0f};
  for (std::size_t k = 0; k < 4; ++k) {
    putFloat(p, L::kSetPoints + 4 * k, on[k]);
    putFloat(p, L::kSetPoints + 16 + 4 * k, off[k]);
  }
  putText(p, L::kNotes, 64, "Tank 7, east yard - simulated unit");
  return p;
}

UnitMemories::Page MemoryGenerator::factoryPage(PageUnitKind kind) {
  const UnitIdentity id = identity(kind);
  UnitMemories::Page p{};
  if (kind == PageUnitKind::Ultrasonic) {
    putU16(p, 26, id.revision);
    putU32HighFirst(p, 96, id.serial);
    putText(p, 138, 16, id.modelText);
  } else {
    putU32HighFirst(p, 10, id.serial);
  }
  p[180] = id.typeLetter;
  return p;
}

UnitMemories::Page MemoryGenerator::historyPage() {
  // The table of an 18 ft horizontal cylinder holding 10000 gallons.
  constexpr std::uint16_t maxLevel = kFillHeightCounts;
  constexpr float fullScale = 10000.0f;
  std::uint16_t step = static_cast<std::uint16_t>((maxLevel / 247) & 0xFF);
  if (step == 0) step = 1;
  while (step * 247 < maxLevel) ++step;

  UnitMemories::Page p{};
  putI32(p, 0, 0);
  // Scale = full scale / 65535 per point count, stored × 655350.
  putI32(p, 4, static_cast<std::int32_t>(std::lround(fullScale * 10.0)));
  putU16(p, 8, maxLevel);
  putU16(p, 10, step);
  putFloat(p, 12, fullScale);
  for (std::size_t i = 0; i < 248; ++i) {
    const std::uint32_t level = static_cast<std::uint32_t>(i) * step;
    std::uint16_t point = 0xFFFF;
    if (level <= maxLevel) {
      const double f = horizontalCylinderFraction(level, maxLevel / 2.0);
      point = static_cast<std::uint16_t>(f * 65535.0 + 0.5);
    }
    putU16(p, 16 + 2 * i, point);
  }
  return p;
}

UnitMemories::Page MemoryGenerator::ocmPage() {
  UnitMemories::Page p;
  p.fill(0xFF);
  putU16(p, 0, 0);             // open-channel flow off
  putU32HighFirst(p, 2, 0);    // totaliser
  putU16(p, 6, 1);             // totaliser multiplier
  putU16(p, 8, 0);             // low-flow cut-off
  putFloat(p, 10, 0.0f);       // flow at full scale
  return p;
}

UnitMemories::Page MemoryGenerator::modelPage(PageUnitKind kind) {
  UnitMemories::Page p;
  if (kind == PageUnitKind::Ultrasonic) {
    p.fill(0xFF);  // never programmed on classic units
    return p;
  }
  p.fill(0);
  const UnitIdentity id = identity(kind);
  putText(p, 0, 16, id.modelText);
  putU16(p, 16, id.revision);
  return p;
}

UnitMemories::Info MemoryGenerator::infoMemory(PageUnitKind kind) {
  const UnitIdentity id = identity(kind);
  UnitMemories::Info m;
  m.fill(0xFF);
  putU16(m, 0, 3200);   // TCAL
  putU16(m, 2, 2621);   // TVAL
  putU16(m, 4, 1024);   // CALA
  putU16(m, 6, 2731);   // CALC
  putU16(m, 8, 512);    // CALD
  putU32HighFirst(m, 10, id.serial);  // HWSERIAL
  putText(m, 14, 16, id.hardwareModel);
  putU16(m, 30, 1);     // CALDONE
  putU32HighFirst(m, 32, 1);  // UNITNUM
  return m;
}

UnitMemories MemoryGenerator::generate(PageUnitKind kind) {
  UnitMemories m;
  m.customer = customerPage(kind);
  m.factory = factoryPage(kind);
  m.history = historyPage();
  m.ocm = ocmPage();
  m.model = modelPage(kind);
  m.info = infoMemory(kind);
  // Half full: 9 ft of liquid, 11 ft below the sensor, 12 mA.
  EchoScene scene;
  scene.levelCounts = kFillHeightCounts / 2;
  scene.distanceCounts = static_cast<std::uint16_t>(kSensorHeightCounts - scene.levelCounts);
  scene.currentHundredthsMa = 1200;
  m.echo = EchoSynthesizer::build(scene);
  // The empty-signal scan taken at the same moment shows the same surface.
  m.scan = m.echo;
  return m;
}

}  // namespace ostrel::sim

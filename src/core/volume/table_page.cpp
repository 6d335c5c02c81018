#include "core/volume/table_page.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "core/volume/count_conversion.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {
namespace {

void put16(TablePage::Bytes& page, std::size_t at, std::uint16_t v) {
  page[at] = static_cast<std::uint8_t>(v & 0xFF);
  page[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(TablePage::Bytes& page, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) page[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint16_t get16(const TablePage::Bytes& page, std::size_t at) {
  return static_cast<std::uint16_t>(page[at] | (page[at + 1] << 8));
}

std::uint32_t get32(const TablePage::Bytes& page, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(page[at + i]) << (8 * i);
  return v;
}

std::uint32_t floatBits(float f) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

// The float a stored count stands for: n / 655350, moved by an ulp or two
// away from zero when the nearest float would store back one count less, so
// a table read from the unit and written again keeps its bytes.
float fromFixedPoint(std::uint32_t bits) {
  const auto n = static_cast<std::int32_t>(bits);
  const auto nearest = static_cast<float>(static_cast<double>(n) / 655350.0);
  float f = nearest;
  for (int step = 0; step < 2 && TablePage::fixedPoint(f) != n; ++step) {
    f = std::nextafter(f, n > 0 ? HUGE_VALF : -HUGE_VALF);
  }
  return TablePage::fixedPoint(f) == n ? f : nearest;
}

}  // namespace

std::int32_t TablePage::fixedPoint(float value) {
  const float product = value * static_cast<float>(kFixedPoint);
  return truncateOrZero<std::int32_t>(static_cast<double>(product));
}

bool TablePage::holds(float value) {
  const auto product = static_cast<double>(value * static_cast<float>(kFixedPoint));
  if (!std::isfinite(product)) return false;
  const double t = std::trunc(product);
  return t >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
         t <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

bool TablePage::fits(const VolumeTable& table) {
  return holds(table.Offset) && holds(table.Scale);
}

double TablePage::tooLargeValue(const VolumeTable& table) {
  const auto full = static_cast<double>(table.FullValue());
  const auto offset = static_cast<double>(table.Offset);
  return std::fabs(offset) > std::fabs(full) ? offset : full;
}

bool TablePage::encode(const VolumeTable& table, std::optional<float> fullScale, Bytes& page) {
  // A count that does not fit would go out as 0, and the unit would read
  // every value as 0.
  if (!fits(table)) return false;
  put32(page, 0, static_cast<std::uint32_t>(fixedPoint(table.Offset)));
  put32(page, 4, static_cast<std::uint32_t>(fixedPoint(table.Scale)));
  put16(page, 8, table.MaxLevel);
  put16(page, 10, table.Step);
  if (fullScale) put32(page, 12, floatBits(*fullScale));
  for (std::size_t i = 0; i < VolumeTable::kPoints; ++i) put16(page, 16 + 2 * i, table.Points[i]);
  return true;
}

void TablePage::decode(const Bytes& page, VolumeTable& table) {
  table.Offset = fromFixedPoint(get32(page, 0));
  table.Scale = fromFixedPoint(get32(page, 4));
  table.MaxLevel = get16(page, 8);
  table.Step = get16(page, 10);
  for (std::size_t i = 0; i < VolumeTable::kPoints; ++i) table.Points[i] = get16(page, 16 + 2 * i);
}

float TablePage::storedFullScale(const Bytes& page) {
  const std::uint32_t bits = get32(page, 12);
  float f = 0.0f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

std::optional<float> TablePage::fullScaleValue(const VolumeTable& table, std::uint16_t shape,
                                               int dimensionUnit, int outputUnit,
                                               const StrappingRows& rows) {
  if (outputUnit < 32) return std::nullopt;
  if ((shape >> 8) == 7) return rows.lastVolume();
  if (outputUnit < 64) {
    return static_cast<float>(table.CapacityOrUserValue(shape, dimensionUnit, outputUnit));
  }
  if (outputUnit < 128) return table.FlowAt(shape, table.Dimensions[1]);
  return std::nullopt;
}

}  // namespace ostrel

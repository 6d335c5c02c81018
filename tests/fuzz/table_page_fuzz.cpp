// Decodes any bytes as the unit's table page and runs every lookup over the
// table it gives; writing the table back must reproduce span, step and points.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ostrel::TablePage::Bytes page{};
  std::memcpy(page.data(), data, std::min(size, page.size()));
  ostrel::VolumeTable table;
  // The page does not carry PointCount: any value may sit in the record.
  table.PointCount = size > page.size() ? data[page.size()] : static_cast<std::uint8_t>(size);
  table.LevelScale = size % 3 == 0 ? 708.0 : 2322.835;
  ostrel::TablePage::decode(page, table);

  const std::uint32_t span = static_cast<std::uint32_t>(table.MaxLevel) + 2u * table.Step + 2u;
  const std::uint32_t stride = std::max<std::uint32_t>(1, span / 97);
  for (std::uint32_t level = 0; level <= span; level += stride) {
    const std::uint16_t point = table.PointAt(level);
    (void)table.ValueAtCounts(level);
    (void)table.LevelForPoint(point);
    (void)table.ClampedLevel(level, 3, 0.5);
  }
  (void)table.PointAt(0xFFFFFFFFu);
  (void)table.ValueAtDimensionLevel(-1.0);
  (void)table.ValueAtDimensionLevel(1e300);
  (void)table.PointForValue(table.FullValue());
  (void)table.PointForValue(1e300);
  float empty = 0;
  float full = 0;
  table.EmptyAndFullValues(3.0, empty, full);
  for (int p = 0; p <= 0xFFFF; p += 4099) (void)table.LevelForPoint(static_cast<std::uint16_t>(p));

  ostrel::TablePage::Bytes again = page;
  ostrel::TablePage::encode(table, std::nullopt, again);
  if (!std::equal(page.begin() + 8, page.end(), again.begin() + 8)) __builtin_trap();
  return 0;
}

// The table page's bytes, and the full-scale value each kind of table writes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/volume/strapping_rows.h"
#include "core/volume/table_page.h"
#include "volume_test_model.h"

namespace ostrel::test {
namespace {

TEST(TablePage, FieldsSitWhereTheUnitReadsThem) {
  VolumeTable t;
  t.Offset = -0.25f;  // -163837.5: truncated toward zero
  t.Scale = 0.5f;     // 327675
  t.MaxLevel = 1000;
  t.Step = 5;
  t.Points[0] = 0x1234;
  t.Points[247] = 0xFFFF;
  TablePage::Bytes page;
  page.fill(0xAA);
  TablePage::encode(t, 300.0f, page);
  const std::uint8_t head[] = {0x03, 0x80, 0xFD, 0xFF, 0xFB, 0xFF, 0x04, 0x00,
                               0xE8, 0x03, 0x05, 0x00, 0x00, 0x00, 0x96, 0x43,
                               0x34, 0x12, 0x00, 0x00};
  for (std::size_t i = 0; i < sizeof head; ++i) EXPECT_EQ(page[i], head[i]) << "byte " << i;
  EXPECT_EQ(page[510], 0xFF);
  EXPECT_EQ(page[511], 0xFF);

  VolumeTable back;
  back.PointCount = 7;
  TablePage::decode(page, back);
  EXPECT_EQ(back.Offset, static_cast<float>(-163837 / 655350.0));
  EXPECT_EQ(back.Scale, 0.5f);
  EXPECT_EQ(back.Points, t.Points);
  EXPECT_EQ(back.PointCount, 7);  // not on the page
  EXPECT_EQ(TablePage::storedFullScale(page), 300.0f);

  // Without a full-scale value (a length output) bytes 12-15 stay. A scale
  // that is not a number, or one whose count passes 32 bits, has no place
  // on the page: nothing is written rather than a scale of 0.
  t.Scale = 0.25f;
  EXPECT_TRUE(TablePage::encode(t, std::nullopt, page));
  EXPECT_EQ(TablePage::storedFullScale(page), 300.0f);
  const std::uint8_t quarter[] = {0xFD, 0x7F, 0x02, 0x00};  // 0.25 x 655350 = 163837
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(page[4 + i], quarter[i]) << "byte " << 4 + i;
  const TablePage::Bytes held = page;
  for (const float scale : {std::numeric_limits<float>::quiet_NaN(), 1e30f, 3276.9f}) {
    t.Scale = scale;
    EXPECT_FALSE(TablePage::fits(t)) << scale;
    EXPECT_FALSE(TablePage::encode(t, std::nullopt, page)) << scale;
    EXPECT_EQ(page, held) << scale;
  }
  EXPECT_EQ(TablePage::fixedPoint(1e30f), 0);
}

TEST(TablePage, FullScaleFollowsTheKindOfTable) {
  const VolumeModel m;
  VolumeTable t = m.table({3.5f, 3, 0, 3, 2}, kMetres);
  StrappingRows rows;
  rows.RowCount = 2;
  rows.Volumes[1] = 1234.5f;
  EXPECT_EQ(TablePage::fullScaleValue(t, 0x0700, kMetres, kLitres, rows), 1234.5f);
  EXPECT_NEAR(*TablePage::fullScaleValue(t, 0x0100, kMetres, kCubicMetres, rows), 9.42478, 1e-5);
  t.Dimensions[9] = 1;
  t.Dimensions[10] = 10;
  EXPECT_EQ(TablePage::fullScaleValue(t, 0x0100, kMetres, kCubicMetres, rows), 10.0f);
  t.Dimensions[1] = 1;
  t.Dimensions[2] = 2.49f;
  t.Dimensions[3] = 2.48f;
  EXPECT_EQ(TablePage::fullScaleValue(t, 0x2000, kMetres, kCfs, rows), 2.49f);
  EXPECT_FALSE(TablePage::fullScaleValue(t, 0x0700, kMetres, kFeet, rows));
}

}  // namespace
}  // namespace ostrel::test

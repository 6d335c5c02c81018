// What the curve viewer shows of a strapping table checked by hand, and of a
// table that was never built.
#include <gtest/gtest.h>

#include "core/volume/curve_plot.h"
#include "core/volume/strapping_rows.h"

namespace ostrel::test {
namespace {

// Pairs (0, 0), (5, 100), (10, 300), tank height 10, 100 counts a unit:
// MaxLevel 1001, Step 5, PointCount 201; 500 counts is point 21845 and the
// points from 995 counts on are 0xFFFF.
VolumeTable strappingTable() {
  StrappingRows rows;
  rows.RowCount = 3;
  rows.Levels = {0, 5, 10};
  rows.Volumes = {0, 100, 300};
  VolumeTable t;
  t.LevelScale = 100;
  t.Dimensions[3] = 10;
  t.StructureName = "Strapping Table";
  EXPECT_EQ(t.BuildStrappingTable(rows), VolumeTable::kBuilt);
  return t;
}

TEST(CurvePlot, LabelsCursorAndCurveOfABuiltTable) {
  const VolumeTable t = strappingTable();
  ASSERT_EQ(t.PointCount, 201);
  CurvePlot plot(t, 10.0);
  ASSERT_TRUE(plot.drawable());
  EXPECT_EQ(plot.title(), "Strapping Table");
  EXPECT_EQ(plot.levelLabel(), "0.00000");
  EXPECT_EQ(plot.valueLabel(), "0.00000");
  EXPECT_EQ(plot.sliderMaximum(), 1001);
  EXPECT_FALSE(plot.cursorShown());

  plot.moveCursor(0);
  EXPECT_EQ(plot.levelLabel(), "0.000");
  EXPECT_EQ(plot.valueLabel(), "0.000");
  plot.moveCursor(500);
  EXPECT_EQ(plot.levelLabel(), "5.000");
  EXPECT_EQ(plot.valueLabel(), "100.000");
  // At MaxLevel the point is 0xFFFF: full scale, 65535 * Scale.
  plot.moveCursor(1001);
  EXPECT_EQ(plot.levelLabel(), "10.010");
  EXPECT_EQ(plot.valueLabel(), "300.000");
  EXPECT_DOUBLE_EQ(plot.cursorLevel(), 10.01);

  // A 500 x 400 field: data in x 50..450, y 360 (value 0) up to 40.
  CurveMapping map;
  ASSERT_TRUE(map.set(plot.xMin(), plot.yMin(), plot.xMax(), plot.yMax(), 500, 400));
  const auto corners = plot.curve(map);
  ASSERT_EQ(corners.size(), std::size_t{201});
  EXPECT_EQ(corners.front(), (PlotPoint{50, 360}));
  // Point 100 of 201 is 400 * 100 / 201 = 199.0 pixels in; 21845 is a
  // third of full scale, 320 / 3 = 106.7 pixels up from 360.
  EXPECT_EQ(corners[100], (PlotPoint{249, 253}));
  EXPECT_NEAR(corners.back().y, 40, 1);  // 0xFFFF stands at the top
  plot.moveCursor(500);
  const auto cursor = plot.cursor(map);
  ASSERT_TRUE(cursor.has_value());
  EXPECT_EQ(cursor->from, (PlotPoint{250, 360}));
  EXPECT_EQ(cursor->to.x, 250);

  const std::string csv = plot.csv("Feet", "US Gallons, total");
  EXPECT_EQ(csv.substr(0, csv.find('\n') + 1), "Feet,\"US Gallons, total\"\r\n");
  EXPECT_NE(csv.find("\r\n5.0,100\r\n"), std::string::npos) << csv.substr(0, 400);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 202);
}

TEST(CurvePlot, AnUnbuiltTableShowsAxesAndTextsOnly) {
  VolumeTable reset;
  reset.Reset();
  reset.StructureName = "Vertical Cylinder";
  const VolumeTable built = strappingTable();
  // Points and a step, but no scale to turn them into values.
  VolumeTable noScale = built;
  noScale.Scale = 0;
  struct Case {
    const VolumeTable* table;
    double top;
  } cases[] = {{&reset, 10.0}, {&built, 0.0}, {&built, -2.0}, {&noScale, 10.0}};
  for (const Case& c : cases) {
    CurvePlot plot(*c.table, c.top);
    EXPECT_FALSE(plot.drawable());
    EXPECT_EQ(plot.sliderMaximum(), 0);
    plot.moveCursor(300);
    EXPECT_FALSE(plot.cursorShown());
    EXPECT_EQ(plot.levelLabel(), "0.00000");
    EXPECT_EQ(plot.valueLabel(), "0.00000");
    CurveMapping map;
    map.set(plot.xMin(), plot.yMin(), plot.xMax(), plot.yMax(), 500, 400);
    EXPECT_FALSE(map.valid());
    EXPECT_TRUE(plot.curve(map).empty());
    EXPECT_FALSE(plot.cursor(map).has_value());
    EXPECT_EQ(plot.csv("ft", "gal"), "ft,gal\r\n");
  }
  EXPECT_EQ(CurvePlot(reset, 1).title(), "Vertical Cylinder");
  EXPECT_EQ(CurvePlot::axes(500, 400).front().from, (PlotPoint{50, 380}));
}

}  // namespace
}  // namespace ostrel::test

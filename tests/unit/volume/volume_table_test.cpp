// The volume table against real tanks computed by hand, the step rule, the
// generators' edges and the lookups' guards, and properties over random
// shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/volume/table_page.h"
#include "volume_test_model.h"

namespace ostrel::test {
namespace {

constexpr double kPi = 3.141592653589793;

// Every point below the top against the volume a hand formula gives at the
// point's level (dimension units), within one count.
template <typename Volume>
void expectPointsFollow(const VolumeTable& t, Volume volume) {
  for (int i = 0; i < t.PointCount; ++i) {
    if (t.Points[static_cast<std::size_t>(i)] == VolumeTable::kBeyond) continue;
    const double level = i * t.Step / t.LevelScale;
    EXPECT_NEAR(pointValue(t, i), volume(level), t.Scale) << "point " << i;
  }
}

TEST(VolumeTable, RealTanksHoldWhatTheHandComputes) {
  const VolumeModel metric;
  // Vertical cylinder, 2 m across, 3 m high: 9.4248 m3.
  VolumeTable cylinder = metric.table({3.5f, 3, 0, 3, 2}, kMetres);
  ASSERT_EQ(cylinder.BuildTankTable(0x0100, kMetres, kCubicMetres), 0);
  EXPECT_NEAR(cylinder.Capacity(0x0100, kMetres, kCubicMetres), 9.4248, 5e-5);
  expectPointsFollow(cylinder, [](double h) { return kPi * h; });
  // The unit's span is whole counts: full is the volume at MaxLevel counts.
  EXPECT_NEAR(cylinder.FullValue(), kPi * cylinder.MaxLevel / 2322.835, cylinder.Scale);

  // Rectangular, 10 x 8 ft, 6 ft high, in US gallons: 480 ft3 = 3590.65 gal.
  // Capacity runs through CUBICAREATOVOL, the table through NLUNITCONV.
  VolumeTable box = metric.table({8, 6, 0, 6, 10, 8}, kFeet);
  ASSERT_EQ(box.BuildTankTable(0x0600, kFeet, kUsGallons), 0);
  EXPECT_NEAR(box.Capacity(0x0600, kFeet, kUsGallons), 3590.65, 0.01);
  EXPECT_NEAR(box.FullValue(), 3590.65, box.Scale);
  expectPointsFollow(box, [](double h) { return 80 * h * 7.48051948; });

  // Vertical cylinder of 2 m on a 1 m cone whose bottom is 0.2 m across, 4 m high.
  const VolumeTable cone = metric.table({5, 4, 0, 4, 1, 0.2f, 2}, kMetres);
  EXPECT_NEAR(cone.Capacity(0x0200, kMetres, kCubicMetres),
              kPi / 3 * (0.01 + 0.1 + 1) + kPi * 3, 1e-5);

  // Sphere of 1 m on a pulse radar (one dimension further): 0.5236 m3.
  const VolumeModel radar(false, true);
  VolumeTable sphere = radar.table({1.5f, 1, 0, 2, 1}, kMetres);
  ASSERT_EQ(sphere.BuildTankTable(0x0500, kMetres, kLitres), 0);
  EXPECT_NEAR(sphere.Capacity(0x0500, kMetres, kCubicMetres), 0.5236, 5e-5);
  expectPointsFollow(sphere, [](double h) { return 1000 * kPi * h * h * (0.5 - h / 3); });

  // Horizontal cylinder, 2 m across, 5 m long, 0.5 m dished heads, on a
  // guided-wave radar: 17.8024 m3 full, half of it at 1 m.
  const VolumeModel gwr(true);
  VolumeTable drum = gwr.table({2.5f, 2, 0, 2.2f, 2, 5, 0.5f}, kMetres);
  ASSERT_EQ(drum.BuildTankTable(0x0300, kMetres, kCubicMetres), 0);
  EXPECT_NEAR(drum.Capacity(0x0300, kMetres, kCubicMetres), 5 * kPi + 2 * kPi / 3, 1e-4);
  EXPECT_NEAR(drum.VolumeAtLevel(0x0300, kMetres, kCubicMetres, 1.0), 2.5 * kPi + kPi / 3, 1e-4);
  expectPointsFollow(drum, [](double h) {
    const double segment = kPi / 2 - std::asin(1 - h) - (1 - h) * std::sqrt(h * (2 - h));
    return 5 * segment + kPi * 0.5 * h * h * (1 - h / 3);
  });
}

TEST(VolumeTable, StepRuleAtItsBoundaries) {
  VolumeTable t;
  const struct {
    int maxLevel, step, count;
  } cases[] = {{247, 1, 247}, {248, 2, 124}, {0, 1, 0}, {494, 2, 247}, {495, 3, 165},
               {65535, 266, 247}};
  for (const auto& c : cases) {
    t.MaxLevel = static_cast<std::uint16_t>(c.maxLevel);
    t.ComputeStep();
    EXPECT_EQ(t.Step, c.step) << c.maxLevel;
    EXPECT_EQ(t.PointCount, c.count) << c.maxLevel;
  }
}

TEST(VolumeTable, TopPointSaturatesAndAdjustingMovesOnlyTheScale) {
  const VolumeModel metric;
  VolumeTable plain = metric.table({3.5f, 3, 0, 3, 2}, kMetres);
  ASSERT_EQ(plain.BuildTankTable(0x0100, kMetres, kCubicMetres), 0);
  EXPECT_EQ(plain.Points[plain.PointCount], VolumeTable::kBeyond);
  EXPECT_LT(plain.Points[plain.PointCount - 1u], VolumeTable::kBeyond);

  const double capacity = plain.Capacity(0x0100, kMetres, kCubicMetres);
  VolumeTable adjusted = plain;
  adjusted.Dimensions[9] = 1;
  adjusted.Dimensions[10] = static_cast<float>(2 * capacity);
  ASSERT_EQ(adjusted.BuildTankTable(0x0100, kMetres, kCubicMetres), 0);
  EXPECT_EQ(adjusted.Points, plain.Points);
  EXPECT_NEAR(adjusted.Scale / plain.Scale, 2.0, 1e-6);
  EXPECT_FLOAT_EQ(static_cast<float>(adjusted.CapacityOrUserValue(0x0100, kMetres, kCubicMetres)),
                  adjusted.Dimensions[10]);
}

TEST(VolumeTable, HorizontalCylindersStopAtTheirDiameter) {
  const VolumeModel metric;
  for (std::uint16_t shape : {std::uint16_t{0x0300}, std::uint16_t{0x0400}}) {
    VolumeTable t = metric.table({3, 2, 0, 2, 6, 0.4f}, kMetres);
    ASSERT_EQ(t.BuildTankTable(shape, kMetres, kCubicMetres), 0);
    const double top = 2 * t.LevelScale;
    for (int i = 0; i < VolumeTable::kPoints; ++i) {
      if (i * t.Step > top) {
        EXPECT_EQ(t.Points[static_cast<std::size_t>(i)], 0xFFFF) << i;
      }
    }
    // The scale is the volume at exactly the diameter.
    EXPECT_NEAR(t.Scale * 65535, t.Capacity(shape, kMetres, kCubicMetres), t.Scale);
    EXPECT_DOUBLE_EQ(t.TankVolume(shape, 2.001, 1, false), -1);
  }
}

TEST(VolumeTable, UnusableHeightsAndMissingFactorsLeaveTheTableAsItWas) {
  const VolumeModel metric;
  VolumeTable t = metric.table({3.5f, 3, 0, 3, 2}, kMetres);
  ASSERT_EQ(t.BuildTankTable(0x0100, kMetres, kCubicMetres), 0);
  const VolumeTable before = t;
  auto unchanged = [&] {
    EXPECT_EQ(t.Points, before.Points);
    EXPECT_EQ(t.MaxLevel, before.MaxLevel);
    EXPECT_EQ(t.Scale, before.Scale);
  };
  // A unit the structure does not list, and one whose factor lies past NLUNITCONV.
  EXPECT_EQ(t.BuildTankTable(0x0100, kMetres, 40), VolumeTable::kNoUnitFactor);
  unchanged();
  metric.structure->NonLinearUnitFactors.Count = metric.structure->NonLinearUnitFactors.Last = 4;
  EXPECT_EQ(t.BuildTankTable(0x0100, kMetres, kLitres), VolumeTable::kNoUnitFactor);
  unchanged();
  EXPECT_EQ(t.Capacity(0x0100, kMetres, 40), 0.0);
  // No height, and a height whose span passes 16-bit counts (30 m of 2322.835).
  t.Dimensions[3] = 0;
  EXPECT_EQ(t.BuildTankTable(0x0100, kMetres, kCubicMetres), VolumeTable::kHeightNotUsable);
  t.Dimensions[3] = 30;
  EXPECT_EQ(t.BuildTankTable(0x0100, kMetres, kCubicMetres), VolumeTable::kHeightNotUsable);
  unchanged();
}

TEST(VolumeTable, AUnitOnePastTheListTakesTheDefaultFactor) {
  const VolumeModel metric;
  // A previous model's fifth factor is still in the list's storage.
  metric.model->UnitFactors[4] = 999.0;
  VolumeTable t = metric.table({}, 4);
  EXPECT_EQ(t.LevelScale, 708.0);
  t.SelectDimensionUnit(3);
  EXPECT_EQ(t.LevelScale, 23.22835);
  EXPECT_EQ(t.VolumeUnitScale, 2322.835);
}

TEST(VolumeTable, ATableOfZerosHasNoScaleAndPointsOfZero) {
  const VolumeModel metric;
  VolumeTable t = metric.table({3.5f, 3, 0, 3, 2}, kMetres);
  ASSERT_EQ(t.BuildTankTable(0x0800, kMetres, kCubicMetres), 0);  // a class without a formula
  EXPECT_EQ(t.Scale, 0.0f);
  for (std::uint16_t p : t.Points) ASSERT_EQ(p, 0);
}

TEST(VolumeTable, LookupsStayInsideThePoints) {
  VolumeTable t;
  EXPECT_EQ(t.PointAt(0), 0xFFFF);  // no table yet: Step 0
  t.Step = 10;
  t.PointCount = 247;
  for (int i = 0; i < VolumeTable::kPoints; ++i) t.Points[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 100);
  EXPECT_EQ(t.PointAt(2465), 24650);
  EXPECT_EQ(t.PointAt(2470), 24700);  // the last point itself
  EXPECT_EQ(t.PointAt(2475), 0xFFFF);  // between the last point and none
  EXPECT_EQ(t.PointAt(2480), 0xFFFF);
  EXPECT_EQ(t.PointAt(0xFFFFFFFFu), 0xFFFF);

  // A flat segment holds its point from its start (a table that begins
  // with two zero points, say); a flat top is reached by the rise below it.
  t.Points[1] = 0;
  EXPECT_EQ(t.LevelForPoint(0), 0);
  t.Points[5] = t.Points[6] = t.Points[7] = 500;
  EXPECT_EQ(t.LevelForPoint(500), 50);
  EXPECT_EQ(t.LevelForPoint(550), 72);  // the rising segment after it
  EXPECT_EQ(t.LevelForPoint(30000), 0xFFFF);
}

TEST(VolumeTable, LinearTableSpanAndItsLookups) {
  VolumeTable t;
  t.LevelScale = 100;
  t.Dimensions[0] = 10.25f;
  t.BuildLinearTable(0);
  EXPECT_EQ(t.MaxLevel, 1025);
  t.Dimensions[0] = 10.255f;  // 1025.5 counts, within float
  t.BuildLinearTable(0);
  EXPECT_EQ(t.MaxLevel, 1026);
  EXPECT_EQ(t.Step, t.MaxLevel);
  EXPECT_EQ(t.Points[0], 0);
  EXPECT_EQ(t.Points[1], 0xFFFF);
  EXPECT_EQ(t.Points[2], 0xFFFF);

  // A long span: the level of the full point needs more than 32 bits on the way.
  t.LevelScale = 4000;
  t.Dimensions[0] = 10;
  t.BuildLinearTable(0);
  EXPECT_EQ(t.LevelForPoint(0xFFFF), 40000);
  EXPECT_EQ(t.LevelForPoint(0x7FFF), 20000);
  // A value past 16-bit counts has no point; the full one is one below it.
  EXPECT_EQ(t.PointForValue(1e9), 0);
  EXPECT_EQ(t.PointForValue(t.FullValue()), 0xFFFE);
}

TEST(VolumeTable, RandomShapesRiseAndTheirLevelsComeBack) {
  std::mt19937 random(20240611);
  std::uniform_real_distribution<float> size(0.3f, 9.0f);
  const VolumeModel models[] = {VolumeModel(), VolumeModel(true)};
  for (int n = 0; n < 150; ++n) {
    const VolumeModel& m = models[n % 2];
    const int shift = n % 2;  // radar models keep their dimensions one further
    const auto shape = static_cast<std::uint16_t>((1 + n % 6) << 8);
    // Height (the diameter of horizontal cylinders and spheres), then the
    // shape's own dimensions; a cone below the height.
    const int unit = n % 3 == 0 ? kFeet : kMetres;
    VolumeTable t = m.table({}, unit);
    auto dim = [&](int d) -> float& { return t.Dimensions[static_cast<std::size_t>(d + shift)]; };
    dim(3) = size(random);
    for (int d = 4; d < 7; ++d) dim(d) = size(random);
    if (shape == 0x0200) dim(4) = dim(3) / 3;
    t.Dimensions[0] = dim(3) + 1;
    t.Dimensions[1] = dim(3);
    ASSERT_EQ(t.BuildTankTable(shape, unit, kCubicMetres), 0) << n;

    for (int i = 0; i < t.PointCount; ++i) {
      ASSERT_LE(t.Points[static_cast<std::size_t>(i)], t.Points[static_cast<std::size_t>(i + 1)])
          << "shape " << std::hex << shape << std::dec << " point " << i;
    }
    // The search for a point's level ends with the segment below the last
    // point, so levels in the top step are not asked back.
    std::uniform_int_distribution<std::uint32_t> level(0, (t.PointCount - 1u) * t.Step);
    for (int k = 0; k < 20; ++k) {
      const std::uint32_t l = level(random);
      const std::uint16_t p = t.PointAt(l);
      if (p == 0xFFFF) continue;
      EXPECT_NEAR(t.LevelForPoint(p), l, t.Step) << "shape " << std::hex << shape;
    }

    TablePage::Bytes page{};
    TablePage::encode(t, 1.0f, page);
    VolumeTable back;
    TablePage::decode(page, back);
    EXPECT_EQ(back.Points, t.Points);
    EXPECT_EQ(back.MaxLevel, t.MaxLevel);
    EXPECT_EQ(back.Step, t.Step);
    EXPECT_NEAR(back.Scale, t.Scale, 1.0 / 655350);
    TablePage::Bytes again{};
    TablePage::encode(back, 1.0f, again);
    EXPECT_EQ(again, page);
  }
}

}  // namespace
}  // namespace ostrel::test

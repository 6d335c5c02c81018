// Weir and flume tables against published formulas, their coefficient sets,
// and strapping tables with their edges.
#include <gtest/gtest.h>

#include <cmath>

#include "core/volume/coefficient_sets.h"
#include "core/volume/strapping_rows.h"
#include "volume_test_model.h"

namespace ostrel::test {
namespace {

VolumeTable flowTable(const VolumeModel& m, std::initializer_list<float> dimensions,
                      double levelScale) {
  VolumeTable t = m.table(dimensions, kFeet);
  t.LevelScale = levelScale;
  return t;
}

TEST(FlowTable, ParshallAndVNotchFollowTheirFormulas) {
  const VolumeModel m;
  // Parshall flume, 1 ft throat: Q = 4 h^1.522 cfs, heads to 2.5 ft.
  VolumeTable parshall = flowTable(m, {3, 2.5f, 4, 1.522f}, 708);
  ASSERT_EQ(parshall.BuildFlowTable(0x4000), 0);
  for (int i = 0; i < parshall.PointCount; ++i) {
    const double head = i * parshall.Step / 708.0;
    EXPECT_NEAR(pointValue(parshall, i), 4 * std::pow(head, 1.522), parshall.Scale) << i;
  }
  EXPECT_NEAR(parshall.FlowAt(0x4000, 2.0f), 11.4875, 1e-3);

  // 90 degree V-notch, Q = 2.49 h^2.48: 2.49 at one foot, and the top point saturates.
  VolumeTable notch = flowTable(m, {2, 1.5f, 2.49f, 2.48f}, 708);
  EXPECT_EQ(notch.FlowAt(0x2000, 1.0f), 2.49f);
  ASSERT_EQ(notch.BuildFlowTable(0x2000), 0);
  EXPECT_EQ(notch.Points[notch.PointCount], 0xFFFF);
  float empty = -1;
  float full = -1;
  notch.EmptyAndFullValues(1.0, empty, full);
  EXPECT_EQ(empty, 0.0f);
  EXPECT_NEAR(full, 2.49, notch.Scale);
  // Codes outside the formulas, and flumes without one, give nothing.
  EXPECT_EQ(notch.FlowAt(0x4A00, 1.0f), 0.0f);
  EXPECT_EQ(notch.FlowAt(0x1000, 1.0f), 0.0f);
}

TEST(FlowTable, ContractedWeirEndsAtZeroAndAZeroScaleGivesZeros) {
  const VolumeModel m;
  // Q = D2 (D3 - 0.2 h) h^D4: the bracket closes at h = 5 when D3 = 1, and
  // flows past it (negative) are 0. Points run on past the span to 24.7.
  VolumeTable weir = flowTable(m, {4.9f, 4, 3.33f, 1, 1.5f}, 10);
  EXPECT_EQ(weir.FlowAt(0x2100, 5.0f), 0.0f);
  ASSERT_EQ(weir.BuildFlowTable(0x2100), 0);
  EXPECT_GT(weir.Points[10], 0);
  EXPECT_EQ(weir.Points[50], 0);
  EXPECT_EQ(weir.Points[70], 0);

  // The bracket closing exactly at the top head makes the scale 0: every
  // point is 0, none saturates from an infinite 1/Scale.
  VolumeTable closed = flowTable(m, {2.47f, 2, 3.33f, 0.2f * 2.47f, 1.5f}, 100);
  ASSERT_EQ(closed.BuildFlowTable(0x2100), 0);
  EXPECT_EQ(closed.Scale, 0.0f);
  for (std::uint16_t p : closed.Points) ASSERT_EQ(p, 0);
  EXPECT_EQ(closed.BuildFlowTable(0x4A00), 0);  // a flume without a formula
  for (std::uint16_t p : closed.Points) ASSERT_EQ(p, 0);
}

TEST(CoefficientSets, LoadingAndSelectionFollowTheUnitsList) {
  const VolumeModel m;
  auto& cfs = m.structure->formulas(FormulaFamily::VNotch, FlowUnit::CubicFeetPerSecond);
  auto& ls = m.structure->formulas(FormulaFamily::VNotch, FlowUnit::LitresPerSecond);
  for (int k = 0; k < 3; ++k) {
    cfs.Names[static_cast<std::size_t>(k)] = "cfs " + std::to_string(k + 1);
    ls.Names[static_cast<std::size_t>(k)] = "ls " + std::to_string(k + 1);
  }
  cfs.Count = ls.Count = 3;
  ls.Coefficients[1] = {0.3f, 1.38f, 2.5f};  // max head, base coefficient, exponent
  m.structure->Units[9].Factor = 60;         // the l/s entry as if it were l/min

  const ModelLink link(m.model.get(), m.structure.get());
  const auto fields = CoefficientSets::load(*m.structure, 0x2000, kLps, 2, 4, link);
  ASSERT_TRUE(fields.has_value());
  EXPECT_EQ((*fields)[1], "0.3");
  EXPECT_EQ((*fields)[2], "82.8");  // 1.38 x 60
  EXPECT_EQ((*fields)[3], "2.5");
  EXPECT_EQ(CoefficientSets::storedShape(0x2000, 2, kLps), 0x2022);
  EXPECT_FALSE(CoefficientSets::load(*m.structure, 0x2000, 97, 2, 4, link));  // unit not listed
  EXPECT_FALSE(CoefficientSets::load(*m.structure, 0x2000, kLps, 4, 4, link));

  EXPECT_EQ(CoefficientSets::choices(*m.structure, 0x2003, kCfs).selected, 3);
  EXPECT_EQ(CoefficientSets::choices(*m.structure, 0x2023, kLps).selected, 3);
  EXPECT_EQ(CoefficientSets::choices(*m.structure, 0x2020, kLps).selected, 0);
  EXPECT_EQ(CoefficientSets::choices(*m.structure, 0x2009, kCfs).selected, 0);  // past the list
  EXPECT_EQ(CoefficientSets::choices(*m.structure, 0x2003, kCfs).names[3], "cfs 3");
  EXPECT_EQ(CoefficientSets::choices(*m.structure, 0x4300, kCfs).names.size(), 1u);
}

StrappingRows rowsOf(std::initializer_list<std::pair<float, float>> pairs) {
  StrappingRows rows;
  for (const auto& [level, volume] : pairs) {
    rows.Levels[static_cast<std::size_t>(rows.RowCount)] = level;
    rows.Volumes[static_cast<std::size_t>(rows.RowCount++)] = volume;
  }
  return rows;
}

TEST(StrappingTable, LastPairIsFullScaleAndSaturationReachesBack) {
  VolumeTable t;
  t.Dimensions[3] = 10;
  t.LevelScale = 100;
  ASSERT_EQ(t.BuildStrappingTable(rowsOf({{0, 0}, {5, 100}, {10, 300}})), 0);
  EXPECT_EQ(t.MaxLevel, 1001);
  EXPECT_EQ(t.Step, 5);
  EXPECT_EQ(t.PointCount, 201);
  EXPECT_EQ(t.Scale, static_cast<float>(300.0f / 65535));
  EXPECT_EQ(t.Points[100], 21845);
  EXPECT_EQ(t.Points[50], 10922);  // 2.5 units: 50, truncated
  EXPECT_LT(t.Points[198], 0xFFFF);
  for (int i = 199; i < VolumeTable::kPoints; ++i) EXPECT_EQ(t.Points[static_cast<std::size_t>(i)], 0xFFFF) << i;
}

TEST(StrappingTable, DegenerateListsGiveDefinedPoints) {
  VolumeTable t;
  t.Dimensions[3] = 10;
  t.LevelScale = 100;
  // Two pairs at level 0: the zero-length segment stands for its first volume.
  ASSERT_EQ(t.BuildStrappingTable(rowsOf({{0, 40}, {0, 50}, {10, 100}})), 0);
  EXPECT_EQ(t.Points[0], 26214);
  // A volume below zero (from a script) gives 0, never a wrapped count.
  ASSERT_EQ(t.BuildStrappingTable(rowsOf({{0, 0}, {5, -100}, {10, 300}})), 0);
  EXPECT_EQ(t.Points[25], 0);
  // No pairs: nothing to take the full scale from, the table stays.
  const auto before = t.Points;
  EXPECT_EQ(t.BuildStrappingTable(StrappingRows{}), VolumeTable::kNoRows);
  EXPECT_EQ(t.Points, before);
  // A full record of 32 pairs: past the last level the table saturates.
  StrappingRows full;
  for (int i = 0; i < StrappingRows::kCapacity; ++i) {
    full.Levels[static_cast<std::size_t>(i)] = static_cast<float>(i) * 0.25f;
    full.Volumes[static_cast<std::size_t>(i)] = static_cast<float>(i) * 10;
  }
  full.RowCount = StrappingRows::kCapacity;
  ASSERT_EQ(t.BuildStrappingTable(full), 0);
  EXPECT_EQ(t.Points[static_cast<std::size_t>(800 / t.Step)], 0xFFFF);
  EXPECT_EQ(full.volumeAt(7.75), 310.0);
}

}  // namespace
}  // namespace ostrel::test

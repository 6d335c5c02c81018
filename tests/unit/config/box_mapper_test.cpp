#include "core/config/box_mapper.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

// Every box with its own number, so a box mapped to a neighbour shows.
PageBoxes numberedBoxes() {
  PageBoxes b;
  b.sensorHeight = "1";
  b.fillHeight = "2";
  b.minFillHeight = "3";
  b.probeLength = "4";
  b.deadBand = "5";
  b.maxRange = "6";
  b.notes = "notes";
  b.fileName = "file";
  b.fileDate = "date";
  return b;
}

LevelRows numberedRows() {
  LevelRows rows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i].shown = true;
    rows[i].text = std::to_string(11 + i);
  }
  return rows;
}

TEST(BoxMapper, FileValuesTakeEachBoxAndStoreZeroForAHiddenRow) {
  LevelRows rows = numberedRows();
  rows[2].shown = false;
  const ConfigBoxValues v = BoxMapper::values(numberedBoxes(), rows);
  EXPECT_EQ(v.sensorHeight, 1.0);
  EXPECT_EQ(v.fillHeight, 2.0);
  EXPECT_EQ(v.minFillHeight, 3.0);
  EXPECT_EQ(v.probeLength, 4.0);
  EXPECT_EQ(v.deadBand, 5.0);
  EXPECT_EQ(v.maxRange, 6.0);
  EXPECT_EQ(v.levels[0], 11.0);
  EXPECT_EQ(v.levels[2], 0.0);
  EXPECT_EQ(v.levels[5], 16.0);
}

TEST(BoxMapper, ChecksSeeTheirBoxesAndHandBackOnlyThose) {
  PageBoxes boxes = numberedBoxes();
  LevelRows rows = numberedRows();
  CheckedBoxes checked = BoxMapper::checked(boxes, rows);
  EXPECT_EQ(checked.sensorHeight, "1");
  EXPECT_EQ(checked.fillHeight, "2");
  EXPECT_EQ(checked.probeLength, "4");
  EXPECT_EQ(checked.deadBand, "5");
  EXPECT_EQ(checked.maxRange, "6");
  EXPECT_EQ(checked.levels[4], "15");

  // The checks re-show what they stored; the boxes they do not check keep
  // what the user typed.
  checked.sensorHeight = "1.00";
  checked.probeLength = "4.00";
  checked.maxRange = "6.00";
  checked.levels[4] = "15.0";
  boxes.minFillHeight = "typed";
  BoxMapper::fromChecked(checked, boxes, rows);
  EXPECT_EQ(boxes.sensorHeight, "1.00");
  EXPECT_EQ(boxes.fillHeight, "2");
  EXPECT_EQ(boxes.probeLength, "4.00");
  EXPECT_EQ(boxes.maxRange, "6.00");
  EXPECT_EQ(boxes.minFillHeight, "typed");
  EXPECT_EQ(boxes.notes, "notes");
  EXPECT_EQ(rows[4].text, "15.0");
  EXPECT_EQ(rows[3].text, "14");
}

TEST(BoxMapper, TheRecordTakesOnlyTheBoxesItsUnitKindCarries) {
  const PageBoxes boxes = numberedBoxes();
  auto readFor = [&](BoxMapper::Kind kind) {
    UnitConfiguration c;
    c.minFillHeight = c.probeLength = c.deadBand = c.maxRange = -7;
    BoxMapper::read(boxes, c, kind);
    return c;
  };
  const UnitConfiguration plain = readFor({});
  EXPECT_EQ(plain.sensorHeight, 1.0);
  EXPECT_EQ(plain.fillHeight, 2.0);
  EXPECT_EQ(plain.minFillHeight, -7);
  EXPECT_EQ(plain.probeLength, -7);
  EXPECT_EQ(plain.deadBand, -7);
  EXPECT_EQ(plain.maxRange, -7);

  const UnitConfiguration gw = readFor({true, false});
  EXPECT_EQ(gw.minFillHeight, 3.0);
  EXPECT_EQ(gw.probeLength, 4.0);
  EXPECT_EQ(gw.deadBand, -7);

  const UnitConfiguration radar = readFor({false, true});
  EXPECT_EQ(radar.minFillHeight, -7);
  EXPECT_EQ(radar.deadBand, 5.0);
  EXPECT_EQ(radar.maxRange, 6.0);
}

TEST(BoxMapper, RecordShownInEveryHeightBoxAndTheTanksDimensionsByKind) {
  UnitConfiguration c;
  c.sensorHeight = 1;
  c.fillHeight = 2;
  c.minFillHeight = 3;
  c.probeLength = 4;
  c.deadBand = 5;
  c.maxRange = 6;
  PageBoxes boxes;
  boxes.notes = "kept";
  BoxMapper::show(c, boxes, [](double v) { return std::to_string(static_cast<int>(v)) + "ft"; });
  EXPECT_EQ(boxes.sensorHeight, "1ft");
  EXPECT_EQ(boxes.fillHeight, "2ft");
  EXPECT_EQ(boxes.minFillHeight, "3ft");
  EXPECT_EQ(boxes.probeLength, "4ft");
  EXPECT_EQ(boxes.deadBand, "5ft");
  EXPECT_EQ(boxes.maxRange, "6ft");
  EXPECT_EQ(boxes.notes, "kept");

  const auto plain = BoxMapper::dimensionBoxes({});
  EXPECT_EQ(plain[0], &PageBoxes::sensorHeight);
  EXPECT_EQ(plain[1], &PageBoxes::fillHeight);
  EXPECT_EQ(plain[2], nullptr);
  EXPECT_EQ(plain[3], nullptr);
  const auto gw = BoxMapper::dimensionBoxes({true, false});
  EXPECT_EQ(gw[2], &PageBoxes::minFillHeight);
  EXPECT_EQ(gw[3], &PageBoxes::probeLength);
  const auto radar = BoxMapper::dimensionBoxes({false, true});
  EXPECT_EQ(radar[2], &PageBoxes::deadBand);
  EXPECT_EQ(radar[3], &PageBoxes::maxRange);
}

TEST(BoxMapper, DecodingsFillTheirBoxesAndLeaveTheOthers) {
  CustomerPageBoxes page;
  page.sensorHeight = "c1";
  page.fillHeight = "c2";
  page.minFillHeight = "c3";
  page.probeLength = "c4";
  page.notes = "tank";
  page.levels[1] = "c12";
  PageBoxes boxes = numberedBoxes();
  LevelRows rows = numberedRows();
  BoxMapper::fromCustomer(page, boxes, rows);
  EXPECT_EQ(boxes.sensorHeight, "c1");
  EXPECT_EQ(boxes.fillHeight, "c2");
  EXPECT_EQ(boxes.minFillHeight, "c3");
  EXPECT_EQ(boxes.probeLength, "c4");
  EXPECT_EQ(boxes.deadBand, "5");
  EXPECT_EQ(boxes.notes, "tank");
  EXPECT_EQ(boxes.fileName, "file");
  EXPECT_EQ(rows[1].text, "c12");
  EXPECT_EQ(rows[0].text, "");  // a row the page did not fill is emptied

  PulseConfigurationDecoding radar;
  radar.sensorHeight = "p1";
  radar.fillHeight = "p2";
  radar.deadBand = "p5";
  radar.maxRange = "p6";
  boxes = numberedBoxes();
  BoxMapper::fromPulse(radar, boxes);
  EXPECT_EQ(boxes.sensorHeight, "p1");
  EXPECT_EQ(boxes.fillHeight, "p2");
  EXPECT_EQ(boxes.minFillHeight, "3");
  EXPECT_EQ(boxes.probeLength, "4");
  EXPECT_EQ(boxes.deadBand, "p5");
  EXPECT_EQ(boxes.maxRange, "p6");
  EXPECT_EQ(boxes.notes, "notes");
}

}  // namespace
}  // namespace ostrel

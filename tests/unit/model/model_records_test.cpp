#include <gtest/gtest.h>

#include "core/model/model_database.h"
#include "core/model/structure_data.h"
#include "model_test_support.h"

namespace ostrel {
namespace {

TEST(ModelRecords, ResetBeforeEachModelClearsListsAndKinds) {
  auto m = test::makeModelRecords();
  ModelFileParser parser(m->targets());
  parser.ParseBytes(
      "TPF = 500\nGUIDEDWAVERADAR = 1\nUGUS = 1\nMAXSENSORHEIGHT = 30\nNLBUTTONCAPTION = Tanks\n"
      "CFGLABEL[1] = 1|a\nCFGLABEL[2] = 1|b\nCFGLABEL[3] = 1|c\nCFGLABEL[4] = 1|d\nCFGLABEL[5] = "
      "1|e\n"
      "MEDIUM = Water\nNONLINEAR = tanks.txt\nNLTABTITLE[1] = Tanks\nDCAL[1] = 1\nUNITTYPE = A\n"
      "ALTOVERLAY[1] = 1|1|x\nOVERLAY = 1|1|o\nTANKIMAGE = t\n",
      "first.txt");
  ResetModelDatabase(m->Database, m->Images, &m->Flags);
  parser.ParseBytes("CFGLABEL[1] = 1|a\nCFGLABEL[2] = 1|b\nCFGLABEL[3] = 1|c\n", "second.txt");

  const ModelDatabase& db = m->Database;
  EXPECT_EQ(db.DefaultUnitFactor, 708.0);  // no TPF in the second file
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(db.ConfigItems[static_cast<std::size_t>(i)].Present, i < 3) << i;
  EXPECT_EQ(db.GuidedWaveRadar, 0);
  EXPECT_FALSE(m->Flags.GuidedWaveRadar);
  EXPECT_FALSE(m->Flags.Ugus);
  EXPECT_EQ(db.NonLinearButtonCaption, "");
  EXPECT_EQ(db.Media.Count, 0);
  EXPECT_EQ(db.Media.Last, -1);
  EXPECT_EQ(db.Media[0], "");
  EXPECT_EQ(db.NonLinearFiles[0], "");
  EXPECT_EQ(db.NonLinearTitles[0], "");
  EXPECT_EQ(db.FixedWordCount, 0);
  EXPECT_EQ(db.UnitTypeCount, 0);
  EXPECT_EQ(m->Images.AlternatePartCount, 0);
  EXPECT_EQ(m->Images.Overlays.Last, -1);
  EXPECT_EQ(m->Images.TankImages.Count, 0);
  EXPECT_EQ(db.MaxSensorHeight, 30.0);  // limits stay until a file overwrites them
}

TEST(ModelRecords, StructureResetMarksShapesAsNone) {
  auto m = test::makeModelRecords();
  ModelFileParser parser(m->targets());
  parser.ParseBytes(
      "SHAPEID[1] = 1|Flat\nSHAPEID[2] = 2|Cone\nNLTYPE[1] = 256\nSTRAPUNITS[1] = 5|u\n"
      "CUBICAREATOVOL[1] = 7.5\nRCRS_LS_FORMULA[1] = r|1|2\nTABIMAGES[1] = t\n",
      "tanks.txt");
  ResetStructureData(m->Structures);
  parser.ParseBytes("SHAPEID[1] = 4|Sphere\n", "other.txt");
  const StructureData& s = m->Structures;
  EXPECT_EQ(s.ShapeIds[0], 4);
  for (std::size_t i = 1; i < StructureData::kShapeIds; ++i) EXPECT_EQ(s.ShapeIds[i], 0xFFFF) << i;
  EXPECT_EQ(s.ShapeCount, 1);
  EXPECT_EQ(s.ShapeNames[1], "");
  EXPECT_EQ(s.NlTypes[0], 0xFFFF);
  EXPECT_EQ(s.NlTypes.Last, -1);
  EXPECT_EQ(s.Units[0].Code, 0);
  EXPECT_EQ(s.Units[0].Name, "");
  EXPECT_EQ(s.StrapUnitLast, -1);
  EXPECT_EQ(s.CubicFactors[0], 0.0);
  EXPECT_EQ(s.formulas(FormulaFamily::Rectangular, FlowUnit::LitresPerSecond).Count, 0);
  EXPECT_EQ(s.formulas(FormulaFamily::Rectangular, FlowUnit::LitresPerSecond).Names[0], "");
  EXPECT_EQ(s.StructureCount, 0);
  EXPECT_EQ(s.TabImages[0], "");
}

}  // namespace
}  // namespace ostrel

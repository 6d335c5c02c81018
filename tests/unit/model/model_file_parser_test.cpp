#include "core/model/model_file_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/model/fmf_cipher.h"
#include "model_test_support.h"

namespace ostrel {
namespace {

using test::ModelRecords;
using test::folderNames;
using test::readBytes;
using test::TempDir;
using test::utf16FileBytes;
using test::writeBytes;

class ModelFileParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_ = test::makeModelRecords();
    m_->loadLanguage(dir_);
    parser_ = std::make_unique<ModelFileParser>(m_->targets());
    parser_->setProgressSink(&presenter_.busy());
  }

  void parse(std::string_view text, const char* name = "KM100.txt") {
    parser_->ParseBytes(std::string(text), dir_ / name);
  }

  ModelDatabase& db() { return m_->Database; }
  StructureData& st() { return m_->Structures; }

  TempDir dir_;
  test::RecordingPresenter presenter_;
  std::unique_ptr<ModelRecords> m_;
  std::unique_ptr<ModelFileParser> parser_;
};

TEST(RangeList, ExpandsRangesAndSingles) {
  using V = std::vector<std::int32_t>;
  EXPECT_EQ(ModelFileParser::ExpandRangeList("1:3,5"), (V{1, 2, 3, 5}));
  EXPECT_EQ(ModelFileParser::ExpandRangeList("4:2"), (V{4}));
  EXPECT_EQ(ModelFileParser::ExpandRangeList("5:3,4"), (V{5, 4}));
  EXPECT_EQ(ModelFileParser::ExpandRangeList("1:3:5"), (V{1, 2, 3, 4, 5}));
  EXPECT_EQ(ModelFileParser::ExpandRangeList(" -1 "), (V{-1}));
  EXPECT_EQ(ModelFileParser::ExpandRangeList(""), (V{0}));
  // At most ten numbers and 21 codes, however large the range.
  EXPECT_EQ(ModelFileParser::ExpandRangeList("1,2,3,4,5,6,7,8,9,10,11,12").size(), 10u);
  const V wide = ModelFileParser::ExpandRangeList("0:2147483647");
  ASSERT_EQ(wide.size(), 21u);
  EXPECT_EQ(wide.back(), 20);
  EXPECT_EQ(ModelFileParser::ExpandRangeList("2147483646:2147483647,-5"),
            (V{2147483646, 2147483647, -5}));
}

TEST_F(ModelFileParserTest, LabelsAndChoicesFillTheirItems) {
  parse(
      "CFGLABEL[2] = 5|Output Type\r\nCFGITEM[2][1] = 3|Relay\r\nCFGITEM[2][2] = 4|Analog\r\n"
      "CFGLABEL[1] = 7|Mounting\r\n");
  const ConfigItem& item = db().ConfigItems[1];
  EXPECT_TRUE(item.Present);
  EXPECT_EQ(item.LabelCode, 5);
  EXPECT_EQ(item.Label, "Output Type");
  EXPECT_EQ(item.Codes[0], -1);
  EXPECT_EQ(item.Texts[0], "<Select>");
  EXPECT_EQ(item.Codes[1], 3);
  EXPECT_EQ(item.Texts[1], "Relay");
  EXPECT_EQ(item.Texts[2], "Analog");
  EXPECT_EQ(item.ChoiceCount, 3);
  EXPECT_EQ(item.ChoiceLast, 2);
  // An item without choices still offers its prompt.
  const ConfigItem& bare = db().ConfigItems[0];
  EXPECT_TRUE(bare.Present);
  EXPECT_EQ(bare.ChoiceCount, 1);
  EXPECT_EQ(bare.Codes[0], -1);
  EXPECT_EQ(m_->Values.SelectText, "<Select>");
  EXPECT_EQ(db().ConfigItems.Count, 1);  // [1] came after [2]: below Last, not counted
  EXPECT_EQ(db().ConfigItems.Last, 1);

  // The language column comes from the settings.
  m_->Values.LanguageNumber = 1;
  parse("CFGLABEL[3] = 1|x\r\n");
  EXPECT_EQ(db().ConfigItems[2].Texts[0], "<\xE9\x80\x89\xE6\x8B\xA9>");
  EXPECT_EQ(m_->Values.SelectText, db().ConfigItems[2].Texts[0]);

  // Appended choices go after the highest choice without being counted.
  parse("CFGITEM[2][+] = 9|Added\r\n");
  EXPECT_EQ(item.Codes[3], 9);
  EXPECT_EQ(item.ChoiceLast, 3);
  EXPECT_EQ(item.ChoiceCount, 3);
}

TEST_F(ModelFileParserTest, CommentsBlanksAndUnknownKeysAreDropped) {
  parse(
      "' a comment line\r\n"
      "UNITS = Feet ' trailing comment\r\n"
      "\r\n"
      "     \r\n"
      "KEY\t= 1\r\n"
      "tpf = 1.5\r\n"
      "TPF[1] 12\r\n"
      "NOSUCHKEY = 3\r\n"
      "MAXHEAD = Don't stop\r\n"
      "MAXHEAD = Max Head\r\n"
      "MINRANGE = 0.25\n"
      "MINRANGE =  1.75  \n");
  EXPECT_EQ(db().UnitNames[0], "Feet");
  EXPECT_EQ(db().UnitNames.Count, 1);
  EXPECT_EQ(db().DefaultUnitFactor, 708.0);  // neither "tpf" nor a line without '='
  EXPECT_EQ(db().MaxHead, "Max Head");       // the last duplicate wins
  EXPECT_EQ(db().MinRange, 1.75);
  // A value cannot carry an apostrophe: the rest of the line is comment.
  parse("MAXHEAD = Don't stop\r\n");
  EXPECT_EQ(db().MaxHead, "Don");
}

TEST_F(ModelFileParserTest, AppendedLinesLeaveCountBehindLast) {
  parse("UNITS = Feet\nUNITS = Inches\nUNITS[+] = Metres\nUNITCONV = 708\nUNITCONV = 59\n");
  EXPECT_EQ(db().UnitNames[0], "Feet");
  EXPECT_EQ(db().UnitNames[1], "Inches");
  EXPECT_EQ(db().UnitNames[2], "Metres");
  EXPECT_EQ(db().UnitNames.Count, 1);
  EXPECT_EQ(db().UnitNames.Last, 2);
  EXPECT_EQ(db().UnitFactors[1], 59.0);
  parse("UNITS[6] = Yards\n");  // explicit index at or beyond Last counts
  EXPECT_EQ(db().UnitNames.Count, 2);
  EXPECT_EQ(db().UnitNames.Last, 5);

  // Written in order with explicit indices, Count = Last + 1.
  parse("MEDIUM[1] = Water\nMEDIUM[2] = Oil\nMEDIUM[3] = Slurry\n");
  EXPECT_EQ(db().Media.Count, 3);
  EXPECT_EQ(db().Media.Last, 2);
}

TEST_F(ModelFileParserTest, LinesOutsideAListAreRefused) {
  std::string text;
  for (int i = 0; i < 11; ++i) text += "DIAGNOSTICECHO = e" + std::to_string(i) + "\n";
  text += "CFGLABEL[11] = 1|eleven\nCFGITEM[11][1] = 1|x\nCFGITEM[0][1] = 1|x\n";
  text += "CFGLABEL[1] = 1|one\nCFGITEM[1][100] = 1|x\nCFGITEM[1][-1] = 1|x\n";
  text += "NLTYPE = 5\nNLTYPE[51] = 5\nSENSORUNITS = 1|x|2\nSTRAPUNITS[51] = 1|x\n";
  text += "TABIMAGES = t\nTABIMAGES[21] = t\nNLTABTITLE[11] = x\nALTOVERLAY[9] = 1|2|c\n";
  text += "VNOTCH_CFS_FORMULA[33] = x|1\nSHAPEID[21] = 3|x\nHLPCFG[11] = t.htm\n";
  parse(text);
  EXPECT_EQ(db().DiagnosticEchoes[9], "e9");  // the eleventh would land at 10
  EXPECT_EQ(db().DiagnosticEchoes.Last, 9);
  EXPECT_EQ(db().ConfigItems.Last, 0);
  EXPECT_EQ(db().ConfigItems[0].ChoiceLast, 1);
  EXPECT_EQ(db().ConfigItems[0].ChoiceCount, 1);
  EXPECT_EQ(st().NlTypes.Count, 0);
  EXPECT_EQ(st().SensorUnitCount, 0);
  EXPECT_EQ(st().StrapUnitCount, 0);
  EXPECT_EQ(st().StructureCount, 0);
  EXPECT_EQ(m_->Images.AlternatePartCount, 0);
  EXPECT_EQ(st().Formulas[0].Count, 0);
  EXPECT_EQ(st().ShapeCount, 0);

  // A full list ignores further lines, even for slots it already has.
  ResetModelDatabase(db(), m_->Images, &m_->Flags);
  text.clear();
  for (int i = 1; i <= 10; ++i) text += "CFGLABEL[" + std::to_string(i) + "] = 1|L\n";
  text += "CFGLABEL[10] = 2|again\n";
  parse(text);
  EXPECT_EQ(db().ConfigItems.Count, 10);
  EXPECT_EQ(db().ConfigItems[9].Label, "L");
}

TEST_F(ModelFileParserTest, CountersStopAtTheirCapacity) {
  std::string text;
  for (int i = 0; i < 25; ++i)
    text += "TABIMAGES[1] = t" + std::to_string(i) + "\nSHAPEID[2] = 7|s\n";
  for (int i = 0; i < 40; ++i) text += "PALMER_LS_FORMULA[1] = p|1\n";
  for (int i = 0; i < 12; ++i) text += "UNITTYPE[1] = T" + std::to_string(i) + "\n";
  for (int i = 0; i < 105; ++i)
    text += "DCAL[" + std::to_string(i + 1) + "] = " + std::to_string(i) + "\n";
  parse(text);
  EXPECT_EQ(st().StructureCount, 20);
  EXPECT_EQ(st().TabImages[0], "t24");
  EXPECT_EQ(st().ShapeCount, 20);
  EXPECT_EQ(st().formulas(FormulaFamily::Palmer, FlowUnit::LitresPerSecond).Count, 32);
  EXPECT_EQ(db().UnitTypeCount, 10);
  EXPECT_EQ(db().UnitTypes[9], "T9");
  EXPECT_EQ(db().FixedWordCount, 100);
  EXPECT_EQ(db().FixedWords[99].Word, 100);
  EXPECT_EQ(db().FixedWords[99].Value, 99);
}

TEST_F(ModelFileParserTest, ConfigurationLinesAndTheirExpansion) {
  parse("CONFIGURATION[3] = 1|2|3|4|5|6|7|8|9|10|100|High|101|Low|0||0||0||0||42|wire.pdf\n");
  const ModelConfiguration& c = db().Configurations[2];
  EXPECT_TRUE(c.Present);
  EXPECT_EQ(c.Number, 3);
  EXPECT_EQ(c.ChoiceCodes[9], 10);
  EXPECT_EQ(c.LevelWords[1], 101);
  EXPECT_EQ(c.LevelCaptions[1], "Low");
  EXPECT_EQ(c.LevelCaptions[2], "");
  EXPECT_EQ(c.Extra, 42);
  EXPECT_EQ(c.DrawingFile, "wire.pdf");

  // CONFIG appends one configuration per combination after the highest
  // index, the first list turning slowest; its own index plays no part.
  parse("CONFIG[1] = 7|1:2|3,4|-1|0|0|0|0|0|0|0|20|Hi|21|Lo|0||0||0||0||5|d.pdf\n");
  ASSERT_EQ(db().Configurations.Last, 6);
  EXPECT_EQ(db().Configurations.Count, 5);
  const int expected[4][2] = {{1, 3}, {1, 4}, {2, 3}, {2, 4}};
  for (int i = 0; i < 4; ++i) {
    const ModelConfiguration& e = db().Configurations[static_cast<std::size_t>(3 + i)];
    EXPECT_EQ(e.Number, 7);
    EXPECT_EQ(e.ChoiceCodes[0], expected[i][0]);
    EXPECT_EQ(e.ChoiceCodes[1], expected[i][1]);
    EXPECT_EQ(e.ChoiceCodes[2], -1);
    EXPECT_EQ(e.LevelCaptions[0], "Hi");
    EXPECT_EQ(e.DrawingFile, "d.pdf");
  }
}

TEST_F(ModelFileParserTest, ConfigExpansionStopsAtTheListCapacity) {
  // 21^10 combinations: must stop at 1000 entries without walking them all.
  parse(
      "CONFIG = 1|0:20|0:20|0:20|0:20|0:20|0:20|0:20|0:20|0:20|0:20|0||0||0||0||0||0||0|\n"
      "CONFIGURATION = 9|9|9|9|9|9|9|9|9|9\n");
  EXPECT_EQ(db().Configurations.Count, 1000);
  EXPECT_EQ(db().Configurations.Last, 999);
  const ModelConfiguration& last = db().Configurations[999];
  // 999 in base 21 over the last three lists: 2, 5, 12.
  EXPECT_EQ(last.ChoiceCodes[6], 0);
  EXPECT_EQ(last.ChoiceCodes[7], 2);
  EXPECT_EQ(last.ChoiceCodes[8], 5);
  EXPECT_EQ(last.ChoiceCodes[9], 12);
}

TEST_F(ModelFileParserTest, FormulaValuesAndStructureLists) {
  parse(
      "VNOTCH_CFS_FORMULA[1] =  90 deg | 2.49 |2.48\n"
      "VNOTCH_LS_FORMULA[2] = many|1|2|3|4|5|6|7|8|9|10|11\n"
      "PARSHALL_CFS_FORMULA[1] = huge|1e999\n"
      "SENSORUNITS[1] = 32|Gallons|7.48\nSTRAPUNITS[2] = 65569|Litres\nSENSORUNITS[3] = 34|Cubic\n"
      "NLUNITCONV[1] = 0.5\nCUBICAREATOVOL[2] = 7.48\nNLTYPE[1] = 770\n"
      "SHAPEID[2] = 3|Horizontal cylinder\nTABIMAGES[1] = tab1.bmp\nFRONTIMAGES[2] = f2.bmp\n"
      "GWRFRONTIMAGESVOLUME[20] = g20.bmp\n");
  const FormulaSet& v = st().formulas(FormulaFamily::VNotch, FlowUnit::CubicFeetPerSecond);
  EXPECT_EQ(v.Count, 1);
  EXPECT_EQ(v.Names[0], "90 deg");
  EXPECT_FLOAT_EQ(v.Coefficients[0][0], 2.49f);
  EXPECT_FLOAT_EQ(v.Coefficients[0][1], 2.48f);
  EXPECT_EQ(v.Coefficients[0][2], 0.0f);
  const FormulaSet& many = st().formulas(FormulaFamily::VNotch, FlowUnit::LitresPerSecond);
  EXPECT_EQ(many.Names[1], "many");
  EXPECT_EQ(many.Coefficients[1][9], 10.0f);  // the eleventh is not taken
  EXPECT_TRUE(std::isinf(
      st().formulas(FormulaFamily::Parshall, FlowUnit::CubicFeetPerSecond).Coefficients[0][0]));

  EXPECT_EQ(st().Units[0].Code, 32);
  EXPECT_EQ(st().Units[0].Factor, 7.48);
  EXPECT_EQ(st().Units[1].Code, 33);  // low 16 bits
  EXPECT_EQ(st().Units[1].Name, "Litres");
  EXPECT_EQ(st().Units[2].Factor, 0.0);
  EXPECT_EQ(st().SensorUnitCount, 2);
  EXPECT_EQ(st().StrapUnitCount, 1);
  EXPECT_EQ(st().NonLinearUnitFactors[0], 0.5);
  EXPECT_EQ(st().CubicFactors[1], 7.48);
  EXPECT_EQ(st().NlTypes[0], 770);
  EXPECT_EQ(st().ShapeIds[1], 3);
  EXPECT_EQ(st().ShapeNames[1], "Horizontal cylinder");
  EXPECT_EQ(st().ShapeIds[2], 0xFFFF);  // not read: still "none"
  EXPECT_EQ(st().StructureCount, 1);
  EXPECT_EQ(st().FrontImages[1], "f2.bmp");
  EXPECT_EQ(st().RadarFrontImagesVolume[19], "g20.bmp");
}

TEST_F(ModelFileParserTest, UnitTypeNamesTheDescriptionToUse) {
  m_->UnitType.Firmware = "G12";
  parse(
      "UNITTYPE[1] = KM-100 A7\nUNITTYPE[2] = KM-200 G12\n"
      "UNITDESCRIPTION[1] = first\nUNITDESCRIPTION[2] = second\n");
  EXPECT_EQ(db().UnitTypeCount, 2);
  EXPECT_EQ(m_->UnitType.Description, "Model: second");
  // The match starts at the first entry for every file.
  m_->UnitType.Firmware = "nowhere";
  parse("UNITTYPE[1] = KM-100 A7\nUNITDESCRIPTION[1] = fallback\nUNITDESCRIPTION[2] = other\n");
  EXPECT_EQ(m_->UnitType.Description, "Model: fallback");
}

TEST_F(ModelFileParserTest, ProgramNameOnlyFromTheProductFamilyFile) {
  parse("PROGRAMNAME = Impostor\nPROGRAMID = KM Config\n", "KM100.txt");
  EXPECT_EQ(m_->Identity.ProgramName, "");
  EXPECT_EQ(m_->Identity.ProgramId, "KM Config");
  parse("PROGRAMNAME = Impostor\n", "corporate_model.txt");
  EXPECT_EQ(m_->Identity.ProgramName, "");
  parse("PROGRAMNAME = Ostrel\nLANGUAGE_NUMBER = 1\nREGISTRY_FILE = settings.txt\n",
        "Corporate_Model.txt");
  EXPECT_EQ(m_->Identity.ProgramName, "Ostrel");
  EXPECT_EQ(m_->Values.LanguageNumber, 1);
  EXPECT_EQ(m_->Values.RegistryFile, "settings.txt");
}

TEST_F(ModelFileParserTest, AdvancedInputsShareTheirHighestIndex) {
  parse(
      "ADVINPUT[1] = 10|3|Damping|11|1|s\nADVTEXT[1] = Smooths\\nthe reading\n"
      "ADVINPUT[2] = -1|1|Fast|-1|0|\nADVTEXT[2] = Quick\nADVINPUT[2] = -1|2|Faster|-1|0|\n");
  const AdvancedInputList& a = db().AdvancedInputs;
  EXPECT_EQ(a[0].FlagWord, 10);
  EXPECT_EQ(a[0].FlagBit, 3);
  EXPECT_EQ(a[0].Caption, "Damping");
  EXPECT_EQ(a[0].ValueWord, 11);
  EXPECT_EQ(a[0].UnitsMode, 1);
  EXPECT_EQ(a[0].UnitsText, "s");
  EXPECT_EQ(a[0].ExplanatoryText, "Smooths\\nthe reading");
  EXPECT_EQ(a[1].Caption, "Faster");
  EXPECT_EQ(a[1].ExplanatoryText, "");  // a repeated input empties its text
  EXPECT_EQ(a.Count, 3);
  EXPECT_EQ(a.TextCount, 2);
  EXPECT_EQ(a.Last, 1);
  // An appended input goes to the input count reached after counting (an
  // index below Last does not count).
  parse("ADVINPUT[+] = 1|1|Appended|2|0|\n");
  EXPECT_EQ(a.Count, 3);
  EXPECT_EQ(a[3].Caption, "Appended");
  EXPECT_EQ(a.Last, 3);
}

TEST_F(ModelFileParserTest, PicturesOverlaysAndFlags) {
  parse(
      "OVERLAY = 1|2|a.bmp\nOVERLAY = 3|4|b.bmp\nIMAGE = tank.bmp\nOVERLAY[1] = 5|6|c.bmp\n"
      "ALTOVERLAY[2] = 1|2|p,3|4|q\nALTOVERLAY[3] = "
      "0|0|1,1|1|2,2|2|3,3|3|4,4|4|5,5|5|6,6|6|7,7|7|8,"
      "8|8|9,9|9|10\nLOGOIMAGE = logo.bmp\nTANKIMAGE = t1.bmp\n"
      "GUIDEDWAVERADAR = 1\nUGUS = 2\nPULSERADAR = 1\nDEMOTAB = TRUE\nGUIDE = true\nOPTOUT = TRUE "
      "\n");
  EXPECT_EQ(m_->Images.Image, "tank.bmp");
  EXPECT_EQ(m_->Images.Overlays.Last, 0);  // IMAGE restarted the overlay list
  EXPECT_EQ(m_->Images.Overlays[0].X, 5);
  EXPECT_EQ(m_->Images.Overlays[0].Caption, "c.bmp");
  EXPECT_EQ(m_->Images.AlternateOverlays[1][1].Y, 4);
  EXPECT_EQ(m_->Images.AlternateOverlays[1][1].Caption, "q");
  EXPECT_EQ(m_->Images.AlternatePartCount, 8);  // the ten-part line is cut at eight
  EXPECT_EQ(m_->Images.AlternateOverlays[2][7].Caption, "8");
  EXPECT_EQ(m_->Images.LogoImage, "logo.bmp");
  EXPECT_EQ(m_->Identity.LogoImage, "logo.bmp");
  EXPECT_EQ(m_->Images.TankImages[0], "t1.bmp");
  EXPECT_EQ(db().GuidedWaveRadar, 1);
  EXPECT_TRUE(m_->Flags.GuidedWaveRadar);
  EXPECT_EQ(db().Ugus, 2);
  EXPECT_TRUE(m_->Flags.Ugus);
  EXPECT_EQ(db().PulseRadar, 1);
  EXPECT_TRUE(m_->Values.DemoTab);
  EXPECT_FALSE(m_->Values.ShowGuide);    // booleans are exactly "TRUE"
  EXPECT_TRUE(m_->Values.UploadOptOut);  // the value is trimmed first
}

TEST_F(ModelFileParserTest, HelpKeysChangeTopicsBeforeTanks) {
  m_->HelpTopics.build(false, false);
  parse(
      "HLPCFG[2] = item2.htm\nHLPCFG[9] = item9.htm\nHLPLVL = levels.htm\nHLPADV = adv.htm\n"
      "HLPRESET = reset.htm\nHLPFACTORYDEFAULT = factory.htm\nDCAL[12] = -7\n");
  EXPECT_EQ(m_->HelpTopics.lookup(helpItemList(1)), "item2.htm");
  EXPECT_EQ(m_->HelpTopics.lookup(helpItemCaption(1)), "item2.htm");
  EXPECT_EQ(m_->HelpTopics.lookup(helpItemList(8)), "item9.htm");
  EXPECT_EQ(m_->HelpTopics.lookup(helpItemCaption(0)), "CONFIGURATION_GROUP.htm");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(m_->HelpTopics.lookup(helpLevelBox(i)), "levels.htm");
  EXPECT_EQ(m_->HelpTopics.lookup(HelpControl::AdvancedButton), "adv.htm");
  EXPECT_EQ(m_->HelpTopics.lookup(HelpControl::ClearScreenButton), "reset.htm");
  EXPECT_EQ(m_->HelpTopics.lookup(HelpControl::FactoryConfigButton), "factory.htm");
  ASSERT_EQ(db().FixedWordCount, 1);
  EXPECT_EQ(db().FixedWords[0].Word, 12);
  EXPECT_EQ(db().FixedWords[0].Value, -7);
}

TEST_F(ModelFileParserTest, NoiseAndHugeLinesNeverBreakTheRecords) {
  std::string huge = "UNITS[3] = " + std::string(100000, 'x') + "\n";
  huge += "CFGLABEL" + std::string(100000, '[') + "\n";
  huge += "CONFIG = " + std::string(50000, '|') + "\n";
  huge += "ALTOVERLAY[1] = " + std::string(50000, ',') + "\n";
  parse(huge);
  EXPECT_EQ(db().UnitNames[2].size(), 100000u);
  EXPECT_EQ(m_->Images.AlternatePartCount, 8);

  std::mt19937 rng(1234);
  for (int round = 0; round < 200; ++round) {
    std::string noise(static_cast<std::size_t>(rng() % 600), '\0');
    for (char& c : noise) c = static_cast<char>(rng() % 256);
    if (round % 2 == 0) noise = "\xFF\xFE" + noise;
    parse(noise);
  }
  EXPECT_LE(db().ConfigItems.Count, ModelDatabase::kConfigItems);
  EXPECT_LE(db().Configurations.Count, ModelDatabase::kConfigurations);
  EXPECT_LE(db().UnitTypeCount, ModelDatabase::kUnitTypes);
}

TEST_F(ModelFileParserTest, ParseLeavesRecordsAloneWhenTheFileIsMissing) {
  db().MaxHead = "kept";
  EXPECT_EQ(parser_->Parse(dir_ / "absent.txt"), 1);
  EXPECT_EQ(db().MaxHead, "kept");
  writeBytes(dir_ / "m.txt", utf16FileBytes("MAXHEAD = read\n"));
  EXPECT_EQ(parser_->Parse(dir_ / "m.txt"), 0);
  EXPECT_EQ(db().MaxHead, "read");
}

TEST_F(ModelFileParserTest, FileFormsPreferTheEncipheredFile) {
  const FmfCipher cipher;
  writeBytes(dir_ / "KM100.fmf", cipher.encipher(utf16FileBytes("MAXHEAD = from fmf\n")));
  writeBytes(dir_ / "KM100.txt", "MAXHEAD = from txt\r\n");
  writeBytes(dir_ / "KM200.txt", "MAXHEAD = only txt\r\n");
  const auto before = folderNames(dir_.path());

  EXPECT_TRUE(parser_->LoadModelFile(dir_ / "KM100", 90));
  EXPECT_EQ(db().MaxHead, "from fmf");
  // The busy line is cleared first and the progress set at the end.
  EXPECT_EQ(presenter_.progress.messages, (std::vector<std::string>{""}));
  EXPECT_EQ(presenter_.progress.steps, (std::vector<int>{90}));
  EXPECT_TRUE(parser_->LoadModelFile(dir_ / "KM100.txt", 0));
  EXPECT_EQ(db().MaxHead, "from txt");
  EXPECT_TRUE(parser_->LoadModelFile(dir_ / "KM200", 0));
  EXPECT_EQ(db().MaxHead, "only txt");
  EXPECT_TRUE(parser_->LoadModelFile(dir_ / "KM100.fmf", 0));
  EXPECT_EQ(db().MaxHead, "from fmf");
  EXPECT_EQ(presenter_.progress.steps.size(), 1u);  // progress 0 touches nothing

  EXPECT_FALSE(parser_->LoadModelFile(dir_ / "KM300", 50));
  EXPECT_FALSE(parser_->LoadModelFile(dir_ / "KM300.fmf", 0));
  EXPECT_FALSE(parser_->LoadModelFile(dir_ / "KM300.txt", 0));
  // Deciphering happens in memory: the folder is as it was.
  EXPECT_EQ(folderNames(dir_.path()), before);
}

TEST_F(ModelFileParserTest, EncipheredProductFamilyFileNamesTheProgram) {
  writeBytes(dir_ / "Corporate_Model.fmf",
             FmfCipher().encipher("PROGRAMNAME = Ostrel\r\nMODELID = KM\r\n"));
  EXPECT_TRUE(parser_->LoadModelFile(dir_ / "Corporate_Model", 0));
  EXPECT_EQ(m_->Identity.ProgramName, "Ostrel");
  EXPECT_EQ(m_->Identity.ModelId, "KM");
  // Another key reads noise: the file is not usable, nothing is set.
  parser_->setCipherKey(FmfKey{1, 2, 3, 4});
  m_->Identity.ModelId.clear();
  EXPECT_FALSE(parser_->LoadModelFile(dir_ / "Corporate_Model", 0));
  EXPECT_EQ(m_->Identity.ModelId, "");
}

}  // namespace
}  // namespace ostrel

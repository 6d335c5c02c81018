#include "core/firmware/program_names.h"

#include <gtest/gtest.h>

#include "core/model/fmf_cipher.h"
#include "firmware_test_files.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace pn = program_names;

TEST(ProgramNames, VersionAndRangeComeFromTheName) {
  EXPECT_EQ(pn::rangeText("A12p5ver41p2.fp2"), "12.5M");
  EXPECT_EQ(pn::versionText("A12p5ver41p2.fp2"), "41p2");
  EXPECT_EQ(pn::shownVersion("A12p5ver41p2.fp2"), "41.2");
  EXPECT_EQ(pn::versionNumber("A12p5ver41p2.fp2"), 41.2);
  EXPECT_EQ(pn::versionNumber("ver5.fp2"), 5.0);
  EXPECT_EQ(pn::versionNumber("ver41.fp2"), 41.0);
  EXPECT_EQ(pn::versionNumber("ver4p12.fp2"), 4.2);  // the third place is ignored
  EXPECT_EQ(pn::versionNumber("verC1.fp2"), 31.0);   // a..i count as 1..9
  EXPECT_EQ(pn::versionText("KM30VER41P2.fp2"), "");  // "ver" is looked for as written
  EXPECT_EQ(pn::rangeText("ver41p2.fp2"), "");

  EXPECT_FALSE(pn::versionNumber("ver40old.fp2"));
  EXPECT_FALSE(pn::versionNumber("A12ver40old.fp2"));
  EXPECT_FALSE(pn::versionNumber("ver41p2xy.fp2"));  // six characters
  EXPECT_TRUE(pn::versionNumber("verold.fp2"));      // "old" only after the first character
}

TEST(ProgramNames, OffersANewerFileAndAlwaysBelowRevisionTen) {
  EXPECT_FALSE(decideOffer(412, {"A9ver41p2.fp2"}).offer);  // 41.2 is not above 41.2
  const OfferDecision newer = decideOffer(412, {"A9ver41p2.fp2", "A9ver41p3.fp2"});
  EXPECT_TRUE(newer.offer);
  EXPECT_EQ(newer.messageKey, "STATUS_MESSAGE51");
  EXPECT_DOUBLE_EQ(newer.best, 41.3);

  const OfferDecision old = decideOffer(5, {"A9ver3.fp2"});
  EXPECT_TRUE(old.offer);
  EXPECT_EQ(old.messageKey, "STATUS_MESSAGE52");

  EXPECT_FALSE(decideOffer(412, {"A12ver90old.fp2"}).offer);
  EXPECT_TRUE(decideOffer(412, {}).noFiles);
  EXPECT_FALSE(decideOffer(412, {}).offer);
  EXPECT_DOUBLE_EQ(decideOffer(41, {"ver4p2.fp2"}).unitVersion, 41.0);
}

TEST(ProgramNames, ListsFilesWhosePidNamesAProgramOfTheModel) {
  test::TempDir dir;
  const std::string pkt = test::packetFrame(0x28, {1});
  test::writeBytes(dir / "A9ver41p2.fp2", test::combinedFile("KM30-U 41.2", "abc", pkt));
  test::writeBytes(dir / "A9ver50.fp2", test::combinedFile("km30-U", "abc", pkt));
  test::writeBytes(dir / "B9ver41p2.fp2", test::combinedFile("KM50-GWR", "abc", pkt));
  test::writeBytes(dir / "long.fp2", test::combinedFile(std::string("KM30-") + std::string(96, 'x'),
                                                        "abc", pkt));
  test::writeBytes(dir / "plain.fep", std::string(300, 'x'));
  // Shorter than a chunk header: skipped, and the entries after it still count.
  test::writeBytes(dir / "A0short.fp2", "PID");
  test::writeBytes(dir / "A1short.fp2", "");

  const std::vector<std::string> names{"KM30"};
  EXPECT_EQ(ListProgramFiles(dir.path(), names),
            (std::vector<std::string>{"A9ver41p2.fp2", "A9ver50.fp2"}));
  EXPECT_TRUE(ListProgramFiles(dir / "missing", names).empty());
}

TEST(ProgramNames, ReadsEveryProgramNameOfPlainAndEncipheredModelFiles) {
  test::TempDir dir;
  const std::string text = "UNITTYPE[1] = KM30\r\nPROGRAMNAME = KM30 ' main\r\n"
                           "programname = KM31\r\nPROGRAMNAMES = no\r\n";
  test::writeBytes(dir / "KM30.txt", text);
  test::writeBytes(dir / "KM30.fmf", FmfCipher().encipher(text));
  const std::vector<std::string> expected{"KM30", "KM31"};
  EXPECT_EQ(modelProgramNames(dir / "KM30.txt"), expected);
  EXPECT_EQ(modelProgramNames(dir / "KM30.fmf"), expected);
  EXPECT_FALSE(modelProgramNames(dir / "none.txt"));
  EXPECT_TRUE(programNameFits("km31", expected));
  EXPECT_FALSE(programNameFits("KM3", expected));
}

}  // namespace
}  // namespace ostrel

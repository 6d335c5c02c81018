#include "core/session/app_context.h"

#include <gtest/gtest.h>

#include "link/fake_cable_driver.h"
#include "test_support.h"

namespace ostrel {
namespace {

using test::readBytes;
using test::RecordingPresenter;
using test::TempDir;
using test::writeBytes;
namespace fs = std::filesystem;

TEST(VersionNumbers, ReadsUpToFourNumbersAndZeroesTheRest) {
  EXPECT_EQ(VersionNumbers::parse("5.1.2.7").Parts, (std::array<int, 4>{5, 1, 2, 7}));
  EXPECT_EQ(VersionNumbers::parse("5.0.0").Parts, (std::array<int, 4>{5, 0, 0, 0}));
  EXPECT_EQ(VersionNumbers::parse("6.x.3").Parts, (std::array<int, 4>{6, 0, 0, 0}));
  EXPECT_EQ(VersionNumbers::parse("").Parts, (std::array<int, 4>{0, 0, 0, 0}));
  EXPECT_EQ(VersionNumbers::parse("beta").Parts, (std::array<int, 4>{0, 0, 0, 0}));
}

class AppContextTest : public ::testing::Test {
 protected:
  AppContextTest()
      : ctx(WorkFolders::build(root.path(), test::sourceDataDir()), root / "config", presenter,
            std::make_unique<test::FakeCableDriver>()) {}

  TempDir root;
  RecordingPresenter presenter;
  AppContext ctx;
};

TEST_F(AppContextTest, StartupStepsWithTheShippedDataReachATitledRun) {
  std::string error;
  ASSERT_TRUE(ctx.prepareFolders(error)) << error;
  ASSERT_TRUE(ctx.openLog());
  ASSERT_TRUE(ctx.loadCorporateModel());
  EXPECT_EQ(ctx.Identity.ProgramId, "Ostrel");
  EXPECT_EQ(ctx.Identity.ModelId, "KM");
  EXPECT_FALSE(ctx.Identity.ProgramName.empty());
  EXPECT_FALSE(ctx.Identity.CorporateId.empty());
  EXPECT_EQ(ctx.Values.LanguageFile, "Ostrel_Language.txt");

  EXPECT_EQ(ctx.loadLanguage(), 0);
  EXPECT_EQ(ctx.text("IDC_RESTART"), "Try Again");
  EXPECT_EQ(ctx.text("NO_SUCH_KEY", "fallback"), "fallback");
  EXPECT_EQ(ctx.text("NO_SUCH_KEY"), "NO_SUCH_KEY");

  ASSERT_TRUE(ctx.installSettingsKey());
  int code = -1;
  ASSERT_FALSE(ctx.loadSettings(code)) << code;
  ctx.logStart();
  EXPECT_EQ(ctx.applicationTitle(), "Ostrel 5.0.0");

  const std::string log = readBytes(root / "Logs" / "logfile.txt");
  EXPECT_NE(log.find(" BRIMLET->Version 5.0.0 Started\r\n"), std::string::npos) << log;
  EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(AppContextTest, SecondColumnServesTheOtherLanguage) {
  std::string error;
  ASSERT_TRUE(ctx.prepareFolders(error));
  ASSERT_TRUE(ctx.loadCorporateModel());
  ctx.loadLanguage();
  ctx.Values.LanguageNumber = 1;
  const std::string zh = ctx.text("IDC_RESTART");
  EXPECT_FALSE(zh.empty());
  EXPECT_NE(zh, "Try Again");
}

TEST_F(AppContextTest, MissingProductFamilyFileIsReported) {
  fs::create_directories(root / "Models");  // an existing empty Models folder is not seeded
  std::string error;
  ASSERT_TRUE(ctx.prepareFolders(error));
  EXPECT_FALSE(ctx.loadCorporateModel());
}

TEST_F(AppContextTest, UnparsableVersionGivesZerosInTheTitle) {
  ctx.Identity.ProgramId = "Ostrel";
  ctx.Values.Version = "unknown";
  EXPECT_EQ(ctx.applicationTitle(), "Ostrel 0.0.0");
}

TEST_F(AppContextTest, SettingsFileNamedByTheModelIsUsedInsteadOfTheKey) {
  fs::create_directories(root / "Models");
  writeBytes(root / "Models" / "Corporate_Model.txt",
             "PROGRAMID = Ostrel\r\nPROGRAMNAME = Ostrel\r\nCORPORATEID = Vantrel\r\n"
             "REGISTRY_FILE = Site.txt\r\n");
  writeBytes(root / "Models" / "Site.txt", "VERSION = 7.2.1.0\r\n");
  std::string error;
  ASSERT_TRUE(ctx.prepareFolders(error));
  ASSERT_TRUE(ctx.loadCorporateModel());
  ASSERT_TRUE(ctx.installSettingsKey());
  int code = -1;
  ASSERT_FALSE(ctx.loadSettings(code));
  EXPECT_EQ(ctx.applicationTitle(), "Ostrel 7.2.1");
  EXPECT_FALSE(fs::exists(root / "config" / "Vantrel"));
}

}  // namespace
}  // namespace ostrel

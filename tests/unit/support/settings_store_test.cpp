#include "core/support/settings_store.h"

#include <gtest/gtest.h>

#include "core/support/app_settings.h"
#include "test_support.h"

namespace ostrel {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;
namespace fs = std::filesystem;

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStoreTest()
      : models(dir / "Models"), store(values, corporateId, programName, models, dir / "config") {
    fs::create_directories(models);
  }

  // The key as an installer leaves it, holding the given lines.
  void makeKey(const std::string& lines = "") {
    ASSERT_TRUE(RegistryKey::create(store.keyPath()));
    writeBytes(store.keyPath(), "# installed\n" + lines);
  }
  std::string keyValue(const std::string& name) {
    RegistryKey key;
    std::string v = "<missing>";
    if (key.open(store.keyPath())) key.queryValue(name, v);
    return v;
  }

  TempDir dir;
  fs::path models;
  std::string corporateId = "Vantrel";
  std::string programName = "Ostrel Level Configurator";
  AppSettings values;
  SettingsStore store;
};

TEST_F(SettingsStoreTest, FirstRunCompletesTheTwelveDefaultsAndReadsThemBack) {
  makeKey();
  int code = -1;
  ASSERT_FALSE(store.Load(code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(store.keyPath(), dir / "config" / "Vantrel" / "Ostrel Level Configurator.conf");
  for (const auto& d : SettingsStore::kDefaults) EXPECT_EQ(keyValue(d.name), d.value) << d.name;
  EXPECT_EQ(keyValue("KESTRANE_MODE"), "<missing>");
  EXPECT_EQ(keyValue("DEMOFW"), "<missing>");
  EXPECT_TRUE(values.ShowGuide);
  EXPECT_EQ(values.GuideFile, "User Guide.pps");
  EXPECT_EQ(values.DemoModel, "KM30Demo");
  EXPECT_EQ(values.DemoSerial, "1001");
  EXPECT_EQ(values.DemoSoftwareRevision, "0001");
  EXPECT_EQ(values.Version, "5.0.0");
  EXPECT_EQ(values.PreferredUnits, "Inches");
  EXPECT_FALSE(values.MakerMode);
  EXPECT_FALSE(values.TechSupport);
  EXPECT_FALSE(values.DemoTab);
}

TEST_F(SettingsStoreTest, ExistingValuesAreKeptAndBooleansMustBeExactlyTrue) {
  makeKey("GUIDE=FALSE\nDEMOTAB=true\nKESTRANE_MODE=TRUE\nTECHSUPPORT=True\n");
  int code = -1;
  ASSERT_FALSE(store.Load(code));
  EXPECT_FALSE(values.ShowGuide);
  EXPECT_EQ(keyValue("GUIDE"), "FALSE");
  EXPECT_EQ(keyValue("GFILE"), "User Guide.pps");  // added beside it
  EXPECT_FALSE(values.DemoTab);
  EXPECT_TRUE(values.MakerMode);
  EXPECT_FALSE(values.TechSupport);
}

TEST_F(SettingsStoreTest, MissingKeyFailsWithCode1AndIsNotCreated) {
  int code = 0;
  EXPECT_TRUE(store.Load(code));
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(fs::exists(store.keyPath()));
  bool flag = false;
  EXPECT_TRUE(store.ReadBool("OPTOUT", flag, code));
  EXPECT_EQ(code, 1);
  EXPECT_TRUE(store.WriteBool("GUIDE", false, code));
  EXPECT_EQ(code, 1);
}

TEST_F(SettingsStoreTest, OverlongValueFailsTheEnumerationWithCode2) {
  makeKey("PREF_UNITS=" + std::string(50, 'x') + "\n");
  int code = 0;
  EXPECT_TRUE(store.Load(code));
  EXPECT_EQ(code, 2);
  // 49 characters still fit the 100-byte buffer with its terminator.
  makeKey("PREF_UNITS=" + std::string(49, 'x') + "\n");
  EXPECT_FALSE(store.Load(code));
  EXPECT_EQ(values.PreferredUnits, std::string(49, 'x'));
}

TEST_F(SettingsStoreTest, SingleValuesRoundTripThroughTheKey) {
  makeKey();
  int code = -1;
  ASSERT_FALSE(store.WriteBool("PENDING", true, code));
  ASSERT_FALSE(store.WriteText("PREF_UNITS", "Meters", code));
  bool pending = false;
  ASSERT_FALSE(store.ReadBool("PENDING", pending, code));
  EXPECT_TRUE(pending);
  EXPECT_EQ(keyValue("PREF_UNITS"), "Meters");
  bool missing = true;
  EXPECT_TRUE(store.ReadBool("NOT_THERE", missing, code));
  EXPECT_EQ(code, 2);
  EXPECT_TRUE(missing);  // a failed read leaves the value alone
}

class SettingsFileTest : public SettingsStoreTest {
 protected:
  SettingsFileTest() { values.RegistryFile = "Site_Settings.txt"; }
  fs::path file() const { return models / "Site_Settings.txt"; }
};

TEST_F(SettingsFileTest, LoadTakesTheKeysOfTheFileAndLeavesOthersAlone) {
  writeBytes(file(),
             "' site settings\r\nVERSION = 5.1.2.7\r\nDEMOFW = KM30\r\nKESTRANE_MODE = TRUE\r\n"
             "DEMOTAB = true\r\nUNITS = Feet\r\n");
  values.DemoModel = "kept";
  int code = -1;
  ASSERT_FALSE(store.Load(code));
  EXPECT_EQ(values.Version, "5.1.2.7");
  EXPECT_EQ(values.DemoFirmware, "KM30");
  EXPECT_TRUE(values.MakerMode);
  EXPECT_FALSE(values.DemoTab);  // booleans in the file are exact too
  EXPECT_EQ(values.DemoModel, "kept");
  EXPECT_FALSE(fs::exists(store.keyPath()));  // the per-user key is not touched
}

TEST_F(SettingsFileTest, MissingFileFailsLoadReadsFalseAndRefusesWrites) {
  int code = 0;
  EXPECT_TRUE(store.Load(code));
  EXPECT_EQ(code, SettingsStore::kSettingsFileUnreadable);
  bool flag = true;
  EXPECT_FALSE(store.ReadBool("OPTOUT", flag, code));
  EXPECT_FALSE(flag);
  EXPECT_TRUE(store.WriteBool("PENDING", false, code));
  EXPECT_EQ(code, 4);
  EXPECT_FALSE(fs::exists(file()));
}

TEST_F(SettingsFileTest, ReadBoolIgnoresCaseInTheFile) {
  writeBytes(file(), "OPTOUT = true\r\nPENDING = no\r\n");
  bool flag = false;
  int code = -1;
  EXPECT_FALSE(store.ReadBool("OPTOUT", flag, code));
  EXPECT_TRUE(flag);
  EXPECT_FALSE(store.ReadBool("PENDING", flag, code));
  EXPECT_FALSE(flag);
}

TEST_F(SettingsFileTest, WriteRewritesEveryLineOfTheKey) {
  writeBytes(file(), "' comment\r\nPENDING = TRUE\r\nOPTOUT = FALSE\r\n\r\nPENDING = TRUE\r\n");
  int code = -1;
  ASSERT_FALSE(store.WriteBool("PENDING", false, code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(readBytes(file()),
            test::utf16FileBytes("PENDING = FALSE\nOPTOUT = FALSE\nPENDING = FALSE\n"));
}

TEST_F(SettingsFileTest, WriteOfAKeyTheFileLacksFailsWithCode4AfterRewriting) {
  writeBytes(file(), "' comment\r\nOPTOUT = FALSE\r\n");
  int code = -1;
  EXPECT_TRUE(store.WriteBool("PENDING", false, code));
  EXPECT_EQ(code, 4);
  EXPECT_EQ(readBytes(file()), test::utf16FileBytes("OPTOUT = FALSE\n"));
}

}  // namespace
}  // namespace ostrel

#include <gtest/gtest.h>

#include <filesystem>

#include "core/model/fmf_cipher.h"
#include "core/model/model_file_parser.h"
#include "core/support/app_settings.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> shippedTextFiles() {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(test::sourceDataDir() / "Models")) {
    if (e.is_regular_file() && e.path().extension() == ".txt") files.push_back(e.path());
  }
  return files;
}

TEST(ShippedModels, EveryTextFileSurvivesTheCipherRoundTripExactly) {
  const FmfCipher cipher;
  const auto files = shippedTextFiles();
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    const std::string plain = test::readBytes(file);
    const std::string enciphered = cipher.encipher(plain);
    EXPECT_EQ(enciphered.size() % FmfCipher::kBlockSize, 0u) << file;
    EXPECT_NE(enciphered.substr(0, plain.size()), plain) << file;
    EXPECT_EQ(cipher.decipherText(enciphered), plain) << file;
  }
}

TEST(ShippedModels, EncipheredFilesDecipherToTheirPlainTwins) {
  // Where both forms ship, the .fmf must hold exactly the text of the .txt.
  const FmfCipher cipher;
  for (const fs::path& file : shippedTextFiles()) {
    fs::path twin = file;
    twin.replace_extension(".fmf");
    if (!fs::exists(twin)) continue;
    EXPECT_EQ(cipher.decipherText(test::readBytes(twin)), test::readBytes(file)) << twin;
  }
}

TEST(ShippedModels, SettingsExampleNamesEverySetting) {
  AppSettings s;
  ModelTargets targets;
  targets.settings = &s;
  ModelFileParser parser(targets);
  ASSERT_EQ(parser.Parse(test::sourceDataDir() / "Models" / "Ostrel_Settings.txt"), 0);
  EXPECT_EQ(s.Version, "5.0.0.0");
  EXPECT_EQ(s.DemoModel, "KM30Demo");
  EXPECT_FALSE(s.DemoFirmware.empty());
  EXPECT_TRUE(s.ShowGuide);
  EXPECT_EQ(s.PreferredUnits, "Inches");
}

}  // namespace
}  // namespace ostrel

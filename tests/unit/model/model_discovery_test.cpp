#include "core/model/model_discovery.h"

#include <gtest/gtest.h>

#include "core/model/fmf_cipher.h"
#include "model_test_support.h"

namespace ostrel {
namespace {

using test::TempDir;
using test::utf16FileBytes;
using test::writeBytes;

using Names = std::vector<std::string>;

TEST(ModelDiscovery, PatternsIgnoreCaseAndListingsAreSorted) {
  EXPECT_TRUE(ModelDiscovery::MatchesPattern("km100.TXT", "KM*.txt"));
  EXPECT_TRUE(ModelDiscovery::MatchesPattern("KM.txt", "KM*.txt"));
  EXPECT_FALSE(ModelDiscovery::MatchesPattern("KM1.txt.bak", "KM*.txt"));
  EXPECT_FALSE(ModelDiscovery::MatchesPattern("XKM1.txt", "KM*.txt"));
  EXPECT_TRUE(ModelDiscovery::MatchesPattern("KM7.fmf", "KM?.fmf"));
  EXPECT_FALSE(ModelDiscovery::MatchesPattern("KM77.fmf", "KM?.fmf"));
  EXPECT_TRUE(
      ModelDiscovery::MatchesPattern("K\xC3\xA9.txt", "K?.txt"));  // one character, two bytes
  EXPECT_TRUE(ModelDiscovery::MatchesPattern("a-b-c-d", "*b*d"));

  TempDir dir;
  for (const char* name : {"KM2.txt", "km1.TXT", "KX.txt", "KM3.fmf", "KM0.txt"}) {
    writeBytes(dir / name, "x");
  }
  std::filesystem::create_directory(dir / "KMdir.txt");
  Names list{"stale"};
  EXPECT_EQ(ModelDiscovery::ListModelFiles(dir.path(), "KM*.txt", list), 3);
  EXPECT_EQ(list, (Names{"KM0.txt", "KM2.txt", "km1.TXT"}));
  EXPECT_EQ(ModelDiscovery::ListModelFiles(dir / "missing", "*", list), 0);
  EXPECT_TRUE(list.empty());
}

class ModelDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override { m_->loadLanguage(languageDir_); }

  bool find(const Names& wanted, int progress, std::string& dest,
            FmfKey key = FmfCipher::projectKey()) {
    ModelDiscovery discovery(dir_.path(), &m_->Language, 0, &presenter_.busy(), key);
    return discovery.FindModelFile("KM", "UNITTYPE", wanted, progress, dest);
  }

  TempDir dir_;
  TempDir languageDir_;
  std::unique_ptr<test::ModelRecords> m_ = test::makeModelRecords();
  test::RecordingPresenter presenter_;
};

TEST_F(ModelDiscoveryTest, PlainFilesComeBeforeEncipheredOnes) {
  const FmfCipher cipher;
  // "KM_a.fmf" sorts first, yet every plain file is tried before it.
  writeBytes(dir_ / "KM_a.fmf", cipher.encipher("UNITTYPE = KM-100\r\nUNITTYPE = G12\r\n"));
  writeBytes(dir_ / "KM_z.txt", utf16FileBytes("UNITTYPE = km-100\nUNITTYPE = g12\n"));
  writeBytes(dir_ / "KM_b.txt", "UNITTYPE = KM-100\r\nUNITTYPE = G13\r\n");
  std::string dest = "before";
  EXPECT_TRUE(find({"KM-100", "G12"}, 90, dest));
  EXPECT_EQ(dest, "KM_z.txt");
  EXPECT_EQ(presenter_.progress.messages, (Names{"Searching model files"}));

  EXPECT_TRUE(find({"KM-100", "G13"}, 0, dest));
  EXPECT_EQ(dest, "KM_b.txt");
  EXPECT_TRUE(find({"KM-100"}, 0, dest));
  EXPECT_EQ(dest, "KM_b.txt");

  // Only the enciphered file lists this pair once the plain ones are gone.
  std::filesystem::remove(dir_ / "KM_z.txt");
  EXPECT_TRUE(find({"KM-100", "G12"}, 90, dest));
  EXPECT_EQ(dest, "KM_a.fmf");
  // A file enciphered with another key matches nothing.
  dest = "before";
  EXPECT_FALSE(find({"KM-100", "G12"}, 0, dest, FmfKey{9, 9, 9, 9}));
  EXPECT_EQ(dest, "before");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            2);  // nothing deciphered was left in the folder
}

TEST_F(ModelDiscoveryTest, SameBaseNameFindsPlainAndLoadsEnciphered) {
  writeBytes(dir_ / "KM100.txt", "UNITTYPE = KM-100\r\nMAXHEAD = plain\r\n");
  writeBytes(dir_ / "KM100.fmf",
             FmfCipher().encipher("UNITTYPE = KM-200\r\nMAXHEAD = enciphered\r\n"));
  std::string dest;
  ASSERT_TRUE(find({"KM-100"}, 0, dest));
  EXPECT_EQ(dest, "KM100.txt");
  ModelFileParser parser(m_->targets());
  const std::string base = dest.substr(0, dest.rfind('.'));
  ASSERT_TRUE(parser.LoadModelFile(dir_ / base, 0));
  EXPECT_EQ(m_->Database.MaxHead, "enciphered");
}

TEST_F(ModelDiscoveryTest, NoMatchShowsBothMessagesAndKeepsTheDestination) {
  std::string dest = "kept";
  EXPECT_FALSE(find({"KM-100"}, 90, dest));
  EXPECT_EQ(dest, "kept");
  EXPECT_EQ(presenter_.progress.messages,
            (Names{"Searching model files", "Searching enciphered model files"}));
  writeBytes(dir_ / "KM1.txt", "");  // unreadable as a model: matches nothing
  writeBytes(dir_ / "OTHER.txt", "UNITTYPE = KM-100\r\n");
  EXPECT_FALSE(find({"KM-100"}, 0, dest));
  EXPECT_EQ(dest, "kept");
}

}  // namespace
}  // namespace ostrel

#include "cli/model_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/model/fmf_cipher.h"
#include "test_support.h"

namespace ostrel {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

struct CommandRun {
  int code = 0;
  std::string out;
  std::string err;
};

CommandRun run(std::vector<std::string> args) {
  std::ostringstream out;
  std::ostringstream err;
  CommandRun r;
  r.code = runModelCommand(args, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

TEST(ModelCommands, EncipherAndDecipherRoundTrip) {
  TempDir dir;
  const std::string text = "MODELID = KM\r\nUNITTYPE = KM-100\r\n";
  writeBytes(dir / "m.txt", text);
  const std::string in = (dir / "m.txt").string();
  const std::string fmf = (dir / "m.fmf").string();
  const std::string back = (dir / "back.txt").string();

  ASSERT_EQ(run({"model", "encipher", in, fmf}).code, 0);
  EXPECT_EQ(readBytes(fmf), FmfCipher().encipher(text));
  ASSERT_EQ(run({"model", "decipher", fmf, back}).code, 0);
  EXPECT_EQ(readBytes(back), text);

  // Another key, given as hex, is used both ways.
  const std::string hex = "00112233445566778899AABBCCDDEEFF";
  ASSERT_EQ(run({"model", "encipher", in, fmf, "--key", hex}).code, 0);
  EXPECT_EQ(readBytes(fmf), FmfCipher(*FmfCipher::parseKey(hex)).encipher(text));
  ASSERT_EQ(run({"model", "decipher", "--key", hex, fmf, back}).code, 0);
  EXPECT_EQ(readBytes(back), text);
}

TEST(ModelCommands, UsageErrorsAndFailuresHaveTheirCodes) {
  TempDir dir;
  EXPECT_EQ(run({"model"}).code, 2);
  EXPECT_EQ(run({"model", "frobnicate"}).code, 2);
  EXPECT_EQ(run({"model", "encipher", "only-one"}).code, 2);
  const CommandRun badKey = run({"model", "decipher", "a", "b", "--key", "12345"});
  EXPECT_EQ(badKey.code, 2);
  EXPECT_NE(badKey.err.find("usage:"), std::string::npos);
  EXPECT_EQ(run({"model", "decipher", "a", "b", "--key"}).code, 2);
  EXPECT_EQ(run({"model", "show", "x", "--bogus"}).code, 2);

  const CommandRun missing =
      run({"model", "encipher", (dir / "absent.txt").string(), (dir / "o").string()});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "o"));
  writeBytes(dir / "in.txt", "x");
  EXPECT_EQ(
      run({"model", "encipher", (dir / "in.txt").string(), (dir / "no/such/o").string()}).code, 1);
  EXPECT_EQ(run({"model", "show", (dir / "absent").string()}).code, 1);
}

TEST(ModelCommands, ShowPrintsWhatTheFileDefines) {
  TempDir dir;
  writeBytes(dir / "KM.txt",
             "CFGLABEL[1] = 5|Out \"put\" \\ type\r\nCFGITEM[1][1] = 3|Relay\tA\r\n"
             "CONFIG = 7|1:2|0|0|0|0|0|0|0|0|0|10|High|0||0||0||0||0||1|w.pdf\r\n"
             "UNITS = Feet\r\nUNITCONV = 708\r\nUNITTYPE = KM-100\r\nDCAL[4] = 9\r\n"
             "ADVINPUT[1] = 1|2|Damping|3|1|s\r\nVNOTCH_CFS_FORMULA[1] = 90|2.49|2.5\r\n"
             "SHAPEID[1] = 3|Cylinder\r\n");
  const CommandRun json = run({"model", "show", (dir / "KM.txt").string(), "--json"});
  ASSERT_EQ(json.code, 0) << json.err;
  EXPECT_NE(json.out.find("\"label\": \"Out \\\"put\\\" \\\\ type\""), std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"text\": \"Relay\\tA\""), std::string::npos);
  EXPECT_NE(json.out.find("\"configurationCount\": 2"), std::string::npos);
  EXPECT_NE(json.out.find("\"drawingFile\": \"w.pdf\""), std::string::npos);
  EXPECT_NE(json.out.find("\"VNOTCH_CFS\""), std::string::npos);
  EXPECT_NE(json.out.find("2.49"), std::string::npos);
  EXPECT_NE(json.out.find("\"shapeName\": \"Cylinder\""), std::string::npos);
  EXPECT_NE(json.out.find("\"unitTypes\": [\n      \"KM-100\""), std::string::npos);

  const CommandRun text = run({"model", "show", (dir / "KM").string()});
  ASSERT_EQ(text.code, 0) << text.err;
  EXPECT_NE(text.out.find("label: Out \"put\" \\ type"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("caption: Damping"), std::string::npos);
  EXPECT_NE(text.out.find("unitTypes: KM-100"), std::string::npos);
}

}  // namespace
}  // namespace ostrel

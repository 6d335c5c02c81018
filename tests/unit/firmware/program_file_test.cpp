#include "core/firmware/program_file.h"

#include <gtest/gtest.h>

#include "core/firmware/crc32.h"
#include "firmware_test_files.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace pf = program_file;

TEST(ProgramFileCrc, IsTheIeeeCrcOfEveryByteBeforeTheCrcChunk) {
  const CCRC_32 crc;
  EXPECT_EQ(crc.of("abc"), 0x352441C2u);
  EXPECT_EQ(crc.of("123456789"), 0xCBF43926u);

  const std::string file = test::combinedFile("KM30-U demo", std::string(300, 'x'),
                                              test::packetFrame(0x28, {1, 2, 3, 4}));
  const pf::CombinedFile good = pf::readCombined(file);
  ASSERT_EQ(good.result, pf::kCheckOk) << good.problem;
  EXPECT_EQ(good.pid, "KM30-U demo");
  ASSERT_EQ(good.chunks.size(), 4u);
  EXPECT_EQ(good.chunks[3].tag, pf::kTagCrc);
  EXPECT_EQ(good.crcStored, good.crcComputed);

  // Any changed byte before the CRC chunk, header bytes too, fails the file.
  const std::size_t crcAt = good.chunks[3].offset;
  for (std::size_t i = 0; i < crcAt; ++i) {
    std::string bad = file;
    bad[i] = static_cast<char>(bad[i] ^ 0x01);
    EXPECT_NE(pf::readCombined(bad).result, pf::kCheckOk) << "byte " << i;
  }
  std::string dataChanged = file;
  dataChanged[good.chunks[1].offset + 20] ^= 0x40;
  EXPECT_EQ(pf::readCombined(dataChanged).result, pf::kCheckCrcMismatch);
}

TEST(ProgramFileCombined, RefusesFilesThatWouldFailPartWay) {
  const std::string pkt = test::packetFrame(0x28, {1, 2});
  // No CRC chunk, a cut header, data behind the CRC, an unknown tag.
  std::string noCrc = test::chunk(pf::kTagPid, "KM30-U") + test::chunk(pf::kTagFep, "abc");
  EXPECT_EQ(pf::readCombined(noCrc).result, pf::kCheckMalformed);
  EXPECT_EQ(pf::readCombined(noCrc + "PKT").result, pf::kCheckMalformed);
  const std::string good = test::combinedFile("KM30-U", "abc", pkt);
  EXPECT_EQ(pf::readCombined(good + "X").result, pf::kCheckInvalid);
  EXPECT_EQ(pf::readCombined(test::withCrc(test::chunk(0x00585858, "abc"))).result,
            pf::kCheckInvalid);
  // A PID over 100 bytes, a program chunk over 131071 bytes, a packet chunk
  // whose last frame is cut short: known before anything is sent.
  EXPECT_EQ(pf::readCombined(test::combinedFile(std::string(101, 'K'), "abc", pkt)).result,
            pf::kCheckMalformed);
  EXPECT_EQ(pf::readCombined(test::combinedFile("KM30-U", std::string(131072, 'x'), pkt)).result,
            pf::kCheckUnfitChunk);
  EXPECT_EQ(pf::readCombined(test::combinedFile("KM30-U", std::string(131071, 'x'), pkt)).result,
            pf::kCheckOk);
  const pf::CombinedFile cut =
      pf::readCombined(test::combinedFile("KM30-U", "abc", pkt + pkt.substr(0, 4)));
  EXPECT_EQ(cut.result, pf::kCheckUnfitChunk);
}

TEST(ProgramFilePacket, SkipsAtMost99BytesBeforeAFrameAndReportsCutFrames) {
  const std::string frame = test::packetFrame(0x33, {});
  std::uint8_t out[260];
  std::size_t pos = 0;
  const std::string ok = std::string(99, '\x11') + frame;
  EXPECT_EQ(pf::nextPacketFrame(ok, pos, out), 4);
  EXPECT_EQ(pos, ok.size());
  EXPECT_EQ(pf::nextPacketFrame(ok, pos, out), 0);
  std::size_t at = 0;
  EXPECT_TRUE(pf::packetProgramReadable(ok, at));

  pos = 0;
  const std::string bad = std::string(100, '\x11') + frame;
  EXPECT_EQ(pf::nextPacketFrame(bad, pos, out), -1);
  EXPECT_FALSE(pf::packetProgramReadable(bad, at));

  pos = 0;
  EXPECT_EQ(pf::nextPacketFrame(std::string("\xA5"), pos, out), -2);
  pos = 0;
  EXPECT_EQ(pf::nextPacketFrame(frame.substr(0, 3), pos, out), -3);
  EXPECT_FALSE(pf::packetProgramReadable(frame + frame + frame.substr(0, 2), at));
  EXPECT_EQ(at, 2 * frame.size());
}

TEST(ProgramFileEncrypted, FillsAShortLastFrameWithTheSumAndZeros) {
  std::string program;
  for (int i = 0; i < 100; ++i) program.push_back(static_cast<char>(0x80 + i));
  std::uint8_t frame[80];
  std::size_t pos = 0;
  ASSERT_EQ(pf::nextProgramDataFrame(program, pos, 64, frame), 64);
  ASSERT_EQ(pf::nextProgramDataFrame(program, pos, 64, frame), 36);
  EXPECT_EQ(frame[1], 0x41);
  auto sum = static_cast<std::uint8_t>(0xA5 + 0x41 + 0x24);
  for (int i = 64; i < 100; ++i) sum = static_cast<std::uint8_t>(sum + 0x80 + i);
  EXPECT_EQ(frame[3 + 35], 0x80 + 99);
  EXPECT_EQ(frame[3 + 36], sum);
  for (int i = 37; i <= 64; ++i) EXPECT_EQ(frame[3 + i], 0) << "offset " << 3 + i;
  EXPECT_EQ(pf::nextProgramDataFrame(program, pos, 64, frame), 0);

  pos = 0;
  ASSERT_EQ(pf::nextProgramDataFrame(program, pos, 72, frame), 72);
  EXPECT_EQ(frame[1], 0x48);
  EXPECT_EQ(pos, 72u);
}

TEST(ProgramFileNames, AcceptsOnlyTheThreeExtensionsWrittenExactly) {
  EXPECT_EQ(pf::kindOfName("A12p5ver41p2.fp2"), ProgramKind::Fp2);
  EXPECT_EQ(pf::kindOfName("x.pkt"), ProgramKind::Pkt);
  EXPECT_EQ(pf::kindOfName("x.fep"), ProgramKind::Fep);
  EXPECT_FALSE(pf::kindOfName("x.FP2"));
  EXPECT_FALSE(pf::kindOfName("a.fp2.fp2"));  // the first ".fp2" is not the end
  EXPECT_FALSE(pf::kindOfName("x.fp2.bak"));
  EXPECT_EQ(pf::programName(std::string("KM30-U 4.1.2\0junk", 18)), "KM30");
  EXPECT_EQ(pf::programName("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "ABCDEFGHIJKLMNOPQRST");
}

}  // namespace
}  // namespace ostrel

#include "core/firmware/program_target.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "../link/fake_cable_driver.h"
#include "core/link/unit_link.h"
#include "core/support/language_table.h"
#include "core/support/log_file.h"
#include "firmware_test_files.h"
#include "test_support.h"

namespace ostrel {
namespace {

using test::ack;
using test::Bytes;

const Bytes kReady{0xA5, 0x01, 0x10, 0xB6};

// A unit in its boot loader, as far as these tests need one: it acknowledges
// every frame, refuses what the test asks, and answers program data and
// stored blocks with a ready frame.
struct ScriptedUnit {
  int eraseFailures = 0;        // the first n erase commands are refused
  bool refusesLargePackets = false;
  int silentFromData = 0;       // no ready frame from the n-th 0x24 on
  std::vector<Bytes> frames;    // every frame received, without its pad
  int dataFrames = 0;

  Bytes answer(const Bytes& w) {
    Bytes f(w.begin(), w.end() - 1);
    frames.push_back(f);
    const std::uint8_t cmd = f[2];
    if (cmd == 0x17 && eraseFailures > 0) {
      --eraseFailures;
      return ack(cmd, 5);
    }
    if (cmd == 0x40 && refusesLargePackets) return ack(cmd, 2);
    Bytes out = ack(cmd);
    if (cmd == 0x24) {
      ++dataFrames;
      if (silentFromData > 0 && dataFrames >= silentFromData) return {};
    }
    if (cmd == 0x24 || cmd == 0x32) out.insert(out.end(), kReady.begin(), kReady.end());
    return out;
  }
  std::vector<std::uint8_t> commands() const {
    std::vector<std::uint8_t> c;
    for (const Bytes& f : frames) c.push_back(f[2]);
    return c;
  }
  long count(std::uint8_t cmd) const {
    const auto c = commands();
    return std::count(c.begin(), c.end(), cmd);
  }
};

UnitLink::Timing quickTiming() {
  UnitLink::Timing t;
  t.framePhaseMs = 60;
  t.eraseProgramMs = 0;
  t.settleMs = 0;
  return t;
}

class ProgramTargetTest : public ::testing::Test {
 protected:
  ProgramTargetTest() : link(d, quickTiming()), target(link, presenter, language, 0, log) {
    d.responder = [this](const Bytes& w) {
      const Bytes a = unit.answer(w);
      if (!a.empty()) d.push(a);
    };
    link.SetTargetProduct("Linkbud USB Interface Cable");
    EXPECT_EQ(link.Open(), 0);  // an open link counts as connected
    log.setFolder(dir.path());
    EXPECT_TRUE(log.Open());
    target.progress = [this](int v, std::size_t, std::size_t) { progress.push_back(v); };
  }

  std::string logText() {
    log.Close();
    return test::readBytes(dir / "logfile.txt");
  }
  std::vector<std::string> shown() const {
    std::vector<std::string> t;
    for (const auto& m : presenter.messages) t.push_back(m.text);
    return t;
  }

  test::TempDir dir;
  test::FakeCableDriver d;
  ScriptedUnit unit;
  UnitLink link;
  test::RecordingPresenter presenter;
  LanguageTable language;
  LogFile log;
  CProgramTarget target;
  std::vector<int> progress;
};

std::string counting(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(i * 7 + 1));
  return s;
}

TEST_F(ProgramTargetTest, EncryptedProgramGoesOutInFramesOfTheAcceptedPacketSize) {
  const std::string program = counting(144);
  test::writeBytes(dir / "p.fep", program);
  target.path = dir / "p.fep";
  ASSERT_EQ(target.ProgramEncryptedFile(), 0);
  EXPECT_EQ(target.packetSize(), 72);
  EXPECT_EQ(unit.commands(), (std::vector<std::uint8_t>{0x10, 0x40, 0x17, 0x24, 0x24}));
  EXPECT_EQ(unit.frames[1], (Bytes{0xA5, 0x02, 0x40, 72, (0xA5 + 0x02 + 0x40 + 72) & 0xFF}));
  // The check byte takes the place of each packet's 72nd byte.
  for (int k = 0; k < 2; ++k) {
    const Bytes& f = unit.frames[3 + k];
    ASSERT_EQ(f.size(), 75u);
    EXPECT_EQ(Bytes(f.begin(), f.begin() + 3), (Bytes{0xA5, 0x48, 0x24}));
    EXPECT_EQ(std::string(f.begin() + 3, f.begin() + 74), program.substr(72 * k, 71));
  }
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 1000);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_TRUE(link.IsOpen());

  unit = ScriptedUnit{};
  unit.refusesLargePackets = true;
  ASSERT_EQ(target.ProgramEncryptedFile(), 0);
  EXPECT_EQ(target.packetSize(), 64);
  ASSERT_EQ(unit.count(0x24), 3);
  const Bytes& first = unit.frames[3];
  ASSERT_EQ(first.size(), 68u);
  EXPECT_EQ(first[1], 0x41);
  EXPECT_EQ(std::string(first.begin() + 3, first.begin() + 67), program.substr(0, 64));
  // The last frame: 16 bytes, the running sum, zeros.
  const Bytes& last = unit.frames[5];
  EXPECT_EQ(std::string(last.begin() + 3, last.begin() + 19), program.substr(128, 16));
  EXPECT_TRUE(std::all_of(last.begin() + 20, last.end() - 1, [](std::uint8_t b) { return b == 0; }));
}

TEST_F(ProgramTargetTest, EraseIsTriedFiveTimesWithOneRetryNotice) {
  test::writeBytes(dir / "p.fep", counting(64));
  target.path = dir / "p.fep";
  unit.eraseFailures = 4;
  ASSERT_EQ(target.ProgramEncryptedFile(), 0);
  EXPECT_EQ(unit.commands(),
            (std::vector<std::uint8_t>{0x10, 0x40, 0x17, 0x17, 0x17, 0x17, 0x49, 0x17, 0x24}));
  EXPECT_EQ(shown(), std::vector<std::string>{"Erase flash retry"});

  unit = ScriptedUnit{};
  unit.eraseFailures = 5;
  presenter.messages.clear();
  EXPECT_EQ(target.ProgramEncryptedFile(), 5);  // the unit's status
  EXPECT_EQ(unit.count(0x24), 0);
  EXPECT_EQ(unit.commands().back(), 0x49);
  EXPECT_EQ(target.lastFailure().key, "ERROR_MESSAGE65");
  EXPECT_FALSE(link.IsOpen());

  ASSERT_EQ(link.Open(), 0);
  unit = ScriptedUnit{};
  unit.eraseFailures = 5;
  test::writeBytes(dir / "p.pkt", test::packetFrame(0x28, {1}));
  target.path = dir / "p.pkt";
  EXPECT_EQ(target.ProgramPacketFile(), -5);
  EXPECT_EQ(target.lastFailure().key, "ERROR_MESSAGE86");
  EXPECT_EQ(unit.count(0x28), 0);
}

TEST_F(ProgramTargetTest, AUnitThatStopsAnsweringEndsTheRunAfterThreeWaits) {
  test::writeBytes(dir / "p.fep", counting(64 * 5));
  target.path = dir / "p.fep";
  unit.refusesLargePackets = true;
  unit.silentFromData = 3;
  EXPECT_NE(target.ProgramEncryptedFile(), 0);
  EXPECT_EQ(target.lastFailure().key, "ERROR_MESSAGE83");
  EXPECT_EQ(unit.count(0x24), 3);
  EXPECT_EQ(unit.commands().back(), 0x49);
  EXPECT_EQ(progress.back(), 0);
  EXPECT_FALSE(link.IsOpen());
}

TEST_F(ProgramTargetTest, FileLimitsAreCheckedBeforeTheUnitHearsAnything) {
  test::writeBytes(dir / "big.fep", std::string(131072, 'x'));
  target.path = dir / "big.fep";
  EXPECT_NE(target.ProgramEncryptedFile(), 0);
  EXPECT_EQ(target.lastFailure().key, "ERROR_MESSAGE80");
  test::writeBytes(dir / "empty.fep", "");
  target.path = dir / "empty.fep";
  ASSERT_EQ(link.Open(), 0);
  EXPECT_NE(target.ProgramEncryptedFile(), 0);
  EXPECT_EQ(target.lastFailure().key, "ERROR_MESSAGE161");

  // A packet program whose second frame is cut short, and one with no frame.
  const std::string frame = test::packetFrame(0x33, {});
  test::writeBytes(dir / "cut.pkt", frame + frame.substr(0, 3));
  target.path = dir / "cut.pkt";
  ASSERT_EQ(link.Open(), 0);
  EXPECT_NE(target.ProgramPacketFile(), 0);
  EXPECT_EQ(target.lastFailure().key, "ERROR_MESSAGE160");
  test::writeBytes(dir / "none.pkt", std::string(50, '\x01'));
  target.path = dir / "none.pkt";
  ASSERT_EQ(link.Open(), 0);
  EXPECT_NE(target.ProgramPacketFile(), 0);
  EXPECT_EQ(target.lastFailure().key, "ERROR_MESSAGE161");
  EXPECT_TRUE(unit.frames.empty());

  test::writeBytes(dir / "max.fep", std::string(131071, 'x'));
  target.path = dir / "max.fep";
  unit.refusesLargePackets = true;
  ASSERT_EQ(link.Open(), 0);
  EXPECT_EQ(target.ProgramEncryptedFile(), 0);
  EXPECT_EQ(unit.count(0x24), 2048);
}

TEST_F(ProgramTargetTest, PacketProgramLogsEachStepAndChecksTheBlockReadyFrame) {
  std::vector<std::uint8_t> block(65, 0x11);
  block[0] = 0;
  const std::string program = test::packetFrame(0x33, {}) + test::packetFrame(0x32, block) +
                              test::packetFrame(0x34, {2}) + test::packetFrame(0x36, {}) +
                              test::packetFrame(0x28, {9, 9});
  test::writeBytes(dir / "p.pkt", program);
  target.path = dir / "p.pkt";
  ASSERT_EQ(target.ProgramPacketFile(), 0);
  EXPECT_EQ(unit.commands(), (std::vector<std::uint8_t>{0x10, 0x17, 0x33, 0x32, 0x34, 0x36, 0x28}));
  const std::string text = logText();
  for (const char* line : {"WRITEPROGRAM->Scratch Erased", "WRITEPROGRAM->Write Data Packet OK",
                           "WRITEPROGRAM->Write Factory Data Target OK",
                           "WRITEPROGRAM->History Erased", "WRITEPROGRAM->CRC verified",
                           "WRITEPROGRAM->Programming Completed"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(text.find("Customer Data"), std::string::npos);
}

TEST_F(ProgramTargetTest, CombinedFileIsCheckedWholeThenProgrammedChunkByChunk) {
  const std::string fep = counting(128);
  const std::string pkt = test::packetFrame(0x28, {1, 2, 3, 4});
  std::string file = test::combinedFile("KM30-U 41.2", fep, pkt);
  test::writeBytes(dir / "A9ver41p2.fp2", file);
  target.path = dir / "A9ver41p2.fp2";
  target.programNames = {"KM30"};
  ASSERT_EQ(target.Run(), 0);
  // The packet chunk follows the program without an erase of its own.
  EXPECT_EQ(unit.commands(),
            (std::vector<std::uint8_t>{0x10, 0x40, 0x17, 0x24, 0x24, 0x10, 0x28}));
  EXPECT_EQ(progress.back(), 1000);
  EXPECT_NE(logText().find("WRITECOMBINEDPROGRAMTARGET->CRC match!"), std::string::npos);

  // A changed byte: the unit hears nothing.
  ASSERT_TRUE(log.Open());
  file[30] ^= 0x10;
  test::writeBytes(dir / "bad.fp2", file);
  target.path = dir / "bad.fp2";
  unit = ScriptedUnit{};
  EXPECT_EQ(target.Run(), CProgramTarget::kCrcMismatch);
  EXPECT_TRUE(unit.frames.empty());
  EXPECT_EQ(shown().back(), "File is invalid!");
  EXPECT_NE(logText().find("WRITECOMBINEDPROGRAMTARGET->CRC mismatch!"), std::string::npos);
}

TEST_F(ProgramTargetTest, AFileForAnotherModelNeedsToBeForced) {
  test::writeBytes(dir / "B9ver41.fp2",
                   test::combinedFile("KM50-GWR", counting(64), test::packetFrame(0x28, {})));
  target.path = dir / "B9ver41.fp2";
  target.programNames = {"KM30"};
  EXPECT_EQ(target.Run(), CProgramTarget::kProgramNameUnfit);
  EXPECT_EQ(target.lastFailure().key, "ERROR_MESSAGE162");
  EXPECT_TRUE(unit.frames.empty());

  ASSERT_EQ(link.Open(), 0);
  target.forceUnfit = true;
  EXPECT_EQ(target.Run(), 0);
  EXPECT_EQ(unit.count(0x24), 1);
}

TEST_F(ProgramTargetTest, AFailedChunkEndsTheCombinedRunWithItsNegatedResult) {
  test::writeBytes(dir / "p.fp2",
                   test::combinedFile("KM30-U", counting(64), test::packetFrame(0x28, {})));
  target.path = dir / "p.fp2";
  unit.eraseFailures = 5;
  EXPECT_EQ(target.Run(), -5);
  EXPECT_EQ(unit.count(0x28), 0);
  EXPECT_NE(logText().find("Program write error!"), std::string::npos);
}

}  // namespace
}  // namespace ostrel

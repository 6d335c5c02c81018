// ostrel-unitsim as a separate process, talked to over its pseudo-terminal
// the way the serial driver does.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pty_port.h"
#include "unit/sim_test_support.h"
#include "unitsim_process.h"

extern char** environ;

namespace ostrel::sim {
namespace {

using test::ack;
using test::Bytes;
using test::command;
using test::concat;
using test::hex;
using test::Unitsim;
using Port = test::PtyPort;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/ostrel-unitsim-XXXXXX";
    if (::mkdtemp(name)) path = name;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

Bytes fileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Unitsim, ServesAUnitAndDumpsItsMemoriesOnSigterm) {
  TempDir dump;
  Unitsim sim({"--kind", "guided-wave", "--dump", dump.path.string()});
  const std::string path = sim.slavePath();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
  Port port(path);
  ASSERT_TRUE(port.ok());

  EXPECT_EQ(port.talk(hex("A5 01 10 B6 00"), 6), hex("A5 03 2F 10 00 E7"));
  // Factory block 2 holds byte 180, the type letter.
  const Bytes factory2 = port.talk(command(0x31, {2, 2}), 75);
  ASSERT_EQ(factory2.size(), 75u);
  EXPECT_EQ(factory2[10 + 52], 'G');

  Bytes page(512);
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<std::uint8_t>(i ^ 0x5A);
  EXPECT_EQ(port.talk(command(0x33), 6), ack(0x33));
  for (std::uint8_t b = 0; b < 8; ++b) {
    Bytes data = {b};
    data.insert(data.end(), page.begin() + 64 * b, page.begin() + 64 * (b + 1));
    EXPECT_EQ(port.talk(command(0x32, data), 10), concat({ack(0x32), hex("A5 01 10 B6")}));
  }
  EXPECT_EQ(port.talk(command(0x34, {1}), 6), ack(0x34));

  EXPECT_EQ(sim.finish(SIGTERM), 0);
  EXPECT_EQ(fileBytes(dump.path / "customer.bin"), page);
  const Bytes factory = fileBytes(dump.path / "factory.bin");
  ASSERT_EQ(factory.size(), 512u);
  EXPECT_EQ(factory[180], 'G');
  EXPECT_EQ(fs::file_size(dump.path / "info.bin"), 128u);
  EXPECT_EQ(fs::file_size(dump.path / "echo.bin"), 2048u);
  EXPECT_EQ(fs::file_size(dump.path / "scan.bin"), 2048u);
  EXPECT_EQ(fs::file_size(dump.path / "model.bin"), 512u);
}

TEST(Unitsim, SurvivesTheToolClosingAndReopeningThePort) {
  Unitsim sim({});
  const std::string path = sim.slavePath();
  for (int round = 0; round < 3; ++round) {
    Port port(path);
    ASSERT_TRUE(port.ok()) << "round " << round << ": " << std::strerror(errno);
    EXPECT_EQ(port.talk(hex("A5 01 10 B6 00"), 6), hex("A5 03 2F 10 00 E7")) << "round " << round;
    // The pty would keep exclusive mode after the close and lock out the
    // next open (for anyone but root); the simulator clears it on its next
    // pass, which may come just after the answer.
    const auto deadline = Clock::now() + milliseconds(500);
    while (port.exclusive() && Clock::now() < deadline) ::usleep(5000);
    EXPECT_FALSE(port.exclusive()) << "round " << round;
  }
  EXPECT_EQ(sim.finish(SIGINT), 0);
}

TEST(Unitsim, Only1200UntilTheBaudCommand) {
  Unitsim sim({"--only-1200"});
  Port port(sim.slavePath());
  ASSERT_TRUE(port.ok());
  port.write(hex("A5 01 10 B6 00"));
  EXPECT_TRUE(port.read(1, milliseconds(150)).empty()) << "silent at 9600";

  port.setBaud(B1200);
  EXPECT_EQ(port.talk(hex("A5 01 10 B6 00"), 6), hex("A5 03 2F 10 00 E7"));
  EXPECT_EQ(port.talk(hex("A5 05 52 80 25 00 00 A1 00"), 6), hex("A5 03 2F 52 00 29"));
  port.setBaud(B9600);
  EXPECT_EQ(port.talk(hex("A5 01 10 B6 00"), 6), hex("A5 03 2F 10 00 E7"));
}

TEST(Unitsim, FaultsFromTheCommandLine) {
  Unitsim sim({"--fault", "0x10:1:refuse=7", "--fault=0x31:*:wrong-data-check"});
  Port port(sim.slavePath());
  ASSERT_TRUE(port.ok());
  EXPECT_EQ(port.talk(hex("A5 01 10 B6 00"), 6), ack(0x10, 7));
  EXPECT_EQ(port.talk(hex("A5 01 10 B6 00"), 6), ack(0x10));
  const Bytes answer = port.talk(hex("A5 03 31 01 00 DA 00"), 75);
  ASSERT_EQ(answer.size(), 75u);
  unsigned sum = 0;
  for (std::size_t i = 6; i < 74; ++i) sum += answer[i];
  EXPECT_EQ(answer[74], (sum + 1) % 256);
}

TEST(Unitsim, PacedAnswersTakeTheirWireTime) {
  Unitsim sim({"--pace"});
  Port port(sim.slavePath());
  ASSERT_TRUE(port.ok());
  const auto t0 = Clock::now();
  const Bytes answer = port.talk(hex("A5 03 31 01 00 DA 00"), 75);
  EXPECT_EQ(answer.size(), 75u);
  // Command to its check byte, acknowledgement and data frame: 81 bytes.
  EXPECT_GE(Clock::now() - t0, milliseconds(80));
}

TEST(Unitsim, LoadsAnImageFolder) {
  TempDir image;
  const Bytes customer(512, 0x21);
  std::ofstream(image.path / "customer.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(customer.data()), 512);
  Unitsim sim({"--kind", "u-type", "--image", image.path.string()});
  Port port(sim.slavePath());
  ASSERT_TRUE(port.ok());
  const Bytes block = port.talk(command(0x31, {1, 3}), 75);
  ASSERT_EQ(block.size(), 75u);
  EXPECT_EQ(Bytes(block.begin() + 10, block.begin() + 74), Bytes(64, 0x21));
  // The rest is the built-in u-type unit.
  EXPECT_EQ(port.talk(command(0x31, {2, 2}), 75).at(10 + 52), 'U');
}

TEST(Unitsim, RefusesBadImagesAndOptions) {
  TempDir image;
  std::ofstream(image.path / "echo.bin", std::ios::binary).write("short", 5);
  EXPECT_EQ(Unitsim({"--image", image.path.string()}).finish(0), 1);
  EXPECT_EQ(Unitsim({"--kind", "radar"}).finish(0), 2);
  EXPECT_EQ(Unitsim({"--fault", "0x31:1:explode"}).finish(0), 2);
  EXPECT_EQ(Unitsim({"--bogus"}).finish(0), 2);

  Unitsim help({"--help"});
  EXPECT_NE(help.output().find("Usage: ostrel-unitsim"), std::string::npos);
  EXPECT_EQ(help.finish(0), 0);
}

}  // namespace
}  // namespace ostrel::sim

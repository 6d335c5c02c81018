// Firmware updates end to end: the programming worker against the simulated
// boot loader in-process and over a pseudo-terminal, and ostrelctl's
// firmware commands.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "cli/firmware_commands.h"
#include "core/firmware/crc32.h"
#include "core/firmware/program_file.h"
#include "core/firmware/program_names.h"
#include "core/firmware/program_target.h"
#include "core/link/serial_cable_driver.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/session/page_unit_identity.h"
#include "core/support/language_table.h"
#include "core/support/log_file.h"
#include "core/support/presenter.h"
#include "sim/page_unit.h"
#include "sim/simulated_cable_driver.h"
#include "cli_run.h"
#include "test_support.h"
#include "unitsim_process.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

fs::path programs() { return test::sourceDataDir() / "Programs"; }
fs::path newerKm30() { return programs() / "A9p1ver41p3.fp2"; }

std::uint32_t le32(const std::string& s, std::size_t at) {
  return static_cast<std::uint8_t>(s[at]) | static_cast<std::uint8_t>(s[at + 1]) << 8 |
         static_cast<std::uint8_t>(s[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 3])) << 24;
}

// The FEP chunk's data, read from the file's bytes: PID chunk first, FEP next.
std::vector<std::uint8_t> programBytes(const fs::path& file) {
  const std::string s = test::readBytes(file);
  const std::size_t fep = 8 + le32(s, 4);
  EXPECT_EQ(s.substr(fep, 4), std::string("FEP\0", 4));
  const std::size_t n = le32(s, fep + 4);
  return {s.begin() + static_cast<std::ptrdiff_t>(fep + 8),
          s.begin() + static_cast<std::ptrdiff_t>(fep + 8 + n)};
}

// The update as the update page drives it: the worker on its own thread,
// the link lent to it until it ends.
struct Updater {
  explicit Updater(CableDriver& driver) : link(driver), memory(link) {
    std::vector<std::string> cables;
    link.EnumerateCables(cables, UnitLink::kVendorId, UnitLink::kProductId);
    if (!cables.empty()) link.SetTargetProduct(cables.back());
    link.StartServiceThread();
  }
  ~Updater() { link.StopServiceThread(); }

  int program(const fs::path& file) {
    CProgramTarget target(link, presenter, language, 0, log);
    target.path = file;
    target.programNames = {"KM30"};
    target.progress = [this](int v, std::size_t, std::size_t) { lastProgress = v; };
    int result = 1;
    std::thread worker([&] { result = target.Run(); });
    worker.join();
    failure = target.lastFailure();
    return result;
  }
  PageUnitIdentity identify() {
    link.Close();
    if (link.Connect() != 0) return {};
    return identifyPageUnit(memory, nullptr);
  }

  UnitLink link;
  UnitMemory memory;
  NullPresenter presenter;
  LanguageTable language;
  LogFile log;
  int lastProgress = -1;
  CProgramTarget::Failure failure;
};

std::vector<std::string> km30Programs() {
  return modelProgramNames(test::sourceDataDir() / "Models" / "KM30_Ultrasonic.txt").value();
}

TEST(FirmwareSim, ACombinedFileLeavesTheUnitHoldingItsProgramWithTheNewRevision) {
  const auto unit = std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic);
  sim::SimulatedCableDriver driver(unit);
  Updater u(driver);
  const PageUnitIdentity before = u.identify();
  ASSERT_TRUE(before.ok());
  EXPECT_EQ(before.swRev, 412);
  const std::vector<std::string> fitting = ListProgramFiles(programs(), km30Programs());
  EXPECT_EQ(fitting, (std::vector<std::string>{"A9p1ver40old.fp2", "A9p1ver41p2.fp2",
                                               "A9p1ver41p3.fp2"}));
  EXPECT_TRUE(decideOffer(before.swRev, fitting).offer);

  ASSERT_EQ(u.program(newerKm30()), 0) << u.failure.text;
  EXPECT_EQ(u.lastProgress, 1000);
  EXPECT_EQ(unit->bootState().program, programBytes(newerKm30()));
  EXPECT_EQ(unit->arrivals(0x24), 32u);  // 72-byte packets

  const PageUnitIdentity after = u.identify();
  ASSERT_TRUE(after.ok());
  EXPECT_EQ(after.swRev, 413);
  EXPECT_EQ(after.firmware, "KM30-U");
  EXPECT_FALSE(decideOffer(after.swRev, fitting).offer);

  // A unit that keeps to 64-byte packets ends up with the same bytes.
  unit->addFault({0x40, sim::Fault::kEvery, sim::FaultKind::Refuse, 2});
  ASSERT_EQ(u.program(programs() / "A9p1ver41p2.fp2"), 0) << u.failure.text;
  EXPECT_EQ(unit->bootState().program, programBytes(programs() / "A9p1ver41p2.fp2"));
  EXPECT_EQ(unit->arrivals(0x24), 32u + 36u);
  EXPECT_EQ(u.identify().swRev, 412);
}

TEST(FirmwareSim, PowerLostPartWayFailsWithinSecondsAndTheUnitCanBeProgrammedAgain) {
  const auto unit = std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic);
  unit->addFault({0x24, 10, sim::FaultKind::PowerLost, 1500});
  sim::SimulatedCableDriver driver(unit);
  Updater u(driver);

  const auto start = Clock::now();
  EXPECT_NE(u.program(newerKm30()), 0);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(12));
  EXPECT_EQ(u.failure.key, "ERROR_MESSAGE83");
  EXPECT_EQ(u.lastProgress, 0);
  EXPECT_FALSE(u.link.IsOpen());
  EXPECT_TRUE(unit->bootState().erased);

  // Back on power it reports an erased firmware: found by its hardware alone.
  const PageUnitIdentity erased = u.identify();
  ASSERT_TRUE(erased.ok());
  EXPECT_EQ(erased.firmware, "");
  EXPECT_EQ(erased.swRev, 0);
  EXPECT_EQ(decideOffer(erased.swRev, {"A9p1ver41p3.fp2"}).messageKey, "STATUS_MESSAGE52");

  ASSERT_EQ(u.program(newerKm30()), 0) << u.failure.text;
  EXPECT_EQ(unit->bootState().program, programBytes(newerKm30()));
  const PageUnitIdentity after = u.identify();
  EXPECT_EQ(after.swRev, 413);
  EXPECT_EQ(after.firmware, "KM30-U");
}

// A unit frame as a packet program holds it: A5 L cmd data check.
std::string unitFrame(std::uint8_t cmd, const std::string& data) {
  std::string f{'\xA5', static_cast<char>(data.size() + 1), static_cast<char>(cmd)};
  f += data;
  unsigned sum = 0;
  for (char c : f) sum += static_cast<std::uint8_t>(c);
  return f + static_cast<char>(sum);
}

std::string chunk(std::uint32_t tag, const std::string& data) {
  std::string h(8, '\0');
  for (int i = 0; i < 4; ++i) {
    h[static_cast<std::size_t>(i)] = static_cast<char>(tag >> (8 * i));
    h[static_cast<std::size_t>(4 + i)] = static_cast<char>(data.size() >> (8 * i));
  }
  return h + data;
}

std::string le32text(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

TEST(FirmwareSim, APacketChunkWritesTheFactoryPageAndHasTheProgramVerified) {
  const auto unit = std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic);
  sim::UnitMemories m = unit->memories();
  m.history.fill(0x5A);
  unit->setMemories(m);
  sim::SimulatedCableDriver driver(unit);
  Updater u(driver);
  test::TempDir dir;

  const std::vector<std::uint8_t> programData = programBytes(newerKm30());
  const std::string program(programData.begin(), programData.end());
  std::string factory(512, '\0');
  for (std::size_t i = 0; i < factory.size(); ++i) factory[i] = static_cast<char>(i * 7 + 3);
  const auto combined = [&](std::uint32_t crc) {
    std::string pkt = unitFrame(0x33, "");
    for (int b = 0; b < 8; ++b) {
      pkt += unitFrame(0x32, std::string(1, static_cast<char>(b)) +
                                 factory.substr(static_cast<std::size_t>(b) * 64, 64));
    }
    pkt += unitFrame(0x34, std::string(1, '\2')) + unitFrame(0x36, "") +
           unitFrame(0x28, le32text(crc));
    const std::string body = chunk(program_file::kTagPid, std::string("KM30-U 9\0", 9)) +
                             chunk(program_file::kTagFep, program) +
                             chunk(program_file::kTagPkt, pkt);
    return body + chunk(program_file::kTagCrc, le32text(CCRC_32().of(body)));
  };
  const std::uint32_t crc = CCRC_32().of(program);

  test::writeBytes(dir / "A9ver9.fp2", combined(crc));
  ASSERT_EQ(u.program(dir / "A9ver9.fp2"), 0) << u.failure.text;
  EXPECT_EQ(unit->bootState().program, programData);
  const sim::UnitMemories after = unit->memories();
  EXPECT_EQ(std::string(after.factory.begin(), after.factory.end()), factory);
  EXPECT_TRUE(std::all_of(after.history.begin(), after.history.end(),
                          [](std::uint8_t b) { return b == 0; }));

  // A check sum that is not the program's: the unit refuses the check and
  // the run fails on it.
  test::writeBytes(dir / "A9ver9.fp2", combined(crc ^ 1));
  EXPECT_NE(u.program(dir / "A9ver9.fp2"), 0);
  EXPECT_EQ(u.failure.key, "ERROR_MESSAGE87");
}

TEST(FirmwareSim, OverAPseudoTerminalTheUnitsimTakesAProgram) {
  sim::test::Unitsim sim({"--kind", "ultrasonic", "--fault", "0x24:5:power-lost=1000"});
  SerialCableDriver driver(fs::path(sim.slavePath()));
  Updater u(driver);
  EXPECT_NE(u.program(newerKm30()), 0);
  EXPECT_EQ(u.failure.key, "ERROR_MESSAGE83");
  EXPECT_EQ(u.identify().swRev, 0);
  ASSERT_EQ(u.program(newerKm30()), 0) << u.failure.text;
  EXPECT_EQ(u.identify().swRev, 413);
}

// --- ostrelctl ---------------------------------------------------------------

using test::CliRun;

CliRun run(const std::vector<std::string>& args, const char* simulate = nullptr, bool json = true) {
  LinkOptions o;
  if (simulate) o.simulate = simulate;
  o.json = json;
  return test::runCli(runFirmwareCommand, o, args);
}

TEST(FirmwareCli, ShowsWhatAProgramFileHolds) {
  CliRun r = run({"program-file", "show", newerKm30().string()});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* expected :
       {"\"kind\": \"fp2\"", "\"tag\": \"PID\"", "\"offset\": 0", "\"length\": 12",
        "\"tag\": \"FEP\"", "\"length\": 2304", "\"pid\": \"KM30-U 41.3\"",
        "\"program_name\": \"KM30\"", "\"crc_ok\": true", "\"range\": \"9.1M\"",
        "\"version_text\": \"41p3\"", "\"version\": 41.3", "\"offered\": true"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  }

  test::TempDir dir;
  std::string bytes = test::readBytes(newerKm30());
  bytes[40] ^= 1;
  test::writeBytes(dir / "A9ver41p3.fp2", bytes);
  r = run({"program-file", "show", (dir / "A9ver41p3.fp2").string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"crc_ok\": false"), std::string::npos) << r.out;
  EXPECT_EQ(run({"program-file", "show", (dir / "missing.fp2").string()}).status, 2);
  EXPECT_EQ(run({"program-file", "show", (dir / "ver40old.fep").string()}).status, 2);

  test::writeBytes(dir / "ver40old.fep", "abc");
  r = run({"program-file", "show", (dir / "ver40old.fep").string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"crc_ok\": null"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"version\": null"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"offered\": false"), std::string::npos) << r.out;
}

TEST(FirmwareCli, PackRebuildsAShippedFileByteForByte) {
  test::TempDir dir;
  const std::string file = test::readBytes(newerKm30());
  const std::vector<std::uint8_t> fep = programBytes(newerKm30());
  test::writeBytes(dir / "p.fep", std::string(fep.begin(), fep.end()));
  const std::size_t pkt = 8 + le32(file, 4) + 8 + fep.size();
  test::writeBytes(dir / "p.pkt", file.substr(pkt + 8, le32(file, pkt + 4)));
  const CliRun r = run({"program-file", "pack", "--pid", "KM30-U 41.3", "--fep",
                        (dir / "p.fep").string(), "--pkt", (dir / "p.pkt").string(), "--out",
                        (dir / "out.fp2").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::readBytes(dir / "out.fp2"), file);
  EXPECT_EQ(run({"program-file", "pack", "--pid", "x", "--fep", (dir / "p.fep").string(),
                 "--out", (dir / "out.FP2").string()}).status,
            2);
}

TEST(FirmwareCli, ProgramsOffersTheNewerFileAndProgramReportsTheNewRevision) {
  CliRun r = run({"programs", "--programs", programs().string()}, "ultrasonic");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"sw_rev\": 412"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"name\": \"A9p1ver41p3.fp2\""), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("A15p2ver10p6"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"message_key\": \"STATUS_MESSAGE51\""), std::string::npos) << r.out;

  if (::isatty(STDIN_FILENO) != 1) {
    r = run({"program", newerKm30().string()}, "ultrasonic");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
  }
  r = run({"program", (programs() / "A15p2ver10p6.fp2").string(), "--yes"}, "ultrasonic");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("result -7"), std::string::npos) << r.err;

  r = run({"program", newerKm30().string(), "--yes"}, "ultrasonic");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"sw_rev\": 413"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("100%"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace ostrel

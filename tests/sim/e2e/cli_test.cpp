// ostrelctl's unit commands against the in-process simulated units.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/link_commands.h"
#include "cli_run.h"
#include "unitsim_process.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

using test::CliRun;

CliRun run(const LinkOptions& options, const std::vector<std::string>& args) {
  return test::runCli(runLinkCommand, options, args);
}

LinkOptions simulated(const char* kind, bool json = true) {
  LinkOptions o;
  o.simulate = kind;
  o.json = json;
  return o;
}

struct ScratchDir {
  ScratchDir() {
    char name[] = "/tmp/ostrelctl-test-XXXXXX";
    path = ::mkdtemp(name);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

TEST(Ostrelctl, IdentifyReportsTheUnitInJson) {
  const CliRun r = run(simulated("guided-wave"), {"identify"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* expected :
       {"\"kind\": \"guided-wave\"", "\"serial\": 520114", "\"model\": \"KM50-2410\"",
        "\"firmware\": \"KM50-GWR\"", "\"sw_rev\": 105", "\"type_letter\": \"G\""}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  }
  EXPECT_EQ(r.out.front(), '{');
  EXPECT_EQ(r.out.substr(r.out.size() - 2), "}\n");
}

TEST(Ostrelctl, PagesGoToFilesRawAndComeBackVerified) {
  ScratchDir dir;
  const fs::path file = dir.path / "info.bin";
  CliRun r = run(simulated("ultrasonic"), {"read-page", "info", "--out", file.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::file_size(file), 128u);
  r = run(simulated("ultrasonic"), {"read-page", "customer", "--out", file.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::file_size(file), 512u);

  r = run(simulated("ultrasonic"), {"write-page", "customer", file.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"verified\": true"), std::string::npos);

  std::ofstream(dir.path / "short.bin") << "too short";
  r = run(simulated("ultrasonic"), {"write-page", "customer", (dir.path / "short.bin").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("exactly 512"), std::string::npos);
}

TEST(Ostrelctl, EchoRecordSummary) {
  const CliRun r = run(simulated("ultrasonic", false), {"read-blocks", "echo"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("distance_counts: "), std::string::npos);
  EXPECT_NE(r.out.find("loop_current: "), std::string::npos);
}

TEST(Ostrelctl, StreamDecodesFrames) {
  const CliRun r = run(simulated("ultrasonic"), {"stream", "--seconds", "1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"raw\": "), std::string::npos);
  EXPECT_NE(r.out.find("\"bad\": 0"), std::string::npos);
}

TEST(Ostrelctl, UsageErrorsAndFailuresHaveTheirExitStatus) {
  EXPECT_EQ(run(simulated("ultrasonic"), {"read-page", "nonsense"}).status, 2);
  EXPECT_EQ(run(simulated("ultrasonic"), {"read-blocks"}).status, 2);
  EXPECT_EQ(run(simulated("ultrasonic"), {"stream", "--seconds", "0"}).status, 2);
  EXPECT_EQ(run(simulated("submarine"), {"identify"}).status, 2);
  // No cable at all: a clear failure with the result code.
  LinkOptions none;
  none.port = "/dev/ostrel-no-such-port";
  const CliRun r = run(none, {"identify"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("result -1"), std::string::npos) << r.err;
}

// A failed connect says what it found at the port, besides its code.
TEST(Ostrelctl, ConnectFailuresSayWhatWasFound) {
  const auto connectAt = [](const std::string& path) {
    LinkOptions at;
    at.port = path;
    return run(at, {"identify"});
  };
  for (const char* notSerial : {"/tmp", "/dev/null"}) {
    const CliRun r = connectAt(notSerial);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("(result -1): " + std::string(notSerial) + " is not a serial device"),
              std::string::npos)
        << r.err;
  }
  const CliRun missing = connectAt("/dev/ostrel-no-such-port");
  EXPECT_NE(missing.err.find("/dev/ostrel-no-such-port: no such device"), std::string::npos)
      << missing.err;

  // A terminal that opens but where nobody answers, at either baud rate.
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const CliRun silent = connectAt(::ptsname(master));
  ::close(master);
  EXPECT_EQ(silent.status, 1);
  EXPECT_NE(silent.err.find("(result -1): no unit answered at 9600 or 1200 baud"),
            std::string::npos)
      << silent.err;
}

TEST(Ostrelctl, WritePageLandsInTheSimulatorsDump) {
  ScratchDir dir;
  sim::test::Unitsim unitsim({"--kind", "ultrasonic", "--dump", (dir.path / "dump").string()});
  LinkOptions port;
  port.port = unitsim.slavePath();
  std::string page(512, '\0');
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<char>(i * 7);
  std::ofstream(dir.path / "page.bin", std::ios::binary) << page;
  const CliRun r = run(port, {"write-page", "customer", (dir.path / "page.bin").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(unitsim.finish(SIGTERM), 0);
  std::ifstream dumped(dir.path / "dump" / "customer.bin", std::ios::binary);
  const std::string back((std::istreambuf_iterator<char>(dumped)), std::istreambuf_iterator<char>());
  EXPECT_EQ(back, page);
}

}  // namespace
}  // namespace ostrel

namespace ostrel {
namespace {

TEST(OstrelctlRadar, IdentifyReportsThePulseRadar) {
  const CliRun r = run(simulated("pulse-radar"), {"identify"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* expected : {"\"kind\": \"pulse-radar\"", "\"serial\": 710244",
                               "\"model\": \"KM70-2610\"", "\"firmware\": \"215\""}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  }
}

TEST(OstrelctlRadar, SetThenGetOverTheLineReturnsTheWrittenValues) {
  sim::test::Unitsim unitsim({"--kind", "pulse-radar"});
  LinkOptions port;
  port.port = unitsim.slavePath();
  port.json = true;
  CliRun r = run(port, {"radar", "set", "foam=2", "Sensor Height=7.5"});
  ASSERT_EQ(r.status, 0) << r.err;
  r = run(port, {"radar", "get", "0x502", "sensor-height"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"value\": 2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"value\": 7.5\n"), std::string::npos) << r.out;
}

TEST(OstrelctlRadar, RefusedValuesAndUnknownParameters) {
  CliRun r = run(simulated("pulse-radar", false), {"radar", "set", "sensor-type=9"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Invalid value"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Sensor Type"), std::string::npos) << r.err;
  EXPECT_EQ(run(simulated("pulse-radar"), {"radar", "get", "flux-capacitor"}).status, 2);
  EXPECT_EQ(run(simulated("pulse-radar"), {"radar", "set", "model-number=X"}).status, 2);
  EXPECT_EQ(run(simulated("pulse-radar"), {"radar", "set", "foam=300"}).status, 2);
  r = run(simulated("ultrasonic"), {"radar", "get", "foam"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not a pulse radar"), std::string::npos);
}

TEST(OstrelctlRadar, CurveSummaryAndRawFile) {
  const CliRun r = run(simulated("pulse-radar", false), {"radar", "curve", "envelope"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("curve: Envelop\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("samples_count: "), std::string::npos);
}

}  // namespace
}  // namespace ostrel

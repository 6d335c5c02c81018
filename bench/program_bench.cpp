// Times the programming of a 128 KiB program (a combined file: PID, the
// program, a packet chunk and the CRC) into ostrel-unitsim paced at 9600
// baud over a pseudo-terminal, from the first command after Connect to the
// last answer. It is set against its wire-time bound: every byte on the line
// at 10 bits per byte, plus the pause the link keeps after the erase command.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../tests/sim/unitsim_process.h"
#include "core/firmware/crc32.h"
#include "core/firmware/program_file.h"
#include "core/firmware/program_target.h"
#include "core/link/serial_cable_driver.h"
#include "core/link/unit_link.h"
#include "core/platform/atomic_file.h"
#include "core/platform/clock.h"
#include "core/support/language_table.h"
#include "core/support/log_file.h"
#include "core/support/presenter.h"
#include "counting_cable_driver.h"

namespace {

using namespace ostrel;

constexpr double kBaud = 9600.0;
// A multiple of 64 and of 72 below the 131071-byte limit.
constexpr std::uint32_t kProgramBytes = 576 * 227;

double wireMs(std::uint64_t bytes) { return static_cast<double>(bytes) * 10.0 * 1000.0 / kBaud; }

std::string le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

std::string chunk(std::uint32_t tag, const std::string& data) {
  return le32(tag) + le32(static_cast<std::uint32_t>(data.size())) + data;
}

// Filler behind the header the simulated unit reads for its new revision.
std::string benchFile() {
  std::string program = "OSPG" + le32(kProgramBytes) + std::string{'\x9D', '\x01'};
  std::uint32_t state = 1;
  while (program.size() < kProgramBytes) {
    state = state * 1103515245u + 12345u;
    program.push_back(static_cast<char>(state >> 16));
  }
  const std::string packet{'\xA5', '\x01', '\x28', static_cast<char>(0xA5 + 0x01 + 0x28)};
  const std::string body = chunk(program_file::kTagPid, std::string("KM30-U bench\0", 13)) +
                           chunk(program_file::kTagFep, program) +
                           chunk(program_file::kTagPkt, packet);
  return body + chunk(program_file::kTagCrc, le32(CCRC_32().of(body)));
}

}  // namespace

int main() {
  char folder[] = "/tmp/program-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr) return 1;
  const std::filesystem::path file = std::filesystem::path(folder) / "A9p1ver41p3.fp2";
  if (!writeFileAtomically(file, benchFile())) return 1;

  sim::test::Unitsim unitsim({"--kind", "ultrasonic", "--pace"});
  const std::string path = unitsim.slavePath();
  if (path.empty()) {
    std::fprintf(stderr, "program_bench: ostrel-unitsim did not start\n");
    return 1;
  }
  SerialCableDriver serial(std::filesystem::path{path});
  bench::CountingCableDriver driver(serial);
  UnitLink link(driver);
  link.StartServiceThread();
  std::vector<std::string> cables;
  if (link.EnumerateCables(cables, UnitLink::kVendorId, UnitLink::kProductId) < 1) return 1;
  link.SetTargetProduct(cables.back());
  if (link.Connect() != 0) {
    std::fprintf(stderr, "program_bench: connect failed\n");
    return 1;
  }

  NullPresenter presenter;
  LanguageTable language;
  LogFile log;
  CProgramTarget target(link, presenter, language, 0, log);
  target.path = file;
  target.programNames = {"KM30"};
  driver.reset();
  const std::uint64_t start = tickCount();
  const int result = target.Run();
  const double measured = static_cast<double>(tickCount() - start);
  std::filesystem::remove_all(folder);
  if (result != 0) {
    std::fprintf(stderr, "program_bench: programming failed (%d): %s\n", result,
                 target.lastFailure().text.c_str());
    return 1;
  }
  const std::uint64_t bytes = driver.bytesWritten() + driver.bytesRead();
  const double pauses = link.Timings().eraseProgramMs;
  const double bound = wireMs(bytes) + pauses;
  std::printf(
      "program %u bytes in %d-byte packets: measured %8.1f ms  bound %8.1f ms (%6llu bytes, "
      "%4.0f ms pauses)  ratio %.3f\n",
      kProgramBytes, target.packetSize(), measured, bound, static_cast<unsigned long long>(bytes),
      pauses, measured / bound);
  link.StopServiceThread();
  link.Close();
  return 0;
}

// Times the page-based unit's connect sequence and a page write with
// verification against ostrel-unitsim paced at 9600 baud over a
// pseudo-terminal, and sets each against its wire-time bound: every byte on
// the line at 10 bits per byte, plus the pauses the exchange itself demands.
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/sim/unitsim_process.h"
#include "core/link/pulse_protocol.h"
#include "core/link/serial_cable_driver.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/platform/clock.h"
#include "core/session/page_unit_identity.h"
#include "core/support/presenter.h"
#include "counting_cable_driver.h"

namespace {

using namespace ostrel;

constexpr double kBaud = 9600.0;

struct Result {
  double measuredMs = 0;
  double boundMs = 0;
  std::uint64_t bytes = 0;
  double pausesMs = 0;
};

double wireMs(std::uint64_t bytes) { return static_cast<double>(bytes) * 10.0 * 1000.0 / kBaud; }

void report(const char* what, const Result& r) {
  std::printf(
      "%-34s measured %7.1f ms  bound %7.1f ms (%5llu bytes, %4.0f ms pauses)  ratio %.3f\n", what,
      r.measuredMs, r.boundMs, static_cast<unsigned long long>(r.bytes), r.pausesMs,
      r.measuredMs / r.boundMs);
}

}  // namespace

// The radar's identity and advanced sets: every parameter is one exchange,
// each preceded by the 20 ms pause before a request goes out.
int radarBench(UnitLink& link, bench::CountingCableDriver& driver, const std::string& path) {
  PulseProtocol pulse;
  if (link.Connect() != 0 || !pulse.DetectPulse(link) || pulse.ReadUniqueIdentifier(link) != 0) {
    std::fprintf(stderr, "link_bench: the radar did not answer\n");
    return 1;
  }
  Result sets;
  driver.reset();
  const std::uint64_t start = tickCount();
  if (pulse.ReadIdentitySet(link, nullptr) != 0 || pulse.ReadAdvancedSet(link, nullptr) != 0) {
    std::fprintf(stderr, "link_bench: reading the parameter sets failed\n");
    return 1;
  }
  sets.measuredMs = static_cast<double>(tickCount() - start);
  sets.bytes = driver.bytesWritten() + driver.bytesRead();
  sets.pausesMs = 22 * 20.0;  // 12 identity and 10 advanced parameters
  sets.boundMs = wireMs(sets.bytes) + sets.pausesMs;
  std::printf("unit pulse-radar (%s) at 9600 baud over %s\n", pulse.Parameters().ModelNumber.c_str(),
              path.c_str());
  report("identity + advanced parameter sets:", sets);
  return 0;
}

int main(int argc, char** argv) {
  const std::string kind = argc > 1 ? argv[1] : "ultrasonic";
  sim::test::Unitsim unitsim({"--kind", kind, "--pace"});
  const std::string path = unitsim.slavePath();
  if (path.empty()) {
    std::fprintf(stderr, "link_bench: ostrel-unitsim did not start\n");
    return 1;
  }
  SerialCableDriver serial(std::filesystem::path{path});
  bench::CountingCableDriver driver(serial);
  UnitLink link(driver);
  UnitMemory memory(link);
  link.StartServiceThread();
  std::vector<std::string> cables;
  if (link.EnumerateCables(cables, UnitLink::kVendorId, UnitLink::kProductId) < 1) return 1;
  link.SetTargetProduct(cables.back());
  if (kind == "pulse-radar") {
    const int r = radarBench(link, driver, path);
    link.StopServiceThread();
    link.Close();
    return r;
  }
  const UnitLink::Timing& t = link.Timings();

  // Connect and identify: Open's settling pause and the pause after the
  // listening are part of the exchange.
  Result identify;
  std::uint64_t start = tickCount();
  if (link.Connect() != 0) {
    std::fprintf(stderr, "link_bench: connect failed\n");
    return 1;
  }
  const PageUnitIdentity id = identifyPageUnit(memory, nullptr);
  identify.measuredMs = static_cast<double>(tickCount() - start);
  if (!id.ok()) {
    std::fprintf(stderr, "link_bench: identification failed: %s %d\n", id.errorKey.c_str(),
                 id.result);
    return 1;
  }
  identify.bytes = driver.bytesWritten() + driver.bytesRead();
  identify.pausesMs = t.settleMs + t.afterListenMs;
  identify.boundMs = wireMs(identify.bytes) + identify.pausesMs;

  // Write and verify the customer and history pages.
  Result write;
  driver.reset();
  start = tickCount();
  for (int index : {UnitMemory::kCustomer, UnitMemory::kHistory}) {
    memory.WriteBuffer = memory.Pages[static_cast<std::size_t>(index)];
    memory.WriteBuffer[500] ^= 0x5A;
    if (memory.WritePage(index + 1) != 0 || memory.VerifyPage(index) != 1) {
      std::fprintf(stderr, "link_bench: writing page %d failed\n", index);
      return 1;
    }
  }
  write.measuredMs = static_cast<double>(tickCount() - start);
  write.bytes = driver.bytesWritten() + driver.bytesRead();
  write.boundMs = wireMs(write.bytes);

  std::printf("unit %s (%s) at 9600 baud over %s\n", kind.c_str(), id.model.c_str(), path.c_str());
  report("connect + identify (4 pages, info):", identify);
  report("write + verify customer, history:", write);
  link.StopServiceThread();
  link.Close();
  return 0;
}

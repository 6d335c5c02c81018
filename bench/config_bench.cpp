// Times "Write to Unit" of the model's factory configuration against
// ostrel-unitsim paced at 9600 baud over a pseudo-terminal: the identity
// check, the customer and table pages written and read back, the log entry;
// once for one unit and once for three units in a row (the same unit
// reconnected). Each is set against its wire-time bound: every byte on the
// line at 10 bits per byte, plus the pauses the exchange itself demands
// (between units the cable is closed and opened again).
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/sim/unitsim_process.h"
#include "core/config/config_page_model.h"
#include "core/link/pulse_protocol.h"
#include "core/link/serial_cable_driver.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/platform/clock.h"
#include "core/session/page_unit_identity.h"
#include "core/support/log_file.h"
#include "core/support/presenter.h"
#include "counting_cable_driver.h"

namespace {

using namespace ostrel;

constexpr double kBaud = 9600.0;

double wireMs(std::uint64_t bytes) { return static_cast<double>(bytes) * 10.0 * 1000.0 / kBaud; }

// Says yes to another unit until the run has the units it wants, and OK to
// connecting it; prints what else it is shown.
class RunPresenter final : public NullPresenter {
 public:
  RunPresenter(const LanguageTable& language, int units) : language_(language), units_(units) {}
  int messageBox(const std::string& text, unsigned style) override {
    if (text == language_.Text("STATUS_MESSAGE23", 0)) return ++written_ < units_ ? kResultYes : kResultNo;
    if (text == language_.Text("STATUS_MESSAGE24", 0)) return kResultOk;
    std::fprintf(stderr, "config_bench: %s\n", text.c_str());
    return NullPresenter::messageBox(text, style);
  }
  void errorDetail(const std::string& message, const std::string& details) override {
    std::fprintf(stderr, "config_bench: %s | %s\n", message.c_str(), details.c_str());
  }

 private:
  const LanguageTable& language_;
  int units_;
  int written_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc > 1 ? argv[1] : "ultrasonic";
  const std::string modelFile = kind == "guided-wave" ? "KM50_GuidedWave.txt" : "KM30_Ultrasonic.txt";
  const std::filesystem::path data = OSTREL_SOURCE_DATA_DIR;
  sim::test::Unitsim unitsim({"--kind", kind, "--pace"});
  const std::string path = unitsim.slavePath();
  if (path.empty()) {
    std::fprintf(stderr, "config_bench: ostrel-unitsim did not start\n");
    return 1;
  }
  SerialCableDriver serial(std::filesystem::path{path});
  bench::CountingCableDriver driver(serial);
  UnitLink link(driver);
  UnitMemory memory(link);
  PulseProtocol pulse;
  link.StartServiceThread();
  std::vector<std::string> cables;
  if (link.EnumerateCables(cables, UnitLink::kVendorId, UnitLink::kProductId) < 1) return 1;
  link.SetTargetProduct(cables.back());
  if (link.Connect() != 0) {
    std::fprintf(stderr, "config_bench: connect failed\n");
    return 1;
  }
  const PageUnitIdentity id = identifyPageUnit(memory, nullptr);
  if (!id.ok()) {
    std::fprintf(stderr, "config_bench: identification failed\n");
    return 1;
  }

  ModelRecords records;
  records.Language.LoadPath(data / "Models" / "Ostrel_Language.txt");
  ModelFileParser parser(records.targets());
  if (!parser.LoadModelFile(data / "Models" / modelFile, 0)) return 1;
  UnitConfiguration config;
  config.model = id.model;
  config.serial = id.serial;
  config.firmware = id.firmware;
  config.softwareRevision = id.swRev;

  std::printf("unit %s (%s) at 9600 baud over %s\n", kind.c_str(), id.model.c_str(), path.c_str());
  const UnitLink::Timing& t = link.Timings();
  for (int units : {1, 3}) {
    RunPresenter presenter(records.Language, units);
    ConfigPageServices s;
    s.records = &records;
    s.presenter = &presenter;
    s.memory = &memory;
    s.link = &link;
    s.pulse = &pulse;
    s.configsFolder = data / "Configs";
    s.modelsFolder = data / "Models";
    ConfigPageModel page(config, s);
    if (!page.activate() || !page.factoryConfig()) return 1;
    driver.reset();
    const std::uint64_t start = tickCount();
    const auto outcome = page.writeToUnit();
    const double measured = static_cast<double>(tickCount() - start);
    if (!outcome || outcome->status != WriteOutcome::Status::Written ||
        outcome->unitsWritten != units) {
      std::fprintf(stderr, "config_bench: the write of %d unit(s) did not go through\n", units);
      return 1;
    }
    const std::uint64_t bytes = driver.bytesWritten() + driver.bytesRead();
    // Each further unit: the cable closed and opened again, and the unit's
    // identification listened for.
    const double pauses = (units - 1) * (2.0 * t.settleMs + t.afterListenMs);
    const double bound = wireMs(bytes) + pauses;
    std::printf(
        "write %d unit%s (identity, 2 pages, verify): measured %7.1f ms  bound %7.1f ms (%5llu "
        "bytes, %4.0f ms pauses)  ratio %.3f\n",
        units, units == 1 ? " " : "s", measured, bound, static_cast<unsigned long long>(bytes),
        pauses, measured / bound);
  }
  link.StopServiceThread();
  link.Close();
  return 0;
}

// The live page's cost per frame (frames decoded and shown per second by
// the page model with a view that re-reads what changed), and the echo
// record read of the diagnostics page against ostrel-unitsim paced at
// 9600 baud, set against its wire-time bound (every byte at 10 bits).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/sim/unitsim_process.h"
#include "core/config/unit_configuration.h"
#include "core/diag/diagnostics_model.h"
#include "core/diag/live_display_model.h"
#include "core/link/serial_cable_driver.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/model/model_records.h"
#include "core/platform/clock.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"
#include "counting_cable_driver.h"

namespace {

using namespace ostrel;

// What a page redraws: the texts it shows, copied as a widget would take them.
class CopyingView final : public LiveDisplayView {
 public:
  explicit CopyingView(const LiveDisplayModel& m) : model_(m) {}
  void changed(LivePart part) override {
    if (part == LivePart::Displays) {
      level_ = model_.levelText();
      distance_ = model_.distanceText();
    } else if (part == LivePart::Relays) {
      lit_ = model_.litRelays().size();
    }
    ++calls_;
  }
  std::size_t calls() const { return calls_; }

 private:
  const LiveDisplayModel& model_;
  std::string level_;
  std::string distance_;
  std::size_t lit_ = 0;
  std::size_t calls_ = 0;
};

void framesPerSecond() {
  ModelRecords records;
  UnitConfiguration config;
  config.sensorHeight = 20.0;
  config.fillHeight = 18.0;
  VolumeTable volume;
  volume.Reset();
  StrappingRows rows;
  LiveDisplayModel model(records, config, volume, rows);
  CopyingView view(model);
  model.setView(&view);
  model.activate(false);
  model.streamStarted(0);
  constexpr int kFrames = 1'000'000;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) {
    const unsigned raw = 3 + static_cast<unsigned>(i % 14000);
    LiveDisplayModel::Frame f{0xA5, 0xA5, static_cast<std::uint8_t>(raw & 0xFF),
                              static_cast<std::uint8_t>(raw >> 8),
                              static_cast<std::uint8_t>(i & 0x0F), 0};
    f[5] = static_cast<std::uint8_t>(0x100 - ((f[2] + f[3] + f[4]) & 0xFF));
    model.frame(6, f);
  }
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The stream brings at most one frame per 35 ms pause of the reader.
  std::printf("live page model: %d frames in %.3f s = %.0f frames/s (%.2f us each; the stream "
              "brings at most %.1f/s), %zu view calls\n",
              kFrames, s, kFrames / s, s * 1e6 / kFrames, 1000.0 / 35.0, view.calls());
}

int echoRecord() {
  sim::test::Unitsim unitsim({"--kind", "ultrasonic", "--pace"});
  const std::string path = unitsim.slavePath();
  if (path.empty()) {
    std::fprintf(stderr, "live_bench: ostrel-unitsim did not start\n");
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
  if (link.Connect() != 0) {
    std::fprintf(stderr, "live_bench: connect failed\n");
    return 1;
  }
  ModelRecords records;
  UnitConfiguration config;
  DiagnosticsModel page(records, config, &memory, &link, nullptr);
  page.activate(false);
  driver.reset();
  const std::uint64_t start = tickCount();
  if (!page.choose(DiagnosticsModel::kEchoEntry)) {
    std::fprintf(stderr, "live_bench: reading the echo record failed\n");
    return 1;
  }
  const double measured = static_cast<double>(tickCount() - start);
  const std::uint64_t bytes = driver.bytesWritten() + driver.bytesRead();
  const double bound = static_cast<double>(bytes) * 10.0 * 1000.0 / 9600.0;
  std::printf("echo record read (32 blocks) at 9600 baud over %s: measured %.1f ms  bound %.1f ms "
              "(%llu bytes)  ratio %.3f\n",
              path.c_str(), measured, bound, static_cast<unsigned long long>(bytes),
              measured / bound);
  // A command's six bytes and the first byte of the answer take seven byte
  // times on the wire; the rest of the wait is the line's (here the
  // simulated unit's and the system's) latency.
  const double sevenBytes = 32 * 7 * 10.0 * 1000.0 / 9600.0;
  std::printf("  where it goes: tool between frames %.1f ms; command to first answer byte %.1f ms "
              "(wire %.1f ms)\n",
              driver.toolTurnaroundMs(), driver.firstAnswerByteMs(), sevenBytes);
  link.StopServiceThread();
  link.Close();
  return 0;
}

}  // namespace

int main() {
  framesPerSecond();
  return echoRecord();
}

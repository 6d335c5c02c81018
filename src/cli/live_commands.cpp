#include "cli/live_commands.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "cli/config_commands.h"
#include "cli/document.h"
#include "cli/radar_commands.h"
#include "cli/unit_session.h"
#include "core/diag/diagnostics_model.h"
#include "core/diag/live_display_model.h"
#include "core/diag/pulse_curve_model.h"
#include "core/diag/stream_controller.h"
#include "core/link/unit_memory.h"
#include "core/platform/atomic_file.h"
#include "ostrelctl_usage.h"

namespace ostrel {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// The whole usage, made from ostrelctl.usage.
constexpr const char* kLiveUsage = kOstrelctlUsage;

struct Options {
  std::vector<std::string> positional;
  std::optional<long> frames;
  std::optional<long> seconds;
  std::string csv;
  std::string curves = "echo";
  bool json = false;
};

std::optional<long> count(const std::string& text, long most) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < 1 || v > most) return std::nullopt;
  return v;
}

std::optional<std::string> parse(const std::vector<std::string>& args, std::size_t first,
                                  bool globalJson, Options& o) {
  o.json = globalJson;
  for (std::size_t i = first; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--json") {
      o.json = true;
    } else if (a == "--frames" && hasValue) {
      o.frames = count(args[++i], 100000000L);
      if (!o.frames) return "--frames takes a count from 1";
    } else if (a == "--seconds" && hasValue) {
      o.seconds = count(args[++i], 86400L);
      if (!o.seconds) return "--seconds takes 1 to 86400";
    } else if (a == "--csv" && hasValue) {
      o.csv = args[++i];
    } else if (a == "--curves" && hasValue) {
      o.curves = args[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option or missing value '" + a + "'";
    } else {
      o.positional.push_back(a);
    }
  }
  return std::nullopt;
}

// A JSON string of text the pages write (plain ASCII and the unit names).
std::string jsonText(const std::string& s) {
  std::string out = "\"";
  for (const char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char u[8];
      std::snprintf(u, sizeof u, "\\u%04x", static_cast<unsigned>(c));
      out += u;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// Writes text beside path and renames it into place.
bool saveText(const std::string& path, const std::string& text, std::ostream& err) {
  if (!writeFileAtomically(path, text)) {
    err << "ostrelctl: cannot write '" << path << "'\n";
    return false;
  }
  return true;
}

// --- live ------------------------------------------------------------------

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) { interrupted = true; }

// Ctrl-C ends the loop instead of the process, so the stream is stopped
// and the link closed on the way out.
class InterruptGuard {
 public:
  InterruptGuard() {
    interrupted = false;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
    sigaction(SIGTERM, &action, &previousTerm_);
  }
  ~InterruptGuard() {
    sigaction(SIGINT, &previous_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
  }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
  struct sigaction previousTerm_ {};
};

std::string frameLine(const LiveDisplayModel& m, bool sumOk, bool json, const std::string& units) {
  const std::vector<int> lit = m.litRelays();
  std::string relays;
  for (std::size_t i = 0; i < lit.size(); ++i) {
    relays += (i == 0 ? "" : json ? ", " : " ") + std::to_string(lit[i]);
  }
  std::string line;
  if (json) {
    line = "{\"state\": " + jsonText(LiveDisplayModel::stateName(m.state())) +
           ", \"level\": " + jsonText(m.levelText()) +
           ", \"distance\": " + (m.distanceShown() ? jsonText(m.distanceText()) : "null") +
           ", \"relays\": [" + relays + "], \"sum_ok\": " + (sumOk ? "true" : "false") + "}";
  } else {
    line = "level " + m.levelText() + (units.empty() ? "" : " " + units);
    if (m.distanceShown()) line += "  distance " + m.distanceText();
    line += "  relays " + (relays.empty() ? std::string("-") : relays);
    if (!sumOk) line += "  (bad sum: displays kept)";
  }
  return line;
}

int live(Session& s, const Options& o, std::ostream& out, std::ostream& err) {
  if (!o.positional.empty()) {
    err << kLiveUsage;
    return kUsage;
  }
  UnitRecords unit;
  if (!readUnitRecords(s, unit, err)) {
    s.link->Close();
    return kFailed;
  }
  const ModelRecords& records = s.texts.records;
  LiveDisplayModel model(records, unit.config, unit.volume, unit.rows);
  model.setMakerMode(false);
  model.activate(false);

  InterruptGuard guard;
  FrameQueue queue;
  StreamController stream(*s.link);
  const int opened = stream.start(records.Database.Ugus != 0, queue.sink());
  model.streamStarted(opened);
  if (opened != 0) err << "ostrelctl: " << model.statusLine() << '\n';
  if (stream.lastCommandResult().value_or(0) != 0) {
    err << "ostrelctl: the unit refused the stream command (result "
        << *stream.lastCommandResult() << ")\n";
  }

  const auto start = std::chrono::steady_clock::now();
  const auto deadline =
      o.seconds ? start + std::chrono::seconds(*o.seconds) : std::chrono::steady_clock::time_point::max();
  long shown = 0;
  while (!interrupted && (!o.frames || shown < *o.frames) &&
         std::chrono::steady_clock::now() < deadline) {
    const auto item = queue.pop(std::chrono::milliseconds(100));
    if (!item) continue;
    model.frame(item->code, item->frame);
    out << frameLine(model, item->code == LiveDisplayModel::kGoodFrame, o.json, model.unitsText())
        << std::endl;
    ++shown;
  }
  model.streamStopped();
  stream.stop(false);
  if (interrupted) err << "ostrelctl: interrupted; the stream is stopped and the link closed\n";
  return kDone;
}

// --- echo ------------------------------------------------------------------

int echo(Session& s, const Options& o, std::ostream& out, std::ostream& err) {
  const std::string what = o.positional.size() == 1 ? o.positional[0] : std::string();
  if (what == "erase-scan") {
    if (connect(s, err) != 0) return kFailed;
    UnitRecords none;
    DiagnosticsModel model(s.texts.records, none.config, s.memory.get(), s.link.get(), nullptr);
    const int r = model.eraseScan();
    if (r != 0) {
      err << "ostrelctl: erasing the disturbance scan failed: "
          << describeCommandResult(r, s.link->Timings()) << '\n';
      s.link->Close();
      return kFailed;
    }
    out << "disturbance scan erased\n";
    return kDone;
  }
  if (what != "record" && what != "scan") {
    err << kLiveUsage;
    return kUsage;
  }
  UnitRecords unit;
  if (!readUnitRecords(s, unit, err)) return kFailed;

  // The literal messages of the page go to err, as the platform box shows them.
  class Messages final : public Presenter {
   public:
    explicit Messages(std::ostream& e) : err_(e) {}
    int messageBox(const std::string& text, unsigned) override {
      err_ << "ostrelctl: " << text << '\n';
      return kResultOk;
    }
    int platformMessageBox(const std::string& text, unsigned style) override {
      return messageBox(text, style);
    }
    void errorDetail(const std::string& message, const std::string&) override {
      err_ << "ostrelctl: " << message << '\n';
    }
    ProgressSink& busy() override { return sink_; }

   private:
    std::ostream& err_;
    NullProgressSink sink_;
  } messages(err);

  DiagnosticsModel model(s.texts.records, unit.config, s.memory.get(), s.link.get(), &messages);
  model.activate(false);
  const int entry = what == "scan" ? DiagnosticsModel::kScanEntry : DiagnosticsModel::kEchoEntry;
  if (!model.choose(entry)) {
    err << "ostrelctl: " << describeMemoryFailure(s.memory->LastFailure(), s.link->Timings())
        << '\n';
    return kFailed;
  }
  const std::vector<int> samples = model.samples();
  if (!o.csv.empty()) {
    std::string csv = "word,amplitude\n";
    for (std::size_t i = 0; i < samples.size(); ++i) {
      csv += std::to_string(i) + ',' + std::to_string(samples[i]) + '\n';
    }
    if (!saveText(o.csv, csv, err)) return kFailed;
  }
  Node doc = Node::object();
  doc.add("level", str(model.levelText()));
  doc.add("distance", str(model.distanceText()));
  doc.add("current", str(model.currentText()));
  if (o.json) {
    Node& list = doc.add("samples", Node::array());
    for (const int v : samples) list.push(num(v));
  } else {
    doc.add("units", str(model.unitsText()));
  }
  writeDocument(out, doc, o.json);
  return kDone;
}

// --- radar echo-curve -------------------------------------------------------

int echoCurve(Session& s, const Options& o, std::ostream& out, std::ostream& err) {
  PulseCurveModel model;
  for (int slot = 0; slot < 3; ++slot) model.setChecked(slot, false);
  std::size_t at = 0;
  while (at <= o.curves.size()) {
    const std::size_t comma = std::min(o.curves.find(',', at), o.curves.size());
    const std::string name = o.curves.substr(at, comma - at);
    if (name == "echo") {
      model.setChecked(PulseCurveModel::kEcho, true);
    } else if (name == "envelope") {
      model.setChecked(PulseCurveModel::kEnvelope, true);
    } else if (name == "false-echo") {
      model.setChecked(PulseCurveModel::kFalseEcho, true);
    } else {
      err << "ostrelctl: unknown curve '" << name << "' (echo, envelope, false-echo)\n";
      return kUsage;
    }
    at = comma + 1;
  }
  if (openRadar(s, err) != 0) return kFailed;
  PulseProtocol& radar = s.pulse;
  int r = radar.ReadSensorType(*s.link);
  if (r == 0) r = radar.ExchangeSet(*s.link, PulseCfgSet{{6, PulseCfgItem::read()}}, nullptr, nullptr);
  if (r != 0) {
    err << "ostrelctl: " << radarFailure(s, r) << '\n';
    return kFailed;
  }
  model.setRadar(radar.Parameters().MaxRange, radar.Parameters().SensorType);
  model.setUnitsChoice(1);
  for (const int slot : model.slotsToRead()) {
    const std::uint16_t command = PulseCurveModel::kCommands[static_cast<std::size_t>(slot)];
    r = radar.ReadCurve(*s.link, command);
    if (r != 0) {
      err << "ostrelctl: " << radarFailure(s, r) << '\n';
      return kFailed;
    }
    const PulseCurve& c = *radar.Parameters().curve(command);
    model.load(slot, c.Bytes.data(), c.Count);
  }

  static const char* const kNames[] = {"echo", "false-echo", "envelope"};
  std::string csv = "curve,index,amplitude\n";
  Node doc = Node::object();
  doc.add("max_range_m", realSingle(radar.Parameters().MaxRange));
  doc.add("sensor_type", num(radar.Parameters().SensorType));
  doc.add("expected_echo_index", num(model.expectedEchoIndex()));
  doc.add("echo_distance_m", realSingle(model.echoDistance()));
  doc.add("level_distance_m", realSingle(model.levelDistance()));
  doc.add("index_range", num(model.indexRange()));
  Node& curves = doc.add("curves", Node::object());
  for (const int slot : model.slotsToRead()) {
    const PulseCurveModel::Slot& data = model.slot(slot);
    Node& c = curves.add(kNames[slot], Node::object());
    c.add("count", num(static_cast<long long>(data.samples.size())));
    c.add("maximum", num(data.maximum));
    if (o.json) {
      Node& list = c.add("samples", Node::array());
      for (const CurveSample& v : data.samples) {
        Node pair = Node::array();
        pair.push(num(v.x));
        pair.push(num(v.amplitude));
        list.push(std::move(pair));
      }
    }
    for (const CurveSample& v : data.samples) {
      csv += std::string(kNames[slot]) + ',' + std::to_string(v.x) + ',' +
             std::to_string(v.amplitude) + '\n';
    }
  }
  if (!o.csv.empty() && !saveText(o.csv, csv, err)) return kFailed;
  writeDocument(out, doc, o.json);
  return kDone;
}

}  // namespace

bool isLiveCommand(const std::vector<std::string>& args) {
  if (args.empty()) return false;
  return args[0] == "live" || args[0] == "echo" ||
         (args[0] == "radar" && args.size() > 1 && args[1] == "echo-curve");
}

int runLiveCommand(const LinkOptions& options, const std::vector<std::string>& args,
                   std::ostream& out, std::ostream& err) {
  Options o;
  const std::size_t first = args[0] == "radar" ? 2 : 1;
  if (const auto error = parse(args, first, options.json, o)) {
    err << "ostrelctl: " << *error << "\n\n" << kLiveUsage;
    return kUsage;
  }
  Session s;
  if (const auto error = makeSession(options, s, err)) {
    err << "ostrelctl: " << *error << "\n\n" << kLiveUsage;
    return kUsage;
  }
  if (args[0] == "live") return live(s, o, out, err);
  if (args[0] == "echo") return echo(s, o, out, err);
  if (!o.positional.empty()) {
    err << kLiveUsage;
    return kUsage;
  }
  return echoCurve(s, o, out, err);
}

}  // namespace ostrel

#include "cli/unit_session.h"

#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <vector>

#include "core/link/connect_failure.h"
#include "core/link/serial_cable_driver.h"
#include "core/platform/atomic_file.h"
#include "core/platform/work_folders.h"
#include "sim/simulated_cable_driver.h"
#include "sim/unit_factory.h"

namespace ostrel {

Texts::Texts() {
  for (const std::filesystem::path& models :
       {resolveDataRoot(std::nullopt) / "Models", installedDataDir() / "Models"}) {
    ModelFileParser parser(records.targets());
    if (!parser.LoadModelFile(models / "Corporate_Model", 0)) continue;
    records.Language.setFolder(models);
    if (records.Language.Load(records.Values.LanguageFile) == 0) return;
  }
}

std::string Texts::text(const std::string& key, const std::string& fallback) const {
  return records.Language.Text(key, records.Values.LanguageNumber, fallback);
}

std::string describeEnumeration(int n) {
  switch (n) {
    case UnitLink::kDriverNotServing:
      return "an interface cable is plugged in but no driver serves it (result -856214)";
    case -1: return "this operating system cannot use the interface cable (result -1)";
    case 0: return "no interface cable found (result 0)";
    default: return {};
  }
}

namespace {

std::string seconds(int ms) {
  std::ostringstream o;
  o << ms / 1000.0 << " s";
  return o.str();
}

}  // namespace

std::string describeCommandResult(int result, const UnitLink::Timing& timing) {
  switch (result) {
    case UnitLink::kWriteFailed: return "the cable did not take the bytes";
    case UnitLink::kNoAcknowledgement:
      return "no answer from the unit after " + seconds(timing.framePhaseMs);
    case UnitLink::kNotAnAcknowledgement: return "the unit's answer was not an acknowledgement";
    case UnitLink::kOtherCommandAcknowledged:
      return "the unit acknowledged another command";
    default: return "the unit refused it (status " + std::to_string(result) + ")";
  }
}

std::string describeMemoryFailure(const UnitMemory::Failure& f, const UnitLink::Timing& timing) {
  using Step = UnitMemory::Failure::Step;
  const std::string block = "block " + std::to_string(f.block);
  const auto frame = [&](const char* what) {
    if (f.result < 2) return std::string("no ") + what + " from the unit after " + seconds(timing.framePhaseMs);
    return std::string("the ") + what + " was damaged or cut short (" + std::to_string(f.result) +
           " bytes)";
  };
  switch (f.step) {
    case Step::None: return "no step failed";
    case Step::Connect:
      return "connecting to the unit failed (result " + std::to_string(f.result) + ")";
    case Step::BeginWrite:
      return "the unit did not begin the write: " + describeCommandResult(f.result, timing);
    case Step::WriteBlock:
      if (f.result > UnitLink::kOtherCommandAcknowledged || f.result < UnitLink::kWriteFailed) {
        return "the unit refused " + block + " (status " + std::to_string(f.result) + ")";
      }
      return "writing " + block + " failed: " + describeCommandResult(f.result, timing);
    case Step::ReadyFrame:
      if (f.result >= 4) return "the unit's answer to " + block + " was not a ready frame";
      return "no ready frame from the unit after " + block + " within " +
             seconds(timing.framePhaseMs);
    case Step::Commit:
      return "the unit did not store the page: " + describeCommandResult(f.result, timing);
    case Step::ReadCommand:
      return "asking for " + block + " failed: " + describeCommandResult(f.result, timing);
    case Step::DataFrame: return block + ": " + frame("data frame");
  }
  return {};
}

std::optional<std::string> makeSession(const LinkOptions& options, Session& s, std::ostream& err) {
  if (!options.simulate.empty()) {
    std::shared_ptr<sim::SimUnit> unit = sim::makeUnit(options.simulate);
    if (!unit) return "unknown unit kind '" + options.simulate + "'";
    s.driver = std::make_unique<sim::SimulatedCableDriver>(std::move(unit));
  } else {
    std::string port = options.port;
    if (port.empty()) {
      if (const char* env = std::getenv("OSTREL_PORT")) port = env;
    }
    s.driver = std::make_unique<SerialCableDriver>(
        port.empty() ? std::nullopt : std::optional<std::filesystem::path>(port));
  }
  s.presenter = std::make_unique<ConsolePresenter>(err);
  s.link = std::make_unique<UnitLink>(*s.driver);
  s.memory = std::make_unique<UnitMemory>(*s.link);
  return std::nullopt;
}

int connect(Session& s, std::ostream& err) {
  std::vector<std::string> cables;
  const int n = s.link->EnumerateCables(cables, UnitLink::kVendorId, UnitLink::kProductId);
  if (n <= 0) {
    err << "ostrelctl: " << describeEnumeration(n) << '\n';
    return 1;
  }
  s.link->SetTargetProduct(cables.back());
  const int r = s.link->Connect();
  if (r != 0) {
    err << "ostrelctl: connecting to the unit failed (result " << r << "): "
        << describeConnectFailure(explainConnectFailure(r, s.driver->lastOpenFailure())) << '\n';
    return 1;
  }
  return 0;
}

std::string hexBytes(const std::uint8_t* bytes, std::size_t count) {
  std::ostringstream o;
  o << std::hex << std::setfill('0');
  for (std::size_t i = 0; i < count; ++i) o << std::setw(2) << static_cast<int>(bytes[i]);
  return o.str();
}

void hexDump(std::ostream& out, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t row = 0; row < count; row += 16) {
    out << std::hex << std::setfill('0') << std::setw(4) << row << ' ';
    std::string ascii;
    for (std::size_t i = row; i < row + 16 && i < count; ++i) {
      out << ' ' << std::setw(2) << static_cast<int>(bytes[i]);
      ascii.push_back(bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.');
    }
    out << std::dec << "  " << ascii << '\n';
  }
}

bool saveBytes(const std::string& path, const std::uint8_t* bytes, std::size_t count,
               std::ostream& err) {
  if (writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes), count))) {
    return true;
  }
  err << "ostrelctl: cannot write " << path << '\n';
  return false;
}

}  // namespace ostrel

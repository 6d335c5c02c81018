#include "cli/unit_session.h"

#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <vector>

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
    err << "ostrelctl: connecting to the unit failed (result " << r << ")"
        << (r == -2 ? ": a radar unit did not answer the wake-up frames" : "") << '\n';
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

#include "cli/link_commands.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "cli/document.h"
#include "cli/radar_commands.h"
#include "cli/unit_session.h"
#include "core/link/serial_cable_driver.h"
#include "core/link/unit_link.h"
#include "core/link/unit_memory.h"
#include "core/model/model_records.h"
#include "core/platform/atomic_file.h"
#include "core/platform/clock.h"
#include "core/platform/work_folders.h"
#include "core/service/memory_page_text.h"
#include "core/session/page_unit_identity.h"
#include "core/support/console_presenter.h"
#include "core/support/text_format.h"
#include "sim/page_unit.h"
#include "sim/page_unit_kind.h"
#include "sim/simulated_cable_driver.h"
#include "ostrelctl_usage.h"

namespace ostrel {
namespace {

// The whole usage, made from ostrelctl.usage.
constexpr const char* kLinkUsage = kOstrelctlUsage;

struct CommandArgs {
  std::vector<std::string> positional;
  std::string out;
  std::string format;  // read-page: "int" or "hex", as the data pages viewer shows
  int seconds = 5;
  bool json = false;
};

std::optional<std::string> parseArgs(const std::vector<std::string>& args, CommandArgs& parsed,
                                     bool globalJson) {
  parsed.json = globalJson;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      parsed.json = true;
    } else if (a == "--out" && i + 1 < args.size()) {
      parsed.out = args[++i];
    } else if (a == "--format" && i + 1 < args.size()) {
      parsed.format = args[++i];
      if (parsed.format != "int" && parsed.format != "hex") return "--format takes int or hex";
    } else if (a == "--seconds" && i + 1 < args.size()) {
      char* end = nullptr;
      const long v = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != '\0' || v < 1 || v > 3600) return "--seconds takes 1 to 3600";
      parsed.seconds = static_cast<int>(v);
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option '" + a + "'";
    } else {
      parsed.positional.push_back(a);
    }
  }
  return std::nullopt;
}

// --------------------------------------------------------------------------

int cables(Session& s, const CommandArgs& a, std::ostream& out, std::ostream& err) {
  std::vector<std::string> list;
  const int n = s.link->EnumerateCables(list, UnitLink::kVendorId, UnitLink::kProductId);
  Node doc = Node::object();
  doc.add("result", num(n));
  Node& items = doc.add("cables", Node::array());
  if (n > 0) {
    for (const std::string& c : list) items.push(str(c));
  }
  if (n <= 0) doc.add("message", str(describeEnumeration(n)));
  writeDocument(out, doc, a.json);
  if (n < 0) err << "ostrelctl: " << describeEnumeration(n) << '\n';
  return n < 0 ? 1 : 0;
}

int identifyRadar(Session& s, const CommandArgs& a, std::ostream& out, std::ostream& err) {
  int r = s.pulse.ReadUniqueIdentifier(*s.link);
  if (r == 0) r = s.pulse.ReadIdentitySet(*s.link, nullptr);
  if (r != 0) {
    err << "ostrelctl: identification failed: " << radarFailure(s, r) << '\n';
    return 1;
  }
  const PulseParameters& v = s.pulse.Parameters();
  Node doc = Node::object();
  doc.add("kind", str("pulse-radar"));
  doc.add("serial", num(std::atoi(v.SerialNumber.c_str())));
  doc.add("model", str(v.ModelNumber));
  doc.add("firmware", str(v.FirmwareVersion));
  doc.add("sw_rev", num(std::atoi(v.FirmwareVersion.c_str())));
  doc.add("serial_text", str(v.SerialNumber));
  writeDocument(out, doc, a.json);
  return 0;
}

int identify(Session& s, const CommandArgs& a, std::ostream& out, std::ostream& err) {
  if (connect(s, err) != 0) return 1;
  if (s.pulse.DetectPulse(*s.link)) return identifyRadar(s, a, out, err);
  const PageUnitIdentity id = identifyPageUnit(*s.memory, nullptr);
  if (!id.ok()) {
    const std::string text = s.texts.text(id.errorKey, id.errorKey + " %d");
    err << "ostrelctl: identification failed: " << formatText(text, {id.result}) << '\n';
    return 1;
  }
  Node doc = Node::object();
  doc.add("kind", str(PageUnitIdentity::kindName(id.kind)));
  doc.add("serial", num(id.serial));
  doc.add("model", str(id.model));
  doc.add("firmware", str(id.firmware));
  doc.add("sw_rev", num(id.swRev));
  const bool printable = id.typeLetter >= 0x20 && id.typeLetter < 0x7F;
  doc.add("type_letter", str(printable ? std::string(1, id.typeLetter) : std::string()));
  doc.add("factory_serial", num(id.fileSerial));
  writeDocument(out, doc, a.json);
  return 0;
}

struct PageName {
  const char* name;
  int index;  // page index; -1: the information memory
};
constexpr PageName kPages[] = {
    {"customer", UnitMemory::kCustomer}, {"factory", UnitMemory::kFactory},
    {"history", UnitMemory::kHistory},   {"ocm", UnitMemory::kOcm},
    {"model", UnitMemory::kModelPage},   {"info", -1}};

const PageName* findPage(const std::string& name, bool writable) {
  for (const PageName& p : kPages) {
    if (name == p.name && (!writable || (p.index >= 0 && p.index <= UnitMemory::kOcm))) return &p;
  }
  return nullptr;
}

int readPage(Session& s, const CommandArgs& a, std::ostream& out, std::ostream& err) {
  const PageName* page = a.positional.size() == 1 ? findPage(a.positional[0], false) : nullptr;
  if (page == nullptr) {
    err << "usage: ostrelctl read-page customer|factory|history|ocm|model|info [--out FILE]\n";
    return 2;
  }
  if (!a.format.empty() && page->index < 0) {
    err << "ostrelctl: --format shows 512-byte pages; 'ostrelctl info-memory' shows the "
           "information memory\n";
    return 2;
  }
  if (connect(s, err) != 0) return 1;
  std::vector<std::uint8_t> bytes(page->index < 0 ? UnitMemory::kInfoSize : UnitMemory::kPageSize);
  const int r = page->index < 0 ? s.memory->ReadInfoMemory(bytes.data())
                                : s.memory->ReadPage(page->index, bytes.data());
  if (r != 0) {
    err << "ostrelctl: reading the " << page->name << " page failed (result " << r
        << "): " << describeMemoryFailure(s.memory->LastFailure(), s.link->Timings()) << '\n';
    return 1;
  }
  if (!a.out.empty()) return saveBytes(a.out, bytes.data(), bytes.size(), err) ? 0 : 1;
  if (!a.format.empty()) {
    out << memoryPageText(bytes.data(),
                          a.format == "hex" ? PageTextFormat::Hex : PageTextFormat::Integer, "\n");
    return 0;
  }
  if (a.json) {
    Node doc = Node::object();
    doc.add("page", str(page->name));
    doc.add("size", num(static_cast<long long>(bytes.size())));
    doc.add("hex", str(hexBytes(bytes.data(), bytes.size())));
    writeDocument(out, doc, true);
  } else {
    hexDump(out, bytes.data(), bytes.size());
  }
  return 0;
}

int writePage(Session& s, const CommandArgs& a, std::ostream& out, std::ostream& err) {
  const PageName* page = a.positional.size() == 2 ? findPage(a.positional[0], true) : nullptr;
  if (page == nullptr) {
    err << "usage: ostrelctl write-page customer|factory|history|ocm FILE\n";
    return 2;
  }
  std::ifstream in(a.positional[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    err << "ostrelctl: cannot read " << a.positional[1] << '\n';
    return 1;
  }
  if (bytes.size() != UnitMemory::kPageSize) {
    err << "ostrelctl: " << a.positional[1] << " holds " << bytes.size()
        << " bytes; a page is exactly 512\n";
    return 1;
  }
  if (connect(s, err) != 0) return 1;
  std::memcpy(s.memory->WriteBuffer.data(), bytes.data(), UnitMemory::kPageSize);
  const int r = s.memory->WritePage(page->index + 1);
  if (r != 0) {
    err << "ostrelctl: writing the " << page->name << " page failed (step " << r
        << "): " << describeMemoryFailure(s.memory->LastFailure(), s.link->Timings()) << '\n';
    return 1;
  }
  if (s.memory->VerifyPage(page->index) != 1) {
    err << "ostrelctl: the " << page->name << " page read back differs from what was written\n";
    return 1;
  }
  Node doc = Node::object();
  doc.add("page", str(page->name));
  doc.add("written", boolean(true));
  doc.add("verified", boolean(true));
  writeDocument(out, doc, a.json);
  return 0;
}

int readBlocks(Session& s, const CommandArgs& a, std::ostream& out, std::ostream& err) {
  const bool echo = a.positional.size() == 1 && a.positional[0] == "echo";
  const bool scan = a.positional.size() == 1 && a.positional[0] == "scan";
  if (!echo && !scan) {
    err << "usage: ostrelctl read-blocks echo|scan [--out FILE]\n";
    return 2;
  }
  if (connect(s, err) != 0) return 1;
  std::array<std::uint8_t, UnitMemory::kRecordSize> record{};
  const int r = echo ? s.memory->ReadBlocks(UnitMemory::kEchoSelector, 0, record.data())
                     : s.memory->ReadBlocks(UnitMemory::kScanSelector, UnitMemory::kScanFirstBlock,
                                            record.data());
  if (r != 0) {
    err << "ostrelctl: reading the " << a.positional[0] << " record failed (result " << r
        << "): " << describeMemoryFailure(s.memory->LastFailure(), s.link->Timings()) << '\n';
    return 1;
  }
  if (!a.out.empty()) return saveBytes(a.out, record.data(), record.size(), err) ? 0 : 1;
  const auto word = [&record](int k) {
    return static_cast<std::int16_t>(UnitMemory::Read16(record.data() + 2 * k));
  };
  int peak = 70;
  for (int k = 70; k < 1021; ++k) {
    if (word(k) > word(peak)) peak = k;
  }
  Node doc = Node::object();
  doc.add("record", str(a.positional[0]));
  doc.add("distance_counts", num(static_cast<std::uint16_t>(word(1021))));
  doc.add("level_counts", num(static_cast<std::uint16_t>(word(1022))));
  doc.add("loop_current", num(word(1023)));
  doc.add("peak_sample", num(peak));
  doc.add("peak_amplitude", num(word(peak)));
  if (a.json) {
    Node& samples = doc.add("samples", Node::array());
    for (int k = 0; k < 1021; ++k) samples.push(num(word(k)));
  }
  writeDocument(out, doc, a.json);
  return 0;
}

int stream(Session& s, const CommandArgs& a, std::ostream& out, std::ostream& err) {
  if (connect(s, err) != 0) return 1;
  const int r = s.link->Command(0x21, {});
  if (r != 0) {
    err << "ostrelctl: the unit refused to stream (result " << r << ")\n";
    s.link->Close();
    return 1;
  }
  std::mutex mutex;
  Node frames = Node::array();
  int bad = 0;
  std::thread worker([&] {
    s.link->MonitorStream([&](int code, const std::array<std::uint8_t, 6>& f) {
      std::lock_guard lock(mutex);
      const unsigned raw = f[2] + 256u * f[3];
      if (code != 6) ++bad;
      if (a.json) {
        Node n = Node::object();
        n.add("raw", num(raw));
        n.add("relays", num(f[4] & 0x0F));
        n.add("state", num(f[4] >> 4 & 0x03));
        n.add("valid", boolean(code == 6));
        frames.push(std::move(n));
      } else {
        out << "raw " << std::setw(5) << raw << "  relays " << ((f[4] & 1) ? '1' : '0')
            << ((f[4] & 2) ? '1' : '0') << ((f[4] & 4) ? '1' : '0') << ((f[4] & 8) ? '1' : '0')
            << (code == 6 ? "" : "  bad sum") << std::endl;
      }
    });
  });
  sleepMs(static_cast<std::int64_t>(a.seconds) * 1000);
  s.link->StopStream();
  worker.join();
  // The unit keeps streaming until it hears a command; the next connect stops it.
  s.link->Close();
  if (a.json) {
    Node doc = Node::object();
    doc.add("count", num(static_cast<long long>(frames.values.size())));
    doc.add("bad", num(bad));
    doc.add("frames", std::move(frames));
    writeDocument(out, doc, true);
  }
  return 0;
}

}  // namespace

bool isLinkCommand(const std::string& command) {
  return command == "cables" || command == "identify" || command == "read-page" ||
         command == "write-page" || command == "read-blocks" || command == "stream" ||
         command == "radar";
}

int runLinkCommand(const LinkOptions& options, const std::vector<std::string>& args,
                   std::ostream& out, std::ostream& err) {
  if (args[0] == "radar") {
    Session s;
    if (const auto error = makeSession(options, s, err)) {
      err << "ostrelctl: " << *error << "\n\n" << kLinkUsage;
      return 2;
    }
    return runRadarCommand(s, args, options.json, out, err);
  }
  CommandArgs a;
  if (const auto error = parseArgs(args, a, options.json)) {
    err << "ostrelctl: " << *error << "\n\n" << kLinkUsage;
    return 2;
  }
  Session s;
  if (const auto error = makeSession(options, s, err)) {
    err << "ostrelctl: " << *error << "\n\n" << kLinkUsage;
    return 2;
  }
  const std::string& command = args[0];
  if (command == "cables") return cables(s, a, out, err);
  if (command == "identify") return identify(s, a, out, err);
  if (command == "read-page") return readPage(s, a, out, err);
  if (command == "write-page") return writePage(s, a, out, err);
  if (command == "read-blocks") return readBlocks(s, a, out, err);
  if (command == "stream") return stream(s, a, out, err);
  err << kLinkUsage;
  return 2;
}

}  // namespace ostrel

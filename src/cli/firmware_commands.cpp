#include "cli/firmware_commands.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>

#include "cli/document.h"
#include "cli/unit_session.h"
#include "core/firmware/crc32.h"
#include "core/firmware/program_file.h"
#include "core/firmware/program_names.h"
#include "core/firmware/program_target.h"
#include "core/model/model_discovery.h"
#include "core/platform/atomic_file.h"
#include "core/platform/work_folders.h"
#include "core/session/page_unit_identity.h"
#include "core/support/log_file.h"
#include "ostrelctl_usage.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
namespace pf = program_file;
namespace pn = program_names;

// The whole usage, made from ostrelctl.usage.
constexpr const char* kUsage = kOstrelctlUsage;

struct Args {
  std::vector<std::string> positional;
  std::string pid, fep, pkt, out, programs;
  bool json = false, yes = false, force = false, hasPid = false;
};

std::optional<std::string> parse(const std::vector<std::string>& args, std::size_t from,
                                 bool globalJson, Args& a) {
  a.json = globalJson;
  for (std::size_t i = from; i < args.size(); ++i) {
    const std::string& s = args[i];
    const bool hasValue = i + 1 < args.size();
    if (s == "--json") {
      a.json = true;
    } else if (s == "--yes") {
      a.yes = true;
    } else if (s == "--force") {
      a.force = true;
    } else if (hasValue && (s == "--pid" || s == "--fep" || s == "--pkt" || s == "--out" ||
                            s == "--programs")) {
      std::string& target = s == "--pid"   ? a.pid
                            : s == "--fep" ? a.fep
                            : s == "--pkt" ? a.pkt
                            : s == "--out" ? a.out
                                           : a.programs;
      target = args[++i];
      a.hasPid = a.hasPid || s == "--pid";
    } else if (s.size() > 1 && s[0] == '-') {
      return "unknown option or missing value '" + s + "'";
    } else {
      a.positional.push_back(s);
    }
  }
  return std::nullopt;
}

int usage(std::ostream& err, const std::string& why) {
  err << "ostrelctl: " << why << "\n\n" << kUsage;
  return 2;
}

Node optionalNumber(const std::optional<std::uint32_t>& v) {
  return v ? num(*v) : Node{};
}

// --- program-file show ------------------------------------------------------------

int showFile(const Args& a, std::ostream& out, std::ostream& err) {
  if (a.positional.size() != 1) return usage(err, "program-file show takes one FILE");
  const fs::path path = a.positional[0];
  const std::string name = path.filename().string();
  const auto kind = pf::kindOfName(name);
  if (!kind) {
    err << "ostrelctl: " << name << " is not a program file (.fp2, .pkt or .fep)\n";
    return 2;
  }
  bool tooLarge = false;
  const std::size_t limit = *kind == ProgramKind::Fp2 ? pf::kMaxCombinedBytes : pf::kMaxProgramBytes;
  const std::optional<std::string> bytes = pf::readFile(path, limit, tooLarge);
  if (!bytes) {
    err << "ostrelctl: cannot read " << path.string()
        << (tooLarge ? ": larger than a program file can be" : "") << '\n';
    return 2;
  }

  Node doc = Node::object();
  doc.add("kind", str(pf::kindName(*kind)));
  Node& chunks = doc.add("chunks", Node::array());
  Node pid, programName, crcOk;
  Node crcStored, crcComputed;
  if (*kind == ProgramKind::Fp2) {
    const pf::CombinedFile c = pf::readCombined(*bytes);
    for (const pf::Chunk& ch : c.chunks) {
      Node& n = chunks.push(Node::object());
      n.add("tag", str(pf::tagName(ch.tag)));
      n.add("offset", num(static_cast<long long>(ch.offset)));
      n.add("length", num(ch.length));
    }
    if (c.pid) {
      pid = str(*c.pid);
      programName = str(pf::programName(*c.pid));
    }
    crcStored = optionalNumber(c.crcStored);
    crcComputed = optionalNumber(c.crcComputed);
    if (c.crcStored) crcOk = boolean(*c.crcStored == *c.crcComputed);
    if (c.result != pf::kCheckOk) {
      err << "ostrelctl: " << path.string() << ": " << c.problem << " (at byte "
          << c.problemOffset << "); the unit would not be programmed from it\n";
    }
  } else if (*kind == ProgramKind::Pkt) {
    std::size_t at = 0;
    if (!pf::packetProgramReadable(*bytes, at)) {
      err << "ostrelctl: " << path.string() << ": the frame at byte " << at
          << " is incomplete; the unit would not be programmed from it\n";
    }
  }
  doc.add("pid", pid);
  doc.add("program_name", programName);
  doc.add("crc_stored", crcStored);
  doc.add("crc_computed", crcComputed);
  doc.add("crc_ok", crcOk);
  doc.add("range", str(pn::rangeText(name)));
  doc.add("version_text", str(pn::versionText(name)));
  const std::optional<double> version = pn::versionNumber(name);
  doc.add("version", version ? real(*version) : Node{});
  doc.add("offered", boolean(pn::takesPartInOffers(name)));
  writeDocument(out, doc, a.json);
  return 0;
}

// --- program-file pack --------------------------------------------------------------

std::string le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

std::string chunk(std::uint32_t tag, const std::string& data) {
  return le32(tag) + le32(static_cast<std::uint32_t>(data.size())) + data;
}

int pack(const Args& a, std::ostream& out, std::ostream& err) {
  if (!a.positional.empty() || !a.hasPid || a.out.empty() || (a.fep.empty() && a.pkt.empty())) {
    return usage(err, "program-file pack takes --pid TEXT, --fep and/or --pkt, and --out");
  }
  if (pf::kindOfName(fs::path(a.out).filename().string()) != ProgramKind::Fp2) {
    return usage(err, "the packed file's name must end in .fp2");
  }
  // The PID chunk carries the text and its terminating zero.
  if (a.pid.size() + 1 > pf::kMaxPidBytes || a.pid.find('\0') != std::string::npos) {
    err << "ostrelctl: the PID text takes at most 99 characters\n";
    return 2;
  }
  std::string body = chunk(pf::kTagPid, a.pid + std::string(1, '\0'));
  for (const auto& [file, tag] : {std::pair{a.fep, pf::kTagFep}, std::pair{a.pkt, pf::kTagPkt}}) {
    if (file.empty()) continue;
    bool tooLarge = false;
    const std::optional<std::string> data = pf::readFile(file, pf::kMaxProgramBytes, tooLarge);
    if (!data) {
      err << "ostrelctl: cannot read " << file
          << (tooLarge ? ": larger than 131071 bytes" : "") << '\n';
      return 2;
    }
    std::size_t at = 0;
    if (data->empty() || (tag == pf::kTagPkt && !pf::packetProgramReadable(*data, at))) {
      err << "ostrelctl: " << file
          << (data->empty() ? " is empty" : " has an incomplete frame at byte " + std::to_string(at))
          << '\n';
      return 2;
    }
    body += chunk(tag, *data);
  }
  const std::string file = body + chunk(pf::kTagCrc, le32(CCRC_32().of(body)));
  if (!writeFileAtomically(a.out, file)) {
    err << "ostrelctl: cannot write " << a.out << '\n';
    return 1;
  }
  out << a.out << ": " << file.size() << " bytes, CRC " << std::hex << CCRC_32().of(body)
      << std::dec << '\n';
  return 0;
}

// --- the unit's programs -------------------------------------------------------------

fs::path programsFolder(const Args& a) {
  if (!a.programs.empty()) return a.programs;
  const fs::path root = resolveDataRoot(std::nullopt) / "Programs";
  std::error_code ec;
  return fs::is_directory(root, ec) ? root : installedDataDir() / "Programs";
}

struct UnitPrograms {
  PageUnitIdentity id;
  fs::path modelFile;             // empty when no model file serves the unit
  std::vector<std::string> names;  // its PROGRAMNAME lines
};

// Connects, identifies a page-based unit and finds its model file as
// startup does (by model and firmware, else by model alone).
int identifyUnit(Session& s, UnitPrograms& u, std::ostream& err) {
  if (connect(s, err) != 0) return 1;
  if (s.pulse.DetectPulse(*s.link)) {
    err << "ostrelctl: the unit is a pulse radar; its firmware is not updated by this tool\n";
    return 1;
  }
  u.id = identifyPageUnit(*s.memory, nullptr);
  if (!u.id.ok()) {
    const std::string text = s.texts.text(u.id.errorKey, u.id.errorKey + " %d");
    err << "ostrelctl: identification failed: " << formatText(text, {u.id.result}) << '\n';
    return 1;
  }
  const ModelRecords& r = s.texts.records;
  const fs::path models = installedDataDir() / "Models";
  ModelDiscovery discovery(models, &r.Language, r.Values.LanguageNumber, nullptr);
  const std::string prefix = u.id.model.substr(0, u.id.model.find('-'));
  std::string name;
  bool found = !u.id.firmware.empty() &&
               discovery.FindModelFile(r.Identity.ModelId, "UNITTYPE", {prefix, u.id.firmware}, 0,
                                       name);
  if (!found) found = discovery.FindModelFile(r.Identity.ModelId, "UNITTYPE", {prefix}, 0, name);
  if (found) {
    u.modelFile = models / name;
    u.names = modelProgramNames(u.modelFile).value_or(std::vector<std::string>{});
  }
  return 0;
}

int programs(Session& s, const Args& a, std::ostream& out, std::ostream& err) {
  if (!a.positional.empty()) return usage(err, "programs takes no file");
  UnitPrograms u;
  if (identifyUnit(s, u, err) != 0) return 1;
  if (u.modelFile.empty()) {
    err << "ostrelctl: no model file serves model '" << u.id.model << "'\n";
    return 1;
  }
  const fs::path folder = programsFolder(a);
  const std::vector<std::string> files = ListProgramFiles(folder, u.names);
  const OfferDecision d = decideOffer(u.id.swRev, files);

  Node doc = Node::object();
  doc.add("model", str(u.id.model));
  doc.add("firmware", str(u.id.firmware));
  doc.add("sw_rev", num(u.id.swRev));
  doc.add("model_file", str(u.modelFile.filename().string()));
  doc.add("programs_folder", str(folder.string()));
  Node& list = doc.add("files", Node::array());
  for (const std::string& f : files) {
    Node& n = list.push(Node::object());
    n.add("name", str(f));
    n.add("range", str(pn::rangeText(f)));
    n.add("version_text", str(pn::versionText(f)));
    const auto v = pn::versionNumber(f);
    n.add("version", v ? real(*v) : Node{});
  }
  doc.add("offer", boolean(d.offer));
  doc.add("message_key", d.offer ? str(d.messageKey) : Node{});
  if (d.noFiles) doc.add("message", str("No firmware files found!"));
  writeDocument(out, doc, a.json);
  return 0;
}

// --- program ---------------------------------------------------------------------------

class TerminalProgress {
 public:
  explicit TerminalProgress(std::ostream& err) : err_(err), tty_(isatty(STDERR_FILENO) == 1) {}

  void show(int value, std::size_t done, std::size_t total) {
    const int percent = value / 10;
    // Without a terminal, a line at each tenth of the way.
    if (!tty_) {
      if (percent / 10 == last_) return;
      last_ = percent / 10;
    }
    constexpr int kWidth = 30;
    const int filled = value * kWidth / 1000;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kWidth, ' ');
    err_ << (tty_ ? "\r" : "") << '[' << bar << "] " << percent << '%';
    if (total > 0) err_ << "  " << done << '/' << total << " bytes";
    err_ << (tty_ ? "   " : "\n") << std::flush;
  }
  void end() {
    if (tty_) err_ << '\n';
  }

 private:
  std::ostream& err_;
  bool tty_;
  int last_ = -1;
};

bool askYes(const std::string& question, std::ostream& err) {
  err << question << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

int program(Session& s, const Args& a, std::ostream& out, std::ostream& err) {
  if (a.positional.size() != 1) return usage(err, "program takes one FILE");
  const fs::path path = a.positional[0];
  if (!pf::kindOfName(path.filename().string())) {
    err << "ostrelctl: " << s.texts.text("ERROR_MESSAGE103", "ERROR_MESSAGE103") << '\n';
    return 2;
  }
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    err << "ostrelctl: " << s.texts.text("ERROR_MESSAGE70", "ERROR_MESSAGE70") << " ("
        << path.string() << ")\n";
    return 2;
  }
  const bool terminal = isatty(STDIN_FILENO) == 1;
  if (!a.yes && !terminal) {
    err << "ostrelctl: programming erases the unit's program; give --yes to go ahead "
           "(there is no terminal to ask on). Nothing was sent.\n";
    return 1;
  }

  UnitPrograms u;
  if (identifyUnit(s, u, err) != 0) return 1;
  if (u.modelFile.empty() && !a.force) {
    err << "ostrelctl: no model file serves model '" << u.id.model
        << "', so the file cannot be checked against it; --force programs it anyway. "
           "Nothing was sent.\n";
    return 1;
  }
  if (!a.yes &&
      !askYes("Erase the program of unit " + u.id.model + " (revision " +
                  std::to_string(u.id.swRev) + ") and write " + path.filename().string() + "?",
              err)) {
    err << "ostrelctl: not programmed. Nothing was sent.\n";
    return 1;
  }

  LogFile log;
  log.setFolder(resolveDataRoot(std::nullopt) / "Logs");
  log.Open();
  const ModelRecords& r = s.texts.records;
  CProgramTarget target(*s.link, *s.presenter, r.Language, r.Values.LanguageNumber, log);
  target.path = path;
  target.programNames = u.names;
  target.forceUnfit = a.force;
  TerminalProgress bar(err);
  target.progress = [&bar](int v, std::size_t done, std::size_t total) { bar.show(v, done, total); };
  const int result = target.Run();
  bar.end();
  if (result != 0) {
    const CProgramTarget::Failure& f = target.lastFailure();
    std::string what = f.text;
    if (result == CProgramTarget::kConnectFailed) what = "the unit could not be connected";
    for (char& c : what) {
      if (c == '\n') c = ' ';
    }
    err << "ostrelctl: programming failed (result " << result << "): " << what << '\n';
    return 1;
  }

  // The unit restarts on its new program: identify it afresh.
  s.link->Close();
  UnitPrograms after;
  if (identifyUnit(s, after, err) != 0) {
    err << "ostrelctl: programmed, but the unit could not be identified afterwards\n";
    return 1;
  }
  Node doc = Node::object();
  doc.add("result", num(0));
  doc.add("file", str(path.filename().string()));
  doc.add("model", str(after.id.model));
  doc.add("firmware", str(after.id.firmware));
  doc.add("sw_rev", num(after.id.swRev));
  writeDocument(out, doc, a.json);
  return 0;
}

}  // namespace

bool isFirmwareCommand(const std::string& command) {
  return command == "program-file" || command == "programs" || command == "program";
}

int runFirmwareCommand(const LinkOptions& options, const std::vector<std::string>& args,
                       std::ostream& out, std::ostream& err) {
  Args a;
  const bool fileCommand = args[0] == "program-file";
  if (fileCommand && args.size() < 2) return usage(err, "program-file needs show or pack");
  if (const auto problem = parse(args, fileCommand ? 2 : 1, options.json, a)) {
    return usage(err, *problem);
  }
  if (fileCommand) {
    if (args[1] == "show") return showFile(a, out, err);
    if (args[1] == "pack") return pack(a, out, err);
    return usage(err, "unknown program-file command '" + args[1] + "'");
  }
  Session s;
  if (const auto problem = makeSession(options, s, err)) return usage(err, *problem);
  if (args[0] == "programs") return programs(s, a, out, err);
  return program(s, a, out, err);
}

}  // namespace ostrel

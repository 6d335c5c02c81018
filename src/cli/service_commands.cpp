#include "cli/service_commands.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "cli/config_commands.h"
#include "cli/document.h"
#include "cli/unit_session.h"
#include "core/config/production_record.h"
#include "core/link/unit_memory.h"
#include "core/model/model_file_parser.h"
#include "core/net/tech_support.h"
#include "core/net/upload_sender.h"
#include "core/platform/work_folders.h"
#include "core/service/direct_entry.h"
#include "core/service/info_memory_fields.h"
#include "core/session/page_unit_identity.h"
#include "core/support/settings_store.h"
#include "core/support/text_format.h"
#include "ostrelctl_usage.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// The whole usage, made from ostrelctl.usage.
constexpr const char* kServiceUsage = kOstrelctlUsage;

struct Args {
  std::vector<std::string> positional;
  TechSupportFields mail;
  std::string to;
  std::string since;
  std::string file;
  bool json = false;
  bool yes = false;
  bool dryRun = false;
  bool send = false;
};

std::optional<std::string> parseArgs(const std::vector<std::string>& args, bool globalJson,
                                     Args& a) {
  a.json = globalJson;
  const std::pair<const char*, std::string*> texts[] = {
      {"--server", &a.mail.server}, {"--name", &a.mail.name},
      {"--phone", &a.mail.phone},   {"--email", &a.mail.email},
      {"--description", &a.mail.description}, {"--to", &a.to},
      {"--since", &a.since}, {"--file", &a.file}};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& s = args[i];
    bool taken = false;
    for (const auto& [name, field] : texts) {
      if (s == name && i + 1 < args.size()) {
        *field = args[++i];
        taken = true;
      }
    }
    if (taken) continue;
    if (s == "--json") {
      a.json = true;
    } else if (s == "--yes") {
      a.yes = true;
    } else if (s == "--dry-run") {
      a.dryRun = true;
    } else if (s == "--send") {
      a.send = true;
    } else if (s.size() > 1 && s[0] == '-' && !(s[1] >= '0' && s[1] <= '9')) {
      return "unknown option or missing value '" + s + "'";
    } else {
      a.positional.push_back(s);
    }
  }
  return std::nullopt;
}

std::string message(const Texts& texts, const std::string& key, std::initializer_list<FormatArg> args) {
  return formatText(texts.text(key, key), args);
}

bool confirmed(const Args& a, std::ostream& err, const std::string& question) {
  if (a.yes) return true;
  err << question << " [y/N] " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return false;
  return line == "y" || line == "Y" || line == "yes";
}

// --- poke -------------------------------------------------------------------

int poke(Session& s, const Args& a, std::ostream& out, std::ostream& err) {
  if (a.positional.size() != 3) {
    err << kServiceUsage;
    return kUsage;
  }
  const std::string& pageName = a.positional[0];
  const int page = pageName == "customer" ? 1 : pageName == "factory" ? 2 : 0;
  const DirectEntryCheck check = checkDirectEntry(a.positional[1], a.positional[2], page);
  if (!check.ok) {
    err << "ostrelctl: " << message(s.texts, check.errorKey, {}) << '\n';
    return kFailed;
  }
  const DirectEntryRequest& r = check.request;
  if (!confirmed(a, err, "write " + std::to_string(r.value) + " to word " + std::to_string(r.address) +
                             " of the " + pageName + " page?")) {
    err << "ostrelctl: nothing written\n";
    return kFailed;
  }
  if (connect(s, err) != 0) return kFailed;
  const int index = r.page - 1;
  UnitMemory& memory = *s.memory;
  int result = memory.ReadPage(index, memory.Pages[static_cast<std::size_t>(index)].data());
  if (result != 0) {
    err << "ostrelctl: reading the " << pageName << " page failed (result " << result << "): "
        << describeMemoryFailure(memory.LastFailure(), s.link->Timings()) << '\n';
    return kFailed;
  }
  applyDirectEntry(memory.Pages[static_cast<std::size_t>(index)].data(), r);
  memory.WriteBuffer = memory.Pages[static_cast<std::size_t>(index)];
  result = memory.WritePage(r.page);
  if (result != 0) {
    err << "ostrelctl: "
        << message(s.texts, "ERROR_MESSAGE77", {result, r.page, r.address, r.value}) << '\n';
  } else if (memory.VerifyPage(index) != 1) {
    err << "ostrelctl: the " << pageName << " page read back differs from what was written\n";
    result = -1;
  }
  // The configuration is decoded again whether the write went or not.
  const int printed = printUnitConfiguration(s, a.json, out, err);
  return result == 0 && printed == 0 ? kDone : kFailed;
}

// --- info-memory --------------------------------------------------------------

void printInfo(const std::uint8_t* info, bool json, std::ostream& out) {
  Node doc = Node::object();
  const auto shown = showInfoMemory(info);
  for (int i = 0; i < kInfoFieldCount; ++i) {
    doc.add(kInfoFieldLabels[static_cast<std::size_t>(i)], str(shown[static_cast<std::size_t>(i)]));
  }
  writeDocument(out, doc, json);
}

int infoMemory(Session& s, const Args& a, std::ostream& out, std::ostream& err) {
  const bool set = !a.positional.empty() && a.positional[0] == "set";
  if ((!set && !a.positional.empty()) || (set && a.positional.size() < 2)) {
    err << kServiceUsage;
    return kUsage;
  }
  std::vector<std::pair<std::string, std::string>> edits;
  for (std::size_t i = 1; i < a.positional.size(); ++i) {
    const std::string& e = a.positional[i];
    const std::size_t eq = e.find('=');
    if (eq == std::string::npos || eq == 0) {
      err << "ostrelctl: '" << e << "' is not LABEL=TEXT\n\n" << kServiceUsage;
      return kUsage;
    }
    std::string label = e.substr(0, eq);
    for (char& c : label) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    edits.emplace_back(label, e.substr(eq + 1));
  }
  // Every text is checked before the unit is touched.
  std::array<std::uint8_t, UnitMemory::kInfoSize> probe{};
  const InfoEditResult checked = applyInfoMemoryFields(probe.data(), edits);
  if (!checked.ok) {
    err << "ostrelctl: " << message(s.texts, checked.errorKey, {checked.field}) << '\n';
    return kFailed;
  }
  if (connect(s, err) != 0) return kFailed;
  UnitMemory& memory = *s.memory;
  if (set) {
    const PageUnitIdentity id = identifyPageUnit(memory, nullptr);
    if (id.ok() && id.kind == PageUnitIdentity::Kind::GuidedWave) {
      err << "ostrelctl: " << message(s.texts, "SVC_MESSAGE7", {}) << '\n';
      return kFailed;
    }
  }
  std::array<std::uint8_t, UnitMemory::kInfoSize> info{};
  if (memory.ReadInfoMemory(info.data()) != 0) {
    err << "ostrelctl: Error reading info memory\n";
    return kFailed;
  }
  if (!set) {
    printInfo(info.data(), a.json, out);
    return kDone;
  }
  applyInfoMemoryFields(info.data(), edits);
  if (!confirmed(a, err, "write the information memory?")) {
    err << "ostrelctl: nothing written\n";
    return kFailed;
  }
  const int r = memory.WriteInfoMemory(info.data());
  if (r != 0) {
    err << "ostrelctl: " << message(s.texts, "ERROR_MESSAGE76", {r}) << '\n';
    return kFailed;
  }
  std::array<std::uint8_t, UnitMemory::kInfoSize> back{};
  if (memory.ReadInfoMemory(back.data()) != 0 || back != info) {
    err << "ostrelctl: the information memory read back differs from what was written\n";
    return kFailed;
  }
  printInfo(back.data(), a.json, out);
  return kDone;
}

// --- support-mail ---------------------------------------------------------------

WorkFolders folders() { return WorkFolders::build(resolveDataRoot(std::nullopt), installedDataDir()); }

int supportMail(Session& s, const Args& a, std::ostream& out, std::ostream& err) {
  if (!a.positional.empty()) {
    err << kServiceUsage;
    return kUsage;
  }
  const std::string missing = techSupportMissingText(a.mail);
  if (!missing.empty()) {
    err << "ostrelctl: " << missing.substr(0, missing.rfind("Retry?")) ;
    return kFailed;
  }
  const std::string to = a.to.empty() ? s.texts.records.Identity.SupportMail : a.to;
  if (to.empty()) {
    err << "ostrelctl: the corporate model file names no SUPPORTMAIL; give --to\n";
    return kFailed;
  }
  // The message is checked before the unit is read.
  CSMTPMessage draft;
  std::array<std::uint8_t, 512> blank{};
  const TechSupportImages none{blank.data(), blank.data(), blank.data(), blank.data()};
  TechSupportOutcome o = techSupportDryRun(a.mail, none, to, draft);
  if (o.ok()) {
    if (connect(s, err) != 0) return kFailed;
    UnitMemory& memory = *s.memory;
    int r = memory.ReadAllPages(nullptr, 0, 0, 0, nullptr);
    if (r == 0) r = memory.ReadInfoMemory(memory.Info.data());
    if (r != 0) {
      err << "ostrelctl: reading the unit's memories failed (result " << r << "): "
          << describeMemoryFailure(memory.LastFailure(), s.link->Timings()) << '\n';
      return kFailed;
    }
    const TechSupportImages images{memory.Info.data(), memory.Pages[0].data(),
                                   memory.Pages[1].data(), memory.Pages[2].data()};
    if (a.dryRun) {
      o = techSupportDryRun(a.mail, images, to, draft);
      if (o.ok()) {
        out << draft.Content() << "\r\n.\r\n";
        return kDone;
      }
    } else {
      const WorkFolders f = folders();
      std::error_code ec;
      fs::create_directories(f.Logs, ec);
      o = sendTechSupport(a.mail, images, to, f.Logs);
      if (o.ok()) {
        out << "sent to " << to << " through " << a.mail.server << '\n';
        return kDone;
      }
    }
  }
  if (o.step == TechSupportOutcome::Step::AttachmentFile) {
    err << "ostrelctl: error opening attachment file - " << o.argument << '\n';
  }
  err << "ostrelctl: " << message(s.texts, o.errorKey, {o.argument});
  if (!o.detail.empty()) err << " (" << o.detail << ")";
  err << '\n';
  return kFailed;
}

// --- uploads -----------------------------------------------------------------------

int uploads(const Args& a, std::ostream& out, std::ostream& err) {
  if (!a.positional.empty()) {
    err << kServiceUsage;
    return kUsage;
  }
  const WorkFolders f = folders();
  fs::path models = f.Models;
  if (!fs::exists(models / "Corporate_Model.txt") && !fs::exists(models / "Corporate_Model.fmf")) {
    models = f.InstalledData / "Models";
  }
  Texts texts;
  ModelRecords& r = texts.records;
  SettingsStore settings(r.Values, r.Identity.CorporateId, r.Identity.ProgramName, models,
                         userConfigDir());
  const fs::path file = pendingUploadFile(f.Logs, r.Identity.CorporateId);

  if (!a.send) {
    Node doc = Node::object();
    doc.add("server", str(r.Identity.Server));
    doc.add("file", str(file.string()));
    for (const char* name : {"OPTOUT", "PENDING"}) {
      bool value = false;
      int code = 0;
      if (settings.ReadBool(name, value, code)) {
        doc.add(name, str("unreadable (code " + std::to_string(code) + ")"));
      } else {
        doc.add(name, boolean(value));
      }
    }
    Node& lines = doc.add("reports", Node::array());
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push(str(line));
    }
    writeDocument(out, doc, a.json);
    return kDone;
  }

  const UploadOutcome o = SendPendingUploads(settings, file, r.Identity.Server);
  using Status = UploadOutcome::Status;
  switch (o.status) {
    case Status::Sent:
      out << "sent " << o.linesSent << (o.linesSent == 1 ? " report" : " reports") << " to "
          << r.Identity.Server << '\n';
      return kDone;
    case Status::OptedOut:
      out << texts.text("SVC_MESSAGE8", "SVC_MESSAGE8") << '\n';
      return kDone;
    case Status::NothingPending:
      out << "no reports are pending (PENDING is not set)\n";
      return kDone;
    case Status::NoFile:
      err << "ostrelctl: PENDING is set but " << file.string()
          << " is missing or in use; nothing was sent\n";
      return kFailed;
    case Status::BadServer:
    case Status::SendFailed:
      err << "ostrelctl: sending stopped after " << o.linesSent << " of the reports (" << o.detail
          << "); PENDING and the file are kept for the next try\n";
      return kFailed;
    case Status::SettingsUnreadable:
    case Status::SettingsUnsaved:
      err << "ostrelctl: " << formatText(texts.text(o.messageKey(), o.messageKey()), {o.code}) << '\n';
      return kFailed;
  }
  return kFailed;
}

// --- record ---------------------------------------------------------------------

int record(const Args& a, std::ostream& out, std::ostream& err) {
  if (!a.positional.empty()) {
    err << kServiceUsage;
    return kUsage;
  }
  if (!a.since.empty() && !isProductionTime(a.since)) {
    err << "ostrelctl: --since takes YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS (UTC)\n";
    return kUsage;
  }
  const fs::path file = a.file.empty() ? folders().Logs / kProductionRecordName : fs::path(a.file);
  std::string error;
  const auto entries = readProductionRecord(file, a.since, error);
  if (!entries) {
    err << "ostrelctl: " << error << '\n';
    return kFailed;
  }
  if (!a.json) {
    for (const ProductionEntry& e : *entries) {
      out << e.time << "  serial " << e.serial << "  " << e.model << "  firmware " << e.firmware
          << " rev " << e.softwareRevision << "  config " << e.configNumber << " from "
          << e.configFile << "  " << (e.verified ? "verified" : "FAILED: " + e.reason) << '\n';
    }
    return kDone;
  }
  Node doc = Node::array();
  for (const ProductionEntry& e : *entries) {
    Node n = Node::object();
    n.add("time", str(e.time));
    n.add("serial", str(e.serial));
    n.add("model", str(e.model));
    n.add("firmware", str(e.firmware));
    n.add("software_revision", str(e.softwareRevision));
    n.add("config_file", str(e.configFile));
    n.add("config_number", str(e.configNumber));
    n.add("verified", boolean(e.verified));
    n.add("reason", str(e.reason));
    doc.push(std::move(n));
  }
  writeDocument(out, doc, true);
  return kDone;
}

}  // namespace

bool isServiceCommand(const std::string& command) {
  return command == "poke" || command == "info-memory" || command == "support-mail" ||
         command == "uploads" || command == "record";
}

int runServiceCommand(const LinkOptions& options, const std::vector<std::string>& args,
                      std::ostream& out, std::ostream& err) {
  Args a;
  if (const auto error = parseArgs(args, options.json, a)) {
    err << "ostrelctl: " << *error << "\n\n" << kServiceUsage;
    return kUsage;
  }
  if (args[0] == "uploads") return uploads(a, out, err);
  if (args[0] == "record") return record(a, out, err);
  Session s;
  if (const auto error = makeSession(options, s, err)) {
    err << "ostrelctl: " << *error << "\n\n" << kServiceUsage;
    return kUsage;
  }
  if (args[0] == "poke") return poke(s, a, out, err);
  if (args[0] == "info-memory") return infoMemory(s, a, out, err);
  return supportMail(s, a, out, err);
}

}  // namespace ostrel

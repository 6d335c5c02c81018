#include "cli/config_commands.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <fstream>
#include <iterator>
#include <optional>

#include "cli/document.h"
#include "cli/radar_commands.h"
#include "cli/unit_session.h"
#include "core/config/production_record.h"
#include "core/config/config_compare.h"
#include "core/config/config_fields.h"
#include "core/config/config_page_model.h"
#include "core/config/config_file_reader.h"
#include "core/config/config_file_writer.h"
#include "core/config/customer_page.h"
#include "core/config/pulse_configuration.h"
#include "core/model/model_discovery.h"
#include "core/model/model_records.h"
#include "core/platform/work_folders.h"
#include "core/session/page_unit_identity.h"
#include "core/support/cstdio_file_ex.h"
#include "core/support/log_file.h"
#include "core/support/key_value_file.h"
#include "core/support/text_format.h"
#include "core/volume/number_rules.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"
#include "ostrelctl_usage.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kCannotCompare = 3;

// The whole usage, made from ostrelctl.usage.
constexpr const char* kConfigUsage = kOstrelctlUsage;

struct Args {
  std::vector<std::string> positional;
  std::string model;
  std::string out;
  std::string prior;       // encode: the customer page image to encode over
  std::string priorTable;  // encode: the table page as read from the unit
  std::string customer;    // encode: where the customer page goes
  std::string table;       // encode: where the table page goes
  std::string record;      // write: the production record (else Logs/Production.csv)
  bool json = false;
  bool yes = false;  // write: warnings and another serial are accepted
  int count = 1;     // write: units in a row
};

std::optional<std::string> parseArgs(const std::vector<std::string>& args, bool globalJson,
                                     Args& a) {
  a.json = globalJson;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& s = args[i];
    if (s == "--json") {
      a.json = true;
    } else if (s == "--yes") {
      a.yes = true;
    } else if (s == "--count" && i + 1 < args.size()) {
      const std::string& n = args[++i];
      char* end = nullptr;
      const long v = std::strtol(n.c_str(), &end, 10);
      if (n.empty() || *end != '\0' || v < 1 || v > 1000) return "--count takes 1 to 1000 units";
      a.count = static_cast<int>(v);
    } else if ((s == "--model" || s == "--out" || s == "--prior" || s == "--prior-table" ||
                s == "--customer" || s == "--table" || s == "--record") &&
               i + 1 < args.size()) {
      std::string& target = s == "--model"         ? a.model
                            : s == "--out"         ? a.out
                            : s == "--prior"       ? a.prior
                            : s == "--prior-table" ? a.priorTable
                            : s == "--customer"    ? a.customer
                            : s == "--record"      ? a.record
                                                   : a.table;
      target = args[++i];
    } else if (s.size() > 1 && s[0] == '-') {
      return "unknown option '" + s + "'";
    } else {
      a.positional.push_back(s);
    }
  }
  return std::nullopt;
}

// The number a radar's text starts with, as startup reads it; a text of
// more digits than an int holds saturates instead of overflowing.
std::int32_t leadingNumber(const std::string& text) {
  const long long n = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<std::int32_t>(std::clamp<long long>(n, INT32_MIN, INT32_MAX));
}

std::string beforeDash(const std::string& model) { return model.substr(0, model.find('-')); }

fs::path shippedModels() { return installedDataDir() / "Models"; }

std::string noticeText(const Texts& texts, const Notice& n) {
  return n.text(&texts.records.Language, texts.records.Values.LanguageNumber);
}

// --- the model ------------------------------------------------------------

// Loads a model file into the records the language was loaded into (its
// unit description takes the language's caption). The firmware picks the
// UNITTYPE line whose description the record gets.
bool loadModel(ModelRecords& r, const fs::path& file, const std::string& firmware,
               std::ostream& err) {
  ResetModelDatabase(r.Database, r.Images, &r.Flags);
  r.UnitType = UnitTypeMatch{firmware, {}};
  ModelFileParser parser(r.targets());
  parser.setModelsFolder(file.parent_path());
  if (!parser.LoadModelFile(file, 0) || r.Database.UnitTypeCount <= 0) {
    err << "ostrelctl: cannot read the model file '" << file.string() << "'\n";
    return false;
  }
  return true;
}

// The shipped model file that serves a model number (and firmware text), as
// startup finds it.
std::optional<fs::path> findModel(const ModelRecords& r, const std::string& model,
                                  const std::string& firmware, std::ostream& err) {
  ModelDiscovery discovery(shippedModels(), &r.Language, r.Values.LanguageNumber, nullptr);
  std::vector<std::string> wanted{beforeDash(model)};
  if (!firmware.empty()) wanted.push_back(firmware);
  std::string name;
  if (discovery.FindModelFile(r.Identity.ModelId, "UNITTYPE", wanted, 0, name)) {
    return shippedModels() / name;
  }
  err << "ostrelctl: no model file in " << shippedModels().string() << " serves model '"
      << model << "'" << (firmware.empty() ? "" : " with firmware '" + firmware + "'") << '\n';
  return std::nullopt;
}

// --- the records a file or a unit fills -----------------------------------

struct Records {
  UnitConfiguration config;
  VolumeTable volume;
  StrappingRows rows;
  RadarAdvanced radar;
  bool hasRadar = false;  // the radar's settings were read
  bool independent = false;

  ConfigRecords edit() { return {&config, &volume, &rows, hasRadar ? &radar : nullptr}; }
  ConstConfigRecords view() const {
    return {&config, &volume, &rows, hasRadar ? &radar : nullptr};
  }
};

// The identity a configuration made without a unit carries: the model's
// number, its first firmware text and the model file's name.
void modelIdentity(ModelRecords& r, const fs::path& file, UnitConfiguration& c) {
  const ModelDatabase& db = r.Database;
  c.model = db.UnitTypes[0];
  c.firmware = db.UnitTypeCount > 1 ? db.UnitTypes[1] : db.UnitTypes[0];
  c.modelFileName = file.filename().string();
}

// --- the configuration page ---------------------------------------------------

// What the page shows goes to err; its questions get the answer `ask`
// gives (by default yes to a yes/no question, OK otherwise).
class CommandPresenter final : public Presenter {
 public:
  explicit CommandPresenter(std::ostream& err) : err_(err), progress_(err) {}

  int messageBox(const std::string& text, unsigned style) override {
    err_ << "ostrelctl: " << text << '\n';
    return answer(text, style);
  }
  int platformMessageBox(const std::string& text, unsigned style) override {
    return messageBox(text, style);
  }
  void errorDetail(const std::string& message, const std::string& details) override {
    err_ << "ostrelctl: " << message << '\n' << details << '\n';
  }
  ProgressSink& busy() override { return progress_; }

  std::function<int(const std::string& text, unsigned style)> ask;

 private:
  int answer(const std::string& text, unsigned style) {
    const unsigned kind = style & 0x0F;
    if (kind != kStyleYesNo && kind != kStyleOkCancel) return kResultOk;
    return ask ? ask(text, style) : NullPresenter::defaultResult(style);
  }

  // The busy window's lines, each once.
  class Lines final : public ProgressSink {
   public:
    explicit Lines(std::ostream& err) : err_(err) {}
    void setMessage(const std::string& text) override {
      if (!text.empty() && text != last_) err_ << "  " << text << '\n';
      last_ = text;
    }
    void setProgress(int percent) override { percent_ = percent; }
    int progress() const override { return percent_; }

   private:
    std::ostream& err_;
    std::string last_;
    int percent_ = 0;
  };

  std::ostream& err_;
  Lines progress_;
};

// The configuration page as a command drives it: over a unit's memory or
// pulse radar, or over page images read from files. Messages go to err.
struct PageRun {
  explicit PageRun(std::ostream& err) : presenter(err) {}

  UnitConfiguration config;
  std::array<UnitMemory::Page, 4> pages{};
  CommandPresenter presenter;
  std::unique_ptr<ConfigPageModel> page;
};

ConfigPageServices pageServices(ModelRecords& r, const fs::path& modelsFolder, Presenter& presenter) {
  ConfigPageServices s;
  s.records = &r;
  s.presenter = &presenter;
  s.modelsFolder = modelsFolder;
  s.configsFolder = fs::current_path();
  s.drawingsFolder = installedDataDir() / "Drawings";
  return s;
}

// The records of a page, for the field table's readers.
void takeRecords(const ConfigPageModel& page, Records& u) {
  u.config = page.config();
  u.volume = page.volume();
  u.rows = const_cast<ConfigPageModel&>(page).strapping();
  const ConfigFileContent content = page.fileContent();
  u.hasRadar = content.radar != nullptr;
  if (content.radar != nullptr) u.radar = *content.radar;
  u.independent = page.independentMode();
}

// Prints the file's text, or saves it (UTF-16LE, written beside the target
// and renamed into place) when an output file is named.
int emitFile(const Texts& texts, const ConfigFileContent& content, const std::string& outPath,
             std::ostream& out, std::ostream& err) {
  const ConfigWriteResult w =
      outPath.empty() ? ConfigFileWriter::text(content) : ConfigFileWriter::save(outPath, content);
  if (!w.ok) {
    err << "ostrelctl: " << (w.notice ? noticeText(texts, *w.notice) : "nothing written") << '\n';
    return kFailed;
  }
  if (outPath.empty()) out << w.text;
  return kDone;
}

// --- the record as a document, keyed as files key it ----------------------

Node valueNode(const ConfigField& f, const ConfigValue& v) {
  const bool single = f.home != ConfigField::Home::Configuration || f.id == FieldId::IndependentLevel;
  if (const auto* s = std::get_if<std::string>(&v)) return str(*s);
  if (const auto* k = std::get_if<std::int64_t>(&v)) return num(*k);
  if (const auto* x = std::get_if<double>(&v)) {
    return single ? realSingle(static_cast<float>(*x)) : real(*x);
  }
  Node pair = Node::array();
  if (const auto* a = std::get_if<AdvancedEntry>(&v)) {
    pair.push(boolean(a->set));
    pair.push(real(a->value));
    return pair;
  }
  const auto& row = std::get<StrapRow>(v);
  pair.push(realSingle(static_cast<float>(row.level)));
  pair.push(realSingle(static_cast<float>(row.volume)));
  return pair;
}

// Every field a file carries, from the field table; SERIAL is the file's
// serial for a file read and the unit's for a unit read, ROWS the strapping
// rows there are.
Node recordNode(const ModelDatabase& db, const ConstConfigRecords& r, bool fileSerial) {
  Node doc = Node::object();
  for (const ConfigField& f : ConfigFields::all()) {
    switch (f.id) {
      case FieldId::SoftwareRevision:
      case FieldId::FileSerial:
      case FieldId::ConfigFileName:
      case FieldId::ConfigValid:
      case FieldId::LevelsValid:
        continue;
      default:
        break;
    }
    if (f.home == ConfigField::Home::Radar && (db.PulseRadar == 0 || r.radar == nullptr)) continue;
    const FieldId id = f.id == FieldId::Serial && fileSerial ? FieldId::FileSerial : f.id;
    const std::string key = f.id == FieldId::Row ? "ROWS" : std::string(f.key);
    if (!f.indexed) {
      doc.add(key, valueNode(f, ConfigFields::get(r, id, 0)));
      continue;
    }
    int count = f.count;
    if (f.id == FieldId::Row) count = std::clamp(r.rows->RowCount, 0, f.count);
    Node list = Node::array();
    for (int i = 0; i < count; ++i) list.push(valueNode(f, ConfigFields::get(r, id, i)));
    doc.add(key, std::move(list));
  }
  return doc;
}

// --- config show ------------------------------------------------------------

// The MODEL a configuration file names (the reader's key rule), to find its
// model file by.
std::optional<std::string> fileModel(const fs::path& path) {
  CStdioFileEx file;
  if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::shareDenyWrite)) return std::nullopt;
  KeyValueLine line;
  while (keyvalue::ReadLine(file, line)) {
    const ConfigField* f = ConfigFields::forLineKey(line.Key);
    if (f != nullptr && f->id == FieldId::Model) return line.Value;
  }
  return std::nullopt;
}

// Reads a file as "Open Config File" does, over the records in `u` (the
// unit's, for a comparison). A failure's message goes to err.
bool readFile(const Texts& texts, const ModelDatabase& db, const fs::path& path, bool sample,
              Records& u, std::ostream& err) {
  ConfigReadContext context;
  context.records = u.edit();
  context.model = &db;
  context.sampleMode = sample;
  const ConfigReadResult r = ConfigFileReader::read(path, context);
  if (r.code == ConfigFileReader::kRead) {
    u.config.configurationIndex = CustomerPage::matchedConfiguration(db, u.config.itemChoices);
    u.config.configurationValid = u.config.configurationIndex >= 0;
    u.independent = ConfigFileReader::independentMode(db, u.config);
    return true;
  }
  err << "ostrelctl: " << path.string() << ": ";
  if (r.code == ConfigFileReader::kCannotOpen) err << "cannot be opened or read";
  for (const Notice& n : r.notices) err << noticeText(texts, n);
  err << '\n';
  return false;
}

int show(const Args& a, std::ostream& out, std::ostream& err) {
  if (a.positional.size() != 1) {
    err << kConfigUsage;
    return kUsage;
  }
  const fs::path path = a.positional[0];
  Texts texts;
  ModelRecords& r = texts.records;
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    err << "ostrelctl: " << path.string() << ": cannot be opened or read\n";
    return kFailed;
  }
  fs::path modelFile = a.model;
  if (modelFile.empty()) {
    const std::optional<std::string> model = fileModel(path);
    if (!model) {
      err << "ostrelctl: " << path.string() << " names no MODEL; give --model MODELFILE\n";
      return kFailed;
    }
    const auto found = findModel(r, *model, {}, err);
    if (!found) return kFailed;
    modelFile = *found;
  }
  if (!loadModel(r, modelFile, {}, err)) return kFailed;
  auto u = std::make_unique<Records>();
  u->volume.Reset();
  u->volume.Link = ModelLink(&r.Database, &r.Structures);
  u->hasRadar = r.Database.PulseRadar != 0;
  // Items the model lacks stay -1 from set-up; the others start unselected.
  for (std::size_t i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    u->config.itemChoices[i] = r.Database.ConfigItems[i].Present ? 0 : -1;
  }
  // As the sample page reads it: the file's MODEL becomes the record's.
  if (!readFile(texts, r.Database, path, true, *u, err)) return kFailed;
  writeDocument(out, recordNode(r.Database, u->view(), true), a.json);
  return kDone;
}

// --- config decode ----------------------------------------------------------

std::optional<std::string> readPageFile(const std::string& path, std::array<std::uint8_t, 512>& page) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot read " + path;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() != page.size()) {
    return path + " holds " + std::to_string(bytes.size()) + " bytes; a page is exactly 512";
  }
  std::copy(bytes.begin(), bytes.end(), page.begin());
  return std::nullopt;
}

int decode(const Args& a, std::ostream& out, std::ostream& err) {
  if (a.model.empty() || a.positional.empty() || a.positional.size() > 2) {
    err << kConfigUsage;
    return kUsage;
  }
  CustomerPage::Bytes customer{};
  TablePage::Bytes table{};
  if (const auto e = readPageFile(a.positional[0], customer)) {
    err << "ostrelctl: " << *e << '\n';
    return kFailed;
  }
  const bool withTable = a.positional.size() == 2;
  if (withTable) {
    if (const auto e = readPageFile(a.positional[1], table)) {
      err << "ostrelctl: " << *e << '\n';
      return kFailed;
    }
  }
  Texts texts;
  ModelRecords& r = texts.records;
  const fs::path modelFile = a.model;
  if (!loadModel(r, modelFile, {}, err)) return kFailed;
  if (r.Database.PulseRadar != 0) {
    err << "ostrelctl: a pulse radar keeps its configuration in parameters, not in pages;"
           " use config read\n";
    return kFailed;
  }
  // Once more with the model's own firmware text, for its description.
  PageRun run(err);
  modelIdentity(r, modelFile, run.config);
  if (!loadModel(r, modelFile, run.config.firmware, err)) return kFailed;
  run.config.unitDescription = r.UnitType.Description;
  run.pages[UnitMemory::kCustomer] = customer;
  if (withTable) {
    run.pages[UnitMemory::kHistory] = table;
  } else {
    // Without a table page the unit's table is taken as reset.
    VolumeTable reset;
    reset.Reset();
    TablePage::encode(reset, std::nullopt, run.pages[UnitMemory::kHistory]);
  }
  ConfigPageServices services = pageServices(r, modelFile.parent_path(), run.presenter);
  services.pages = &run.pages;
  run.page = std::make_unique<ConfigPageModel>(run.config, services);
  if (!run.page->activate()) return kFailed;
  return emitFile(texts, run.page->fileContent(), a.out, out, err);
}

// --- config read and config diff: the connected unit -----------------------

// Identifies the unit, loads its model and activates the configuration
// page over what it holds, as the startup and the page do.
struct UnitRead {
  explicit UnitRead(std::ostream& err) : run(err) {}
  LogFile log;  // the tool's log, when a command opened it
  fs::path modelFile;
  PageRun run;
  std::unique_ptr<Records> unit = std::make_unique<Records>();
};

bool readUnit(Session& s, const Args& a, UnitRead& read, std::ostream& err) {
  if (connect(s, err) != 0) return false;
  UnitConfiguration& c = read.run.config;
  const bool pulse = s.pulse.DetectPulse(*s.link);
  if (pulse) {
    int r = s.pulse.ReadUniqueIdentifier(*s.link);
    if (r == 0) r = s.pulse.ReadIdentitySet(*s.link, nullptr);
    if (r == 0) r = s.pulse.ReadAdvancedSet(*s.link, nullptr);
    if (r != 0) {
      err << "ostrelctl: reading the radar failed: " << radarFailure(s, r) << '\n';
      return false;
    }
    const PulseParameters& p = s.pulse.Parameters();
    c.firmware = "NXRadar";
    c.model = p.ModelNumber;
    c.softwareRevision = leadingNumber(p.FirmwareVersion);
    c.serial = leadingNumber(p.SerialNumber);
  } else {
    const PageUnitIdentity id = identifyPageUnit(*s.memory, nullptr);
    if (!id.ok()) {
      err << "ostrelctl: identification failed: "
          << formatText(s.texts.text(id.errorKey, id.errorKey + " %d"), {id.result}) << '\n';
      return false;
    }
    c.firmware = id.firmware;
    c.softwareRevision = id.swRev;
    c.fileSerial = id.fileSerial;
    c.serial = id.serial;
    c.model = id.model;
  }
  ModelRecords& records = s.texts.records;
  if (a.model.empty()) {
    const auto found = findModel(records, c.model, c.firmware, err);
    if (!found) return false;
    read.modelFile = *found;
  } else {
    read.modelFile = a.model;
  }
  if (!loadModel(records, read.modelFile, c.firmware, err)) return false;
  c.modelFileName = read.modelFile.filename().string();
  c.unitDescription = records.UnitType.Description;
  ConfigPageServices services =
      pageServices(records, read.modelFile.parent_path(), read.run.presenter);
  services.memory = s.memory.get();
  services.link = s.link.get();
  services.pulse = &s.pulse;
  if (read.log.IsOpen()) services.log = &read.log;
  read.run.page = std::make_unique<ConfigPageModel>(c, services);
  ConfigPageModel& page = *read.run.page;
  if (!page.activate()) return false;
  // The radar's advanced parameters were read above.
  if (pulse) page.markRadarAdvancedRead();
  takeRecords(page, *read.unit);
  return true;
}

int readCommand(Session& s, const Args& a, std::ostream& out, std::ostream& err) {
  if (!a.positional.empty()) {
    err << kConfigUsage;
    return kUsage;
  }
  UnitRead read(err);
  if (!readUnit(s, a, read, err)) return kFailed;
  ModelRecords& r = s.texts.records;
  const ConfigFileContent content = read.run.page->fileContent();
  if (a.json) {
    if (!a.out.empty() && emitFile(s.texts, content, a.out, out, err) != kDone) return kFailed;
    writeDocument(out, recordNode(r.Database, read.unit->view(), false), true);
    return kDone;
  }
  return emitFile(s.texts, content, a.out, out, err);
}

Node differenceValue(const ConfigField& f, const ConfigValue& v, const std::string& text) {
  // Numbers as the file's decimals give them.
  if (std::holds_alternative<double>(v)) return real(NumberRules::read(text));
  return valueNode(f, v);
}

int diff(Session& s, const Args& a, std::ostream& out, std::ostream& err) {
  if (a.positional.size() != 1) {
    err << kConfigUsage;
    return kUsage;
  }
  UnitRead read(err);
  if (!readUnit(s, a, read, err)) return kCannotCompare;
  const ModelDatabase& db = s.texts.records.Database;
  // The file is read over the unit's configuration, as the page opens a
  // file: what the file does not say stays as the unit has it.
  auto file = std::make_unique<Records>(*read.unit);
  if (!readFile(s.texts, db, a.positional[0], false, *file, err)) return kCannotCompare;
  const std::vector<ConfigDifference> found =
      ConfigCompare::differences(db, file->view(), read.unit->view());

  Node doc = Node::object();
  doc.add("equal", boolean(found.empty()));
  Node& list = doc.add("differences", Node::array());
  for (const ConfigDifference& d : found) {
    const ConfigField& f = ConfigFields::field(d.field);
    Node n = Node::object();
    n.add("key", str(std::string(d.key)));
    if (d.indexed) n.add("index", num(d.index));
    n.add("file", differenceValue(f, d.reference, d.referenceText));
    n.add("unit", differenceValue(f, d.other, d.otherText));
    list.push(std::move(n));
  }
  if (a.json) {
    writeDocument(out, doc, true);
  } else if (found.empty()) {
    out << "the unit holds what " << a.positional[0] << " says\n";
  } else {
    for (const ConfigDifference& d : found) {
      std::string key(d.key);
      if (d.indexed) key += "[" + std::to_string(d.index) + "]";
      out << key << ": file " << d.referenceText << ", unit " << d.otherText << '\n';
    }
  }
  return found.empty() ? kDone : kFailed;
}


// --- config check, encode and write: a file as the page would write it -------

// Activates a page over the page images in `run` and opens the file on it as
// "Open Config File" does. The model is the one given, else the shipped one
// that serves the file's MODEL.
bool fileOnPage(Texts& texts, const Args& a, const fs::path& file, PageRun& run,
                std::ostream& err) {
  ModelRecords& r = texts.records;
  fs::path modelFile = a.model;
  if (modelFile.empty()) {
    const std::optional<std::string> model = fileModel(file);
    if (!model) {
      err << "ostrelctl: " << file.string() << " cannot be read or names no MODEL\n";
      return false;
    }
    const auto found = findModel(r, *model, {}, err);
    if (!found) return false;
    modelFile = *found;
  }
  if (!loadModel(r, modelFile, {}, err)) return false;
  modelIdentity(r, modelFile, run.config);
  if (!loadModel(r, modelFile, run.config.firmware, err)) return false;
  run.config.unitDescription = r.UnitType.Description;
  ConfigPageServices services = pageServices(r, modelFile.parent_path(), run.presenter);
  services.pages = &run.pages;
  run.page = std::make_unique<ConfigPageModel>(run.config, services);
  return run.page->activate() && run.page->openFile(fs::absolute(file).string());
}

int check(const Args& a, std::ostream& out, std::ostream& err) {
  if (a.positional.size() != 1) {
    err << kConfigUsage;
    return kUsage;
  }
  Texts texts;
  PageRun run(err);
  if (!fileOnPage(texts, a, a.positional[0], run, err)) return kFailed;
  std::vector<ValueCheckResult> all;
  run.page->prepareWrite(&all);
  const ModelRecords& r = texts.records;
  bool error = false;
  for (const ValueCheckResult& f : all) {
    out << (f.outcome == CheckOutcome::Error ? "error: " : "warning: ")
        << f.text(&r.Language, r.Values.LanguageNumber) << '\n';
    error = error || f.outcome == CheckOutcome::Error;
  }
  if (all.empty()) out << "no findings\n";
  return error ? kFailed : kDone;
}

int encode(const Args& a, std::ostream& err) {
  if (a.positional.size() != 1 || a.customer.empty() || a.table.empty()) {
    err << kConfigUsage;
    return kUsage;
  }
  PageRun run(err);
  if (!a.prior.empty()) {
    if (const auto e = readPageFile(a.prior, run.pages[UnitMemory::kCustomer])) {
      err << "ostrelctl: " << *e << '\n';
      return kFailed;
    }
  }
  if (!a.priorTable.empty()) {
    if (const auto e = readPageFile(a.priorTable, run.pages[UnitMemory::kHistory])) {
      err << "ostrelctl: " << *e << '\n';
      return kFailed;
    }
  } else {
    VolumeTable reset;
    reset.Reset();
    TablePage::encode(reset, std::nullopt, run.pages[UnitMemory::kHistory]);
  }
  Texts texts;
  if (!fileOnPage(texts, a, a.positional[0], run, err)) return kFailed;
  const ModelRecords& r = texts.records;
  if (r.Database.PulseRadar != 0) {
    err << "ostrelctl: a pulse radar keeps its configuration in parameters, not in pages\n";
    return kFailed;
  }
  const ConfigPageModel::EncodedWrite e =
      run.page->encodeForWrite(run.pages[UnitMemory::kCustomer], run.pages[UnitMemory::kHistory]);
  if (e.checks.outcome != CheckOutcome::None) {
    err << "ostrelctl: " << e.checks.text(&r.Language, r.Values.LanguageNumber) << '\n';
    if (e.checks.outcome == CheckOutcome::Error) return kFailed;
  }
  if (e.customerResult != CustomerPage::kEncoded) {
    err << "ostrelctl: " << texts.text("ERROR_MESSAGE34", "ERROR_MESSAGE34") << '\n';
    return kFailed;
  }
  if (!saveBytes(a.customer, e.customer.data(), e.customer.size(), err) ||
      !saveBytes(a.table, e.table.data(), e.table.size(), err)) {
    return kFailed;
  }
  return kDone;
}

// A line typed on the terminal; none at its end.
std::optional<std::string> typedLine(std::ostream& err, const std::string& prompt) {
  err << prompt << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  return line;
}

int write(Session& s, const Args& a, std::ostream& out, std::ostream& err) {
  if (a.positional.size() != 1) {
    err << kConfigUsage;
    return kUsage;
  }
  UnitRead read(err);
  // The write and its configuration go into the tool's log, as from the page.
  const WorkFolders folders = WorkFolders::build(resolveDataRoot(std::nullopt), installedDataDir());
  std::error_code ec;
  fs::create_directories(folders.Logs, ec);
  read.log.setFolder(folders.Logs);
  if (!read.log.Open()) {
    err << "ostrelctl: the log in " << folders.Logs.string() << " cannot be opened\n";
  }
  if (!readUnit(s, a, read, err)) return kFailed;
  ConfigPageModel& page = *read.run.page;
  if (!page.openFile(fs::absolute(a.positional[0]).string())) return kFailed;

  const std::string another = s.texts.text("STATUS_MESSAGE23", "STATUS_MESSAGE23");
  const std::string connectNext = s.texts.text("STATUS_MESSAGE24", "STATUS_MESSAGE24");
  // Every unit the run writes gets its line in the production record: the
  // run asks about another unit only after a unit was written and verified.
  const fs::path record = a.record.empty() ? folders.Logs / kProductionRecordName : fs::path(a.record);
  const std::string configFile = fs::absolute(a.positional[0]).string();
  bool recordFailed = false;
  const auto recordUnit = [&](bool verified, const std::string& reason) {
    std::string error;
    if (!recordWrittenUnit(record, page.config(), configFile, verified, reason, error)) {
      err << "ostrelctl: the production record: " << error << '\n';
      recordFailed = true;
    }
  };
  int asked = 0;
  read.run.presenter.ask = [&](const std::string& text, unsigned style) {
    if (text == another) {
      recordUnit(true, {});
      return ++asked < a.count ? kResultYes : kResultNo;
    }
    if (text == connectNext) {
      const auto line = typedLine(err, "connect the next unit, then press Enter (q to stop): ");
      return line && *line != "q" ? kResultOk : kResultCancel;
    }
    if (a.yes) return (style & 0x0F) == kStyleYesNo ? kResultYes : kResultOk;
    const auto line = typedLine(err, "[y/N] ");
    const bool yes = line && (*line == "y" || *line == "Y" || *line == "yes");
    if ((style & 0x0F) == kStyleYesNo) return yes ? kResultYes : kResultNo;
    return yes ? kResultOk : kResultCancel;
  };
  const std::optional<WriteOutcome> outcome = page.writeToUnit();
  if (!outcome) return kFailed;
  if (outcome->status == WriteOutcome::Status::Failed ||
      outcome->status == WriteOutcome::Status::Stopped) {
    recordUnit(false, outcome->message.empty() ? outcome->messageKey : outcome->message);
  }
  if (outcome->status != WriteOutcome::Status::Written || recordFailed) return kFailed;
  out << "written to " << outcome->unitsWritten << (outcome->unitsWritten == 1 ? " unit" : " units")
      << '\n';
  return kDone;
}

}  // namespace

int printUnitConfiguration(Session& s, bool json, std::ostream& out, std::ostream& err) {
  Args a;
  a.json = json;
  return readCommand(s, a, out, err);
}

bool readUnitRecords(Session& session, UnitRecords& records, std::ostream& err) {
  UnitRead read(err);
  if (!readUnit(session, Args{}, read, err)) return false;
  records.config = read.unit->config;
  records.volume = read.unit->volume;
  records.rows = read.unit->rows;
  return true;
}

int runConfigCommand(const LinkOptions& options, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err) {
  Args a;
  if (args.size() < 2) {
    err << kConfigUsage;
    return kUsage;
  }
  if (const auto error = parseArgs(args, options.json, a)) {
    err << "ostrelctl: " << *error << "\n\n" << kConfigUsage;
    return kUsage;
  }
  const std::string& command = args[1];
  if (command == "show") return show(a, out, err);
  if (command == "decode") return decode(a, out, err);
  if (command == "check") return check(a, out, err);
  if (command == "encode") return encode(a, err);
  if (command != "read" && command != "diff" && command != "write") {
    err << kConfigUsage;
    return kUsage;
  }
  Session s;
  if (const auto error = makeSession(options, s, err)) {
    err << "ostrelctl: " << *error << "\n\n" << kConfigUsage;
    return kUsage;
  }
  if (command == "write") return write(s, a, out, err);
  return command == "read" ? readCommand(s, a, out, err) : diff(s, a, out, err);
}

}  // namespace ostrel

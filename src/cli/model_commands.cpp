#include "cli/model_commands.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

#include "cli/document.h"
#include "core/model/fmf_cipher.h"
#include "core/model/model_records.h"
#include "core/platform/atomic_file.h"
#include "core/support/presenter.h"
#include "ostrelctl_usage.h"

namespace ostrel {
namespace {

// The whole usage, made from ostrelctl.usage.
constexpr const char* kModelUsage = kOstrelctlUsage;

int usageError(std::ostream& err, const std::string& message) {
  err << "ostrelctl model: " << message << "\n\n" << kModelUsage;
  return 2;
}

struct Options {
  std::vector<std::string> positional;
  FmfKey key = FmfCipher::projectKey();
  bool json = false;
};

// Parses what follows the subcommand; an error text on failure.
std::optional<std::string> parseOptions(const std::vector<std::string>& args, bool allowJson,
                                        Options& options) {
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--key") {
      if (i + 1 >= args.size()) return std::string("--key needs a value");
      const auto key = FmfCipher::parseKey(args[++i]);
      if (!key) return std::string("--key wants exactly 32 hex digits");
      options.key = *key;
    } else if (a == "--json" && allowJson) {
      options.json = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option '" + a + "'";
    } else {
      options.positional.push_back(a);
    }
  }
  return std::nullopt;
}

bool readFile(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

int convert(const std::vector<std::string>& args, bool encipher, std::ostream& out,
            std::ostream& err) {
  Options options;
  if (auto problem = parseOptions(args, false, options)) return usageError(err, *problem);
  if (options.positional.size() != 2) return usageError(err, "expected IN and OUT");
  const std::filesystem::path in = options.positional[0];
  const std::filesystem::path target = options.positional[1];
  std::string bytes;
  if (!readFile(in, bytes)) {
    err << "ostrelctl model: cannot read '" << in.string() << "'\n";
    return 1;
  }
  const FmfCipher cipher(options.key);
  const std::string result = encipher ? cipher.encipher(bytes) : cipher.decipherText(bytes);
  if (!writeFileAtomically(target, result)) {
    err << "ostrelctl model: cannot write '" << target.string() << "'\n";
    return 1;
  }
  out << (encipher ? "enciphered " : "deciphered ") << in.string() << " -> " << target.string()
      << " (" << result.size() << " bytes)\n";
  return 0;
}


Node identityNode(const ProgramIdentity& id) {
  Node n = Node::object();
  const std::pair<const char*, const std::string*> fields[] = {
      {"PROGRAMID", &id.ProgramId},     {"PROGRAMNAME", &id.ProgramName},
      {"MODELID", &id.ModelId},         {"INSTALLERID", &id.InstallerId},
      {"CORPORATEID", &id.CorporateId}, {"SERVER", &id.Server},
      {"SUBDIR", &id.ServerFolder},     {"SUPPORTMAIL", &id.SupportMail},
      {"MAINHELP", &id.MainHelp},
      {"LOGOIMAGE", &id.LogoImage}};
  for (const auto& [key, value] : fields) {
    if (!value->empty()) n.add(key, str(*value));
  }
  return n;
}

template <std::size_t N>
Node textList(const BookkeptList<std::string, N>& list) {
  Node n = Node::array();
  const int count = usedLength(list.Count, list.Last, list.kCapacity);
  for (int i = 0; i < count; ++i) n.push(str(list[static_cast<std::size_t>(i)]));
  return n;
}

Node databaseNode(const ModelDatabase& db) {
  Node n = Node::object();
  Node items = Node::array();
  for (int i = 0; i < ModelDatabase::kConfigItems; ++i) {
    const ConfigItem& item = db.ConfigItems[static_cast<std::size_t>(i)];
    if (!item.Present) continue;
    Node node = Node::object();
    node.add("item", num(i + 1));
    node.add("label", str(item.Label));
    node.add("labelCode", num(item.LabelCode));
    Node choices = Node::array();
    const int count = usedLength(item.ChoiceCount, item.ChoiceLast, ConfigItem::kChoices);
    for (int k = 0; k < count; ++k) {
      Node choice = Node::object();
      choice.add("code", num(item.Codes[static_cast<std::size_t>(k)]));
      choice.add("text", str(item.Texts[static_cast<std::size_t>(k)]));
      choices.push(std::move(choice));
    }
    node.add("choices", std::move(choices));
    items.push(std::move(node));
  }
  n.add("items", std::move(items));

  Node configurations = Node::array();
  const int configCount =
      usedLength(db.Configurations.Count, db.Configurations.Last, ModelDatabase::kConfigurations);
  for (int i = 0; i < configCount; ++i) {
    const ModelConfiguration& c = db.Configurations[static_cast<std::size_t>(i)];
    if (!c.Present) continue;
    Node node = Node::object();
    node.add("index", num(i));
    node.add("number", num(c.Number));
    Node codes = Node::array();
    for (std::int32_t code : c.ChoiceCodes) codes.push(num(code));
    node.add("choiceCodes", std::move(codes));
    Node levels = Node::array();
    for (std::size_t p = 0; p < ModelConfiguration::kLevels; ++p) {
      Node level = Node::object();
      level.add("word", num(c.LevelWords[p]));
      level.add("caption", str(c.LevelCaptions[p]));
      levels.push(std::move(level));
    }
    node.add("levels", std::move(levels));
    node.add("extra", num(c.Extra));
    node.add("drawingFile", str(c.DrawingFile));
    configurations.push(std::move(node));
  }
  n.add("configurationCount", num(db.Configurations.Count));
  n.add("configurations", std::move(configurations));

  Node advanced = Node::array();
  const int advancedCount = std::clamp(db.AdvancedInputs.Last + 1, 0, AdvancedInputList::kCapacity);
  for (int i = 0; i < advancedCount; ++i) {
    const AdvancedInput& a = db.AdvancedInputs[static_cast<std::size_t>(i)];
    Node node = Node::object();
    node.add("flagWord", num(a.FlagWord));
    node.add("flagBit", num(a.FlagBit));
    node.add("caption", str(a.Caption));
    node.add("valueWord", num(a.ValueWord));
    node.add("unitsMode", num(a.UnitsMode));
    node.add("unitsText", str(a.UnitsText));
    node.add("explanatoryText", str(a.ExplanatoryText));
    advanced.push(std::move(node));
  }
  n.add("advancedInputs", std::move(advanced));

  Node units = Node::array();
  const int unitCount =
      std::max(usedLength(db.UnitNames.Count, db.UnitNames.Last, ModelDatabase::kUnits),
               usedLength(db.UnitFactors.Count, db.UnitFactors.Last, ModelDatabase::kUnits));
  for (int i = 0; i < unitCount; ++i) {
    Node unit = Node::object();
    unit.add("name", str(db.UnitNames[static_cast<std::size_t>(i)]));
    unit.add("factor", real(db.UnitFactors[static_cast<std::size_t>(i)]));
    units.push(std::move(unit));
  }
  n.add("units", std::move(units));
  n.add("defaultUnitFactor", real(db.DefaultUnitFactor));

  Node fixed = Node::array();
  for (int i = 0; i < db.FixedWordCount; ++i) {
    Node word = Node::object();
    word.add("word", num(db.FixedWords[static_cast<std::size_t>(i)].Word));
    word.add("value", num(db.FixedWords[static_cast<std::size_t>(i)].Value));
    fixed.push(std::move(word));
  }
  n.add("fixedWords", std::move(fixed));

  Node unitTypes = Node::array();
  for (int i = 0; i < db.UnitTypeCount; ++i)
    unitTypes.push(str(db.UnitTypes[static_cast<std::size_t>(i)]));
  n.add("unitTypes", std::move(unitTypes));

  n.add("maxSensorHeight", real(db.MaxSensorHeight));
  n.add("minRange", real(db.MinRange));
  n.add("maxRange", real(db.MaxRange));
  n.add("lowerProbeDeadband", real(db.LowerProbeDeadband));
  n.add("nutOffset", real(db.NutOffset));
  n.add("guidedWaveRadar", num(db.GuidedWaveRadar));
  n.add("pulseRadar", num(db.PulseRadar));
  n.add("ugus", num(db.Ugus));
  n.add("invertDemo", num(db.InvertDemo));
  n.add("defaultFile", str(db.DefaultFile));
  n.add("helpFile", str(db.HelpFile));
  n.add("nonLinearHelpFile", str(db.NonLinearHelpFile));
  n.add("maxHead", str(db.MaxHead));
  n.add("unitRange", str(db.UnitRange));
  n.add("nonLinearButtonCaption", str(db.NonLinearButtonCaption));
  n.add("nonLinearFiles", textList(db.NonLinearFiles));
  n.add("diagnosticEchoes", textList(db.DiagnosticEchoes));
  n.add("media", textList(db.Media));
  n.add("firstEchoes", textList(db.FirstEchoes));
  return n;
}

Node structureNode(const StructureData& s) {
  Node n = Node::object();
  n.add("structureCount", num(s.StructureCount));
  Node structures = Node::array();
  for (std::size_t i = 0; i < StructureData::kStructures; ++i) {
    const bool any = !s.TabImages[i].empty() || !s.TitleCaptions[i].empty() ||
                     !s.ShapeNames[i].empty() || s.ShapeIds[i] != StructureData::kNoShape;
    if (!any) continue;
    Node node = Node::object();
    node.add("index", num(static_cast<long long>(i) + 1));
    node.add("shapeId", num(s.ShapeIds[i]));
    node.add("shapeName", str(s.ShapeNames[i]));
    node.add("tabImage", str(s.TabImages[i]));
    node.add("titleCaption", str(s.TitleCaptions[i]));
    node.add("frontImage", str(s.FrontImages[i]));
    node.add("dimensionCaption", str(s.DimensionCaptions[i]));
    node.add("alternateModelFile", str(s.AlternateModelFiles[i]));
    structures.push(std::move(node));
  }
  n.add("structures", std::move(structures));

  Node units = Node::array();
  const int unitCount = std::max(usedLength(s.SensorUnitCount, s.SensorUnitLast, StructureData::kUnits),
                                 usedLength(s.StrapUnitCount, s.StrapUnitLast, StructureData::kUnits));
  for (int i = 0; i < unitCount; ++i) {
    const StructureUnit& u = s.Units[static_cast<std::size_t>(i)];
    Node unit = Node::object();
    unit.add("code", num(u.Code));
    unit.add("name", str(u.Name));
    unit.add("factor", real(u.Factor));
    units.push(std::move(unit));
  }
  n.add("units", std::move(units));

  Node factors = Node::array();
  const int factorCount =
      usedLength(s.NonLinearUnitFactors.Count, s.NonLinearUnitFactors.Last, StructureData::kFactors);
  for (int i = 0; i < factorCount; ++i)
    factors.push(real(s.NonLinearUnitFactors[static_cast<std::size_t>(i)]));
  n.add("nonLinearUnitFactors", std::move(factors));
  Node cubic = Node::array();
  const int cubicCount = usedLength(s.CubicFactors.Count, s.CubicFactors.Last, StructureData::kFactors);
  for (int i = 0; i < cubicCount; ++i)
    cubic.push(real(s.CubicFactors[static_cast<std::size_t>(i)]));
  n.add("cubicFactors", std::move(cubic));
  Node types = Node::array();
  const int typeCount = usedLength(s.NlTypes.Count, s.NlTypes.Last, StructureData::kNlTypes);
  for (int i = 0; i < typeCount; ++i) types.push(num(s.NlTypes[static_cast<std::size_t>(i)]));
  n.add("nlTypes", std::move(types));
  return n;
}

Node formulasNode(const StructureData& s) {
  static constexpr const char* kNames[StructureData::kFormulaSets] = {
      "VNOTCH_CFS",   "VNOTCH_LS",   "RCRS_CFS",    "RCRS_LS",    "CIPOLLETTI_CFS", "CIPOLLETTI_LS",
      "PARSHALL_CFS", "PARSHALL_LS", "LEOPOLD_CFS", "LEOPOLD_LS", "PALMER_CFS",     "PALMER_LS"};
  Node n = Node::object();
  for (std::size_t set = 0; set < StructureData::kFormulaSets; ++set) {
    const FormulaSet& f = s.Formulas[set];
    if (f.Count == 0) continue;
    Node entries = Node::array();
    for (std::size_t i = 0; i < FormulaSet::kCapacity; ++i) {
      bool any = !f.Names[i].empty();
      for (float c : f.Coefficients[i]) any = any || c != 0.0f;
      if (!any) continue;
      Node entry = Node::object();
      entry.add("index", num(static_cast<long long>(i) + 1));
      entry.add("name", str(f.Names[i]));
      Node coefficients = Node::array();
      for (float c : f.Coefficients[i]) coefficients.push(realSingle(c));
      entry.add("coefficients", std::move(coefficients));
      entries.push(std::move(entry));
    }
    n.add(kNames[set], std::move(entries));
  }
  return n;
}

int show(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  if (auto problem = parseOptions(args, true, options)) return usageError(err, *problem);
  if (options.positional.size() != 1) return usageError(err, "expected one FILE");

  auto records = std::make_unique<ModelRecords>();
  ModelFileParser parser(records->targets());
  parser.setCipherKey(options.key);
  const std::string file = options.positional[0];
  if (!parser.LoadModelFile(file, 0)) {
    err << "ostrelctl model: cannot read model file '" << file
        << "' (tried the name as given, or with .fmf and .txt)\n";
    return 1;
  }

  Node doc = Node::object();
  doc.add("file", str(file));
  doc.add("identity", identityNode(records->Identity));
  doc.add("model", databaseNode(records->Database));
  doc.add("structure", structureNode(records->Structures));
  doc.add("formulas", formulasNode(records->Structures));
  if (options.json) {
    writeJson(out, doc, 0);
    out << '\n';
  } else {
    writeText(out, doc, 0);
  }
  return 0;
}

}  // namespace

int runModelCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() < 2) return usageError(err, "missing subcommand");
  const std::string& sub = args[1];
  if (sub == "encipher") return convert(args, true, out, err);
  if (sub == "decipher") return convert(args, false, out, err);
  if (sub == "show") return show(args, out, err);
  if (sub == "--help" || sub == "-h" || sub == "help") {
    out << kModelUsage;
    return 0;
  }
  return usageError(err, "unknown subcommand '" + sub + "'");
}

}  // namespace ostrel

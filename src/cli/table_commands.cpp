#include "cli/table_commands.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "cli/document.h"
#include "cli/json_value.h"
#include "cli/unit_session.h"
#include "core/model/model_records.h"
#include "core/platform/atomic_file.h"
#include "core/support/text_format.h"
#include "core/volume/number_rules.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/structure_file.h"
#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"

namespace ostrel {
namespace {

constexpr const char* kTableUsage =
    "usage: ostrelctl table tank|flow|strap --json-in FILE [--json-out FILE] [--model FILE]\n"
    "\n"
    "Computes the unit's 248-point table and its table page from one JSON object\n"
    "(FILE '-' is standard input). Keys, all optional:\n"
    "  unitconv [counts per length unit], units_count, tpf, gwr, pulse\n"
    "  units [[code, name, factor] or null ...], nlunitconv [...], cubicareatovol [...]\n"
    "  shape (number or \"0x2003\"), dimension_unit, output_unit, dimensions [D0 ...]\n"
    "  level_scale, volume_unit_scale, lower_offset, rows [[level, volume] ...],\n"
    "  prior_page (1024 hex digits)\n"
    "--model FILE takes the length units, the kind flags and (from the structure\n"
    "file of the shape's category) the unit list and factors from a model file;\n"
    "keys given in the input override them.\n"
    "Exit status: 0 built, 1 not built (height not usable, or a full value too large\n"
    "for the unit's table: no HistoryPage then), 2 bad usage or input.\n";

constexpr std::size_t kMaxInputBytes = 1 << 20;

// Bad input: reported on err with exit status 2.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Kind { Tank, Flow, Strap };

struct TableInput {
  std::optional<std::vector<double>> unitConv;
  std::optional<int> unitsCount;
  std::optional<double> tpf;
  std::optional<bool> guidedWave;
  std::optional<bool> pulseRadar;
  std::optional<std::vector<std::optional<StructureUnit>>> units;
  std::optional<std::vector<double>> nonLinearUnitConv;
  std::optional<std::vector<double>> cubicAreaToVolume;
  std::optional<std::uint16_t> shape;
  int dimensionUnit = 0;
  int outputUnit = 0;
  std::vector<float> dimensions;
  std::optional<double> levelScale;
  std::optional<double> volumeUnitScale;
  std::optional<double> lowerOffset;
  std::vector<std::pair<float, float>> rows;
  std::optional<TablePage::Bytes> priorPage;
};

// --- reading the input object ---------------------------------------------

[[noreturn]] void bad(const std::string& key, const std::string& reason) {
  throw InputError("\"" + key + "\" " + reason);
}

void expect(const JsonValue& v, JsonValue::Kind kind, const std::string& key) {
  if (v.kind() != kind) {
    bad(key, std::string("must be ") + JsonValue::kindName(kind) + ", not " +
                 JsonValue::kindName(v.kind()));
  }
}

double number(const JsonValue& v, const std::string& key) {
  expect(v, JsonValue::Kind::Number, key);
  return v.number();
}

long long integer(const JsonValue& v, const std::string& key, long long min, long long max) {
  expect(v, JsonValue::Kind::Number, key);
  if (!v.isInteger() || v.number() < static_cast<double>(min) ||
      v.number() > static_cast<double>(max)) {
    bad(key, "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max));
  }
  return static_cast<long long>(v.number());
}

float singleFloat(const JsonValue& v, const std::string& key) {
  const double d = number(v, key);
  if (std::fabs(d) > static_cast<double>(FLT_MAX)) bad(key, "does not fit a float");
  return static_cast<float>(d);
}

const std::vector<JsonValue>& list(const JsonValue& v, const std::string& key,
                                   std::size_t maxCount) {
  expect(v, JsonValue::Kind::Array, key);
  if (v.items().size() > maxCount) {
    bad(key, "holds more than " + std::to_string(maxCount) + " entries");
  }
  return v.items();
}

std::vector<double> numberList(const JsonValue& v, const std::string& key, std::size_t maxCount) {
  std::vector<double> out;
  const auto& items = list(v, key, maxCount);
  for (std::size_t i = 0; i < items.size(); ++i) {
    out.push_back(number(items[i], key + "[" + std::to_string(i) + "]"));
  }
  return out;
}

std::uint16_t shapeCode(const JsonValue& v) {
  if (v.isNumber()) return static_cast<std::uint16_t>(integer(v, "shape", 0, 0xFFFF));
  expect(v, JsonValue::Kind::String, "shape");
  const std::string& t = v.text();
  const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
  const std::string body = hex ? t.substr(2) : t;
  const bool digitsOnly =
      !body.empty() && body.size() <= 5 && std::all_of(body.begin(), body.end(), [&](char c) {
        return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : (c >= '0' && c <= '9');
      });
  if (!digitsOnly) bad("shape", "must be a number or a text such as \"0x2003\" or \"8195\"");
  const unsigned long code = std::stoul(body, nullptr, hex ? 16 : 10);
  if (code > 0xFFFF) bad("shape", "must lie in 0..0xFFFF");
  return static_cast<std::uint16_t>(code);
}

TablePage::Bytes pageBytes(const JsonValue& v) {
  expect(v, JsonValue::Kind::String, "prior_page");
  const std::string& t = v.text();
  if (t.size() != 2 * TablePage::kSize) bad("prior_page", "must hold exactly 1024 hex digits");
  TablePage::Bytes page{};
  for (std::size_t i = 0; i < TablePage::kSize; ++i) {
    const std::string pair = t.substr(2 * i, 2);
    if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
        !std::isxdigit(static_cast<unsigned char>(pair[1]))) {
      bad("prior_page", "must hold exactly 1024 hex digits");
    }
    page[i] = static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16));
  }
  return page;
}

TableInput readInput(const JsonValue& doc) {
  if (!doc.isObject()) throw InputError("the input must be one JSON object");
  TableInput in;
  for (const auto& [key, v] : doc.members()) {
    if (key == "unitconv") {
      in.unitConv = numberList(v, key, ModelDatabase::kUnits);
    } else if (key == "units_count") {
      in.unitsCount = static_cast<int>(integer(v, key, 0, ModelDatabase::kUnits));
    } else if (key == "tpf") {
      in.tpf = number(v, key);
    } else if (key == "gwr" || key == "pulse") {
      expect(v, JsonValue::Kind::Bool, key);
      (key == "gwr" ? in.guidedWave : in.pulseRadar) = v.boolean();
    } else if (key == "units") {
      std::vector<std::optional<StructureUnit>> units;
      const auto& items = list(v, key, StructureData::kUnits);
      for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string at = "units[" + std::to_string(i) + "]";
        if (items[i].isNull()) {
          units.emplace_back();
          continue;
        }
        const auto& entry = list(items[i], at, 3);
        if (entry.size() != 3) bad(at, "must be [code, name, factor] or null");
        expect(entry[1], JsonValue::Kind::String, at + " name");
        if (entry[1].text().empty()) bad(at, "needs a name");
        StructureUnit unit;
        unit.Code = static_cast<std::uint16_t>(integer(entry[0], at + " code", 0, 0xFFFF));
        unit.Name = entry[1].text();
        unit.Factor = number(entry[2], at + " factor");
        units.emplace_back(std::move(unit));
      }
      in.units = std::move(units);
    } else if (key == "nlunitconv") {
      in.nonLinearUnitConv = numberList(v, key, StructureData::kFactors);
    } else if (key == "cubicareatovol") {
      in.cubicAreaToVolume = numberList(v, key, StructureData::kFactors);
    } else if (key == "shape") {
      in.shape = shapeCode(v);
    } else if (key == "dimension_unit") {
      in.dimensionUnit = static_cast<int>(integer(v, key, -1000000, 1000000));
    } else if (key == "output_unit") {
      in.outputUnit = static_cast<int>(integer(v, key, 0, 0xFFFF));
    } else if (key == "dimensions") {
      const auto& items = list(v, key, VolumeTable::kDimensions);
      for (std::size_t i = 0; i < items.size(); ++i) {
        in.dimensions.push_back(singleFloat(items[i], "dimensions[" + std::to_string(i) + "]"));
      }
    } else if (key == "level_scale") {
      in.levelScale = number(v, key);
    } else if (key == "volume_unit_scale") {
      in.volumeUnitScale = number(v, key);
    } else if (key == "lower_offset") {
      in.lowerOffset = number(v, key);
    } else if (key == "rows") {
      const auto& items = list(v, key, StrappingRows::kCapacity);
      for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string at = "rows[" + std::to_string(i) + "]";
        const auto& pair = list(items[i], at, 2);
        if (pair.size() != 2) bad(at, "must be [level, volume]");
        in.rows.emplace_back(singleFloat(pair[0], at + " level"),
                             singleFloat(pair[1], at + " volume"));
      }
    } else if (key == "prior_page") {
      in.priorPage = pageBytes(v);
    } else {
      throw InputError("unknown key \"" + key + "\"");
    }
  }
  return in;
}

// --- the model and the structure file -----------------------------------------

void loadModel(const std::filesystem::path& file, std::uint16_t shape, ModelRecords& records) {
  ModelFileParser parser(records.targets());
  if (!parser.LoadModelFile(file, 0)) {
    throw InputError("cannot read the model file '" + file.string() + "'");
  }
  const auto structure = StructureFile::pathFor(records.Database, file.parent_path(), shape);
  if (!StructureFile::load(records.Database, file.parent_path(), shape, records.Structures) &&
      structure) {
    throw InputError("cannot read the structure file '" + structure->string() + "'");
  }
}

template <std::size_t N>
void fillList(BookkeptList<double, N>& target, const std::vector<double>& values) {
  target.Items.fill(0.0);
  for (std::size_t i = 0; i < values.size(); ++i) target.Items[i] = values[i];
  target.Count = static_cast<std::int32_t>(values.size());
  target.Last = target.Count - 1;
}

void applyInput(const TableInput& in, ModelDatabase& db, StructureData& s) {
  if (in.unitConv) fillList(db.UnitFactors, *in.unitConv);
  if (in.unitsCount || in.unitConv) {
    const int names = in.unitsCount ? *in.unitsCount : static_cast<int>(in.unitConv->size());
    db.UnitNames.Count = names;
    db.UnitNames.Last = names - 1;
  }
  if (in.tpf) db.DefaultUnitFactor = *in.tpf;
  if (in.guidedWave) db.GuidedWaveRadar = *in.guidedWave ? 1 : 0;
  if (in.pulseRadar) db.PulseRadar = *in.pulseRadar ? 1 : 0;
  if (in.units) {
    for (StructureUnit& unit : s.Units) unit = StructureUnit{};
    for (std::size_t i = 0; i < in.units->size(); ++i) {
      if ((*in.units)[i]) s.Units[i] = *(*in.units)[i];
    }
    s.SensorUnitCount = static_cast<std::int32_t>(in.units->size());
    s.SensorUnitLast = s.SensorUnitCount - 1;
    s.StrapUnitCount = 0;
    s.StrapUnitLast = -1;
  }
  if (in.nonLinearUnitConv) fillList(s.NonLinearUnitFactors, *in.nonLinearUnitConv);
  if (in.cubicAreaToVolume) fillList(s.CubicFactors, *in.cubicAreaToVolume);
}

std::string factorProblem(const UnitFactorCheck& check, int outputUnit) {
  switch (check.problem) {
    case UnitFactorCheck::Problem::UnitNotListed:
      return "output unit " + std::to_string(outputUnit) +
             " is not in the structure's unit list (\"units\")";
    case UnitFactorCheck::Problem::NoUnitConversion:
      return "\"nlunitconv\" has no factor at position " + std::to_string(check.position) +
             " (output unit " + std::to_string(outputUnit) + ")";
    case UnitFactorCheck::Problem::NoCubicFactor:
      return "\"cubicareatovol\" has no factor at position " + std::to_string(check.position);
    case UnitFactorCheck::Problem::None: break;
  }
  return {};
}

// --- the output object -----------------------------------------------------

Node finite(double v, bool single) {
  if (std::isnan(v)) return str("nan");
  if (std::isinf(v)) return str(v > 0 ? "inf" : "-inf");
  return single ? realSingle(static_cast<float>(v)) : real(v);
}

std::string bitsText(float f) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", bits);
  return buf;
}

std::string hexText(const TablePage::Bytes& page) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(2 * page.size());
  for (std::uint8_t b : page) {
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

bool readAll(std::istream& stream, std::string& bytes) {
  bytes.clear();
  char buf[4096];
  while (stream.read(buf, sizeof buf) || stream.gcount() > 0) {
    bytes.append(buf, static_cast<std::size_t>(stream.gcount()));
    if (bytes.size() > kMaxInputBytes) return false;
  }
  return !stream.bad();
}

int usageError(std::ostream& err, const std::string& message) {
  err << "ostrelctl table: " << message << "\n\n" << kTableUsage;
  return 2;
}

// tooLarge: the full value shown, for a table the page cannot hold.
int compute(Kind kind, const std::string& inFile, const std::string& modelFile, std::istream& in,
            std::string& output, std::optional<std::string>& tooLarge) {
  std::string bytes;
  if (inFile == "-") {
    if (!readAll(in, bytes)) throw InputError("cannot read the input (or it passes 1 MiB)");
  } else {
    std::ifstream file(inFile, std::ios::binary);
    if (!file || !readAll(file, bytes)) {
      throw InputError("cannot read '" + inFile + "' (or it passes 1 MiB)");
    }
  }
  std::string error;
  const std::optional<JsonValue> doc = JsonValue::parse(bytes, error);
  if (!doc) throw InputError("the input is not valid JSON: " + error);
  const TableInput input = readInput(*doc);

  const std::uint16_t shape = input.shape.value_or(kind == Kind::Tank   ? 0x0100
                                                   : kind == Kind::Flow ? 0x2000
                                                                        : 0x0700);
  if (kind == Kind::Tank && (shape < 0x0100 || shape > 0x1FFF)) {
    throw InputError("a tank shape lies in 0x0100..0x1FFF");
  }
  if (kind == Kind::Flow && (shape < 0x2000 || shape > 0x5FFF)) {
    throw InputError("a weir or flume shape lies in 0x2000..0x5FFF");
  }
  if (kind == Kind::Strap && (shape >> 8) != 7) {
    throw InputError("a strapping table's shape lies in 0x0700..0x07FF");
  }

  auto records = std::make_unique<ModelRecords>();
  if (!modelFile.empty()) loadModel(modelFile, shape, *records);
  applyInput(input, records->Database, records->Structures);

  VolumeTable table;
  table.Link = ModelLink(&records->Database, &records->Structures);
  table.Reset();
  for (std::size_t i = 0; i < input.dimensions.size(); ++i) table.Dimensions[i] = input.dimensions[i];
  table.SelectDimensionUnit(input.dimensionUnit);
  if (input.levelScale) table.LevelScale = *input.levelScale;
  if (input.volumeUnitScale) table.VolumeUnitScale = *input.volumeUnitScale;

  const int dimensionUnit = input.dimensionUnit;
  const int outputUnit = input.outputUnit;
  const bool lengthOutput = outputUnit < 32;
  StrappingRows rows;
  int result = VolumeTable::kBuilt;
  if (kind == Kind::Strap) {
    if (input.rows.empty()) throw InputError("a strapping table needs \"rows\"");
    for (const auto& [level, volume] : input.rows) {
      rows.Levels[static_cast<std::size_t>(rows.RowCount)] = level;
      rows.Volumes[static_cast<std::size_t>(rows.RowCount)] = volume;
      ++rows.RowCount;
    }
    result = table.BuildStrappingTable(rows);
  } else if (lengthOutput) {
    const double minRange = modelFile.empty() ? 0.0 : records->Database.MinRange;
    table.BuildLinearTable(
        input.lowerOffset.value_or(NumberRules::modelValue(minRange, dimensionUnit, table.Link)));
  } else if (kind == Kind::Tank) {
    const UnitFactorCheck check = table.Link.checkVolumeFactors(dimensionUnit, outputUnit, true);
    if (!check.ok()) throw InputError(factorProblem(check, outputUnit));
    result = table.BuildTankTable(shape, dimensionUnit, outputUnit);
  } else {
    result = table.BuildFlowTable(shape);
  }

  TablePage::Bytes page = input.priorPage.value_or(TablePage::Bytes{});
  const std::optional<float> fullScale =
      TablePage::fullScaleValue(table, shape, dimensionUnit, outputUnit, rows);
  // A scale or offset the page cannot hold would go into it as 0: the
  // figures are shown, but no page to write.
  const bool held = TablePage::encode(table, fullScale, page);
  if (!held) {
    const bool fine = table.Link.guidedWave() || table.Link.ugus();
    tooLarge = NumberRules::display(TablePage::tooLargeValue(table), outputUnit, fine);
  }

  Node doc_out = Node::object();
  doc_out.add("result", num(result));
  doc_out.add("MaxLevel", num(table.MaxLevel));
  doc_out.add("Step", num(table.Step));
  doc_out.add("PointCount", num(table.PointCount));
  doc_out.add("LevelScale", finite(table.LevelScale, false));
  doc_out.add("VolumeUnitScale", finite(table.VolumeUnitScale, false));
  doc_out.add("Scale", finite(table.Scale, true));
  doc_out.add("ScaleBits", str(bitsText(table.Scale)));
  doc_out.add("Offset", finite(table.Offset, true));
  doc_out.add("OffsetBits", str(bitsText(table.Offset)));
  doc_out.add("FullScale", fullScale ? finite(*fullScale, true) : Node{});
  Node points = Node::array();
  for (std::uint16_t p : table.Points) points.push(num(p));
  doc_out.add("Points", std::move(points));
  if (held) doc_out.add("HistoryPage", str(hexText(page)));
  if (result == VolumeTable::kBuilt) doc_out.add("FullValue", finite(table.FullValue(), true));
  if (kind == Kind::Tank) {
    const bool factors = table.Link.checkVolumeFactors(dimensionUnit, outputUnit, true).ok();
    doc_out.add("Capacity",
                factors ? finite(table.Capacity(shape, dimensionUnit, outputUnit), false) : Node{});
    doc_out.add("CapacityOrUserValue",
                factors ? finite(table.CapacityOrUserValue(shape, dimensionUnit, outputUnit), false)
                        : Node{});
  } else if (kind == Kind::Flow) {
    doc_out.add("FlowAtMaxHead", finite(table.FlowAt(shape, table.Dimensions[1]), true));
  }
  std::ostringstream text;
  writeDocument(text, doc_out, true);
  output = text.str();
  return result == VolumeTable::kBuilt && held ? 0 : 1;
}

}  // namespace

int runTableCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err) {
  if (args.size() < 2) return usageError(err, "missing kind (tank, flow or strap)");
  const std::string& kindName = args[1];
  if (kindName == "--help" || kindName == "-h" || kindName == "help") {
    out << kTableUsage;
    return 0;
  }
  Kind kind = Kind::Tank;
  if (kindName == "flow") {
    kind = Kind::Flow;
  } else if (kindName == "strap") {
    kind = Kind::Strap;
  } else if (kindName != "tank") {
    return usageError(err, "unknown kind '" + kindName + "' (tank, flow or strap)");
  }
  std::string inFile;
  std::string outFile;
  std::string modelFile;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* target = a == "--json-in"    ? &inFile
                          : a == "--json-out" ? &outFile
                          : a == "--model"    ? &modelFile
                                              : nullptr;
    if (target == nullptr) return usageError(err, "unknown argument '" + a + "'");
    if (i + 1 >= args.size() || args[i + 1].empty()) return usageError(err, a + " needs a value");
    *target = args[++i];
  }
  if (inFile.empty()) return usageError(err, "--json-in FILE is required ('-' for stdin)");

  std::string output;
  std::optional<std::string> tooLarge;
  int status = 0;
  try {
    status = compute(kind, inFile, modelFile, in, output, tooLarge);
  } catch (const InputError& e) {
    err << "ostrelctl table: " << e.what() << '\n';
    return 2;
  }
  if (!outFile.empty() && outFile != "-") {
    if (!writeFileAtomically(outFile, output)) {
      err << "ostrelctl table: cannot write '" << outFile << "'\n";
      return 1;
    }
  } else {
    out << output;
  }
  if (tooLarge) {
    const Texts texts;
    err << "ostrelctl table: "
        << formatText(texts.text("ERROR_MESSAGE140", "ERROR_MESSAGE140"), {*tooLarge}) << '\n';
  } else if (status != 0) {
    err << "ostrelctl table: the table cannot be built: its height in level counts is not "
           "positive or passes 65535\n";
  }
  return status;
}

}  // namespace ostrel

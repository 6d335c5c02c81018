#include "core/model/model_file_parser.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>
#include <unordered_map>

#include "core/model/help_topic_table.h"
#include "core/model/model_database.h"
#include "core/model/model_images.h"
#include "core/model/program_identity.h"
#include "core/model/session_flags.h"
#include "core/model/structure_data.h"
#include "core/support/app_settings.h"
#include "core/support/cstdio_file_ex.h"
#include "core/support/key_value_file.h"
#include "core/support/language_table.h"
#include "core/support/presenter.h"
#include "core/support/text_format.h"

namespace ostrel {
namespace {

using keyvalue::equalsIgnoreCase;
using keyvalue::fieldDouble;
using keyvalue::fieldInt;
using keyvalue::fieldText;
using keyvalue::readDouble;
using keyvalue::readInt;
using keyvalue::saturate;
using keyvalue::trimBlanks;
using keyvalue::trimSpace;

constexpr int kMaxRangeNumbers = 10;
constexpr int kMaxRangeCodes = 21;
constexpr int kRangeLists = 10;
constexpr int kLevelPairs = 6;

// Field formats of the '|' lists.
constexpr std::string_view kCodeAndText = "%d|%s";
constexpr std::string_view kConfigurationFormat =
    "%d|%d|%d|%d|%d|%d|%d|%d|%d|%d|"
    "%d|%s|%d|%s|%d|%s|%d|%s|%d|%s|%d|%s|"
    "%d|%s";
constexpr std::string_view kConfigFormat =
    "%d|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|"
    "%d|%s|%d|%s|%d|%s|%d|%s|%d|%s|%d|%s|"
    "%d|%s";
constexpr std::string_view kAdvancedInputFormat = "%d|%d|%s|%d|%d|%s";
constexpr std::string_view kSensorUnitFormat = "%d|%s|%f";
constexpr std::string_view kOverlayFormat = "%d|%d|%s";

// Narrowing a double beyond the float range is undefined; such a value
// becomes an infinity, as it would on the hardware the files come from.
float toFloat(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (v > kMax) return std::numeric_limits<float>::infinity();
  if (v < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

std::uint16_t low16(std::int32_t v) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(v) & 0xFFFFu);
}


bool inRange(std::int32_t index, int capacity) { return index >= 0 && index < capacity; }

// Applies the lines of one file to the targets. Holds what the parser keeps
// while it reads one file and nothing longer.
class LineApplier {
 public:
  LineApplier(const ModelTargets& targets, bool isCorporateFile)
      : t_(targets), isCorporateFile_(isCorporateFile) {}

  void apply(const KeyValueLine& line);

 private:
  using Handler = void (*)(LineApplier&, const KeyValueLine&);
  static const std::unordered_map<std::string_view, Handler>& handlers();

  int column() const { return t_.settings != nullptr ? t_.settings->LanguageNumber : 0; }
  std::string text(std::string_view key) const {
    return t_.language != nullptr ? t_.language->Text(key, column()) : std::string();
  }

  // Line handlers that need more than one statement.
  void unitType(const KeyValueLine& l);
  void unitDescription(const KeyValueLine& l);
  void configLabel(const KeyValueLine& l);
  void configChoice(const KeyValueLine& l);
  void configuration(const KeyValueLine& l);
  void configExpansion(const KeyValueLine& l);
  void advancedInput(const KeyValueLine& l);
  void advancedText(const KeyValueLine& l);
  void fixedWord(const KeyValueLine& l);
  void itemHelp(const KeyValueLine& l);
  void levelHelp(const KeyValueLine& l);
  void structureText(const KeyValueLine& l, StructureData::Captions StructureData::*field);
  void tabImage(const KeyValueLine& l);
  void sensorUnit(const KeyValueLine& l);
  void strapUnit(const KeyValueLine& l);
  void image(const KeyValueLine& l);
  void overlay(const KeyValueLine& l);
  void alternateOverlay(const KeyValueLine& l);
  void shapeId(const KeyValueLine& l);
  void formula(const KeyValueLine& l, FormulaFamily family, FlowUnit unit);

  template <std::size_t N>
  static void appendText(BookkeptList<std::string, N>& list, const KeyValueLine& l,
                         bool honourAppend) {
    const int i = list.bookkeep(l.Index1, honourAppend && l.Append1);
    if (i >= 0) list[static_cast<std::size_t>(i)] = l.Value;
  }
  template <std::size_t N>
  static void appendDouble(BookkeptList<double, N>& list, const KeyValueLine& l, bool honourAppend) {
    const int i = list.bookkeep(l.Index1, honourAppend && l.Append1);
    if (i >= 0) list[static_cast<std::size_t>(i)] = readDouble(l.Value);
  }

  const ModelTargets& t_;
  bool isCorporateFile_;
  std::int32_t unitTypeMatch_ = 0;
};

void LineApplier::apply(const KeyValueLine& line) {
  if (!line.HasEquals || line.Key.empty()) return;
  const auto& table = handlers();
  const auto it = table.find(line.Key);
  if (it != table.end()) {
    it->second(*this, line);
  } else if (t_.settings != nullptr) {
    applySettingLine(*t_.settings, line);
  }
}

void LineApplier::unitType(const KeyValueLine& l) {
  ModelDatabase* db = t_.database;
  if (db == nullptr || db->UnitTypeCount >= ModelDatabase::kUnitTypes) return;
  db->UnitTypes[static_cast<std::size_t>(db->UnitTypeCount)] = l.Value;
  ++db->UnitTypeCount;
  if (t_.unitType != nullptr && l.Value.find(t_.unitType->Firmware) != std::string::npos) {
    unitTypeMatch_ = l.Index1;
  }
}

void LineApplier::unitDescription(const KeyValueLine& l) {
  if (t_.unitType == nullptr || l.Index1 != unitTypeMatch_) return;
  t_.unitType->Description = formatText("%s %s", {text("IDC_MODELDESCRIPTION"), l.Value});
}

void LineApplier::configLabel(const KeyValueLine& l) {
  if (t_.database == nullptr) return;
  auto& items = t_.database->ConfigItems;
  const int i = items.bookkeep(l.Index1, l.Append1);
  if (i < 0) return;
  std::vector<FieldValue> f;
  keyvalue::SplitFields(l.Value, kCodeAndText, f);
  ConfigItem& item = items[static_cast<std::size_t>(i)];
  item.LabelCode = fieldInt(f, 0);
  item.Label = fieldText(f, 1);
  item.Present = true;
  item.ChoiceCount = 1;
  item.ChoiceLast = 1;
  item.Codes[0] = -1;
  item.Texts[0] = text("SELECTSTR");
  if (t_.settings != nullptr) t_.settings->SelectText = item.Texts[0];
}

void LineApplier::configChoice(const KeyValueLine& l) {
  if (t_.database == nullptr || !inRange(l.Index1, ModelDatabase::kConfigItems)) return;
  ConfigItem& item = t_.database->ConfigItems[static_cast<std::size_t>(l.Index1)];
  const int k =
      bookkeepIndex(item.ChoiceCount, item.ChoiceLast, ConfigItem::kChoices, l.Index2, l.Append2);
  if (k < 0) return;
  std::vector<FieldValue> f;
  keyvalue::SplitFields(l.Value, kCodeAndText, f);
  item.Codes[static_cast<std::size_t>(k)] = fieldInt(f, 0);
  item.Texts[static_cast<std::size_t>(k)] = fieldText(f, 1);
}

// Fields from position `first` on: six (word, caption) pairs, a number and a
// drawing file; shared by CONFIGURATION and CONFIG.
void fillLevels(ModelConfiguration& c, const std::vector<FieldValue>& f, std::size_t first) {
  for (std::size_t p = 0; p < kLevelPairs; ++p) {
    c.LevelWords[p] = fieldInt(f, first + 2 * p);
    c.LevelCaptions[p] = fieldText(f, first + 2 * p + 1);
  }
  c.Extra = fieldInt(f, first + 2 * kLevelPairs);
  c.DrawingFile = fieldText(f, first + 2 * kLevelPairs + 1);
}

void LineApplier::configuration(const KeyValueLine& l) {
  if (t_.database == nullptr) return;
  auto& list = t_.database->Configurations;
  const int i = list.bookkeep(l.Index1, l.Append1);
  if (i < 0) return;
  std::vector<FieldValue> f;
  keyvalue::SplitFields(l.Value, kConfigurationFormat, f);
  ModelConfiguration& c = list[static_cast<std::size_t>(i)];
  c.Present = true;
  c.Number = l.Written1;
  for (std::size_t j = 0; j < kRangeLists; ++j) c.ChoiceCodes[j] = fieldInt(f, j);
  fillLevels(c, f, kRangeLists);
}

void LineApplier::configExpansion(const KeyValueLine& l) {
  if (t_.database == nullptr) return;
  auto& list = t_.database->Configurations;
  std::vector<FieldValue> f;
  keyvalue::SplitFields(l.Value, kConfigFormat, f);
  std::array<std::vector<std::int32_t>, kRangeLists> codes;
  for (std::size_t j = 0; j < kRangeLists; ++j) {
    codes[j] = ModelFileParser::ExpandRangeList(fieldText(f, 1 + j));
    if (codes[j].empty()) return;  // no combination at all
  }
  // Odometer over the lists, the last list turning fastest; it stops as soon
  // as the list is full rather than walking every combination.
  std::array<std::size_t, kRangeLists> pos{};
  for (;;) {
    const int i = list.bookkeep(list.Last + 1, true);
    if (i < 0) return;
    ModelConfiguration& c = list[static_cast<std::size_t>(i)];
    c.Present = true;
    c.Number = fieldInt(f, 0);
    for (std::size_t j = 0; j < kRangeLists; ++j) c.ChoiceCodes[j] = codes[j][pos[j]];
    fillLevels(c, f, 1 + kRangeLists);

    std::size_t j = kRangeLists;
    while (j > 0) {
      --j;
      if (++pos[j] < codes[j].size()) break;
      pos[j] = 0;
      if (j == 0) return;
    }
  }
}

void LineApplier::advancedInput(const KeyValueLine& l) {
  if (t_.database == nullptr) return;
  AdvancedInputList& a = t_.database->AdvancedInputs;
  if (a.Count >= AdvancedInputList::kCapacity) return;
  // Counted like any list, but an appended input goes to the input count
  // reached after counting, not after the shared highest index.
  const std::int32_t count = a.Count + (l.Index1 >= a.Last ? 1 : 0);
  const std::int32_t i = l.Append1 ? count : l.Index1;
  if (!inRange(i, AdvancedInputList::kCapacity)) return;
  a.Count = count;
  if (a.Last < i) a.Last = i;
  std::vector<FieldValue> f;
  keyvalue::SplitFields(l.Value, kAdvancedInputFormat, f);
  AdvancedInput& in = a[static_cast<std::size_t>(i)];
  in.FlagWord = fieldInt(f, 0);
  in.FlagBit = fieldInt(f, 1);
  in.Caption = fieldText(f, 2);
  in.ValueWord = fieldInt(f, 3);
  in.UnitsMode = fieldInt(f, 4);
  in.UnitsText = fieldText(f, 5);
  in.ExplanatoryText.clear();
}

void LineApplier::advancedText(const KeyValueLine& l) {
  if (t_.database == nullptr) return;
  AdvancedInputList& a = t_.database->AdvancedInputs;
  const int i =
      bookkeepIndex(a.TextCount, a.Last, AdvancedInputList::kCapacity, l.Index1, l.Append1);
  if (i >= 0) a[static_cast<std::size_t>(i)].ExplanatoryText = l.Value;
}

void LineApplier::fixedWord(const KeyValueLine& l) {
  ModelDatabase* db = t_.database;
  if (db == nullptr || db->FixedWordCount >= ModelDatabase::kFixedWords) return;
  db->FixedWords[static_cast<std::size_t>(db->FixedWordCount)] =
      FixedWord{l.Written1, readInt(l.Value)};
  ++db->FixedWordCount;
}

void LineApplier::itemHelp(const KeyValueLine& l) {
  if (t_.helpTopics == nullptr || !inRange(l.Index1, kHelpItemLists)) return;
  t_.helpTopics->replaceTopic(helpItemList(l.Index1), l.Value);
  if (l.Index1 < kHelpItemCaptions) t_.helpTopics->replaceTopic(helpItemCaption(l.Index1), l.Value);
}

void LineApplier::levelHelp(const KeyValueLine& l) {
  if (t_.helpTopics == nullptr) return;
  for (int i = 0; i < kHelpLevels; ++i) t_.helpTopics->replaceTopic(helpLevelBox(i), l.Value);
}

void LineApplier::structureText(const KeyValueLine& l, StructureData::Captions StructureData::*field) {
  if (t_.structure == nullptr || !inRange(l.Index1, StructureData::kStructures)) return;
  (t_.structure->*field)[static_cast<std::size_t>(l.Index1)] = l.Value;
}

void LineApplier::tabImage(const KeyValueLine& l) {
  if (t_.structure == nullptr || !inRange(l.Index1, StructureData::kStructures)) return;
  StructureData& s = *t_.structure;
  s.TabImages[static_cast<std::size_t>(l.Index1)] = l.Value;
  if (s.StructureCount < StructureData::kStructures) ++s.StructureCount;
}

void LineApplier::sensorUnit(const KeyValueLine& l) {
  if (t_.structure == nullptr) return;
  StructureData& s = *t_.structure;
  const int i =
      bookkeepIndex(s.SensorUnitCount, s.SensorUnitLast, StructureData::kUnits, l.Index1, false);
  if (i < 0) return;
  std::vector<FieldValue> f;
  keyvalue::SplitFields(l.Value, kSensorUnitFormat, f);
  StructureUnit& u = s.Units[static_cast<std::size_t>(i)];
  u.Code = low16(fieldInt(f, 0));
  u.Name = fieldText(f, 1);
  u.Factor = fieldDouble(f, 2);
}

void LineApplier::strapUnit(const KeyValueLine& l) {
  if (t_.structure == nullptr) return;
  StructureData& s = *t_.structure;
  const int i =
      bookkeepIndex(s.StrapUnitCount, s.StrapUnitLast, StructureData::kUnits, l.Index1, false);
  if (i < 0) return;
  std::vector<FieldValue> f;
  keyvalue::SplitFields(l.Value, kCodeAndText, f);
  StructureUnit& u = s.Units[static_cast<std::size_t>(i)];
  u.Code = low16(fieldInt(f, 0));
  u.Name = fieldText(f, 1);
}

void LineApplier::image(const KeyValueLine& l) {
  if (t_.images == nullptr) return;
  t_.images->Image = l.Value;
  t_.images->Overlays.clearCounters();
}

OverlayPoint readOverlay(std::string_view value) {
  std::vector<FieldValue> f;
  keyvalue::SplitFields(value, kOverlayFormat, f);
  return OverlayPoint{fieldInt(f, 0), fieldInt(f, 1), fieldText(f, 2)};
}

void LineApplier::overlay(const KeyValueLine& l) {
  if (t_.images == nullptr) return;
  const int i = t_.images->Overlays.bookkeep(l.Index1, l.Append1);
  if (i >= 0) t_.images->Overlays[static_cast<std::size_t>(i)] = readOverlay(l.Value);
}

void LineApplier::alternateOverlay(const KeyValueLine& l) {
  if (t_.images == nullptr || !inRange(l.Index1, ModelImages::kAlternatives)) return;
  auto& entries = t_.images->AlternateOverlays[static_cast<std::size_t>(l.Index1)];
  std::string_view rest = l.Value;
  int parts = 0;
  // Parts beyond the eighth are cut off.
  for (;;) {
    const std::size_t comma = rest.find(',');
    entries[static_cast<std::size_t>(parts)] = readOverlay(rest.substr(0, comma));
    ++parts;
    if (comma == std::string_view::npos || parts == ModelImages::kOverlays) break;
    rest.remove_prefix(comma + 1);
  }
  t_.images->AlternatePartCount = parts;
}

void LineApplier::shapeId(const KeyValueLine& l) {
  if (t_.structure == nullptr || !inRange(l.Index1, StructureData::kStructures)) return;
  StructureData& s = *t_.structure;
  std::vector<FieldValue> f;
  keyvalue::SplitFields(l.Value, kCodeAndText, f);
  s.ShapeIds[static_cast<std::size_t>(l.Index1)] = low16(fieldInt(f, 0));
  s.ShapeNames[static_cast<std::size_t>(l.Index1)] = fieldText(f, 1);
  if (s.ShapeCount < StructureData::kStructures) ++s.ShapeCount;
}

void LineApplier::formula(const KeyValueLine& l, FormulaFamily family, FlowUnit unit) {
  if (t_.structure == nullptr || !inRange(l.Index1, FormulaSet::kCapacity)) return;
  FormulaSet& set = t_.structure->formulas(family, unit);
  const auto n = static_cast<std::size_t>(l.Index1);
  std::string_view rest = l.Value;
  std::size_t bar = rest.find('|');
  set.Names[n] = std::string(trimSpace(rest.substr(0, bar)));
  set.Coefficients[n].fill(0.0f);
  for (std::size_t c = 0; c < FormulaSet::kCoefficients && bar != std::string_view::npos; ++c) {
    rest.remove_prefix(bar + 1);
    bar = rest.find('|');
    set.Coefficients[n][c] = toFloat(readDouble(trimSpace(rest.substr(0, bar))));
  }
  if (set.Count < FormulaSet::kCapacity) ++set.Count;
}

#define OSTREL_TEXT(record, field)                            \
  +[](LineApplier& a, const KeyValueLine& l) {                   \
    if (a.t_.record != nullptr) a.t_.record->field = l.Value; \
  }
#define OSTREL_INT(record, field)                                      \
  +[](LineApplier& a, const KeyValueLine& l) {                            \
    if (a.t_.record != nullptr) a.t_.record->field = readInt(l.Value); \
  }
#define OSTREL_DOUBLE(record, field)                                      \
  +[](LineApplier& a, const KeyValueLine& l) {                               \
    if (a.t_.record != nullptr) a.t_.record->field = readDouble(l.Value); \
  }
#define OSTREL_BOOL(record, field)                                      \
  +[](LineApplier& a, const KeyValueLine& l) {                             \
    if (a.t_.record != nullptr) a.t_.record->field = l.Value == "TRUE"; \
  }
#define OSTREL_STRUCTURE_TEXT(field) \
  +[](LineApplier& a, const KeyValueLine& l) { a.structureText(l, &StructureData::field); }
#define OSTREL_FORMULA(family, unit) \
  +[](LineApplier& a, const KeyValueLine& l) { a.formula(l, FormulaFamily::family, FlowUnit::unit); }
#define OSTREL_HELP(control)                                                                      \
  +[](LineApplier& a, const KeyValueLine& l) {                                                       \
    if (a.t_.helpTopics != nullptr) a.t_.helpTopics->replaceTopic(HelpControl::control, l.Value); \
  }
#define OSTREL_CALL(method) +[](LineApplier& a, const KeyValueLine& l) { a.method(l); }

const std::unordered_map<std::string_view, LineApplier::Handler>& LineApplier::handlers() {
  static const std::unordered_map<std::string_view, Handler> table = {
      {"LOGOIMAGE",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.identity != nullptr) a.t_.identity->LogoImage = l.Value;
         if (a.t_.images != nullptr) a.t_.images->LogoImage = l.Value;
       }},
      {"PROGRAMID", OSTREL_TEXT(identity, ProgramId)},
      {"PROGRAMNAME",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.isCorporateFile_ && a.t_.identity != nullptr) a.t_.identity->ProgramName = l.Value;
       }},
      {"MODELID", OSTREL_TEXT(identity, ModelId)},
      {"INSTALLERID", OSTREL_TEXT(identity, InstallerId)},
      {"CORPORATEID", OSTREL_TEXT(identity, CorporateId)},
      {"SERVER", OSTREL_TEXT(identity, Server)},
      {"SUBDIR", OSTREL_TEXT(identity, ServerFolder)},
      {"SUPPORTMAIL", OSTREL_TEXT(identity, SupportMail)},
      {"MAINHELP", OSTREL_TEXT(identity, MainHelp)},
      {"TANKIMAGE",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.images != nullptr) appendText(a.t_.images->TankImages, l, true);
       }},
      {"MAXHEAD", OSTREL_TEXT(database, MaxHead)},
      {"INVERTDEMO", OSTREL_INT(database, InvertDemo)},
      {"UNITRANGE", OSTREL_TEXT(database, UnitRange)},
      {"UNITTYPE", OSTREL_CALL(unitType)},
      {"UNITDESCRIPTION", OSTREL_CALL(unitDescription)},
      {"CFGLABEL", OSTREL_CALL(configLabel)},
      {"CFGITEM", OSTREL_CALL(configChoice)},
      {"CONFIGURATION", OSTREL_CALL(configuration)},
      {"CONFIG", OSTREL_CALL(configExpansion)},
      {"DIAGNOSTICECHO",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.database != nullptr) appendText(a.t_.database->DiagnosticEchoes, l, true);
       }},
      {"MEDIUM",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.database != nullptr) appendText(a.t_.database->Media, l, true);
       }},
      {"FIRSTECHO",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.database != nullptr) appendText(a.t_.database->FirstEchoes, l, true);
       }},
      {"ADVINPUT", OSTREL_CALL(advancedInput)},
      {"ADVTEXT", OSTREL_CALL(advancedText)},
      {"UNITS",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.database != nullptr) appendText(a.t_.database->UnitNames, l, true);
       }},
      {"UNITCONV",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.database != nullptr) appendDouble(a.t_.database->UnitFactors, l, true);
       }},
      {"TPF", OSTREL_DOUBLE(database, DefaultUnitFactor)},
      {"DCAL", OSTREL_CALL(fixedWord)},
      {"HELPFILE", OSTREL_TEXT(database, HelpFile)},
      {"NLHELPFILE", OSTREL_TEXT(database, NonLinearHelpFile)},
      {"HLPCFG", OSTREL_CALL(itemHelp)},
      {"HLPFACTORYDEFAULT", OSTREL_HELP(FactoryConfigButton)},
      {"HLPRESET", OSTREL_HELP(ClearScreenButton)},
      {"HLPLVL", OSTREL_CALL(levelHelp)},
      {"HLPADV", OSTREL_HELP(AdvancedButton)},
      {"MAXSENSORHEIGHT", OSTREL_DOUBLE(database, MaxSensorHeight)},
      {"MINRANGE", OSTREL_DOUBLE(database, MinRange)},
      {"MAXRANGE", OSTREL_DOUBLE(database, MaxRange)},
      {"LOWERPROBEDEADBAND", OSTREL_DOUBLE(database, LowerProbeDeadband)},
      {"NUTOFFSET", OSTREL_DOUBLE(database, NutOffset)},
      {"DEFAULTFILE", OSTREL_TEXT(database, DefaultFile)},
      {"NLBUTTONCAPTION", OSTREL_TEXT(database, NonLinearButtonCaption)},
      {"GUIDEDWAVERADAR",
       +[](LineApplier& a, const KeyValueLine& l) {
         const std::int32_t v = readInt(l.Value);
         if (a.t_.database != nullptr) a.t_.database->GuidedWaveRadar = v;
         if (a.t_.flags != nullptr) a.t_.flags->GuidedWaveRadar = v != 0;
       }},
      {"PULSERADAR", OSTREL_INT(database, PulseRadar)},
      {"UGUS",
       +[](LineApplier& a, const KeyValueLine& l) {
         const std::int32_t v = readInt(l.Value);
         if (a.t_.database != nullptr) a.t_.database->Ugus = v;
         if (a.t_.flags != nullptr) a.t_.flags->Ugus = v != 0;
       }},
      {"NONLINEAR",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.database != nullptr) appendText(a.t_.database->NonLinearFiles, l, true);
       }},
      {"NLTABTITLE",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.database != nullptr && inRange(l.Index1, ModelDatabase::kNonLinear)) {
           a.t_.database->NonLinearTitles[static_cast<std::size_t>(l.Index1)] = l.Value;
         }
       }},
      {"TABIMAGES", OSTREL_CALL(tabImage)},
      {"TITLECAPTIONS", OSTREL_STRUCTURE_TEXT(TitleCaptions)},
      {"FRONTIMAGES", OSTREL_STRUCTURE_TEXT(FrontImages)},
      {"GWRFRONTIMAGESDISTANCE", OSTREL_STRUCTURE_TEXT(RadarFrontImagesDistance)},
      {"GWRFRONTIMAGESVOLUME", OSTREL_STRUCTURE_TEXT(RadarFrontImagesVolume)},
      {"NLIMAGES", OSTREL_STRUCTURE_TEXT(NonLinearImages)},
      {"GWRNLIMAGES", OSTREL_STRUCTURE_TEXT(RadarNonLinearImages)},
      {"DISTANCEIMAGES", OSTREL_STRUCTURE_TEXT(DistanceImages)},
      {"GWRDISTANCEIMAGES", OSTREL_STRUCTURE_TEXT(RadarDistanceImages)},
      {"ALTMODELFILE", OSTREL_STRUCTURE_TEXT(AlternateModelFiles)},
      {"SENSORUNITS", OSTREL_CALL(sensorUnit)},
      {"STRAPUNITS", OSTREL_CALL(strapUnit)},
      {"NLUNITCONV",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.structure != nullptr)
           appendDouble(a.t_.structure->NonLinearUnitFactors, l, false);
       }},
      {"CUBICAREATOVOL",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.structure != nullptr) appendDouble(a.t_.structure->CubicFactors, l, false);
       }},
      {"DIMENSIONCAPTIONS", OSTREL_STRUCTURE_TEXT(DimensionCaptions)},
      {"GWRDIMENSIONCAPTIONS", OSTREL_STRUCTURE_TEXT(RadarDimensionCaptions)},
      {"PULSEDIMENSIONCAPTIONS", OSTREL_STRUCTURE_TEXT(PulseDimensionCaptions)},
      {"IMAGECAPTION", OSTREL_TEXT(images, ImageCaption)},
      {"IMAGE", OSTREL_CALL(image)},
      {"OVERLAY", OSTREL_CALL(overlay)},
      {"ALTOVERLAY", OSTREL_CALL(alternateOverlay)},
      {"SHAPEID", OSTREL_CALL(shapeId)},
      {"NLTYPE",
       +[](LineApplier& a, const KeyValueLine& l) {
         if (a.t_.structure == nullptr) return;
         auto& list = a.t_.structure->NlTypes;
         const int i = list.bookkeep(l.Index1, false);
         if (i >= 0) list[static_cast<std::size_t>(i)] = low16(readInt(l.Value));
       }},
      {"AUTOEQACAPTIONS", OSTREL_STRUCTURE_TEXT(AutoEquationCaptions)},
      {"VNOTCH_CFS_FORMULA", OSTREL_FORMULA(VNotch, CubicFeetPerSecond)},
      {"VNOTCH_LS_FORMULA", OSTREL_FORMULA(VNotch, LitresPerSecond)},
      {"RCRS_CFS_FORMULA", OSTREL_FORMULA(Rectangular, CubicFeetPerSecond)},
      {"RCRS_LS_FORMULA", OSTREL_FORMULA(Rectangular, LitresPerSecond)},
      {"CIPOLLETTI_CFS_FORMULA", OSTREL_FORMULA(Cipolletti, CubicFeetPerSecond)},
      {"CIPOLLETTI_LS_FORMULA", OSTREL_FORMULA(Cipolletti, LitresPerSecond)},
      {"PARSHALL_CFS_FORMULA", OSTREL_FORMULA(Parshall, CubicFeetPerSecond)},
      {"PARSHALL_LS_FORMULA", OSTREL_FORMULA(Parshall, LitresPerSecond)},
      {"LEOPOLD_CFS_FORMULA", OSTREL_FORMULA(Leopold, CubicFeetPerSecond)},
      {"LEOPOLD_LS_FORMULA", OSTREL_FORMULA(Leopold, LitresPerSecond)},
      {"PALMER_CFS_FORMULA", OSTREL_FORMULA(Palmer, CubicFeetPerSecond)},
      {"PALMER_LS_FORMULA", OSTREL_FORMULA(Palmer, LitresPerSecond)},
  };
  return table;
}

#undef OSTREL_TEXT
#undef OSTREL_INT
#undef OSTREL_DOUBLE
#undef OSTREL_BOOL
#undef OSTREL_STRUCTURE_TEXT
#undef OSTREL_FORMULA
#undef OSTREL_HELP
#undef OSTREL_CALL

bool readFileBytes(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool fileExists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::vector<std::int32_t> ModelFileParser::ExpandRangeList(std::string_view list) {
  std::vector<std::int32_t> numbers;
  std::vector<char> separators;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t end = list.find_first_of(":,", pos);
    numbers.push_back(readInt(list.substr(pos, end == std::string_view::npos ? end : end - pos)));
    if (end == std::string_view::npos || numbers.size() == kMaxRangeNumbers) break;
    separators.push_back(list[end]);
    pos = end + 1;
  }
  std::vector<std::int32_t> codes{numbers[0]};
  for (std::size_t i = 1; i < numbers.size() && codes.size() < kMaxRangeCodes; ++i) {
    if (separators[i - 1] == ':') {
      for (long long v = static_cast<long long>(numbers[i - 1]) + 1;
           v <= numbers[i] && codes.size() < kMaxRangeCodes; ++v) {
        codes.push_back(static_cast<std::int32_t>(v));
      }
    } else {
      codes.push_back(numbers[i]);
    }
  }
  return codes;
}

void ModelFileParser::parseOpenFile(CStdioFileEx& file, const std::filesystem::path& sourceName) {
  const bool isCorporate = sourceName.string().find("Corporate_Model") != std::string::npos;
  LineApplier applier(targets_, isCorporate);
  KeyValueLine line;
  while (keyvalue::ReadLine(file, line)) applier.apply(line);
}

int ModelFileParser::Parse(const std::filesystem::path& path) {
  CStdioFileEx file;
  const bool opened = file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::shareDenyWrite);
  for (Notice& n : CStdioFileEx::UnicodeCheckNotices(file.LastUnicodeCheck())) {
    notices_.push_back(std::move(n));
  }
  if (!opened) return 1;
  parseOpenFile(file, path);
  file.Close();
  return 0;
}

bool ModelFileParser::ParseBytes(std::string bytes, const std::filesystem::path& sourceName) {
  CStdioFileEx file;
  if (!file.OpenBytes(std::move(bytes))) return false;
  parseOpenFile(file, sourceName);
  file.Close();
  return true;
}

bool ModelFileParser::LoadModelFile(const std::filesystem::path& path, int progress) {
  if (progress > 0 && progress_ != nullptr) progress_->setMessage(std::string());
  const std::string name = path.string();
  std::filesystem::path resolved;
  bool enciphered = false;
  if (name.find(".txt") != std::string::npos) {
    resolved = path;
  } else if (name.find(".fmf") != std::string::npos) {
    resolved = path;
    enciphered = true;
  } else if (fileExists(formatText("%s.%s", {name, "fmf"}))) {
    resolved = formatText("%s.%s", {name, "fmf"});
    enciphered = true;
  } else if (fileExists(formatText("%s.%s", {name, "txt"}))) {
    resolved = formatText("%s.%s", {name, "txt"});
  }

  bool loaded = false;
  if (!resolved.empty()) {
    if (enciphered) {
      std::string bytes;
      if (readFileBytes(resolved, bytes)) {
        std::string text = FmfCipher(cipherKey_).decipherText(bytes);
        // Another key turns the file into noise; reading noise would load an
        // empty model and call it found.
        loaded = FmfCipher::looksLikeText(text) && ParseBytes(std::move(text), resolved);
      }
    } else {
      loaded = Parse(resolved) == 0;
    }
  }
  if (progress > 0 && progress_ != nullptr) progress_->setProgress(progress);
  return loaded;
}

}  // namespace ostrel

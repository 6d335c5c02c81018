#include "core/config/config_page_model.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <system_error>

#include "core/config/config_save_name.h"
#include "core/config/item_matcher.h"
#include "core/config/pulse_configuration.h"
#include "core/config/value_checks.h"
#include "core/link/pulse_protocol.h"
#include "core/link/unit_memory.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/support/plain_text.h"
#include "core/support/log_file.h"
#include "core/support/notice.h"
#include "core/support/presenter.h"
#include "core/support/text_codec.h"
#include "core/support/settings_store.h"
#include "core/support/text_format.h"
#include "core/volume/guided_wave_span.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"
#include "core/volume/shape_class.h"
#include "core/volume/structure_file.h"
#include "core/volume/table_page.h"

namespace ostrel {
namespace {

using plaintext::lowered;
using plaintext::trimmed;
using plaintext::equalsIgnoringCase;
using shape::hasCurve;

// The advanced radar parameter a configuration file's key sets.
RadarAdvancedState::Parameter radarParameter(FieldId id) {
  using A = RadarAdvancedState;
  switch (id) {
    case FieldId::TypeOfMedium: return A::kTypeOfMedium;
    case FieldId::AdditionalAdjustment: return A::kFastLevelChange;
    case FieldId::FirstEcho: return A::kFirstEcho;
    case FieldId::Agitation: return A::kAgitation;
    case FieldId::Foam: return A::kFoam;
    case FieldId::PowderDust: return A::kPowderDust;
    case FieldId::LargeResponseAngle: return A::kLargeResponseAngle;
    case FieldId::LowDielectric: return A::kLowDielectric;
    case FieldId::PipeDiameter: return A::kPipeDiameter;
    case FieldId::DampingTime: return A::kDampingTime;
    default: return A::kCount;
  }
}

std::tm localNow() {
  const std::time_t t = std::time(nullptr);
  std::tm day{};
  localtime_r(&t, &day);
  return day;
}

}  // namespace

ConfigPageModel::ConfigPageModel(UnitConfiguration& config, ConfigPageServices services)
    : config_(config),
      services_(std::move(services)),
      tanks_({&services_.records->Database, &services_.records->Structures, &volume_, &strapping_,
              services_.modelsFolder}) {}

// --- Small helpers.

const ModelDatabase& ConfigPageModel::model() const { return services_.records->Database; }
bool ConfigPageModel::guidedWave() const { return model().GuidedWaveRadar != 0; }
bool ConfigPageModel::pulseRadar() const { return model().PulseRadar != 0; }
bool ConfigPageModel::ugus() const { return model().Ugus != 0; }
bool ConfigPageModel::nonLinearCapable() const { return !model().NonLinearButtonCaption.empty(); }

std::string ConfigPageModel::text(const char* key) const {
  const ModelRecords& r = *services_.records;
  return r.Language.Text(key, r.Values.LanguageNumber, key);
}

void ConfigPageModel::notify(PagePart part) {
  if (view_ != nullptr) view_->changed(part);
}

void ConfigPageModel::log(const char* key, const std::string& message) {
  if (services_.log != nullptr) services_.log->LogEvent(key, message);
}

namespace {
void show(Presenter* presenter, const ModelRecords& r, const Notice& notice) {
  if (presenter != nullptr) showNotice(*presenter, notice, &r.Language, r.Values.LanguageNumber);
}
}  // namespace

double ConfigPageModel::readBox(const std::string& text) { return NumberRules::read(text); }

std::string ConfigPageModel::showHeight(double value) const {
  if (pulseRadar()) return PulseConfiguration::showLength(value, config_.heightUnits);
  return NumberRules::display(value, config_.heightUnits, guidedWave() || ugus());
}

std::string ConfigPageModel::showLevel(double value) const {
  return NumberRules::display(value, config_.outputUnits, guidedWave() || ugus());
}

std::string ConfigPageModel::choiceText(int item, int choice) const {
  if (item < 0 || item >= UnitConfiguration::kConfigItems) return {};
  if (choice < 0 || choice >= ItemMatcher(model()).choiceCount(item)) return {};
  return model().ConfigItems[static_cast<std::size_t>(item)].Texts[static_cast<std::size_t>(choice)];
}

std::string ConfigPageModel::unitLine() const {
  return formatText(text("IDC_PNSN"), {config_.model, config_.serial});
}

std::string ConfigPageModel::softwareLine() const {
  const std::string caption = text("IDC_SW_REVISION");
  if (pulseRadar() && services_.pulse != nullptr && !sample_) {
    return formatText("%s:  %s", {caption, services_.pulse->Parameters().FirmwareVersion});
  }
  if (config_.softwareRevision <= 99) {
    return formatText("%s:  %d", {caption, config_.softwareRevision});
  }
  return formatText("%s:  %2.1f", {caption, config_.softwareRevision / 10.0});
}

std::string ConfigPageModel::hardwareLine() const {
  return formatText(text("IDC_HW_MODEL"), {config_.firmware});
}

std::vector<std::string> ConfigPageModel::unitNames() const {
  const auto& names = model().UnitNames;
  return std::vector<std::string>(names.Items.begin(), names.Items.begin() + names.used());
}

bool ConfigPageModel::relayUnitsAreLength() const {
  return config_.outputUnits >= 0 && config_.outputUnits < model().UnitNames.used();
}

std::string ConfigPageModel::heightUnitsText() const {
  const std::vector<std::string> names = unitNames();
  const int u = config_.heightUnits;
  return u >= 0 && u < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(u)] : "";
}

std::string ConfigPageModel::relayUnitsText() const {
  if (relayUnitsAreLength()) {
    return unitNames()[static_cast<std::size_t>(config_.outputUnits)];
  }
  const ModelLink link(&model(), &services_.records->Structures);
  const int p = link.position(config_.outputUnits);
  if (p < 0) return {};
  return services_.records->Structures.Units[static_cast<std::size_t>(p)].Name;
}

// --- Items and matching.

int ConfigPageModel::presentItems() const {
  int n = 0;
  for (const ItemList& i : items_) n += i.present ? 1 : 0;
  return n;
}

void ConfigPageModel::setupItems() {
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    const ConfigItem& it = model().ConfigItems[static_cast<std::size_t>(i)];
    ItemList& list = items_[static_cast<std::size_t>(i)];
    list.present = it.Present;
    list.caption = it.Label;
    list.offered.clear();
    if (it.Present) {
      for (int c = 0; c < ItemMatcher(model()).choiceCount(i); ++c) list.offered.push_back(c);
      if (list.offered.empty()) list.offered.push_back(0);
    }
    list.shown = it.Present ? 0 : -1;
    config_.itemChoices[static_cast<std::size_t>(i)] = it.Present ? 0 : -1;
  }
  notify(PagePart::Items);
}

bool ConfigPageModel::readBack(int item) {
  const ItemList& list = items_[static_cast<std::size_t>(item)];
  int& choice = config_.itemChoices[static_cast<std::size_t>(item)];
  choice = list.shown < 0 ? -1 : ItemMatcher(model()).readBack(item, choiceText(item, list.shown));
  return choice >= 0;
}

std::array<bool, UnitConfiguration::kConfigItems> ConfigPageModel::presentFlags() const {
  std::array<bool, UnitConfiguration::kConfigItems> present{};
  for (std::size_t i = 0; i < present.size(); ++i) present[i] = items_[i].present;
  return present;
}

void ConfigPageModel::match(bool refreshLevels) {
  const ItemMatcher::Match m = ItemMatcher(model()).match(config_.itemChoices, presentFlags());
  config_.configurationIndex = m.index;
  config_.configurationValid = m.outcome == ItemMatcher::Outcome::Valid;
  switch (m.outcome) {
    case ItemMatcher::Outcome::None: status_ = text("STATUS_MESSAGE6"); break;
    case ItemMatcher::Outcome::Incomplete: status_ = text("STATUS_MESSAGE7"); break;
    case ItemMatcher::Outcome::Several: status_ = text("STATUS_MESSAGE8"); break;
    case ItemMatcher::Outcome::Valid:
      status_ = formatText("%s #%d", {text("IDC_VALIDCFG"), m.number});
      break;
  }
  if (!config_.configurationValid) config_.levelsValid = false;
  notify(PagePart::Status);
  if (refreshLevels) {
    // The buttons see the levels of the configuration just matched, not
    // those of the one before.
    checkLevels();
    applyButtonsRule();
    layoutLevels();
  }
  refillLists();
}

void ConfigPageModel::refillLists() {
  const ItemMatcher matcher(model());
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    ItemList& list = items_[static_cast<std::size_t>(i)];
    if (!list.present) continue;
    list.offered = matcher.offered(config_.itemChoices, i);
    // The current choice stays selected; one no longer offered leaves the
    // list without a selection, which reads back as no choice.
    const int current = config_.itemChoices[static_cast<std::size_t>(i)];
    if (std::find(list.offered.begin(), list.offered.end(), current) != list.offered.end()) {
      list.shown = current;
    } else {
      list.shown = -1;
      readBack(i);
    }
  }
  notify(PagePart::Items);
}

void ConfigPageModel::autoSelect(int except, bool refreshLevels) {
  for (int j = 0; j < UnitConfiguration::kConfigItems; ++j) {
    ItemList& list = items_[static_cast<std::size_t>(j)];
    if (j == except || !list.present || list.offered.size() != 2) continue;
    if (list.shown == list.offered[1] &&
        config_.itemChoices[static_cast<std::size_t>(j)] == list.offered[1]) {
      continue;
    }
    list.shown = list.offered[1];
    if (readBack(j)) match(refreshLevels);
  }
}

void ConfigPageModel::deriveIndependentMode() {
  independent_ = ConfigFileReader::independentMode(model(), config_);
  notify(PagePart::Buttons);
}

void ConfigPageModel::selectItem(int item, int choice) {
  if (item < 0 || item >= UnitConfiguration::kConfigItems) return;
  ItemList& list = items_[static_cast<std::size_t>(item)];
  if (!list.present) return;
  list.shown = choice;
  if (!readBack(item)) {
    if (services_.presenter != nullptr) {
      services_.presenter->errorDetail(
          text("ERROR_MESSAGE9"),
          formatText(text("ERROR_MESSAGE10"), {services_.records->Identity.CorporateId}));
    }
    notify(PagePart::Items);
    return;
  }
  afterChoice(item);
}

void ConfigPageModel::afterChoice(int item) {
  if (item == 0) deriveIndependentMode();
  match(true);
  autoSelect(item, true);
  checkLevels();
  applyButtonsRule();
  // Item 1 may turn the loop current's scale round.
  refreshLoopCurrentShown();
}

void ConfigPageModel::listClosed(int item) {
  if (item < 0 || item >= UnitConfiguration::kConfigItems) return;
  const ItemList& list = items_[static_cast<std::size_t>(item)];
  if (!list.present) return;
  // Widening the list cleared its choice behind the choice it still shows:
  // closing it without picking takes the shown choice back.
  if (config_.itemChoices[static_cast<std::size_t>(item)] == list.shown) return;
  selectItem(item, list.shown);
}

void ConfigPageModel::widenList(int item) {
  if (item < 0 || item >= UnitConfiguration::kConfigItems) return;
  ItemList& list = items_[static_cast<std::size_t>(item)];
  if (!list.present) return;
  const int previous = list.shown;
  list.shown = 0;
  readBack(item);
  match(false);
  autoSelect(item, false);
  // The previous choice shows again; it is taken when the list closes.
  list.shown = previous;
  notify(PagePart::Items);
}

void ConfigPageModel::typeInList(int item, const std::string& typed) {
  if (item < 0 || item >= UnitConfiguration::kConfigItems) return;
  ItemList& list = items_[static_cast<std::size_t>(item)];
  if (!list.present || typed.empty()) return;
  widenList(item);
  const auto start = std::find(list.offered.begin(), list.offered.end(), list.shown);
  const std::size_t from =
      start == list.offered.end() ? 0 : static_cast<std::size_t>(start - list.offered.begin()) + 1;
  const std::string prefix = lowered(typed);
  for (std::size_t k = 0; k < list.offered.size(); ++k) {
    const int c = list.offered[(from + k) % list.offered.size()];
    if (lowered(choiceText(item, c)).rfind(prefix, 0) == 0) {
      list.shown = c;
      if (readBack(item)) afterChoice(item);
      return;
    }
  }
}

// --- Levels and buttons.

void ConfigPageModel::layoutLevels() {
  const int index = config_.configurationIndex;
  relayUnitsShown_ = false;
  if (!config_.configurationValid || index < 0) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      rows_[i] = LevelRow{};
      config_.levels[i] = -1;
    }
  } else {
    const ModelConfiguration& mc = model().Configurations[static_cast<std::size_t>(index)];
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      rows_[i].caption = trimmed(mc.LevelCaptions[i]);
      rows_[i].shown = !rows_[i].caption.empty();
      relayUnitsShown_ = relayUnitsShown_ || rows_[i].shown;
    }
  }
  notify(PagePart::Levels);
  notify(PagePart::Units);
}

void ConfigPageModel::applyButtonsRule() {
  const bool valid = config_.configurationValid;
  const bool complete = valid && config_.levelsValid;
  saveEnabled_ = complete;
  writeEnabled_ = complete;
  wiringEnabled_ = valid;
  if (complete) modified_ = true;
  notify(PagePart::Buttons);
}

void ConfigPageModel::settingsEdited() {
  checkLevels();
  applyButtonsRule();
  modified_ = true;
  notify(PagePart::Capacity);
}

void ConfigPageModel::checkLevels() {
  bool ok = config_.sensorHeight >= 0 && config_.fillHeight >= 0;
  const int index = config_.configurationIndex;
  if (ok && index >= 0) {
    const ModelConfiguration& mc = model().Configurations[static_cast<std::size_t>(index)];
    for (std::size_t i = 0; i < config_.levels.size(); ++i) {
      if (mc.LevelWords[i] > 0 && config_.levels[i] < 0) ok = false;
    }
  }
  config_.levelsValid = ok;
}

void ConfigPageModel::editLevel(int level, const std::string& value) {
  if (level < 0 || level >= UnitConfiguration::kLevels) return;
  rows_[static_cast<std::size_t>(level)].text = value;
  config_.levels[static_cast<std::size_t>(level)] = readBox(value);
  checkLevels();
  applyButtonsRule();
  notify(PagePart::Levels);
}

void ConfigPageModel::editSensorHeight(const std::string& value) {
  boxes_.sensorHeight = value;
  if (!relayUnitsAreLength()) config_.sensorHeight = readBox(value);
  minimumFillRule();
  notify(PagePart::Boxes);
  refreshLoopCurrentShown();
}

void ConfigPageModel::editFillHeight(const std::string& value) {
  boxes_.fillHeight = value;
  notify(PagePart::Boxes);
  refreshLoopCurrentShown();
}

void ConfigPageModel::editProbeLength(const std::string& value) {
  boxes_.probeLength = value;
  config_.probeLength = readBox(value);
  minimumFillRule();
  notify(PagePart::Boxes);
  refreshLoopCurrentShown();
}

void ConfigPageModel::refreshLoopCurrentShown() {
  if (!guidedWave()) return;
  refreshLoopCurrent();
  notify(PagePart::Capacity);
}

void ConfigPageModel::editBox(std::string PageBoxes::*box, const std::string& value) {
  boxes_.*box = value;
  if (box == &PageBoxes::notes) {
    // The unit keeps its notes in Windows-1252: the box shows at once what
    // will be stored, a character without a code there as "?".
    boxes_.notes = cp1252ToUtf8(utf8ToCp1252(value));
    config_.tankDescription = boxes_.notes;
  }
  notify(PagePart::Boxes);
}

void ConfigPageModel::minimumFillRule() {
  if (!guidedWave()) return;
  if (relayUnitsAreLength()) {
    config_.minFillHeight =
        GuidedWaveSpan::lowestLevel(readBox(boxes_.sensorHeight), readBox(boxes_.probeLength),
                                    config_.heightUnits, ModelLink(&model(), nullptr));
    boxes_.minFillHeight = showHeight(config_.minFillHeight);
  } else {
    config_.minFillHeight = readBox(boxes_.minFillHeight);
  }
}

// --- Units.

void ConfigPageModel::selectUnits(int units) {
  const std::vector<std::string> names = unitNames();
  if (units < 0 || units >= static_cast<int>(names.size())) return;
  const int old = config_.heightUnits;
  config_.heightUnits = units;
  config_.outputUnits = units;
  unitsSelection_ = units;
  const ModelDatabase& m = model();
  auto factor = [&](int u) {
    const auto& f = m.UnitFactors;
    return u >= 0 && u < f.used() && f.Items[static_cast<std::size_t>(u)] != 0.0
               ? f.Items[static_cast<std::size_t>(u)]
               : m.DefaultUnitFactor;
  };
  if (pulseRadar()) {
    // The radar's two length units: the first units are feet, the second metres.
    int decimals = -1;
    double from = 0, to = 0;
    if (old == 1 && units == 0) {
      from = factor(3), to = factor(2), decimals = 2;
    } else if (old == 0 && units == 1) {
      from = factor(2), to = factor(3), decimals = 3;
    }
    if (decimals >= 0) {
      for (std::string* box : {&boxes_.sensorHeight, &boxes_.fillHeight, &boxes_.deadBand,
                               &boxes_.maxRange}) {
        *box = NumberRules::formatTrimmed(
            NumberRules::round(readBox(*box) * from / to, decimals), decimals);
      }
    }
    notify(PagePart::Units);
    notify(PagePart::Boxes);
    return;
  }
  if (old != units) {
    const double from = factor(old);
    const double to = factor(units);
    const int decimals = NumberRules::unitDecimals(units, guidedWave() || ugus());
    auto convertValue = [&](double v) {
      if (nonLinearCapable()) return NumberRules::round(v * from / to, decimals);
      const auto raw = static_cast<std::uint16_t>(static_cast<std::int64_t>(v * from + 0.5));
      return raw / to;
    };
    auto convert = [&](const std::string& box) { return convertValue(readBox(box)); };
    const double sensor = convert(boxes_.sensorHeight);
    const double fill = convert(boxes_.fillHeight);
    const double probe = convert(boxes_.probeLength);
    boxes_.sensorHeight = showHeight(sensor);
    boxes_.fillHeight = showHeight(fill);
    if (guidedWave()) boxes_.probeLength = showHeight(probe);
    config_.sensorHeight = sensor;
    config_.fillHeight = fill;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (!rows_[i].shown) continue;
      const double level = convert(rows_[i].text);
      rows_[i].text = showLevel(level);
      config_.levels[i] = level;
    }
    // The relay set points are in the relay units, which are the height
    // units here; an unset point (0) stays unset.
    for (float& point : config_.independentLevels) {
      if (point != 0.0f) point = static_cast<float>(convertValue(point));
    }
    // The lowest measurable level follows the converted heights.
    minimumFillRule();
    const std::string name = names[static_cast<std::size_t>(units)];
    AppSettings& values = services_.records->Values;
    if (!equalsIgnoringCase(name, values.PreferredUnits)) {
      values.PreferredUnits = name;
      int code = 0;
      if (services_.settings != nullptr) services_.settings->WriteText("PREF_UNITS", name, code);
    }
    notify(PagePart::Levels);
  }
  notify(PagePart::Units);
  notify(PagePart::Boxes);
}

void ConfigPageModel::refreshUnits() {
  if (relayUnitsAreLength()) unitsSelection_ = config_.heightUnits;
  notify(PagePart::Units);
}

void ConfigPageModel::refreshCapacity() {
  capacity_.clear();
  const std::uint16_t shape = config_.shapeCode;
  const int output = config_.outputUnits;
  auto number = [&](double v) { return NumberRules::display(v, output, false); };
  if (ostrel::shape::isStrapping(shape)) {
    capacity_ = formatText(text("STATUS_MESSAGE53"), {number(strapping_.lastVolume())});
  } else if (hasCurve(shape) && output::isVolume(output)) {
    capacity_ = formatText(text("STATUS_MESSAGE53"),
                           {number(volume_.CapacityOrUserValue(shape, config_.heightUnits, output))});
  } else if (hasCurve(shape) && output::isFlow(output)) {
    capacity_ = formatText(text("STATUS_MESSAGE54"),
                           {number(volume_.FlowAt(shape, volume_.Dimensions[1]))});
  }
  refreshLoopCurrent();
  notify(PagePart::Capacity);
}

void ConfigPageModel::refreshLoopCurrent() {
  loopCurrent_ = LoopCurrentPanel{};
  const std::uint16_t shape = config_.shapeCode;
  const int output = config_.outputUnits;
  if (!guidedWave() || !hasCurve(shape) || !output::isVolume(output)) return;
  // The table as a write would prepare it from the boxes, on copies: the
  // panel only shows what the heights give.
  UnitConfiguration c = config_;
  c.sensorHeight = readBox(boxes_.sensorHeight);
  c.fillHeight = readBox(boxes_.fillHeight);
  c.probeLength = readBox(boxes_.probeLength);
  c.minFillHeight = readBox(boxes_.minFillHeight);
  VolumeTable table = volume_;
  table.Link = ModelLink(&model(), &services_.records->Structures);
  CustomerPage::prepareVolumeTable(c, model(), table, strapping_);

  const double lowest = GuidedWaveSpan::lowestLevel(c.sensorHeight, c.probeLength, c.heightUnits,
                                                    ModelLink(&model(), nullptr));
  const double low = std::max(lowest, c.minFillHeight);
  const double high = c.fillHeight;
  double vmin = 0, vmax = 0, vfull = 0;
  if (ostrel::shape::isStrapping(shape)) {
    vmin = table.ValueAtDimensionLevel(low);
    vmax = table.ValueAtDimensionLevel(high);
    vfull = strapping_.lastVolume();
  } else {
    vmin = table.VolumeAtLevel(shape, c.heightUnits, output, low);
    vmax = table.VolumeAtLevel(shape, c.heightUnits, output, high);
    vfull = table.CapacityOrUserValue(shape, c.heightUnits, output);
  }
  loopCurrent_.shown = true;
  loopCurrent_.minVolume = NumberRules::display(vmin, output, true);
  loopCurrent_.maxVolume = NumberRules::display(vmax, output, true);
  // Without a full volume there is no current scale to show.
  if (vfull > 0) {
    const bool inverted = GuidedWaveSpan::invertedLoop(config_.itemChoices[1]);
    loopCurrent_.minCurrent = formatText("%.3f", {GuidedWaveSpan::currentAt(vmin, vfull, inverted)});
    loopCurrent_.maxCurrent = formatText("%.3f", {GuidedWaveSpan::fullCurrent(inverted)});
  }
}

// --- Boxes from the record.

void ConfigPageModel::showAllBoxes() {
  boxes_.sensorHeight = showHeight(config_.sensorHeight);
  boxes_.fillHeight = showHeight(config_.fillHeight);
  boxes_.minFillHeight = showHeight(config_.minFillHeight);
  boxes_.probeLength = showHeight(config_.probeLength);
  boxes_.deadBand = showHeight(config_.deadBand);
  boxes_.maxRange = showHeight(config_.maxRange);
  boxes_.notes = config_.tankDescription;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    rows_[i].text = rows_[i].shown && config_.levels[i] >= 0 ? showLevel(config_.levels[i]) : "";
  }
  notify(PagePart::Boxes);
  notify(PagePart::Levels);
}

ConfigBoxValues ConfigPageModel::boxValues() const {
  ConfigBoxValues v;
  v.sensorHeight = readBox(boxes_.sensorHeight);
  v.fillHeight = readBox(boxes_.fillHeight);
  v.minFillHeight = readBox(boxes_.minFillHeight);
  v.probeLength = readBox(boxes_.probeLength);
  v.deadBand = readBox(boxes_.deadBand);
  v.maxRange = readBox(boxes_.maxRange);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    // A hidden row stores 0.
    v.levels[i] = rows_[i].shown ? readBox(rows_[i].text) : 0.0;
  }
  return v;
}

ConfigFileContent ConfigPageModel::fileContent() const {
  ConfigFileContent content;
  content.config = &config_;
  content.model = &model();
  content.volume = &volume_;
  content.rows = &strapping_;
  content.boxes = boxValues();
  content.independentRelays = independent_;
  if (pulseRadar() && (sample_ || radar_.readThisActivation)) {
    radarAdvanced_ = RadarAdvanced::from(radar_.values);
    content.radar = &radarAdvanced_;
  }
  if (hasCurve(config_.shapeCode)) {
    content.structure =
        ConfigFileWriter::structureCaptions(model(), services_.records->Structures, config_);
  }
  return content;
}

// --- Activation and the unit's pages.

const std::array<UnitMemory::Page, 4>* ConfigPageModel::images() const {
  if (services_.pages != nullptr) return services_.pages;
  return services_.memory != nullptr ? &services_.memory->Pages : nullptr;
}

void ConfigPageModel::markRadarAdvancedRead() {
  radar_.readThisActivation = true;
  if (services_.pulse == nullptr) return;
  // The radar's own block, except the settings a file or the dialog set:
  // they keep the values that are to go to the radar.
  PulseParameters renewed = services_.pulse->Parameters();
  for (int p = 0; p < RadarAdvancedState::kCount; ++p) {
    const auto parameter = static_cast<RadarAdvancedState::Parameter>(p);
    if (radar_.fromFile[static_cast<std::size_t>(p)] || radar_.changed[static_cast<std::size_t>(p)]) {
      RadarAdvancedState::copyValue(parameter, radar_.values, renewed);
    }
  }
  radar_.values = renewed;
}

CustomerPageDecoding ConfigPageModel::decodeImages() {
  const std::array<UnitMemory::Page, 4>& pages = *images();
  TablePage::decode(pages[UnitMemory::kHistory], volume_);
  CustomerPageDecoding d = CustomerPage::decode(pages[UnitMemory::kCustomer], model(), config_);
  for (std::size_t i = 0; i < d.dimensions.size(); ++i) volume_.Dimensions[i] = d.dimensions[i];
  return d;
}

void ConfigPageModel::decodeUnitPages() { applyDecoding(decodeImages()); }

void ConfigPageModel::applyDecoding(const CustomerPageDecoding& d) {
  config_ = d.configuration;
  if (d.rows) strapping_ = *d.rows;
  boxes_.sensorHeight = d.boxes.sensorHeight;
  boxes_.fillHeight = d.boxes.fillHeight;
  boxes_.minFillHeight = d.boxes.minFillHeight;
  boxes_.probeLength = d.boxes.probeLength;
  boxes_.notes = d.boxes.notes;
  for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i].text = d.boxes.levels[i];
  decodeResult_ = d.result;
}

void ConfigPageModel::activationStep(const char* messageKey, int percent) {
  ProgressSink* sink = services_.activation;
  if (sink == nullptr) return;
  if (messageKey != nullptr) sink->setMessage(text(messageKey));
  sink->setProgress(percent);
}

bool ConfigPageModel::activate() {
  activationStep("BUSY_MESSAGE9", 0);
  serviceTools_ = false;
  notify(PagePart::Service);
  activationStep(nullptr, 10);
  notify(PagePart::Identity);
  activationStep(nullptr, 30);
  config_.configFileName.clear();
  config_.configurationValid = false;
  config_.levelsValid = false;
  applyButtonsRule();
  activationStep(nullptr, 40);
  // (The view loads the logo.)
  activationStep(nullptr, 50);
  setupItems();
  config_.heightUnits = 0;
  config_.outputUnits = 0;
  unitsSelection_ = 0;
  decodeResult_ = 0;
  radar_ = RadarAdvancedState{};
  volume_.Link = ModelLink(&model(), &services_.records->Structures);
  activationStep("BUSY_MESSAGE10", 60);
  if (sample_) {
    radar_.readThisActivation = true;
  } else if (pulseRadar() && services_.pulse != nullptr) {
    const PulseParameters& block = services_.pulse->Parameters();
    PulseConfigurationDecoding d = PulseConfiguration::decode(block, model(), config_);
    config_ = d.configuration;
    radar_.values = block;
    boxes_.sensorHeight = d.sensorHeight;
    boxes_.fillHeight = d.fillHeight;
    boxes_.deadBand = d.deadBand;
    boxes_.maxRange = d.maxRange;
    decodeResult_ = d.result;
  } else if (images() != nullptr) {
    decodeUnitPages();
  }
  if (decodeResult_ != 0) {
    const ModelRecords& r = *services_.records;
    const std::string error = formatText(text("ERROR_MESSAGE6"), {decodeResult_});
    log("INITDIALOG", error);
    lastError_ = error;
    if (services_.presenter != nullptr) {
      services_.presenter->errorDetail(
          error, formatText(text("ERROR_MESSAGE8"), {r.Identity.CorporateId}));
    }
    return false;
  }
  activationStep(nullptr, 70);
  // The items show what the pages selected.
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    items_[static_cast<std::size_t>(i)].shown = config_.itemChoices[static_cast<std::size_t>(i)];
  }
  if (!sample_ && hasCurve(config_.shapeCode) && nonLinearCapable()) {
    loadStructureList(config_.shapeCode);
  }
  refreshUnits();
  deriveIndependentMode();
  refreshCapacity();
  match(true);
  checkLevels();
  applyButtonsRule();
  if (!sample_) {
    // The boxes keep the texts the pages gave; rows the configuration does
    // not use stay empty.
    for (LevelRow& row : rows_) {
      if (!row.shown) row.text.clear();
    }
  }
  modified_ = false;
  activationStep(nullptr, 80);
  boxes_.fileDate.clear();
  notify(PagePart::Boxes);
  notify(PagePart::Identity);
  activationStep(nullptr, 90);
  activationStep("BUSY_MESSAGE11", 100);
  // Without a unit the page starts from the model's factory file; a file
  // that cannot be loaded is reported and the page stays as set up.
  if (sample_) factoryConfig();
  return true;
}

bool ConfigPageModel::leave() {
  if (modified_ && services_.presenter != nullptr &&
      services_.presenter->messageBox(text("STATUS_MESSAGE27"), kStyleYesNo) != kResultYes) {
    return false;
  }
  if (sample_ || images() == nullptr || pulseRadar()) return true;
  const CustomerPageDecoding d = decodeImages();
  config_.shapeCode = d.configuration.shapeCode;
  config_.heightUnits = d.configuration.heightUnits;
  config_.outputUnits = d.configuration.outputUnits;
  config_.sensorHeight = d.configuration.sensorHeight;
  return true;
}

// --- Configuration files.

void ConfigPageModel::loadStructureList(std::uint16_t shape) {
  StructureFile::load(model(), services_.modelsFolder, shape, services_.records->Structures);
}

void ConfigPageModel::applyRead(const ConfigReadResult& result) {
  if (result.modelLoaded) setupItems();
  if (result.nonLinearReset) {
    ResetStructureData(services_.records->Structures);
    notify(PagePart::Capacity);
  }
  notify(PagePart::Identity);
  boxes_.notes = config_.tankDescription;
  if (result.unitsOutOfRange) {
    // Back to what the unit holds (the sample program has no unit).
    if (!sample_ && images() != nullptr) decodeUnitPages();
    refreshUnits();
    notify(PagePart::Boxes);
    return;
  }
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    ItemList& list = items_[static_cast<std::size_t>(i)];
    if (list.present) list.shown = config_.itemChoices[static_cast<std::size_t>(i)];
  }
  unitsSelection_ = config_.heightUnits;
  if (result.code != ConfigFileReader::kRead) {
    // A read stopped part-way: the lines before the stop stay applied.
    match(false);
    refreshUnits();
    notify(PagePart::Boxes);
    return;
  }
  if (nonLinearCapable() && hasCurve(config_.shapeCode)) loadStructureList(config_.shapeCode);
  refreshUnits();
  boxes_.sensorHeight = showHeight(config_.sensorHeight);
  boxes_.fillHeight = showHeight(config_.fillHeight);
  boxes_.minFillHeight = showHeight(config_.minFillHeight);
  boxes_.probeLength = showHeight(config_.probeLength);
  boxes_.deadBand = showHeight(config_.deadBand);
  boxes_.maxRange = showHeight(config_.maxRange);
  notify(PagePart::Boxes);
  match(true);
  checkLevels();
  applyButtonsRule();
  // A file just read holds nothing the user changed.
  modified_ = false;
}

int ConfigPageModel::readConfigFile(const std::filesystem::path& path, bool showMessages) {
  ConfigReadContext context;
  context.records = ConfigRecords{&config_, &volume_, &strapping_, &radarAdvanced_};
  context.model = &model();
  context.sampleMode = sample_;
  context.loadModel = services_.loadModel;
  // The file's radar lines go over the page's copy of the radar's block.
  radarAdvanced_ = RadarAdvanced::from(radar_.values);
  ConfigReadResult result = ConfigFileReader::read(path, context);
  applyRead(result);
  radarAdvanced_.applyTo(radar_.values);
  // A file's advanced settings count for the next write where they differ
  // from the radar's own.
  if (pulseRadar() && !sample_) {
    for (const FieldId id : result.radarSettings) {
      const RadarAdvancedState::Parameter p = radarParameter(id);
      if (p != RadarAdvancedState::kCount) radar_.fromFile[static_cast<std::size_t>(p)] = true;
    }
  }
  if (showMessages && services_.presenter != nullptr) {
    const ModelRecords& r = *services_.records;
    showNotices(*services_.presenter, result.notices, &r.Language, r.Values.LanguageNumber);
  }
  return result.code;
}

void ConfigPageModel::refreshAfterLoad() {
  if (!hasCurve(config_.shapeCode)) refreshUnits();
  layoutLevels();
  showAllBoxes();
  refreshCapacity();
}

bool ConfigPageModel::factoryConfig() {
  const std::string& name = model().DefaultFile;
  if (name.empty()) {
    show(services_.presenter, *services_.records, Notice::message("ERROR_MESSAGE60", {}, kStyleError));
    return false;
  }
  const std::filesystem::path path = services_.configsFolder / name;
  if (readConfigFile(path, true) != ConfigFileReader::kRead) {
    show(services_.presenter, *services_.records, Notice::message("ERROR_MESSAGE61", {}, kStyleError));
    return false;
  }
  config_.configFileName = path.string();
  boxes_.fileDate.clear();
  boxes_.fileName.clear();
  refreshAfterLoad();
  deriveIndependentMode();
  log("LOADCONFIG", formatText("Default Config file '%s' loaded", {name}));
  return true;
}

void ConfigPageModel::clearItems() {
  for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
    ItemList& list = items_[static_cast<std::size_t>(i)];
    if (!list.present) continue;
    list.shown = 0;
    if (readBack(i)) match(false);
  }
  boxes_.fileName.clear();
  for (AdvancedEntry& a : config_.advanced) a = AdvancedEntry{};
  notify(PagePart::Boxes);
}

void ConfigPageModel::clearScreen() {
  if (!model().DefaultFile.empty()) {
    readConfigFile(services_.configsFolder / model().DefaultFile, false);
  }
  clearItems();
  match(true);
  refreshAfterLoad();
  deriveIndependentMode();
}

void ConfigPageModel::testConfigs() {
  clearItems();
  const ModelDatabase& m = model();
  const int count = ItemMatcher(m).configurationCount();
  if (count > 0) {
    const int at = std::clamp(testCounter_ - 1, 0, count - 1);
    const ModelConfiguration& mc = m.Configurations[static_cast<std::size_t>(at)];
    for (int i = 0; i < UnitConfiguration::kConfigItems; ++i) {
      ItemList& list = items_[static_cast<std::size_t>(i)];
      if (!list.present) continue;
      int c = mc.ChoiceCodes[static_cast<std::size_t>(i)];
      if (c <= 0) c = 1;
      config_.itemChoices[static_cast<std::size_t>(i)] = c;
      list.shown = c;
    }
  }
  match(true);
  // The test configuration's relay function decides the mode, as a choice
  // in list 0 would.
  deriveIndependentMode();
  serviceCounter_ = testCounter_;
  testCounter_ = testCounter_ + 1 > count ? 1 : testCounter_ + 1;
  notify(PagePart::Service);
  notify(PagePart::Capacity);
}

int ConfigPageModel::viewTanks() {
  const int overlays = viewTanksCounter_;
  serviceCounter_ = overlays;
  viewTanksCounter_ = (viewTanksCounter_ + 1) % 256;
  notify(PagePart::Service);
  return overlays;
}

bool ConfigPageModel::advancedFramed() const {
  if (pulseRadar()) return false;
  return std::any_of(config_.advanced.begin(), config_.advanced.end(),
                     [](const AdvancedEntry& a) { return a.set; });
}

bool ConfigPageModel::tanksFramed() const {
  return output::isVolume(config_.outputUnits);
}

ConfigPageModel::LevelPicture ConfigPageModel::levelPicture() const {
  const ModelRecords& r = *services_.records;
  LevelPicture picture{r.Images.Image, r.Images.ImageCaption, false};
  if (!nonLinearCapable() || !hasCurve(config_.shapeCode)) return picture;
  const StructureData& s = r.Structures;
  const int k = StructureFile::structureIndex(s, config_.shapeCode);
  if (k < 0) {
    picture.keep = true;
    return picture;
  }
  const auto at = static_cast<std::size_t>(k);
  if (guidedWave()) {
    picture.file =
        relayUnitsAreLength() ? s.RadarFrontImagesDistance[at] : s.RadarFrontImagesVolume[at];
  } else {
    picture.file = s.FrontImages[at];
  }
  picture.caption = s.TitleCaptions[at];
  return picture;
}

bool ConfigPageModel::heightsEditable() const {
  return config_.outputUnits == config_.heightUnits;
}

std::string ConfigPageModel::fillCaption() const {
  if (shape::isFlow(config_.shapeCode)) return model().MaxHead;
  return guidedWave() ? text("IDC_GWRMAXFILLHEIGHT_LABEL") : text("IDC_FHLABEL");
}

MainFormPages ConfigPageModel::pagesByKind(MainFormPages present) const {
  // Page-based units show the live display or, on guided-wave radar, the
  // echo diagnostics; the pulse radar has its own echo curves and no
  // firmware update through the cable. UGUS units do not stream.
  MainFormPages wanted = present;
  if (guidedWave()) {
    wanted.liveDisplay = false;
    wanted.diagnostics = true;
  } else if (!ugus()) {
    wanted.liveDisplay = true;
    wanted.diagnostics = false;
  } else {
    wanted.liveDisplay = false;
  }
  if (pulseRadar()) {
    wanted.liveDisplay = false;
    wanted.echoCurve = true;
    wanted.update = false;
  } else {
    wanted.echoCurve = false;
    wanted.update = true;
  }
  return wanted;
}

std::string ConfigPageModel::fileDateText(const std::filesystem::path& path) const {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return "0";
  const auto when = std::filesystem::last_write_time(path, ec);
  if (ec) return text("ERROR_MESSAGE76");
  const auto system = std::chrono::file_clock::to_sys(when);
  const std::time_t t = std::chrono::system_clock::to_time_t(system);
  std::tm local{};
  localtime_r(&t, &local);
  return formatText(text("STATUS_MESSAGE39"), {local.tm_mon + 1, local.tm_mday, local.tm_year + 1900,
                                              local.tm_hour, local.tm_min});
}

std::optional<ConfigPageModel::Request> ConfigPageModel::serviceCommand(const std::string& typed) {
  ServiceCommands::Context context;
  context.settings = &services_.records->Values;
  context.today = services_.now ? services_.now() : localNow();
  context.programId = services_.records->Identity.ProgramId;
  context.toolVersion = services_.toolVersion;
  const std::optional<ServiceCommand> command = ServiceCommands::recognise(typed, context);
  if (!command) return std::nullopt;
  if (command->showServiceTools) {
    serviceTools_ = true;
    notify(PagePart::Service);
  }
  if (command->clearGuide) services_.records->Values.ShowGuide = false;
  if (command->notice) show(services_.presenter, *services_.records, *command->notice);
  boxes_.fileName.clear();
  notify(PagePart::Boxes);
  return command->request;
}

ConfigPageModel::Request ConfigPageModel::openConfigFile() {
  if (const std::optional<Request> request = serviceCommandInBox()) return *request;
  openFile(boxes_.fileName);
  return Request::None;
}

std::optional<ConfigPageModel::Request> ConfigPageModel::serviceCommandInBox() {
  return serviceCommand(boxes_.fileName);
}

bool ConfigPageModel::openFile(const std::string& name) {
  std::filesystem::path path(name);
  if (path.is_relative()) path = services_.configsFolder / path;
  if (name.empty() || readConfigFile(path, true) != ConfigFileReader::kRead) {
    const std::string error = text("ERROR_MESSAGE53");
    log("LOADCONFIG", formatText("Error opening config file:  %s", {error}));
    show(services_.presenter, *services_.records, Notice::message("ERROR_MESSAGE53", {}, kStyleError));
    return false;
  }
  refreshAfterLoad();
  deriveIndependentMode();
  boxes_.fileName = name;
  config_.configFileName = name;
  boxes_.fileDate = fileDateText(path);
  notify(PagePart::Boxes);
  log("LOADCONFIG", formatText("Config file '%s' loaded", {name}));
  return true;
}

bool ConfigPageModel::saveConfigFile(const std::function<bool(std::string& name)>& confirmName) {
  config_.tankDescription = boxes_.notes;
  auto fail = [&](const Notice& notice) {
    const ModelRecords& r = *services_.records;
    log("SAVECONFIG", notice.text(&r.Language, r.Values.LanguageNumber));
    show(services_.presenter, r, notice);
    return false;
  };
  if (!config_.configurationValid || !config_.levelsValid) {
    return fail(Notice::message("ERROR_MESSAGE55", {}, kStyleError));
  }
  auto proposed = ConfigSaveName::propose(services_.configsFolder, boxes_.fileName);
  if (const Notice* notice = std::get_if<Notice>(&proposed)) return fail(*notice);
  std::string name = std::get<std::string>(proposed);
  if (confirmName && !confirmName(name)) return false;
  if (name.find(".txt") == std::string::npos) name += ".txt";
  boxes_.fileName = name;
  const std::filesystem::path path = services_.configsFolder / name;
  ConfigWriteResult written = ConfigFileWriter::save(path, fileContent());
  if (!written.ok) {
    return fail(written.notice.value_or(Notice::message("ERROR_MESSAGE57", {1}, kStyleError)));
  }
  config_.configFileName = name;
  boxes_.fileDate = fileDateText(path);
  const std::string saved = formatText(text("STATUS_MESSAGE42"), {name});
  log("SAVECONFIG", saved);
  show(services_.presenter, *services_.records, Notice::message("STATUS_MESSAGE42", {name}, kStyleInformation));
  modified_ = false;
  notify(PagePart::Boxes);
  return true;
}

bool ConfigPageModel::wiringDiagram() {
  const ModelRecords& r = *services_.records;
  if (!config_.configurationValid || config_.configurationIndex < 0) {
    show(services_.presenter, r, Notice::message("ERROR_MESSAGE58", {}, kStyleError));
    return false;
  }
  const ModelConfiguration& mc =
      model().Configurations[static_cast<std::size_t>(config_.configurationIndex)];
  const std::filesystem::path path = services_.drawingsFolder / mc.DrawingFile;
  if (!services_.openDocument || !services_.openDocument(path)) {
    show(services_.presenter, r, Notice::message("ERROR_MESSAGE59", {}, kStyleError));
    log("VIEWDWG", formatText("Error opening drawing file %s", {path.string()}));
    return false;
  }
  return true;
}

bool ConfigPageModel::chooseModel(const std::string& modelNumber) {
  bool ok = services_.loadModel && services_.loadModel(modelNumber);
  if (ok) {
    setupItems();
    ok = factoryConfig();
  } else if (services_.presenter != nullptr) {
    services_.presenter->platformMessageBox("Internal error! Please select a valid model number",
                                            kStyleError);
  }
  refreshUnits();
  modified_ = false;
  return ok;
}

ConfigPageModel::TanksStart ConfigPageModel::beginTanks() {
  TanksSequence::Heights heights;
  heights.sensor = readBox(boxes_.sensorHeight);
  heights.fill = readBox(boxes_.fillHeight);
  if (guidedWave()) {
    heights.third = readBox(boxes_.minFillHeight);
    heights.fourth = readBox(boxes_.probeLength);
  } else if (pulseRadar()) {
    heights.third = readBox(boxes_.deadBand);
    heights.fourth = readBox(boxes_.maxRange);
  }
  return tanks_.begin(config_.shapeCode, heights);
}

void ConfigPageModel::pickerChose(std::uint16_t shape) { tanks_.pickerChose(shape); }

ConfigPageModel::TanksForm ConfigPageModel::formFor(std::uint16_t shape) {
  return TanksSequence::formFor(shape);
}

void ConfigPageModel::tanksCancelled(bool backToShapes) { tanks_.cancelled(backToShapes); }

bool ConfigPageModel::tanksAgain() const { return tanks_.again(); }

void ConfigPageModel::endTanks() {
  tanks_.end();
  refreshCapacity();
  refreshUnits();
}

void ConfigPageModel::applyStructure(std::uint16_t shape, int outputUnits, int dimensionUnits) {
  if (!guidedWave() && outputUnits != config_.outputUnits) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (!rows_[i].shown) continue;
      rows_[i].text.clear();
      config_.levels[i] = -1;
    }
  }
  config_.shapeCode = shape;
  config_.outputUnits = outputUnits;
  config_.heightUnits = dimensionUnits;
  if (StructureFile::structureIndex(services_.records->Structures, shape) < 0) {
    loadStructureList(shape);
  }
  tanks_.applied();
  boxes_.sensorHeight = showHeight(volume_.Dimensions[0]);
  boxes_.fillHeight = showHeight(volume_.Dimensions[1]);
  // On a weir or flume dimensions 2 and 3 are coefficients, not heights.
  if (TanksSequence::tableCarriesHeights(shape)) {
    if (guidedWave()) {
      boxes_.minFillHeight = showHeight(volume_.Dimensions[2]);
      boxes_.probeLength = showHeight(volume_.Dimensions[3]);
    } else if (pulseRadar()) {
      boxes_.deadBand = showHeight(volume_.Dimensions[2]);
      boxes_.maxRange = showHeight(volume_.Dimensions[3]);
    }
  }
  refreshUnits();
  refreshCapacity();
  layoutLevels();
  checkLevels();
  applyButtonsRule();
  modified_ = true;
  notify(PagePart::Boxes);
}

ValueCheckResult ConfigPageModel::prepareWrite(std::vector<ValueCheckResult>* all) {
  const ModelRecords& r = *services_.records;
  volume_.Link = ModelLink(&model(), &r.Structures);
  // The heights as the boxes hold them make the table's dimensions.
  config_.sensorHeight = readBox(boxes_.sensorHeight);
  config_.fillHeight = readBox(boxes_.fillHeight);
  if (guidedWave()) {
    config_.minFillHeight = readBox(boxes_.minFillHeight);
    config_.probeLength = readBox(boxes_.probeLength);
  }
  if (pulseRadar()) {
    config_.deadBand = readBox(boxes_.deadBand);
    config_.maxRange = readBox(boxes_.maxRange);
  }
  CustomerPage::prepareVolumeTable(config_, model(), volume_, strapping_);
  // A length output becomes the first tank shape: its captions go with it.
  if (hasCurve(config_.shapeCode) &&
      StructureFile::structureIndex(r.Structures, config_.shapeCode) < 0) {
    loadStructureList(config_.shapeCode);
  }

  CheckedBoxes checked;
  checked.sensorHeight = boxes_.sensorHeight;
  checked.fillHeight = boxes_.fillHeight;
  checked.probeLength = boxes_.probeLength;
  checked.deadBand = boxes_.deadBand;
  checked.maxRange = boxes_.maxRange;
  for (std::size_t i = 0; i < rows_.size(); ++i) checked.levels[i] = rows_[i].text;
  const ValueCheckResult found = runValueChecks(
      {&model(), &config_, &checked, &volume_, &strapping_, independent_, pulseRadar(), all});
  boxes_.sensorHeight = checked.sensorHeight;
  boxes_.fillHeight = checked.fillHeight;
  boxes_.probeLength = checked.probeLength;
  boxes_.deadBand = checked.deadBand;
  boxes_.maxRange = checked.maxRange;
  for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i].text = checked.levels[i];
  notify(PagePart::Boxes);
  notify(PagePart::Levels);
  return found;
}

ConfigPageModel::EncodedWrite ConfigPageModel::encodeForWrite(const CustomerPage::Bytes& customerImage,
                                                              const TablePage::Bytes& tableImage) {
  EncodedWrite out;
  out.checks = prepareWrite();
  if (out.checks.outcome == CheckOutcome::Error) return out;
  out.customerResult =
      CustomerPage::encode(config_, model(), volume_, strapping_, customerImage, out.customer);
  // Over the unit's own table page, as the write does.
  out.table = tableImage;
  TablePage::encode(volume_,
                    TablePage::fullScaleValue(volume_, config_.shapeCode, config_.heightUnits,
                                              config_.outputUnits, strapping_),
                    out.table);
  return out;
}

std::optional<WriteOutcome> ConfigPageModel::writeToUnit(
    const std::function<void(const std::function<void()>&)>& runDevice) {
  Presenter* presenter = services_.presenter;
  const ModelRecords& r = *services_.records;
  if (sample_) {
    if (presenter != nullptr) presenter->platformMessageBox(text("STATUS_MESSAGE9"), kStylePlain);
    return std::nullopt;
  }
  if (presenter == nullptr || services_.memory == nullptr || services_.link == nullptr ||
      services_.pulse == nullptr) {
    return std::nullopt;
  }
  writeEnabled_ = false;
  notify(PagePart::Buttons);
  ProgressSink& busy = presenter->busy();
  busy.setMessage("");
  busy.setMessage(text("BUSY_MESSAGE13"));
  busy.setProgress(10);

  const ValueCheckResult found = prepareWrite();
  const bool radarActive = pulseRadar();
  if (found.outcome != CheckOutcome::None) {
    found.show(*presenter, &r.Language, r.Values.LanguageNumber);
    if (found.outcome == CheckOutcome::Error ||
        presenter->messageBox(text("ERROR_MESSAGE27"), kStyleYesNo) != kResultYes) {
      applyButtonsRule();
      return std::nullopt;
    }
  }
  boxes_.fileName.clear();
  boxes_.fileDate.clear();
  notify(PagePart::Boxes);

  LogFile noLog;
  const ConfigFileContent logContent = fileContent();
  std::optional<CustomerPageDecoding> verified;
  WriteRequest request{*services_.memory,
                       *services_.link,
                       *services_.pulse,
                       *presenter,
                       r.Language,
                       r.Values.LanguageNumber,
                       services_.log != nullptr ? *services_.log : noLog,
                       config_,
                       model(),
                       volume_,
                       strapping_,
                       radar_,
                       logContent,
                       // Decoded on the device's thread, shown once the run is over.
                       [&](const UnitMemory::Page& page) {
                         CustomerPage::Bytes bytes{};
                         std::copy(page.begin(), page.end(), bytes.begin());
                         verified = CustomerPage::decode(bytes, model(), config_);
                         return verified->result;
                       },
                       writing_,
                       radarActive};
  WriteOutcome outcome;
  auto work = [&] { outcome = WriteProcedure(request).run(); };
  if (runDevice) {
    runDevice(work);
  } else {
    work();
  }
  if (verified && verified->result == 0) {
    const std::int32_t serial = config_.serial;
    applyDecoding(*verified);
    config_.serial = serial;
    match(true);
  }
  if (outcome.serialChanged) notify(PagePart::Identity);
  applyButtonsRule();
  return outcome;
}

std::string ConfigPageModel::supportCode(const std::tm& day) {
  return ServiceCommands::supportCode(day);
}

}  // namespace ostrel

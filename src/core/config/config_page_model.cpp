#include "core/config/config_page_model.h"

#include <algorithm>

#include "core/config/item_matcher.h"
#include "core/config/pulse_configuration.h"
#include "core/config/units_change.h"
#include "core/link/pulse_protocol.h"
#include "core/link/unit_memory.h"
#include "core/model/model_records.h"
#include "core/support/log_file.h"
#include "core/support/notice.h"
#include "core/support/plain_text.h"
#include "core/support/presenter.h"
#include "core/support/settings_store.h"
#include "core/support/text_codec.h"
#include "core/support/text_format.h"
#include "core/volume/guided_wave_span.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"
#include "core/volume/shape_class.h"
#include "core/volume/structure_file.h"

namespace ostrel {
namespace {

using plaintext::trimmed;
using plaintext::equalsIgnoringCase;
using shape::hasCurve;

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
      files_(services_, {&config_, &volume_, &strapping_, &radar_}),
      writer_(services_, {&config_, &volume_, &strapping_, &radar_}),
      tanks_({&services_.records->Database, &services_.records->Structures, &volume_, &strapping_,
              services_.modelsFolder}),
      start_(services_, {&config_, &volume_, &strapping_, &radar_}, &boxes_, &rows_),
      items_(services_.records->Database, config_, itemHooks()) {}

// --- Small helpers.

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

std::string ConfigPageModel::showHeight(double value) const {
  if (pulseRadar()) return PulseConfiguration::showLength(value, config_.heightUnits);
  return NumberRules::display(value, config_.heightUnits, guidedWave() || ugus());
}

std::string ConfigPageModel::showLevel(double value) const {
  return NumberRules::display(value, config_.outputUnits, guidedWave() || ugus());
}

// --- Items and matching.

ItemSelection::Hooks ConfigPageModel::itemHooks() {
  ItemSelection::Hooks h;
  h.matched = [this](const ItemMatcher::Match& m, bool refreshLevels) {
    matched(m, refreshLevels);
  };
  // A relay function chosen decides the mode before its matches.
  h.taking = [this](int item) {
    if (item == 0) deriveIndependentMode();
  };
  h.taken = [this](int) {
    checkLevels();
    applyButtonsRule();
    // Item 1 may turn the loop current's scale round.
    refreshLoopCurrentShown();
  };
  h.refused = [this](int) {
    if (services_.presenter != nullptr) {
      services_.presenter->errorDetail(
          text("ERROR_MESSAGE9"),
          formatText(text("ERROR_MESSAGE10"), {services_.records->Identity.CorporateId}));
    }
  };
  h.changed = [this] { notify(PagePart::Items); };
  return h;
}

void ConfigPageModel::matched(const ItemMatcher::Match& m, bool refreshLevels) {
  switch (m.outcome) {
    case ItemMatcher::Outcome::None: status_ = text("STATUS_MESSAGE6"); break;
    case ItemMatcher::Outcome::Incomplete: status_ = text("STATUS_MESSAGE7"); break;
    case ItemMatcher::Outcome::Several: status_ = text("STATUS_MESSAGE8"); break;
    case ItemMatcher::Outcome::Valid:
      status_ = formatText("%s #%d", {text("IDC_VALIDCFG"), m.number});
      break;
  }
  notify(PagePart::Status);
  if (refreshLevels) {
    // The buttons see the levels of the configuration just matched, not
    // those of the one before.
    checkLevels();
    applyButtonsRule();
    layoutLevels();
  }
}

void ConfigPageModel::selectItem(int item, int choice) { items_.select(item, choice); }
void ConfigPageModel::widenList(int item) { items_.widen(item); }
void ConfigPageModel::listClosed(int item) { items_.closed(item); }
void ConfigPageModel::typeInList(int item, const std::string& typed) { items_.type(item, typed); }

void ConfigPageModel::deriveIndependentMode() {
  independent_ = ConfigFileReader::independentMode(model(), config_);
  notify(PagePart::Buttons);
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
  if (!looks().relayUnitsAreLength()) config_.sensorHeight = readBox(value);
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

// --- Boxes that hold no number.

std::string ConfigPageModel::boxName(std::string PageBoxes::*box) const {
  if (box == &PageBoxes::sensorHeight) return text("IDC_SHLABEL");
  if (box == &PageBoxes::fillHeight) return looks().fillCaption();
  if (box == &PageBoxes::probeLength) return text("IDC_PROBELENGTH_LABEL");
  if (box == &PageBoxes::minFillHeight) return text("IDC_GWRMINFILLHEIGHT_LABEL");
  if (box == &PageBoxes::deadBand) return text("IDC_DEADBAND_LABEL");
  if (box == &PageBoxes::maxRange) return text("IDC_MAXRANGE_LABEL");
  return {};
}

std::optional<ValueCheckResult> ConfigPageModel::refusedBox() const {
  return BoxMapper::refused(boxes_, rows_, kind(), [this](auto box) { return boxName(box); });
}

bool ConfigPageModel::showRefusal(const std::optional<ValueCheckResult>& refused) const {
  if (!refused) return true;
  if (services_.presenter != nullptr) {
    const ModelRecords& r = *services_.records;
    refused->show(*services_.presenter, &r.Language, r.Values.LanguageNumber);
  }
  return false;
}

bool ConfigPageModel::leaveBox(std::string PageBoxes::*box) {
  const std::string name = boxName(box);
  if (name.empty()) return true;
  return showRefusal(BoxMapper::refusal(name, boxes_.*box));
}

bool ConfigPageModel::leaveLevel(int level) {
  if (level < 0 || level >= UnitConfiguration::kLevels) return true;
  const LevelRow& row = rows_[static_cast<std::size_t>(level)];
  if (!row.shown) return true;
  return showRefusal(BoxMapper::refusal(row.caption, row.text));
}

void ConfigPageModel::minimumFillRule() {
  if (!guidedWave()) return;
  if (looks().relayUnitsAreLength()) {
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
  const std::vector<std::string> names = looks().unitNames();
  if (units < 0 || units >= static_cast<int>(names.size())) return;
  const int old = config_.heightUnits;
  config_.heightUnits = units;
  config_.outputUnits = units;
  unitsSelection_ = units;
  UnitsChange::apply(model(), old, units, {&boxes_, &rows_, &config_, &exact_});
  if (!pulseRadar() && old != units) {
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
  if (looks().relayUnitsAreLength()) unitsSelection_ = config_.heightUnits;
  notify(PagePart::Units);
}

void ConfigPageModel::refreshCapacity() {
  capacity_ = looks().capacityLine(volume_, strapping_);
  refreshLoopCurrent();
  notify(PagePart::Capacity);
}

void ConfigPageModel::refreshLoopCurrent() {
  UnitConfiguration heights = config_;
  BoxMapper::read(boxes_, heights, kind());
  loopCurrent_ = LoopCurrent::panel(
      {&model(), &services_.records->Structures, &heights, &volume_, &strapping_});
}

// --- Boxes from the record.

void ConfigPageModel::showAllBoxes() {
  exact_ = {};
  BoxMapper::show(config_, boxes_, [this](double v) { return showHeight(v); });
  boxes_.notes = config_.tankDescription;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    rows_[i].text = rows_[i].shown && config_.levels[i] >= 0 ? showLevel(config_.levels[i]) : "";
  }
  notify(PagePart::Boxes);
  notify(PagePart::Levels);
}

ConfigBoxValues ConfigPageModel::boxValues() const { return BoxMapper::values(boxes_, rows_); }

ConfigFileContent ConfigPageModel::fileContent() const {
  return files_.content(boxValues(), independent_,
                        pulseRadar() && (sample_ || radar_.readThisActivation));
}

// --- Activation and the unit's pages.

bool ConfigPageModel::unitPagesChanged() {
  if (sample_ || !start_.hasPages() || pulseRadar()) return true;
  const int decoded = start_.decodePages();
  exact_ = {};
  if (decoded != 0) {
    decodeFailed(decoded);
    return false;
  }
  showUnitState();
  notify(PagePart::Boxes);
  notify(PagePart::Identity);
  return true;
}

void ConfigPageModel::decodeFailed(int code) {
  const std::string error = formatText(text("ERROR_MESSAGE6"), {code});
  log("INITDIALOG", error);
  lastError_ = error;
  if (services_.presenter != nullptr) {
    services_.presenter->errorDetail(
        error, formatText(text("ERROR_MESSAGE8"), {services_.records->Identity.CorporateId}));
  }
}

void ConfigPageModel::showUnitState() {
  // The items show what the pages selected.
  items_.showChoices();
  if (!sample_ && hasCurve(config_.shapeCode) && nonLinearCapable()) {
    loadStructureList(config_.shapeCode);
  }
  refreshUnits();
  deriveIndependentMode();
  refreshCapacity();
  items_.match(true);
  checkLevels();
  applyButtonsRule();
  if (!sample_) {
    // The boxes keep the texts the pages gave; rows the configuration does
    // not use stay empty.
    for (LevelRow& row : rows_) {
      if (!row.shown) row.text.clear();
    }
  }
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
  items_.setup();
  config_.heightUnits = 0;
  config_.outputUnits = 0;
  unitsSelection_ = 0;
  radar_ = RadarAdvancedState{};
  volume_.Link = ModelLink(&model(), &services_.records->Structures);
  activationStep("BUSY_MESSAGE10", 60);
  int decoded = 0;
  if (sample_) {
    radar_.readThisActivation = true;
  } else {
    decoded = start_.decodeUnit(pulseRadar());
    exact_ = {};
  }
  if (decoded != 0) {
    decodeFailed(decoded);
    return false;
  }
  activationStep(nullptr, 70);
  showUnitState();
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
  notify(PagePart::Model);
  return true;
}

bool ConfigPageModel::leave() {
  if (modified_ && services_.presenter != nullptr &&
      services_.presenter->messageBox(text("STATUS_MESSAGE27"), kStyleYesNo) != kResultYes) {
    return false;
  }
  if (!sample_ && start_.hasPages() && !pulseRadar()) start_.restoreUnitsView();
  return true;
}

// --- Configuration files.

void ConfigPageModel::loadStructureList(std::uint16_t shape) {
  StructureFile::load(model(), services_.modelsFolder, shape, services_.records->Structures);
}

void ConfigPageModel::applyRead(const ConfigReadResult& result) {
  if (result.modelLoaded) items_.setup();
  if (result.nonLinearReset) {
    ResetStructureData(services_.records->Structures);
    notify(PagePart::Capacity);
  }
  notify(PagePart::Identity);
  boxes_.notes = config_.tankDescription;
  if (result.unitsOutOfRange) {
    // Back to what the unit holds (the sample program has no unit).
    if (!sample_ && start_.hasPages()) {
      start_.decodePages();
      exact_ = {};
    }
    refreshUnits();
    notify(PagePart::Boxes);
    return;
  }
  items_.showChoices();
  unitsSelection_ = config_.heightUnits;
  if (result.code != ConfigFileReader::kRead) {
    // A read stopped part-way: the lines before the stop stay applied.
    items_.match(false);
    refreshUnits();
    notify(PagePart::Boxes);
    return;
  }
  if (nonLinearCapable() && hasCurve(config_.shapeCode)) loadStructureList(config_.shapeCode);
  refreshUnits();
  BoxMapper::show(config_, boxes_, [this](double v) { return showHeight(v); });
  exact_ = {};
  notify(PagePart::Boxes);
  items_.match(true);
  checkLevels();
  applyButtonsRule();
  // A file just read holds nothing the user changed.
  modified_ = false;
}

int ConfigPageModel::readConfigFile(const std::filesystem::path& path, bool showMessages) {
  const ConfigReadResult result = files_.read(path, sample_, pulseRadar() && !sample_);
  applyRead(result);
  if (showMessages) files_.showNotices(result);
  return result.code;
}

void ConfigPageModel::refreshAfterLoad() {
  if (!hasCurve(config_.shapeCode)) refreshUnits();
  layoutLevels();
  showAllBoxes();
  refreshCapacity();
}

bool ConfigPageModel::factoryConfig() {
  const std::optional<std::filesystem::path> path = files_.factoryFile();
  if (!path) return false;
  if (readConfigFile(*path, true) != ConfigFileReader::kRead) {
    files_.factoryFailed();
    return false;
  }
  config_.configFileName = path->string();
  boxes_.fileDate.clear();
  boxes_.fileName.clear();
  refreshAfterLoad();
  deriveIndependentMode();
  files_.factoryLoaded();
  return true;
}

void ConfigPageModel::clearItems() {
  items_.clear();
  boxes_.fileName.clear();
  for (AdvancedEntry& a : config_.advanced) a = AdvancedEntry{};
  notify(PagePart::Boxes);
}

void ConfigPageModel::clearScreen() {
  if (!model().DefaultFile.empty()) {
    readConfigFile(services_.configsFolder / model().DefaultFile, false);
  }
  clearItems();
  items_.match(true);
  refreshAfterLoad();
  deriveIndependentMode();
}

void ConfigPageModel::testConfigs() {
  clearItems();
  items_.test(testCounter_);
  const int count = ItemMatcher(model()).configurationCount();
  // The test configuration's relay function decides the mode, as a choice
  // in list 0 would.
  deriveIndependentMode();
  serviceCounter_ = testCounter_;
  testCounter_ = testCounter_ + 1 > count ? 1 : testCounter_ + 1;
  notify(PagePart::Service);
  notify(PagePart::Capacity);
}

std::vector<OverlayPoint> ConfigPageModel::viewTanks() {
  serviceCounter_ = viewTanksCounter_;
  viewTanksCounter_ = (viewTanksCounter_ + 1) % 256;
  notify(PagePart::Service);
  return looks().overlays(serviceCounter_);
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
  const std::filesystem::path path = files_.pathOf(name);
  if (name.empty() || readConfigFile(path, true) != ConfigFileReader::kRead) {
    files_.openFailed();
    // A read stopped part-way may still have loaded another model.
    notify(PagePart::Model);
    return false;
  }
  refreshAfterLoad();
  deriveIndependentMode();
  boxes_.fileName = name;
  config_.configFileName = name;
  boxes_.fileDate = files_.fileDate(path);
  notify(PagePart::Boxes);
  files_.opened(name);
  notify(PagePart::Model);
  return true;
}

bool ConfigPageModel::saveConfigFile(const std::function<bool(std::string& name)>& confirmName) {
  // A box that holds no number would be saved as 0.
  if (!showRefusal(refusedBox())) return false;
  config_.tankDescription = boxes_.notes;
  const ConfigPageFiles::Saved saved =
      files_.save([this] { return fileContent(); },
                  config_.configurationValid && config_.levelsValid, boxes_.fileName, confirmName);
  if (saved.name) boxes_.fileName = *saved.name;
  if (!saved.ok) return false;
  config_.configFileName = *saved.name;
  boxes_.fileDate = saved.date;
  modified_ = false;
  notify(PagePart::Boxes);
  return true;
}

bool ConfigPageModel::chooseModel(const std::string& modelNumber) {
  bool ok = services_.loadModel && services_.loadModel(modelNumber);
  if (ok) {
    items_.setup();
    ok = factoryConfig();
  } else if (services_.presenter != nullptr) {
    services_.presenter->platformMessageBox("Internal error! Please select a valid model number",
                                            kStyleError);
  }
  refreshUnits();
  modified_ = false;
  notify(PagePart::Model);
  return ok;
}

ConfigPageModel::TanksStart ConfigPageModel::beginTanks() {
  const auto box = BoxMapper::dimensionBoxes(kind());
  TanksSequence::Heights heights;
  heights.sensor = readBox(boxes_.*box[0]);
  heights.fill = readBox(boxes_.*box[1]);
  if (box[2] != nullptr) heights.third = readBox(boxes_.*box[2]);
  if (box[3] != nullptr) heights.fourth = readBox(boxes_.*box[3]);
  return tanks_.begin(config_.shapeCode, heights);
}

void ConfigPageModel::endTanks() {
  tanks_.end();
  refreshCapacity();
  refreshUnits();
  notify(PagePart::Model);
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
  // On a weir or flume dimensions 2 and 3 are coefficients, not heights.
  const auto box = BoxMapper::dimensionBoxes(kind());
  const std::size_t heights = TanksSequence::tableCarriesHeights(shape) ? box.size() : 2;
  for (std::size_t k = 0; k < heights; ++k) {
    if (box[k] != nullptr) boxes_.*box[k] = showHeight(volume_.Dimensions[k]);
  }
  exact_ = {};
  refreshUnits();
  refreshCapacity();
  layoutLevels();
  checkLevels();
  applyButtonsRule();
  modified_ = true;
  notify(PagePart::Boxes);
}

ValueCheckResult ConfigPageModel::prepareWrite(std::vector<ValueCheckResult>* all) {
  // A box that holds no number stops everything before a value is taken.
  if (std::optional<ValueCheckResult> refused = refusedBox()) {
    if (all != nullptr) all->push_back(*refused);
    return *refused;
  }
  // The heights as the boxes hold them make the table's dimensions.
  BoxMapper::read(boxes_, config_, kind());
  CheckedBoxes checked = BoxMapper::checked(boxes_, rows_);
  const ValueCheckResult found = writer_.check(checked, independent_, all);
  BoxMapper::fromChecked(checked, boxes_, rows_);
  notify(PagePart::Boxes);
  notify(PagePart::Levels);
  return found;
}

ConfigPageModel::EncodedWrite ConfigPageModel::encodeForWrite(const CustomerPage::Bytes& customerImage,
                                                              const TablePage::Bytes& tableImage) {
  EncodedWrite out;
  out.checks = prepareWrite();
  if (out.checks.outcome != CheckOutcome::Error) writer_.encode(customerImage, tableImage, out);
  return out;
}

std::optional<WriteOutcome> ConfigPageModel::writeToUnit(
    const std::function<void(const std::function<void()>&)>& runDevice) {
  if (sample_) {
    if (services_.presenter != nullptr) {
      // The tool's own message box, titled and marked like its other messages.
      services_.presenter->messageBox(text("STATUS_MESSAGE9"), kStyleInformation);
    }
    return std::nullopt;
  }
  if (!writer_.unitThere()) return std::nullopt;
  writeEnabled_ = false;
  notify(PagePart::Buttons);
  writer_.started();
  if (!writer_.accepted(prepareWrite())) {
    applyButtonsRule();
    return std::nullopt;
  }
  boxes_.fileName.clear();
  boxes_.fileDate.clear();
  notify(PagePart::Boxes);

  // The record names the configuration file the page holds, in full.
  const std::string configFile =
      config_.configFileName.empty() ? std::string() : files_.pathOf(config_.configFileName).string();
  ConfigPageWriter::Run run = writer_.run(fileContent(), pulseRadar(), runDevice, configFile);
  if (run.verified && run.verified->result == 0) {
    const std::int32_t serial = config_.serial;
    start_.apply(*run.verified);
    exact_ = {};
    config_.serial = serial;
    items_.match(true);
  }
  if (run.outcome.serialChanged) notify(PagePart::Identity);
  applyButtonsRule();
  return run.outcome;
}

}  // namespace ostrel

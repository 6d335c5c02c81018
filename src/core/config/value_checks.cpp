#include "core/config/value_checks.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "core/config/advanced_form_model.h"
#include "core/model/model_database.h"
#include "core/support/key_value_file.h"
#include "core/support/language_table.h"
#include "core/support/presenter.h"
#include "core/volume/count_conversion.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"

namespace ostrel {
namespace {

// A maximum is passed only beyond this, so that a value typed at the limit
// and kept as a float a hair above it still passes.
constexpr double kMaxSlack = 0.00005;
// The guided-wave sensor height has no upper limit of its own.
constexpr double kNoCeiling = 999999999.0;
// The smallest length a pulse radar takes.
constexpr double kPulseFloor = 0.01;
constexpr int kPulseDecimals = 2;
// The pulse radar's factors: model limits are in the fourth unit (metres)
// and are shown in the third (feet) unless the second height unit is chosen.
constexpr int kPulseModelUnit = 3;
constexpr int kPulseShownUnit = 2;
constexpr int kPulseMetres = 1;

constexpr std::uint16_t kFirstCurve = 0x0100;
constexpr std::uint16_t kFirstWeir = 0x2000;
constexpr std::uint16_t kLastCurve = 0x5FFF;
constexpr int kStrappingClass = 7;
constexpr double kMaxCount = 65535.0;

struct Range {
  double min = 0.0;
  double max = 0.0;
};

ValueCheckResult finding(CheckOutcome outcome, const char* key, const std::string& name,
                         double limit) {
  const bool error = outcome == CheckOutcome::Error;
  ValueCheckResult r;
  r.outcome = outcome;
  r.headingKey = error ? "ERROR_MESSAGE46" : "ERROR_MESSAGE49";
  r.notice = Notice::message(key, {name, limit}, error ? kStyleError : kStyleInformation);
  return r;
}

// One value against its hard and soft ranges. Written so that a value or a
// limit that is not a number (a broken curve) fails instead of passing.
std::optional<ValueCheckResult> check(double v, Range hard, Range soft, const std::string& name) {
  if (!(v <= hard.max + kMaxSlack)) {
    return finding(CheckOutcome::Error, "ERROR_MESSAGE47", name, hard.max);
  }
  if (!(v >= hard.min)) return finding(CheckOutcome::Error, "ERROR_MESSAGE48", name, hard.min);
  if (!(v <= soft.max + kMaxSlack)) {
    return finding(CheckOutcome::Warning, "ERROR_MESSAGE50", name, soft.max);
  }
  if (!(v >= soft.min)) return finding(CheckOutcome::Warning, "ERROR_MESSAGE51", name, soft.min);
  return std::nullopt;
}

std::optional<ValueCheckResult> check(double v, Range range, const std::string& name) {
  return check(v, range, range, name);
}

bool blank(std::string_view text) { return keyvalue::trimSpace(text).empty(); }

// A box's number, read as the page reads it.
double readBox(std::string_view text) { return NumberRules::read(text); }

const ModelConfiguration* matchedConfiguration(const ModelDatabase& m, int index) {
  const int used = std::max(m.Configurations.Count, m.Configurations.Last + 1);
  if (index < 0 || index >= used || index >= ModelDatabase::kConfigurations) return nullptr;
  const ModelConfiguration& c = m.Configurations[static_cast<std::size_t>(index)];
  return c.Present ? &c : nullptr;
}

class Checker {
 public:
  explicit Checker(const ValueCheckInput& in)
      : model_(*in.model),
        config_(*in.config),
        boxes_(*in.boxes),
        table_(in.table),
        rows_(in.rows),
        independent_(in.independentMode),
        link_(in.model, nullptr),
        units_(in.config->heightUnits),
        fine_(link_.guidedWave() || link_.ugus()),
        floatHeights_(!in.model->NonLinearButtonCaption.empty()),
        countsPerUnit_(link_.levelCountsPerUnit(units_)),
        minRange_(limit(model_.MinRange)),
        maxSensorHeight_(limit(model_.MaxSensorHeight)),
        all_(in.all),
        relayNames_(in.relayNames) {}

  std::optional<ValueCheckResult> pageModel();
  std::optional<ValueCheckResult> pulseRadar();

 private:
  // A model limit (first height unit) in UNITS, rounded to UNITS's decimals.
  double limit(double x) const { return NumberRules::modelValue(x, units_, link_); }

  // What the unit keeps of a value: a float, or a 16-bit count of
  // UNITCONV[UNITS]. A count above 16 bits stays at the largest one, so the
  // value cannot wrap to a small one that passes; a negative count is left
  // as typed for the minimum checks to see.
  double quantised(double v) const {
    if (!std::isfinite(v)) return v;
    if (floatHeights_)
      return std::fabs(v) > FLT_MAX ? v : static_cast<double>(static_cast<float>(v));
    if (!(countsPerUnit_ > 0)) return v;
    const double raw = std::trunc(v * countsPerUnit_ + 0.5);
    if (raw < 0) return v;
    return std::min(raw, kMaxCount) / countsPerUnit_;
  }

  // A box's value as the unit would keep it.
  double take(const std::string& box) const { return quantised(readBox(box)); }
  // A value that passed shown in its box by the display rule of the unit code.
  void reshow(std::string& box, double v, int unitCode) const {
    box = NumberRules::display(v, unitCode, fine_);
  }

  // The largest value the unit keeps for a length: a float on models with
  // a Tanks button (kept to what a box can sensibly show), else the
  // largest 16-bit count.
  double unitCeiling() const {
    if (floatHeights_ || !(countsPerUnit_ > 0)) return kNoCeiling;
    return kMaxCount / countsPerUnit_;
  }
  // A value beyond what the unit keeps, refused under its own box's name.
  std::optional<ValueCheckResult> holds(double v, const std::string& name) const {
    return check(v, {-std::numeric_limits<double>::infinity(), unitCeiling()}, name);
  }

  // A level on a model with a curve reaches the unit as a table count worked
  // out from the double (its float copy aside): made a float first, 142.6
  // would be 142.60000610 and could land one count higher.
  double takeLevel(const std::string& box) const {
    const double typed = readBox(box);
    return floatHeights_ && std::isfinite(typed) ? typed : quantised(typed);
  }

  // A finding ends the run, unless every finding is wanted: then it is
  // kept and the run goes on.
  std::optional<ValueCheckResult> keep(std::optional<ValueCheckResult> f) const {
    if (!f || all_ == nullptr) return f;
    all_->push_back(std::move(*f));
    return std::nullopt;
  }

  // Relay k's ON point (k < 4) or relay k-3's OFF point, as the Relay Set
  // Points dialog names it.
  std::string relayName(std::size_t k) const {
    if (!relayNames_[k].empty()) return relayNames_[k];
    const std::size_t relays = relayNames_.size() / 2;
    return "Relay " + std::to_string(k % relays + 1) + (k < relays ? " ON" : " OFF");
  }

  bool lengthRelayUnits() const { return config_.outputUnits < link_.unitNameCount(); }
  Range outerBounds() const;
  Range volumeBounds() const;
  std::optional<ValueCheckResult> tableFits() const;
  std::optional<ValueCheckResult> levels();
  std::optional<ValueCheckResult> levelOrder(int i, double v, const ModelConfiguration& matched,
                                             Range outer) const;

  const ModelDatabase& model_;
  UnitConfiguration& config_;
  CheckedBoxes& boxes_;
  const VolumeTable* table_;
  const StrappingRows* rows_;
  bool independent_;
  ModelLink link_;
  int units_;
  bool fine_;
  bool floatHeights_;
  double countsPerUnit_;
  double minRange_;
  double maxSensorHeight_;
  double sensorHeight_ = 0.0;  // the sensor height box as checked
  std::vector<ValueCheckResult>* all_;
  std::array<std::string, UnitConfiguration::kIndependentLevels> relayNames_;
};

std::optional<ValueCheckResult> Checker::pageModel() {
  const bool guided = link_.guidedWave();

  sensorHeight_ = take(boxes_.sensorHeight);
  if (!guided) {
    if (auto f = keep(check(sensorHeight_, {0.0, maxSensorHeight_}, "Sensor Height"))) return f;
  }
  if (auto f = keep(holds(sensorHeight_, "Sensor Height"))) return f;
  reshow(boxes_.sensorHeight, sensorHeight_, units_);
  config_.sensorHeight = sensorHeight_;

  const double fill = take(boxes_.fillHeight);
  if (auto f = keep(check(fill, {0.0, sensorHeight_ - minRange_}, "Fill Height"))) return f;
  if (auto f = keep(holds(fill, "Fill Height"))) return f;
  reshow(boxes_.fillHeight, fill, units_);
  config_.fillHeight = fill;

  const double probe = take(boxes_.probeLength);
  if (guided) {
    const double nut = limit(model_.NutOffset);
    const Range probeRange{limit(model_.LowerProbeDeadband) + minRange_ - nut, maxSensorHeight_};
    if (auto f = keep(check(probe, probeRange, "Probe Length"))) return f;
    if (auto f = keep(holds(probe, "Probe Length"))) return f;
    if (auto f = keep(check(sensorHeight_, {probe + nut, kNoCeiling}, "Sensor Height"))) return f;
  }
  reshow(boxes_.probeLength, probe, units_);

  if (auto f = keep(tableFits())) return f;
  if (auto f = levels()) return f;
  return keep(AdvancedFormModel::checkStored(model_, config_));
}

// A table whose scale or offset the table page cannot hold would go to the
// unit as 0 (every value read as 0), and its read-back would still match.
std::optional<ValueCheckResult> Checker::tableFits() const {
  if (table_ == nullptr || TablePage::fits(*table_)) return std::nullopt;
  ValueCheckResult r;
  r.outcome = CheckOutcome::Error;
  r.headingKey = "ERROR_MESSAGE46";
  const std::string value =
      NumberRules::display(TablePage::tooLargeValue(*table_), config_.outputUnits, fine_);
  r.notice = Notice::message("ERROR_MESSAGE140", {value}, kStyleError);
  return r;
}

Range Checker::outerBounds() const {
  if (lengthRelayUnits()) {
    const double top = sensorHeight_ > 0 ? sensorHeight_ : maxSensorHeight_;
    return {0.0, top - minRange_};
  }
  return volumeBounds();
}

// The range a volume or flow output spans: the tank's full value (or what the
// unit can see of it when the sensor sits too low to see the top), or the
// flow at the maximum head.
Range Checker::volumeBounds() const {
  const std::uint16_t shape = config_.shapeCode;
  if (table_ == nullptr) return {0.0, 0.0};
  if (shape >= kFirstWeir && shape <= kLastCurve) {
    return {0.0, static_cast<double>(table_->FlowAt(shape, table_->Dimensions[1]))};
  }
  if (shape < kFirstCurve || shape >= kFirstWeir) {
    // No curve behind a volume unit: only the table as it stands.
    return {0.0, static_cast<double>(table_->FullValue())};
  }
  const bool strapping = (shape >> 8) == kStrappingClass;
  const double lower = strapping && rows_ != nullptr && rows_->RowCount > 0
                           ? static_cast<double>(rows_->Volumes[0])
                           : 0.0;
  const std::size_t heightAt = link_.guidedWave() ? 4 : 3;
  const double tankHeight = NumberRules::round(static_cast<double>(table_->Dimensions[heightAt]),
                                               NumberRules::unitDecimals(units_, fine_));
  if (sensorHeight_ < minRange_ + tankHeight) {
    const double counts = (config_.sensorHeight - minRange_) * countsPerUnit_ + 0.5;
    return {lower, static_cast<double>(table_->ValueAtCounts(levelCounts(counts)))};
  }
  if (strapping) {
    return {lower, rows_ != nullptr ? static_cast<double>(rows_->lastVolume()) : 0.0};
  }
  return {lower, static_cast<double>(table_->FullValue())};
}

std::optional<ValueCheckResult> Checker::levels() {
  if (independent_) {
    Range bounds = outerBounds();
    if (lengthRelayUnits()) bounds = {0.0, sensorHeight_ - minRange_};
    for (std::size_t k = 0; k < config_.independentLevels.size(); ++k) {
      const double point = static_cast<double>(config_.independentLevels[k]);
      if (auto f = keep(check(point, bounds, relayName(k)))) return f;
    }
    return std::nullopt;
  }
  const ModelConfiguration* matched = matchedConfiguration(model_, config_.configurationIndex);
  if (matched == nullptr) return std::nullopt;
  const Range outer = outerBounds();
  for (int i = UnitConfiguration::kLevels - 1; i >= 0; --i) {
    std::string& box = boxes_.levels[static_cast<std::size_t>(i)];
    const double v = blank(box) ? 0.0 : takeLevel(box);
    std::optional<ValueCheckResult> f = levelOrder(i, v, *matched, outer);
    if (!f) f = holds(v, matched->LevelCaptions[static_cast<std::size_t>(i)]);
    if (f) {
      if (all_ == nullptr) return f;
      all_->push_back(std::move(*f));
      continue;
    }
    if (!blank(box)) reshow(box, v, config_.outputUnits);
    config_.levels[static_cast<std::size_t>(i)] = v;
  }
  return std::nullopt;
}

// An alarm level must lie between its alarm neighbours and should lie between
// its relay neighbours; a relay level the other way round. A missing
// neighbour gives way to the outer bound.
std::optional<ValueCheckResult> Checker::levelOrder(int i, double v,
                                                    const ModelConfiguration& matched,
                                                    Range outer) const {
  const std::string& caption = matched.LevelCaptions[static_cast<std::size_t>(i)];
  const LevelKind kind = levelKind(caption);
  if (kind == LevelKind::Unchecked) return std::nullopt;

  auto nearest = [&](LevelKind wanted, int from, int step, double otherwise) {
    for (int j = from; j >= 0 && j < UnitConfiguration::kLevels; j += step) {
      const auto at = static_cast<std::size_t>(j);
      if (levelKind(matched.LevelCaptions[at]) == wanted) return readBox(boxes_.levels[at]);
    }
    return otherwise;
  };
  const Range alarms{nearest(LevelKind::Alarm, i - 1, -1, outer.min),
                     nearest(LevelKind::Alarm, i + 1, 1, outer.max)};
  const Range relays{nearest(LevelKind::Relay, i - 1, -1, outer.min),
                     nearest(LevelKind::Relay, i + 1, 1, outer.max)};
  return kind == LevelKind::Alarm ? check(v, alarms, relays, caption)
                                  : check(v, relays, alarms, caption);
}

std::optional<ValueCheckResult> Checker::pulseRadar() {
  // Limits are in metres; in feet they are shown with two decimals.
  auto factor = [&](int i) {
    const double f = link_.unitFactor(i).value_or(link_.defaultFactor());
    return f > 0 ? f : link_.defaultFactor();
  };
  auto pulseLimit = [&](double x) {
    if (units_ == kPulseMetres) return x;
    return NumberRules::round(x * factor(kPulseModelUnit) / factor(kPulseShownUnit),
                              kPulseDecimals);
  };
  const double minRange = pulseLimit(model_.MinRange);
  const double sensor = readBox(boxes_.sensorHeight);
  const Range sensorRange{kPulseFloor, pulseLimit(model_.MaxSensorHeight)};
  if (auto f = keep(check(sensor, sensorRange, "Sensor Height"))) {
    return f;
  }
  const Range fillRange{kPulseFloor, sensor - minRange};
  if (auto f = keep(check(readBox(boxes_.fillHeight), fillRange, "Fill Height"))) {
    return f;
  }
  if (auto f = keep(check(readBox(boxes_.deadBand), {minRange, sensor}, "Dead Band"))) return f;
  return keep(
      check(readBox(boxes_.maxRange), {kPulseFloor, pulseLimit(model_.MaxRange)}, "Max Range"));
}

}  // namespace

LevelKind levelKind(std::string_view caption) {
  auto has = [&](std::string_view word) { return caption.find(word) != std::string_view::npos; };
  if (has("Hi") || has("Lo")) return LevelKind::Alarm;
  if (has("On") || has("Off")) return LevelKind::Relay;
  return LevelKind::Unchecked;
}

ValueCheckResult runValueChecks(const ValueCheckInput& input) {
  Checker checker(input);
  std::optional<ValueCheckResult> f = input.pulseRadar ? checker.pulseRadar() : checker.pageModel();
  if (f) return std::move(*f);
  if (input.all == nullptr || input.all->empty()) return ValueCheckResult{};
  for (const ValueCheckResult& r : *input.all) {
    if (r.outcome == CheckOutcome::Error) return r;
  }
  return input.all->front();
}

std::string ValueCheckResult::text(const LanguageTable* language, int column) const {
  if (!notice) return {};
  // The heading takes no arguments; the finding fills its own.
  const std::string heading =
      language != nullptr ? language->Text(headingKey, column, headingKey) : headingKey;
  if (!boxName.empty()) return boxName + ": " + notice->text(language, column);
  return heading + notice->text(language, column);
}

int ValueCheckResult::show(Presenter& presenter, const LanguageTable* language, int column) const {
  if (!notice) return kResultOk;
  return presenter.messageBox(text(language, column), notice->style);
}

}  // namespace ostrel

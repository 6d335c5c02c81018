#include "core/config/config_compare.h"

#include <algorithm>

#include "core/config/customer_page.h"
#include "core/model/model_database.h"
#include "core/volume/model_link.h"
#include "core/volume/number_rules.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/shape_class.h"

namespace ostrel {
namespace {

using shape::hasCurve;
using shape::isStrapping;
using shape::isTank;

// Identity, file name and the flags a page derives say nothing about how
// the unit is set up.
bool configures(FieldId id) {
  switch (id) {
    case FieldId::Model:
    case FieldId::Serial:
    case FieldId::FileSerial:
    case FieldId::Firmware:
    case FieldId::SoftwareRevision:
    case FieldId::UnitDescription:
    case FieldId::ModelFileName:
    case FieldId::ConfigFileName:
    case FieldId::ConfigIndex:
    case FieldId::ConfigValid:
    case FieldId::LevelsValid:
      return false;
    default:
      return true;
  }
}

class Comparison {
 public:
  Comparison(const ModelDatabase& m, const ConstConfigRecords& ref, const ConstConfigRecords& other)
      : m_(m), ref_(ref), other_(other), link_(&m, nullptr), r_(*ref.config), o_(*other.config) {
    matched_ = CustomerPage::matchedConfiguration(m, r_.itemChoices);
    independent_ = CustomerPage::independentMode(m, r_.itemChoices[0]);
  }

  std::vector<ConfigDifference> run() {
    for (const ConfigField& f : ConfigFields::all()) {
      if (!configures(f.id) || !(f.keyed || f.id == FieldId::IndependentLevel)) continue;
      for (int i = 0; i < f.count; ++i) {
        if (applies(f, i)) compare(f, i);
      }
    }
    return std::move(out_);
  }

 private:
  bool pulse() const { return m_.PulseRadar != 0; }
  bool fine() const { return m_.GuidedWaveRadar != 0 || m_.Ugus != 0; }
  bool isLength(int code) const { return code >= 0 && code < link_.unitNameCount(); }

  bool applies(const ConfigField& f, int i) const {
    const std::uint16_t shape = r_.shapeCode;
    switch (f.id) {
      case FieldId::ConfigItem: return m_.ConfigItems[static_cast<std::size_t>(i)].Present;
      case FieldId::Advanced:
        return !pulse() && i < m_.AdvancedInputs.used();
      case FieldId::MinFillHeight:
      case FieldId::ProbeLength: return m_.GuidedWaveRadar != 0;
      case FieldId::MaxRange:
      case FieldId::DeadBand: return pulse();
      case FieldId::Level:
        if (independent_ || matched_ < 0) return false;
        return m_.Configurations[static_cast<std::size_t>(matched_)].LevelWords[static_cast<std::size_t>(i)] > 0;
      case FieldId::IndependentLevel: return independent_;
      case FieldId::ShapeCode:
        // With lengths as relay units the table is linear whatever the
        // shape; a write turns "no curve" into the first tank shape.
        return !(isLength(r_.outputUnits) && isLength(o_.outputUnits));
      case FieldId::Dimension: {
        if (!hasCurve(shape) || i >= CustomerPageDecoding::kStoredDimensions) return false;
        // A length output stores only the heights (and a tank's riser).
        return !isLength(r_.outputUnits) || i <= (isTank(shape) ? 2 : 1);
      }
      case FieldId::Row: {
        if (!isStrapping(shape) || ref_.rows == nullptr || other_.rows == nullptr) return false;
        const int rows = std::max(ref_.rows->RowCount, other_.rows->RowCount);
        return i < std::clamp(rows, 0, StrappingRows::kCapacity);
      }
      default:
        break;
    }
    if (f.home == ConfigField::Home::Radar) {
      return pulse() && ref_.radar != nullptr && other_.radar != nullptr;
    }
    return true;
  }

  int heightDecimals() const {
    if (pulse()) return r_.heightUnits == 0 ? 2 : 3;
    return NumberRules::unitDecimals(r_.heightUnits, fine());
  }

  int decimals(const ConfigField& f, int i) const {
    switch (f.decimals) {
      case ConfigField::Decimals::Height: return heightDecimals();
      case ConfigField::Decimals::Output:
        return isLength(r_.outputUnits) ? heightDecimals()
                                        : NumberRules::unitDecimals(r_.outputUnits, fine());
      case ConfigField::Decimals::Dimension:
        return isTank(r_.shapeCode) || i < 2 ? heightDecimals() : 6;
      case ConfigField::Decimals::Three: return 3;
      case ConfigField::Decimals::One: return 1;
      case ConfigField::Decimals::None: break;
    }
    return 6;
  }

  // Factor that takes a length of the other record into the reference's
  // height units.
  double heightFactor() const {
    return link_.levelCountsPerUnit(o_.heightUnits) / link_.levelCountsPerUnit(r_.heightUnits);
  }

  double converted(const ConfigField& f, int i, double v) const {
    switch (f.units) {
      case ConfigField::Units::Height:
        if (f.id == FieldId::Dimension && !(isTank(r_.shapeCode) || i < 2)) return v;
        return v * heightFactor();
      case ConfigField::Units::Output:
        if (!isLength(r_.outputUnits) || !isLength(o_.outputUnits)) return v;
        return v * link_.levelCountsPerUnit(o_.outputUnits) /
               link_.levelCountsPerUnit(r_.outputUnits);
      case ConfigField::Units::None: break;
    }
    return v;
  }

  std::string text(const ConfigField& f, int i, const ConfigValue& v) const {
    const int n = decimals(f, i);
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* k = std::get_if<std::int64_t>(&v)) return std::to_string(*k);
    if (const auto* x = std::get_if<double>(&v)) return NumberRules::formatTrimmed(*x, n);
    if (const auto* a = std::get_if<AdvancedEntry>(&v)) {
      return a->set ? NumberRules::formatTrimmed(a->value, n) : std::string("not set");
    }
    const auto& row = std::get<StrapRow>(v);
    return NumberRules::formatTrimmed(row.level, n) + "," + NumberRules::formatTrimmed(row.volume, n);
  }

  void compare(const ConfigField& f, int i) {
    const ConfigValue a = ConfigFields::get(ref_, f.id, i);
    ConfigValue b = ConfigFields::get(other_, f.id, i);
    if (auto* x = std::get_if<double>(&b)) *x = converted(f, i, *x);
    if (auto* row = std::get_if<StrapRow>(&b)) row->level *= heightFactor();
    const std::string at = text(f, i, a);
    const std::string bt = text(f, i, b);
    if (at == bt) return;
    ConfigDifference d;
    d.field = f.id;
    d.key = f.key;
    d.index = i;
    d.indexed = f.indexed;
    d.reference = a;
    d.other = b;
    d.referenceText = at;
    d.otherText = bt;
    out_.push_back(std::move(d));
  }

  const ModelDatabase& m_;
  const ConstConfigRecords& ref_;
  const ConstConfigRecords& other_;
  ModelLink link_;
  const UnitConfiguration& r_;
  const UnitConfiguration& o_;
  int matched_ = -1;
  bool independent_ = false;
  std::vector<ConfigDifference> out_;
};

}  // namespace

std::vector<ConfigDifference> ConfigCompare::differences(const ModelDatabase& model,
                                                         const ConstConfigRecords& reference,
                                                         const ConstConfigRecords& other) {
  if (reference.config == nullptr || other.config == nullptr) return {};
  return Comparison(model, reference, other).run();
}

}  // namespace ostrel

#include "core/volume/strapping_grid.h"

#include <algorithm>
#include <cctype>

#include "core/model/model_database.h"
#include "core/model/structure_data.h"
#include "core/volume/number_rules.h"
#include "core/volume/number_text.h"
#include "core/volume/structure_file.h"

namespace ostrel {
namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

StrappingGrid::StrappingGrid(const ModelLink& link, int dimensionUnit, int outputUnit,
                             const VolumeTable& table, const StrappingRows& rows)
    : link_(link), dimensionUnit_(dimensionUnit), outputUnit_(outputUnit) {
  const bool fine = fineUnits();
  const auto shown = [&](std::size_t d) {
    return NumberRules::display(static_cast<double>(table.Dimensions[d]), dimensionUnit_, fine);
  };
  // A tank height not entered yet starts at the fill height.
  const std::size_t heightAt = guidedWave() ? 4 : 3;
  const std::size_t tankFrom = table.Dimensions[heightAt] <= 0.0f ? 1 : heightAt;
  fields_[index(Field::SensorHeight)] = shown(0);
  fields_[index(Field::FillHeight)] = shown(1);
  fields_[index(Field::TankHeight)] = shown(tankFrom);
  if (guidedWave()) {
    fields_[index(Field::MinFillHeight)] = shown(2);
    fields_[index(Field::ProbeLength)] = shown(3);
  } else {
    fields_[index(Field::RiserHeight)] = shown(2);
  }

  // Header lists: the model's length units; the structure's units after them.
  const int lengths = link_.unitNameCount();
  for (int i = 0; i < lengths; ++i) {
    levelNames_.push_back(link_.model()->UnitNames[static_cast<std::size_t>(i)]);
  }
  if (dimensionUnit_ >= 0 && dimensionUnit_ < lengths) {
    levelText_ = levelNames_[static_cast<std::size_t>(dimensionUnit_)];
  } else if (!levelNames_.empty()) {
    levelText_ = levelNames_.front();
  }
  const int straps = strapUnitCount();
  for (int p = lengths; p < straps; ++p) {
    const StructureUnit& unit = link_.structure()->Units[static_cast<std::size_t>(p)];
    volumeNames_.push_back(unit.Name);
    if (volumeText_.empty() && outputUnit >= lengths && unit.Code == outputUnit) {
      volumeText_ = unit.Name;
    }
  }
  if (volumeText_.empty() && !volumeNames_.empty()) volumeText_ = volumeNames_.front();

  // The grid keeps every pair the record holds: configuration files carry
  // up to 32, and a form that showed 16 would drop the rest on OK.
  const int n = std::clamp(rows.RowCount, 0, StrappingRows::kCapacity);
  maxPairs_ = std::max(kFormPairs, n);
  rowsValue_ = maxPairs_ + 1;
  cells_.resize(static_cast<std::size_t>(maxPairs_));
  const int volumeDecimals = NumberRules::unitDecimals(outputUnit_, fine);
  for (int i = 0; i < n; ++i) {
    const float level = rows.Levels[static_cast<std::size_t>(i)];
    const float volume = rows.Volumes[static_cast<std::size_t>(i)];
    if (i > 0 && level == 0.0f && volume == 0.0f) break;
    at(i + 1, kLevelColumn).text = levelText(static_cast<double>(level));
    at(i + 1, kVolumeColumn).text =
        NumberRules::formatTrimmed(static_cast<double>(volume), volumeDecimals);
  }
  // The first level is the tank's bottom.
  Cell& bottom = at(1, kLevelColumn);
  bottom.text = "0.0";
  bottom.readOnly = true;
  bottom.colour = Colour::ButtonFace;

  outputUnit_ = unitCode(volumeText_);
}

const StrappingGrid::Cell& StrappingGrid::cell(int row, int column) const {
  return cells_.at(static_cast<std::size_t>(row - 1)).at(static_cast<std::size_t>(column - 1));
}

StrappingGrid::Cell& StrappingGrid::at(int row, int column) {
  return cells_.at(static_cast<std::size_t>(row - 1)).at(static_cast<std::size_t>(column - 1));
}

int StrappingGrid::strapUnitCount() const {
  const StructureData* s = link_.structure();
  if (s == nullptr) return 0;
  return std::clamp(std::max(s->StrapUnitCount, s->StrapUnitLast + 1), 0, StructureData::kUnits);
}

std::string StrappingGrid::levelText(double x) const {
  return NumberRules::formatTrimmed(x, NumberRules::unitDecimals(dimensionUnit_, fineUnits()));
}

void StrappingGrid::beginEdit(int row, int column) {
  Cell& c = at(row, column);
  if (!c.readOnly) c.colour = Colour::White;
}

std::optional<FormFailure> StrappingGrid::endEdit(int row, int column, const std::string& text) {
  Cell& c = at(row, column);
  if (c.readOnly) return std::nullopt;
  c.text = text;
  auto failure = StrappingFormCheck::cell(text, column, field(Field::TankHeight));
  c.colour = failure ? Colour::Red : Colour::White;
  return failure;
}

void StrappingGrid::setRows(int v) {
  if (v < 2 || v > maxPairs_) return;
  rowsValue_ = v;
  cells_.resize(static_cast<std::size_t>(v));
}

void StrappingGrid::chooseLevelUnit(const std::string& name) {
  const int from = dimensionUnit_;
  const int to = unitCode(name);
  levelText_ = name;
  dimensionUnit_ = to;
  const double factor = link_.levelCountsPerUnit(from) / link_.levelCountsPerUnit(to);
  for (std::string& f : fields_) {
    // A field that is not one number stays as typed, for OK to refuse.
    if (!f.empty() && !NumberText::isOneNumber(f, false)) continue;
    f = NumberRules::display(NumberRules::read(f) * factor, to, fineUnits());
  }
  for (int row = 2; row <= pairRows(); ++row) {
    Cell& c = at(row, kLevelColumn);
    // A text that is no number stays as typed (and red).
    if (!NumberText::isOneNumber(c.text, false)) continue;
    c.text = levelText(NumberRules::read(c.text) * factor);
  }
}

void StrappingGrid::chooseVolumeUnit(const std::string& name) {
  volumeText_ = name;
  outputUnit_ = unitCode(name);
}

int StrappingGrid::unitCode(const std::string& name) const {
  const int straps = strapUnitCount();
  for (int p = 0; p < straps; ++p) {
    const StructureUnit& unit = link_.structure()->Units[static_cast<std::size_t>(p)];
    if (sameIgnoringCase(unit.Name, name)) return unit.Code;
  }
  return 0;
}

StrappingFormInput StrappingGrid::input() const {
  StrappingFormInput in;
  in.sensorHeight = field(Field::SensorHeight);
  in.fillHeight = field(Field::FillHeight);
  in.riserHeight = field(Field::RiserHeight);
  in.tankHeight = field(Field::TankHeight);
  in.minFillHeight = field(Field::MinFillHeight);
  in.probeLength = field(Field::ProbeLength);
  for (const auto& row : cells_) in.rows.emplace_back(row[0].text, row[1].text);
  in.dimensionUnit = dimensionUnit_;
  in.outputUnit = outputUnit_;
  return in;
}

VolumeTable StrappingGrid::linked(const VolumeTable& pageTable) const {
  VolumeTable t = pageTable;
  t.Link = link_;
  return t;
}

FormResult<StrappingFormOutcome> StrappingGrid::ok(const VolumeTable& pageTable) const {
  return StrappingFormCheck::ok(input(), linked(pageTable));
}

FormResult<StrappingFormOutcome> StrappingGrid::preview(const VolumeTable& pageTable) const {
  auto result = StrappingFormCheck::build(input(), linked(pageTable));
  result.value.table.StructureName = "Strapping Table";
  return result;
}

std::array<StrappingGrid::FieldLabel, StrappingGrid::kFields> StrappingGrid::fieldLabels() const {
  const bool guided = guidedWave();
  return {{
      {Field::SensorHeight, "IDC_SHLABEL_ST", "Sensor Height", true},
      {Field::FillHeight, guided ? "IDC_MAXFHLABEL_ST" : "IDC_FHLABEL_ST",
       guided ? "Max Fill Height (F)" : "Fill Height (F)", true},
      {Field::RiserHeight, "IDC_RHLABEL_ST", "Riser Height", !guided},
      {Field::MinFillHeight, "IDC_MINFHLABEL_ST", "Min Fill Height", guided},
      {Field::ProbeLength, "IDC_PLLABEL_ST", "Probe Length (P)", guided},
      {Field::TankHeight, "IDC_THLABEL_ST", "Tank Height (H)", true},
  }};
}

namespace {
int structureOf(const StructureData* structures, std::uint16_t shape) {
  if (structures == nullptr) return -1;
  const int s = StructureFile::structureIndex(*structures, shape);
  return s >= 0 && s < StructureData::kStructures ? s : -1;
}
}  // namespace

std::string StrappingGrid::picture(std::uint16_t shape) const {
  const int s = structureOf(link_.structure(), shape);
  if (s < 0) return {};
  const StructureData& d = *link_.structure();
  return (guidedWave() ? d.RadarNonLinearImages : d.NonLinearImages)[static_cast<std::size_t>(s)];
}

std::string StrappingGrid::caption(std::uint16_t shape) const {
  const int s = structureOf(link_.structure(), shape);
  return s < 0 ? std::string() : link_.structure()->TitleCaptions[static_cast<std::size_t>(s)];
}

}  // namespace ostrel

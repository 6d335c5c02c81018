#include "core/volume/dimension_form_model.h"

#include <algorithm>
#include <charconv>

#include "core/model/model_database.h"
#include "core/model/structure_data.h"
#include "core/volume/guided_wave_span.h"
#include "core/volume/number_rules.h"
#include "core/volume/number_text.h"
#include "core/volume/structure_file.h"

namespace ostrel {
namespace {

std::vector<std::string> splitCaptions(const std::string& text) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  std::size_t start = 0;
  while (pieces.size() < DimensionFormModel::kFields) {
    const std::size_t comma = text.find(',', start);
    pieces.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return pieces;
}

std::string threeDecimals(double x) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 3);
  return std::string(buf, r.ec == std::errc() ? r.ptr : buf);
}

}  // namespace

DimensionFormModel::DimensionFormModel(std::uint16_t shape, const ModelLink& link,
                                       const DimensionFormStart& start,
                                       const VolumeTable& pageTable)
    : shape_(shape), link_(link), invertedLoop_(start.invertedLoop) {
  const StructureData* data = link_.structure();
  if (data != nullptr) {
    const int s = StructureFile::structureIndex(*data, shape_);
    structure_ = s >= 0 && s < StructureData::kStructures ? s : -1;
  }
  if (structure_ >= 0) {
    const auto& captions = link_.guidedWave()   ? data->RadarDimensionCaptions
                           : link_.pulseRadar() ? data->PulseDimensionCaptions
                                                : data->DimensionCaptions;
    captions_ = splitCaptions(captions[static_cast<std::size_t>(structure_)]);
  }
  dimensionUnit_ = start.dimensionUnit;
  outputUnit_ = start.outputUnit;

  const int n = fieldsInUse();
  for (int j = 0; j < n; ++j) {
    at(j) = NumberRules::display(pageTable.Dimensions[static_cast<std::size_t>(j)],
                                 dimensionUnit_, fine());
  }
  const bool sameShape = start.storedShape == shape_;
  if (!sameShape) {
    // A new shape starts from the heights alone.
    for (int j = radar() ? 4 : 2; j < kFields; ++j) at(j).clear();
    if (!radar()) at(2) = "0.0";
  }
  if (pageTable.Dimensions[static_cast<std::size_t>(heightIndex())] <= 0) {
    at(heightIndex()) = at(1);
  }
  adjust_ = pageTable.Dimensions[9] != 0 && sameShape;
  if (adjust_) capacity_ = NumberRules::display(pageTable.Dimensions[10], outputUnit_, fine());

  const int units = unitCount();
  for (int i = 0; i < units; ++i) {
    distanceNames_.push_back(link_.model()->UnitNames[static_cast<std::size_t>(i)]);
  }
  for (int i = units; i < link_.unitListLength(); ++i) {
    volumeNames_.push_back(data->Units[static_cast<std::size_t>(i)].Name);
  }
  volumeMode_ = outputUnit_ >= 32;
  if (outputUnit_ >= 32 && outputUnit_ <= 63) {
    const int p = link_.position(outputUnit_);
    volumeIndex_ = p >= units ? p - units : 0;
    distanceIndex_ = dimensionUnit_;
  } else {
    distanceIndex_ = outputUnit_;
  }
  applyMode();
}

std::string DimensionFormModel::title() const {
  if (structure_ < 0) return {};
  return link_.structure()->TitleCaptions[static_cast<std::size_t>(structure_)];
}

std::string DimensionFormModel::caption(int j) const {
  return j >= 0 && j < fieldsInUse() ? captions_[static_cast<std::size_t>(j)] : std::string();
}

void DimensionFormModel::setField(int j, std::string text) {
  if (j < 0 || j >= kFields) return;
  at(j) = std::move(text);
  if (j == 0 || j == 3) refreshLowestLevel();
}

bool DimensionFormModel::fieldVisible(int j) const {
  return TankFormCheck::fieldVisible(j, input(), radar());
}

bool DimensionFormModel::fieldEnabled(int j) const {
  return !(j == 2 && guidedWave() && !volumeMode_);
}

int DimensionFormModel::codeAt(int position) const {
  if (position < 0 || position >= link_.unitListLength()) return -1;
  return link_.structure()->Units[static_cast<std::size_t>(position)].Code;
}

void DimensionFormModel::chooseVolumeMode(bool volume) {
  volumeMode_ = volume;
  applyMode();
}

void DimensionFormModel::applyMode() {
  if (volumeMode_) {
    const int code = codeAt(volumeIndex_ + unitCount());
    if (code >= 0) outputUnit_ = code;
  } else {
    // The dimension unit follows the distance unit.
    const int code = codeAt(dimensionUnit_);
    outputUnit_ = code >= 0 ? code : dimensionUnit_;
    distanceIndex_ = dimensionUnit_;
    refreshLowestLevel();
  }
}

void DimensionFormModel::chooseDistanceUnit(int index) {
  if (index < 0 || index >= static_cast<int>(distanceNames_.size())) return;
  const int code = codeAt(index);
  outputUnit_ = code >= 0 ? code : index;
  distanceIndex_ = index;
  convertFields(dimensionUnit_, index);
  dimensionUnit_ = index;
  refreshLowestLevel();
}

void DimensionFormModel::chooseVolumeUnit(int index) {
  if (index < 0 || index >= static_cast<int>(volumeNames_.size())) return;
  volumeIndex_ = index;
  const int code = codeAt(index + unitCount());
  if (code >= 0) outputUnit_ = code;
}

void DimensionFormModel::chooseDimensionUnit(int unit) {
  if (unit < 0 || unit >= unitCount() || unit == dimensionUnit_) return;
  convertFields(dimensionUnit_, unit);
  dimensionUnit_ = unit;
}

void DimensionFormModel::convertFields(int from, int to) {
  for (std::string& text : fields_) {
    // A text that is not one number stays as typed, for OK to refuse.
    if (NumberText::isOneNumber(text, false)) {
      text = NumberRules::convertField(text, from, to, link_);
    }
  }
}

double DimensionFormModel::lowestLevel() const {
  return GuidedWaveSpan::lowestLevel(NumberRules::read(field(0)), NumberRules::read(field(3)),
                                     dimensionUnit_, link_);
}

void DimensionFormModel::refreshLowestLevel() {
  if (!guidedWave() || volumeMode_) return;
  at(2) = NumberRules::display(lowestLevel(), dimensionUnit_, fine());
}

std::string DimensionFormModel::picture() const {
  if (structure_ < 0) return {};
  const StructureData& d = *link_.structure();
  const auto& images = volumeMode_ ? (guidedWave() ? d.RadarNonLinearImages : d.NonLinearImages)
                                   : (radar() ? d.RadarDistanceImages : d.DistanceImages);
  return images[static_cast<std::size_t>(structure_)];
}

const char* DimensionFormModel::helpTopic() const {
  return guidedWave() ? "DIMENSIONENTRY_GWR.htm" : "DIMENSIONENTRY.htm";
}

TankFormInput DimensionFormModel::input() const {
  TankFormInput in;
  in.fields = fields_;
  in.fieldsInUse = fieldsInUse();
  in.volumeMode = volumeMode_;
  in.adjustCapacity = adjust_;
  in.capacity = capacity_;
  in.shape = shape_;
  in.dimensionUnit = dimensionUnit_;
  in.outputUnit = outputUnit_;
  return in;
}

std::optional<FormFailure> DimensionFormModel::checkFields() const {
  const TankFormInput in = input();
  if (auto failure = TankFormCheck::checkFields(in, radar())) return failure;
  for (int j = 0; j < kFields; ++j) {
    if (fieldVisible(j) && !NumberText::isOneNumber(field(j), false)) {
      return FormFailure::message("ERROR_MESSAGE121", {field(j)});
    }
  }
  if (capacityEnabled() && !capacity_.empty() && !NumberText::isOneNumber(capacity_, false)) {
    return FormFailure::message("ERROR_MESSAGE121", {capacity_});
  }
  return std::nullopt;
}

VolumeTable DimensionFormModel::linked(const VolumeTable& pageTable) const {
  VolumeTable table = pageTable;
  table.Link = link_;
  table.StructureName = title();
  return table;
}

std::optional<FormFailure> DimensionFormModel::computeCapacity(const VolumeTable& pageTable) {
  if (auto failure = checkFields()) return failure;
  const FormResult<VolumeTable> built = TankFormCheck::build(input(), linked(pageTable));
  if (!built.ok()) return built.failure;
  const double c = built.value.CapacityOrUserValue(shape_, dimensionUnit_, outputUnit_);
  capacityResult_ = NumberRules::display(c, outputUnit_, fine());
  capacity_ = adjust_ ? capacityResult_ : std::string();
  return std::nullopt;
}

std::optional<FormFailure> DimensionFormModel::computeMinCurrent(const VolumeTable& pageTable) {
  if (auto failure = checkFields()) return failure;
  const FormResult<VolumeTable> built = TankFormCheck::build(input(), linked(pageTable));
  if (!built.ok()) return built.failure;
  const VolumeTable& t = built.value;
  const double level = std::max(NumberRules::read(field(2)), lowestLevel());
  const double v = t.VolumeAtLevel(shape_, dimensionUnit_, outputUnit_, level);
  const double c = t.CapacityOrUserValue(shape_, dimensionUnit_, outputUnit_);
  // Without a capacity there is no current to show, only the reason.
  if (!(c > 0)) return FormFailure::message("ERROR_MESSAGE125");
  minCurrent_ = threeDecimals(GuidedWaveSpan::currentAt(v, c, invertedLoop_));
  minVolume_ = threeDecimals(v);
  return std::nullopt;
}

FormResult<VolumeTable> DimensionFormModel::preview(const VolumeTable& pageTable) const {
  FormResult<VolumeTable> result = TankFormCheck::build(input(), linked(pageTable));
  result.value.StructureName = title();
  return result;
}

double DimensionFormModel::topLevel() const {
  return NumberRules::read(field(volumeMode_ ? heightIndex() : 0));
}

FormResult<VolumeTable> DimensionFormModel::ok(const VolumeTable& pageTable) const {
  if (auto failure = checkFields()) return FormResult<VolumeTable>::fail(*failure);
  return TankFormCheck::ok(input(), linked(pageTable));
}

}  // namespace ostrel

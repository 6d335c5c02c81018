#include "core/config/tanks_sequence.h"

#include "core/model/model_database.h"
#include "core/volume/model_link.h"
#include "core/volume/shape_class.h"
#include "core/volume/structure_file.h"

namespace ostrel {

TanksSequence::Start TanksSequence::begin(std::uint16_t current, const Heights& heights) {
  // A pass that a form's "Tanks" button asked for keeps what the first pass
  // saved: the page as it was before the whole sequence.
  if (!saved_) saved_ = Saved{*parts_.volume, *parts_.strapping, *parts_.structures};
  heights_ = heights;
  Start start;
  start.firstPage = shape::isWeir(current) ? 2 : shape::isFlume(current) ? 1 : 0;
  const bool back = back_;
  back_ = false;
  start.shape = back && lastPick_ != 0 ? lastPick_ : current;
  start.showPicker = back || !shape::hasCurve(current);
  parts_.volume->Link = ModelLink(parts_.model, parts_.structures);
  if (!start.showPicker) {
    loadStructureList(current);
    heightsInto(current);
  }
  return start;
}

void TanksSequence::pickerChose(std::uint16_t shape) {
  lastPick_ = shape;
  loadStructureList(shape);
  heightsInto(shape);
}

TanksSequence::Form TanksSequence::formFor(std::uint16_t code) {
  if (shape::isStrapping(code)) return Form::Strapping;
  if (shape::isTank(code)) return Form::Tank;
  if (shape::isFlow(code)) return Form::Flow;
  return Form::None;
}

bool TanksSequence::tableCarriesHeights(std::uint16_t code) { return !shape::isFlow(code); }

void TanksSequence::cancelled(bool backToShapes) {
  if (backToShapes) back_ = true;
}

void TanksSequence::applied() { saved_.reset(); }

void TanksSequence::end() {
  if (back_ || !saved_) return;
  *parts_.volume = saved_->volume;
  *parts_.strapping = saved_->strapping;
  *parts_.structures = saved_->structures;
  saved_.reset();
}

void TanksSequence::heightsInto(std::uint16_t code) {
  VolumeTable& t = *parts_.volume;
  t.Dimensions[0] = static_cast<float>(heights_.sensor);
  t.Dimensions[1] = static_cast<float>(heights_.fill);
  if (!tableCarriesHeights(code)) return;
  if (heights_.third) t.Dimensions[2] = static_cast<float>(*heights_.third);
  if (heights_.fourth) t.Dimensions[3] = static_cast<float>(*heights_.fourth);
}

void TanksSequence::loadStructureList(std::uint16_t code) {
  StructureFile::load(*parts_.model, parts_.modelsFolder, code, *parts_.structures);
  parts_.volume->Link = ModelLink(parts_.model, parts_.structures);
}

}  // namespace ostrel

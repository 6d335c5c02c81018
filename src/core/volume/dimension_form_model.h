#pragma once
// The tank form's own state ("Dimensional Inputs"): the ten dimension
// fields with their captions, distance or volume mode, the three unit
// lists, capacity and its adjustment, and the guided-wave minimum current.
// The dialog draws this state and forwards the user's actions; the checks
// and the builds are TankFormCheck's.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/volume/form_failure.h"
#include "core/volume/model_link.h"
#include "core/volume/tank_form_check.h"
#include "core/volume/volume_table.h"

namespace ostrel {

// What the form is opened with: the configuration's NLTYPE, UNITS and
// OUTPUT, and whether its loop current runs from 20 mA down (CONFIG[1] 2).
struct DimensionFormStart {
  std::uint16_t storedShape = 0xFFFF;
  int dimensionUnit = 0;
  int outputUnit = 0;
  bool invertedLoop = false;
};

class DimensionFormModel {
 public:
  static constexpr int kFields = 10;

  // shape: the tank code the form works on. The structure data behind the
  // link must hold the tanks' structure list.
  DimensionFormModel(std::uint16_t shape, const ModelLink& link, const DimensionFormStart& start,
                     const VolumeTable& pageTable);

  const ModelLink& link() const { return link_; }
  std::uint16_t shape() const { return shape_; }
  int structure() const { return structure_; }
  bool radar() const { return link_.radar(); }
  bool guidedWave() const { return link_.guidedWave(); }
  int heightIndex() const { return radar() ? 4 : 3; }
  // TITLECAPTIONS of the structure ("" when the shape is not listed).
  std::string title() const;

  // Fields in use and their captions.
  int fieldsInUse() const { return static_cast<int>(captions_.size()); }
  std::string caption(int j) const;
  const std::string& field(int j) const { return fields_[static_cast<std::size_t>(j)]; }
  // A typed text. D0 and D3 keep the guided-wave D2 of distance mode current.
  void setField(int j, std::string text);
  bool fieldVisible(int j) const;
  bool fieldEnabled(int j) const;

  bool volumeMode() const { return volumeMode_; }
  void chooseVolumeMode(bool volume);

  const std::vector<std::string>& distanceUnitNames() const { return distanceNames_; }
  const std::vector<std::string>& volumeUnitNames() const { return volumeNames_; }
  int distanceIndex() const { return distanceIndex_; }
  int volumeIndex() const { return volumeIndex_; }
  int dimensionUnit() const { return dimensionUnit_; }
  int outputUnit() const { return outputUnit_; }
  bool dimensionUnitListEnabled() const { return volumeMode_; }
  void chooseDistanceUnit(int index);
  void chooseVolumeUnit(int index);
  // The dimension unit (volume mode): each number other than 0 is converted.
  void chooseDimensionUnit(int unit);

  bool adjustCapacity() const { return adjust_; }
  void setAdjustCapacity(bool on) { adjust_ = on; }
  const std::string& capacity() const { return capacity_; }
  void setCapacity(std::string text) { capacity_ = std::move(text); }
  bool capacityEnabled() const { return volumeMode_ && adjust_; }
  const std::string& capacityResult() const { return capacityResult_; }
  const std::string& minCurrent() const { return minCurrent_; }
  const std::string& minVolume() const { return minVolume_; }

  // The picture file for the mode, "" when none.
  std::string picture() const;
  // The help topic of the form.
  const char* helpTopic() const;

  TankFormInput input() const;
  // Steps 1-2 of OK: text in every shown field, each one number.
  std::optional<FormFailure> checkFields() const;
  // "Capacity": the result box and, when adjusting, the capacity box.
  std::optional<FormFailure> computeCapacity(const VolumeTable& pageTable);
  // "Min Current/Volume" (guided-wave models).
  std::optional<FormFailure> computeMinCurrent(const VolumeTable& pageTable);
  // "View Curve": the table the inputs give, named after the structure, and
  // the level at the right end of its axis.
  FormResult<VolumeTable> preview(const VolumeTable& pageTable) const;
  double topLevel() const;
  // OK: every check, then the table the page keeps.
  FormResult<VolumeTable> ok(const VolumeTable& pageTable) const;

 private:
  std::string& at(int j) { return fields_[static_cast<std::size_t>(j)]; }
  bool fine() const { return link_.guidedWave() || link_.ugus(); }
  int unitCount() const { return link_.unitNameCount(); }
  int codeAt(int position) const;
  void applyMode();
  void convertFields(int from, int to);
  double lowestLevel() const;
  void refreshLowestLevel();
  VolumeTable linked(const VolumeTable& pageTable) const;

  std::uint16_t shape_;
  ModelLink link_;
  int structure_ = -1;
  bool invertedLoop_ = false;
  std::vector<std::string> captions_;
  std::array<std::string, kFields> fields_{};
  std::vector<std::string> distanceNames_;
  std::vector<std::string> volumeNames_;
  int distanceIndex_ = 0;
  int volumeIndex_ = 0;
  int dimensionUnit_ = 0;
  int outputUnit_ = 0;
  bool volumeMode_ = false;
  bool adjust_ = false;
  std::string capacity_;
  std::string capacityResult_;
  std::string minCurrent_;
  std::string minVolume_;
};

}  // namespace ostrel

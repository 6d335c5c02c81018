#pragma once
// The weir and flume form's own state ("Formula Entry"): the fields D0..D9
// with their captions, flow or distance mode, the distance and flow unit
// lists with the dimension unit that follows them, and the coefficient set
// list. The dialog draws this state and forwards the user's actions; the
// checks and the builds are FlowFormCheck's.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/volume/flow_form_check.h"
#include "core/volume/form_failure.h"
#include "core/volume/model_link.h"
#include "core/volume/volume_table.h"

namespace ostrel {

// The configuration's NLTYPE, UNITS and OUTPUT as the form opens.
struct FormulaFormStart {
  std::uint16_t storedShape = 0xFFFF;
  int dimensionUnit = 0;
  int outputUnit = 64;
};

class FormulaFormModel {
 public:
  static constexpr int kFields = 10;

  // shape: the weir or flume code, its low byte the set loaded before. The
  // structure data behind the link must hold the shape's structure list.
  FormulaFormModel(std::uint16_t shape, const ModelLink& link, const FormulaFormStart& start,
                   const VolumeTable& pageTable);

  const ModelLink& link() const { return link_; }
  std::uint16_t shape() const { return shape_; }
  int structure() const { return structure_; }
  std::string title() const;
  // The set list's label (AUTOEQACAPTIONS).
  std::string setLabel() const;

  int fieldsInUse() const { return static_cast<int>(captions_.size()); }
  std::string caption(int j) const;
  const std::string& field(int j) const { return fields_[static_cast<std::size_t>(j)]; }
  void setField(int j, std::string text);
  bool fieldVisible(int j) const;

  bool flowMode() const { return flowMode_; }
  void chooseFlowMode(bool flow);

  const std::vector<std::string>& distanceUnitNames() const { return distanceNames_; }
  const std::vector<std::string>& flowUnitNames() const { return flowNames_; }
  int distanceIndex() const { return distanceIndex_; }
  int flowIndex() const { return flowIndex_; }
  int dimensionUnit() const { return dimensionUnit_; }
  int outputUnit() const { return outputUnit_; }
  // The name the unit box shows.
  std::string dimensionUnitName() const;
  void chooseDistanceUnit(int index);
  // Also a change between CFS and LS lists: the coefficients go.
  void chooseFlowUnit(int index);

  const std::vector<std::string>& setNames() const { return setNames_; }
  int selectedSet() const { return selectedSet_; }
  // Set k of the list: its coefficients fill D1..; 0 (manual entry) keeps them.
  void chooseSet(int k);

  const std::string& maxFlowResult() const { return maxFlow_; }
  std::string picture() const;
  static const char* helpTopic() { return "OPENCHANNEL.htm"; }

  FlowFormInput input() const;
  std::optional<FormFailure> checkFields() const;
  // "Max Flow Rate": the flow at the maximum head D1. A table that cannot be
  // built is told, and the flow is still shown.
  std::optional<FormFailure> computeMaxFlow(const VolumeTable& pageTable);
  // "View Curve": the table the inputs give, named after the structure.
  FormResult<FlowFormOutcome> preview(const VolumeTable& pageTable) const;
  // OK: the checks and the build; the outcome's shape carries the set.
  FormResult<FlowFormOutcome> ok(const VolumeTable& pageTable) const;

 private:
  std::string& at(int j) { return fields_[static_cast<std::size_t>(j)]; }
  bool fine() const { return link_.guidedWave() || link_.ugus(); }
  int unitCount() const { return link_.unitNameCount(); }
  int codeAt(int position) const;
  std::string nameAt(int position) const;
  static int flowDimensionUnit(int outputUnit);
  void applyFlowUnit();
  void applyDistanceMode();
  void convertHeights(int from, int to);
  void refillSets(std::uint16_t shape);
  VolumeTable linked(const VolumeTable& pageTable) const;

  std::uint16_t shape_;
  ModelLink link_;
  int structure_ = -1;
  std::vector<std::string> captions_;
  std::array<std::string, kFields> fields_{};
  std::vector<std::string> distanceNames_;
  std::vector<std::string> flowNames_;
  int distanceIndex_ = 0;
  int flowIndex_ = 0;
  int dimensionUnit_ = 0;
  int outputUnit_ = 64;
  bool flowMode_ = true;
  std::vector<std::string> setNames_;
  int selectedSet_ = 0;
  std::string maxFlow_;
};

}  // namespace ostrel

#pragma once
// "Dimensional Inputs", the tank form: the output as a distance or a
// volume, the tank's dimensions in a chosen unit beside the shape's
// picture, the capacity (computed or the user's own) and, for guided-wave
// models, the loop current at the lowest measurable volume. The rules live
// in DimensionFormModel; this dialog draws it and forwards the user's
// actions. OK builds the page's table; Cancel and "Tanks" change nothing.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/volume/dimension_form_model.h"
#include "gui/volume/c_structure_form.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ostrel {

class CDimensionForm : public CStructureForm {
  Q_OBJECT

 public:
  // shape: a tank code (classes 1..31 but 7). The tanks' structure list
  // must be loaded into services.records.Structures.
  CDimensionForm(std::uint16_t shape, VolumeFormServices services, QWidget* parent = nullptr);
  ~CDimensionForm() override;

  // After OK: what the page stores as NLTYPE, UNITS and OUTPUT.
  int dimensionUnit() const override { return model_->dimensionUnit(); }
  int outputUnit() const override { return model_->outputUnit(); }

  const DimensionFormModel& model() const { return *model_; }

  // The controls, for tests.
  QRadioButton* distanceRadio() const { return distanceRadio_; }
  QRadioButton* volumeRadio() const { return volumeRadio_; }
  QComboBox* distanceUnitList() const { return distanceUnits_; }
  QComboBox* volumeUnitList() const { return volumeUnits_; }
  QComboBox* dimensionUnitList() const { return dimensionUnits_; }
  QLineEdit* fieldBox(int j) const { return fields_[static_cast<std::size_t>(j)]; }
  QLabel* fieldLabel(int j) const { return labels_[static_cast<std::size_t>(j)]; }
  QGroupBox* volumeGroup() const { return volumeGroup_; }
  QPushButton* capacityButton() const { return capacityButton_; }
  QLineEdit* capacityResultBox() const { return capacityResult_; }
  QCheckBox* adjustCapacityCheck() const { return adjust_; }
  QLineEdit* capacityBox() const { return capacityBox_; }
  QGroupBox* minCurrentGroup() const { return minGroup_; }
  QPushButton* minCurrentButton() const { return minButton_; }
  QLineEdit* minCurrentBox() const { return minCurrent_; }
  QLineEdit* minVolumeBox() const { return minVolume_; }

 private:
  void buildControls();
  void refresh();
  std::string helpTopic() const override;
  void onOk() override;
  void onCapacity();
  void onMinCurrent();
  void onViewCurve() override;

  std::unique_ptr<DimensionFormModel> model_;
  bool refreshing_ = false;

  QRadioButton* distanceRadio_ = nullptr;
  QRadioButton* volumeRadio_ = nullptr;
  QComboBox* distanceUnits_ = nullptr;
  QComboBox* volumeUnits_ = nullptr;
  QComboBox* dimensionUnits_ = nullptr;
  std::array<QLineEdit*, DimensionFormModel::kFields> fields_{};
  std::array<QLabel*, DimensionFormModel::kFields> labels_{};
  QGroupBox* volumeGroup_ = nullptr;
  QPushButton* capacityButton_ = nullptr;
  QLineEdit* capacityResult_ = nullptr;
  QCheckBox* adjust_ = nullptr;
  QLabel* capacityLabel_ = nullptr;
  QLineEdit* capacityBox_ = nullptr;
  QGroupBox* minGroup_ = nullptr;
  QPushButton* minButton_ = nullptr;
  QLineEdit* minCurrent_ = nullptr;
  QLineEdit* minVolume_ = nullptr;
};

}  // namespace ostrel

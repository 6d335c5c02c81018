#pragma once
// "Formula Entry", the weir and flume form: the output as a distance or a
// flow, the sensor height and maximum head, the coefficients of the
// structure's flow formula (typed or loaded from a named set) beside its
// picture, and the flow at the maximum head. The rules live in
// FormulaFormModel; this dialog draws it and forwards the user's actions.
// OK builds the page's table; Cancel and "Tanks, Flumes and Weirs" change
// nothing.

#include <QDialog>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/volume/formula_form_model.h"
#include "gui/volume/c_structure_form.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ostrel {

class CViewCurve;
struct FormFailure;

class CFormulaEntryDlg : public CStructureForm {
  Q_OBJECT

 public:
  // shape: a weir or flume code; its low byte names the set loaded before.
  // The shape's structure list must be loaded into services.records.Structures.
  CFormulaEntryDlg(std::uint16_t shape, VolumeFormServices services, QWidget* parent = nullptr);
  ~CFormulaEntryDlg() override;

  // After OK: NLTYPE (the set chosen in its low byte), UNITS and OUTPUT.
  int dimensionUnit() const override { return model_->dimensionUnit(); }
  int outputUnit() const override { return model_->outputUnit(); }

  const FormulaFormModel& model() const { return *model_; }

  QRadioButton* distanceRadio() const { return distanceRadio_; }
  QRadioButton* flowRadio() const { return flowRadio_; }
  QComboBox* distanceUnitList() const { return distanceUnits_; }
  QComboBox* flowUnitList() const { return flowUnits_; }
  QLineEdit* unitsBox() const { return unitsBox_; }
  QLineEdit* fieldBox(int j) const { return fields_[static_cast<std::size_t>(j)]; }
  QLabel* fieldLabel(int j) const { return labels_[static_cast<std::size_t>(j)]; }
  QComboBox* setList() const { return sets_; }
  QLabel* setLabel() const { return setLabel_; }
  QGroupBox* dischargeGroup() const { return discharge_; }
  QPushButton* maxFlowButton() const { return maxFlowButton_; }
  QLineEdit* maxFlowBox() const { return maxFlow_; }

 private:
  void buildControls();
  void refresh();
  void refillSets();
  std::string helpTopic() const override;
  void onOk() override;
  void onMaxFlow();
  void onViewCurve() override;

  std::unique_ptr<FormulaFormModel> model_;
  bool refreshing_ = false;

  QRadioButton* distanceRadio_ = nullptr;
  QRadioButton* flowRadio_ = nullptr;
  QComboBox* distanceUnits_ = nullptr;
  QComboBox* flowUnits_ = nullptr;
  QLineEdit* unitsBox_ = nullptr;
  std::array<QLineEdit*, FormulaFormModel::kFields> fields_{};
  std::array<QLabel*, FormulaFormModel::kFields> labels_{};
  QComboBox* sets_ = nullptr;
  QLabel* setLabel_ = nullptr;
  QGroupBox* discharge_ = nullptr;
  QPushButton* maxFlowButton_ = nullptr;
  QLineEdit* maxFlow_ = nullptr;
};

}  // namespace ostrel

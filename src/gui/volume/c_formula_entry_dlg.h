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
#include "gui/volume/volume_form_services.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ostrel {

class CViewCurve;
struct FormFailure;

class CFormulaEntryDlg : public QDialog {
  Q_OBJECT

 public:
  // shape: a weir or flume code; its low byte names the set loaded before.
  // The shape's structure list must be loaded into services.records.Structures.
  CFormulaEntryDlg(std::uint16_t shape, VolumeFormServices services, QWidget* parent = nullptr);
  ~CFormulaEntryDlg() override;

  // After OK: NLTYPE (the set chosen in its low byte), UNITS and OUTPUT.
  std::uint16_t shape() const { return shape_; }
  int dimensionUnit() const { return model_->dimensionUnit(); }
  int outputUnit() const { return model_->outputUnit(); }
  bool backToShapes() const { return backToShapes_; }

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
  QLabel* picture() const { return picture_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* tanksButton() const { return tanks_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }
  QPushButton* viewCurveButton() const { return viewCurve_; }

  std::function<void(CViewCurve&)> runCurveViewer;

  std::filesystem::path showHelp();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString text(const char* key, const char* fallback = "") const;
  void buildControls();
  void refresh();
  void refillSets();
  void onOk();
  void onMaxFlow();
  void onViewCurve();

  std::uint16_t shape_;
  VolumeFormServices services_;
  std::unique_ptr<FormulaFormModel> model_;
  bool backToShapes_ = false;
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
  QLabel* picture_ = nullptr;
  std::string pictureName_;  // the file the picture shows
  QPushButton* ok_ = nullptr;
  QPushButton* tanks_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* help_ = nullptr;
  QPushButton* viewCurve_ = nullptr;
};

}  // namespace ostrel

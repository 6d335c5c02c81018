#pragma once
// The strapping form: a tank's calibration as level/volume pairs in a grid
// whose header cells choose the level and the volume unit, beside the
// tank's heights and picture. The grid's rules live in StrappingGrid; this
// dialog draws it and forwards the user's edits. OK builds the page's
// strapping rows and table; Cancel and "Tanks" change nothing.

#include <QDialog>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/volume/strapping_grid.h"
#include "gui/volume/c_structure_form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace ostrel {

class CViewCurve;
struct FormFailure;

class CStrappingDlg : public CStructureForm {
  Q_OBJECT

 public:
  // shape: the strapping code the page hands over (class 7). The structure
  // list of tanks must be loaded into services.records.Structures.
  CStrappingDlg(std::uint16_t shape, VolumeFormServices services, QWidget* parent = nullptr);
  ~CStrappingDlg() override;

  // After OK: the units the page stores as UNITS and OUTPUT.
  int dimensionUnit() const override { return grid_->dimensionUnit(); }
  int outputUnit() const override { return grid_->outputUnit(); }

  const StrappingGrid& grid() const { return *grid_; }

  // The controls, for tests.
  QTableWidget* table() const { return table_; }
  QComboBox* levelUnitList() const { return levelUnits_; }
  QComboBox* volumeUnitList() const { return volumeUnits_; }
  QSpinBox* rowsBox() const { return rows_; }
  QLineEdit* fieldBox(StrappingGrid::Field f) const { return fields_[static_cast<std::size_t>(f)]; }
  QLabel* fieldLabel(StrappingGrid::Field f) const { return labels_[static_cast<std::size_t>(f)]; }
  QLineEdit* unitsBox() const { return unitsBox_; }

 private:
  void buildControls();
  void refreshFields();
  void refreshGrid();
  void refreshCell(int row, int column);
  void cellEditBegins(int row, int column);
  void cellEditEnds(int row, int column, const QString& text);
  void rowsChanged(int value);
  void levelUnitChosen(int index);
  void volumeUnitChosen(int index);
  void fieldEdited(StrappingGrid::Field f, const QString& text);
  std::string helpFile() const override;
  std::string helpTopic() const override;
  void onOk() override;
  void onViewCurve() override;

  std::unique_ptr<StrappingGrid> grid_;
  bool refreshing_ = false;

  QTableWidget* table_ = nullptr;
  QComboBox* levelUnits_ = nullptr;
  QComboBox* volumeUnits_ = nullptr;
  QSpinBox* rows_ = nullptr;
  std::array<QLineEdit*, StrappingGrid::kFields> fields_{};
  std::array<QLabel*, StrappingGrid::kFields> labels_{};
  QLineEdit* unitsBox_ = nullptr;
};

}  // namespace ostrel

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
#include "gui/volume/volume_form_services.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace ostrel {

class CViewCurve;
struct FormFailure;

class CStrappingDlg : public QDialog {
  Q_OBJECT

 public:
  // shape: the strapping code the page hands over (class 7). The structure
  // list of tanks must be loaded into services.records.Structures.
  CStrappingDlg(std::uint16_t shape, VolumeFormServices services, QWidget* parent = nullptr);
  ~CStrappingDlg() override;

  // After OK: the units the page stores as UNITS and OUTPUT.
  int dimensionUnit() const { return grid_->dimensionUnit(); }
  int outputUnit() const { return grid_->outputUnit(); }
  std::uint16_t shape() const { return shape_; }
  // The dialog was left through "Tanks": the page shows the structure list.
  bool backToShapes() const { return backToShapes_; }

  const StrappingGrid& grid() const { return *grid_; }

  // The controls, for tests.
  QTableWidget* table() const { return table_; }
  QComboBox* levelUnitList() const { return levelUnits_; }
  QComboBox* volumeUnitList() const { return volumeUnits_; }
  QSpinBox* rowsBox() const { return rows_; }
  QLineEdit* fieldBox(StrappingGrid::Field f) const { return fields_[static_cast<std::size_t>(f)]; }
  QLabel* fieldLabel(StrappingGrid::Field f) const { return labels_[static_cast<std::size_t>(f)]; }
  QLineEdit* unitsBox() const { return unitsBox_; }
  QLabel* picture() const { return picture_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* tanksButton() const { return tanks_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }
  QPushButton* viewCurveButton() const { return viewCurve_; }

  // Runs each curve viewer that "View Curve" opens (tests, screenshots);
  // unset: the viewer runs modally.
  std::function<void(CViewCurve&)> runCurveViewer;

  // Opens the form's help topic; the page it opened, empty when none.
  std::filesystem::path showHelp();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString text(const char* key, const char* fallback = "") const;
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
  void onOk();
  void onViewCurve();

  std::uint16_t shape_;
  VolumeFormServices services_;
  int structure_ = -1;
  std::unique_ptr<StrappingGrid> grid_;
  bool backToShapes_ = false;
  bool refreshing_ = false;

  QTableWidget* table_ = nullptr;
  QComboBox* levelUnits_ = nullptr;
  QComboBox* volumeUnits_ = nullptr;
  QSpinBox* rows_ = nullptr;
  std::array<QLineEdit*, StrappingGrid::kFields> fields_{};
  std::array<QLabel*, StrappingGrid::kFields> labels_{};
  QLineEdit* unitsBox_ = nullptr;
  QLabel* picture_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* tanks_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* help_ = nullptr;
  QPushButton* viewCurve_ = nullptr;
};

}  // namespace ostrel

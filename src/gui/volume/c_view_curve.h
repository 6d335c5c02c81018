#pragma once
// "View Curve": a volume or flow table drawn as its value over level, with
// a slider that runs a cursor along the level axis and reads the level and
// the table's value there. The viewer changes nothing; it can save the
// picture (PNG) and the table's points (CSV, level and value per point).

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "core/volume/curve_plot.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace ostrel {

class CGraph;
class QtPresenter;
struct ModelRecords;

class CViewCurve : public QDialog {
  Q_OBJECT

 public:
  // The table is borrowed while the viewer runs. topLevel is the level at
  // the right end of the level axis, in dimension units. records give the
  // captions' language and presenter shows a failed save (both may be null).
  CViewCurve(const VolumeTable& table, double topLevel, const QString& levelAxisName,
             const QString& valueAxisName, const ModelRecords* records = nullptr,
             QtPresenter* presenter = nullptr, QWidget* parent = nullptr);
  ~CViewCurve() override;

  // The three read-only fields (0 unless set).
  void setMinMaxCapacity(double min, double max, double capacity);

  // Writes the plot as a PNG picture or the points as CSV; false when the
  // file cannot be written.
  bool savePicture(const QString& path);
  bool saveTable(const QString& path);

  // Stand-ins for the save dialogs (tests): the name chosen for the
  // proposed one, empty when cancelled. Unset: the real dialogs.
  std::function<QString(const QString& proposed)> choosePictureName;
  std::function<QString(const QString& proposed)> chooseTableName;

  const CurvePlot& plot() const { return *plot_; }
  CGraph* graph() const { return graph_; }
  QSlider* levelSlider() const { return slider_; }
  QLabel* levelAxisLabel() const { return levelAxis_; }
  QLabel* valueAxisLabel() const { return valueAxis_; }
  QLineEdit* minField() const { return min_; }
  QLineEdit* maxField() const { return max_; }
  QLineEdit* capacityField() const { return capacity_; }
  QPushButton* savePictureButton() const { return savePicture_; }
  QPushButton* saveTableButton() const { return saveTable_; }

 private:
  QString text(const char* key, const char* fallback) const;
  void cursorMoved(int position);
  void askAndSave(bool picture);

  const ModelRecords* records_;
  QtPresenter* presenter_;
  std::unique_ptr<CurvePlot> plot_;
  CGraph* graph_ = nullptr;
  QSlider* slider_ = nullptr;
  QSlider* valueSlider_ = nullptr;  // hidden; kept for the layout's left strip
  QLabel* levelAxis_ = nullptr;
  QLabel* valueAxis_ = nullptr;
  QLineEdit* min_ = nullptr;
  QLineEdit* max_ = nullptr;
  QLineEdit* capacity_ = nullptr;
  QPushButton* savePicture_ = nullptr;
  QPushButton* saveTable_ = nullptr;
};

}  // namespace ostrel

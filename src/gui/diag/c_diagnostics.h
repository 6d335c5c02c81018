#pragma once
// The diagnostics page: the unit's echo record or disturbance scan plotted
// as amplitude over distance, with the three values the unit appends. A
// view over DiagnosticsModel; the reads run as device work so the window
// keeps painting.

#include <QImage>
#include <memory>

#include "core/diag/diagnostics_model.h"
#include "gui/support/c_property_page.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace ostrel {

class CDiagnostics : public CPropertyPage, public DiagnosticsView {
  Q_OBJECT

 public:
  explicit CDiagnostics(PageServices services, QWidget* parent = nullptr);
  ~CDiagnostics() override;

  void OnSetActive() override;

  QComboBox* curveList() const { return list_; }
  QPushButton* eraseButton() const { return erase_; }
  QPushButton* savePictureButton() const { return savePicture_; }
  QPushButton* saveSamplesButton() const { return saveSamples_; }
  QLabel* levelDisplay() const { return level_; }
  QLabel* distanceDisplay() const { return distance_; }
  QLabel* currentDisplay() const { return current_; }
  const QImage& plotImage() const { return image_; }
  const DiagnosticsModel* model() const { return model_.get(); }

  // Draws a plot into an image of its size.
  static void draw(const EchoPlot& plot, QImage& image);

  // DiagnosticsView
  void changed(DiagnosticsPart part) override;

 private:
  void choose(int entry);
  void redraw();

  std::unique_ptr<DiagnosticsModel> model_;
  QComboBox* list_;
  QPushButton* erase_;
  QLabel* level_;
  QLabel* distance_;
  QLabel* current_;
  QLabel* units_;
  QLabel* axis_;
  QLabel* status_;
  QLabel* picture_;
  QPushButton* savePicture_;
  QPushButton* saveSamples_;
  QImage image_;  // made once, with the size of the first plot
};

}  // namespace ostrel

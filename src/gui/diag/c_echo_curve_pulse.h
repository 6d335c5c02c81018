#pragma once
// The pulse radar's echo curves: "Load" reads the checked curves from the
// radar as device work behind the busy window, and the page plots them with
// their markers into an off-screen image. A view over PulseCurveModel.

#include <QImage>

#include "core/diag/pulse_curve_model.h"
#include "gui/support/c_property_page.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace ostrel {

class GuiMailbox;

class CEchoCurvePulse : public CPropertyPage {
  Q_OBJECT

 public:
  static constexpr int kPlotWidth = 700;
  static constexpr int kPlotHeight = 440;

  explicit CEchoCurvePulse(PageServices services, QWidget* parent = nullptr);
  ~CEchoCurvePulse() override;

  void OnSetActive() override;

  QPushButton* loadButton() const { return load_; }
  QCheckBox* curveBox(int slot) const { return boxes_[static_cast<std::size_t>(slot)]; }
  QPushButton* savePictureButton() const { return savePicture_; }
  QPushButton* saveSamplesButton() const { return saveSamples_; }
  const QImage& plotImage() const { return image_; }
  const PulseCurveModel& model() const { return model_; }

  // Draws a plot into the image.
  static void draw(const PulsePlot& plot, QImage& image);

 private:
  void load();
  void redraw();

  PulseCurveModel model_;
  QPushButton* load_;
  std::array<QCheckBox*, 3> boxes_{};
  QPushButton* savePicture_;
  QPushButton* saveSamples_;
  QLabel* picture_;
  QImage image_;  // made once, the size of the plot area
  GuiMailbox* mailbox_;  // curves read on the worker reach the page through it
};

}  // namespace ostrel

#pragma once
// The curve viewer's plot window: a black field with yellow axes, the
// table's curve in blue, the cursor in red and the title and labels
// centred on their anchors. What to draw comes from a CurvePlot; the
// mapping from data to pixels is recomputed whenever the window changes
// size, so the plot always fills it.

#include <QWidget>

#include "core/volume/curve_plot.h"

class QPainter;

namespace ostrel {

class CGraph : public QWidget {
  Q_OBJECT

 public:
  explicit CGraph(QWidget* parent = nullptr);

  // The data range the field spans; kept for later resizes.
  void SetRange(double xmin, double ymin, double xmax, double ymax);
  // The plot to draw (borrowed); null draws the axes and the initial texts.
  void setPlot(const CurvePlot* plot);
  const CurveMapping& mapping() const { return mapping_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void drawCentred(QPainter& painter, const QString& text, PlotPoint anchor);

  const CurvePlot* plot_ = nullptr;
  double xmin_ = 0, ymin_ = 0, xmax_ = 0, ymax_ = 0;
  CurveMapping mapping_;
};

}  // namespace ostrel

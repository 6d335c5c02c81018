#include "gui/volume/c_graph.h"

#include <QPainter>
#include <QPolygon>
#include <QResizeEvent>

namespace ostrel {
namespace {

QPoint qp(PlotPoint p) { return QPoint(p.x, p.y); }

}  // namespace

CGraph::CGraph(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 120);
}

void CGraph::SetRange(double xmin, double ymin, double xmax, double ymax) {
  xmin_ = xmin;
  ymin_ = ymin;
  xmax_ = xmax;
  ymax_ = ymax;
  mapping_.set(xmin_, ymin_, xmax_, ymax_, width(), height());
  update();
}

void CGraph::setPlot(const CurvePlot* plot) {
  plot_ = plot;
  update();
}

void CGraph::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  mapping_.set(xmin_, ymin_, xmax_, ymax_, width(), height());
}

void CGraph::drawCentred(QPainter& painter, const QString& text, PlotPoint anchor) {
  QRect r = painter.fontMetrics().boundingRect(text);
  r.moveTo(anchor.x - r.width() / 2, anchor.y - r.height() / 2);
  painter.drawText(r, Qt::AlignCenter, text);
}

void CGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int w = width();
  const int h = height();
  painter.fillRect(rect(), Qt::black);

  painter.setPen(QPen(QColor(255, 255, 0), 1));
  for (const PlotLine& line : CurvePlot::axes(w, h)) painter.drawLine(qp(line.from), qp(line.to));

  if (plot_ != nullptr) {
    const std::vector<PlotPoint> corners = plot_->curve(mapping_);
    if (!corners.empty()) {
      QPolygon polygon;
      for (const PlotPoint& p : corners) polygon << qp(p);
      painter.setPen(QPen(QColor(0, 0, 255), 1));
      painter.drawPolyline(polygon);
    }
    if (const auto cursor = plot_->cursor(mapping_)) {
      painter.setPen(QPen(QColor(255, 0, 0), 1));
      painter.drawLine(qp(cursor->from), qp(cursor->to));
    }
  }

  const QString title = plot_ ? QString::fromStdString(plot_->title()) : QStringLiteral("Title");
  const QString level = plot_ ? QString::fromStdString(plot_->levelLabel()) : QStringLiteral("X");
  const QString value = plot_ ? QString::fromStdString(plot_->valueLabel()) : QString();
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setPen(QColor(255, 255, 0));
  drawCentred(painter, level, CurvePlot::at(0.5, 0.05, w, h));
  drawCentred(painter, value, CurvePlot::at(0.08, 0.5, w, h));
  painter.setPen(QColor(255, 0, 255));
  drawCentred(painter, title, CurvePlot::at(0.5, 0.95, w, h));
}

}  // namespace ostrel

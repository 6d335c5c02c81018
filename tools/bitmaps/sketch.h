#pragma once
// One picture being drawn, with the conventions every shipped bitmap shares:
// a white sheet, dark ink 1 to 2 px wide, thin dimension lines with filled
// arrowheads and their labels set in a gap of the line, light-blue liquid.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QString>

namespace ostrel::bitmaps {

inline const QColor kInk{32, 32, 32};
inline const QColor kDimension{56, 56, 56};
inline const QColor kExtension{150, 150, 150};
inline const QColor kWall{160, 164, 168};
inline const QColor kLiquid{190, 222, 246};
inline const QColor kLiquidEdge{40, 110, 170};
inline const QColor kMetal{88, 98, 108};
inline const QColor kConcrete{205, 205, 200};

class Sketch {
 public:
  Sketch(int width, int height);
  Sketch(const Sketch&) = delete;
  Sketch& operator=(const Sketch&) = delete;

  QPainter& painter() { return painter_; }
  int width() const { return image_.width(); }
  int height() const { return image_.height(); }

  // Ends the drawing and writes the picture into the folder; false when the
  // file cannot be written.
  bool save(const QString& folder, const QString& name);
  const QImage& finish();

  void line(QPointF a, QPointF b, qreal width = 1.5, const QColor& colour = kInk);
  void dashed(QPointF a, QPointF b, const QColor& colour = kDimension, qreal width = 1.0);
  // A thin line from a drawn edge out to where a dimension line runs.
  void extension(QPointF from, QPointF to);
  // A dimension line between two heights (or two x positions) with arrows at
  // both ends; the label sits in a gap in the middle, upright when it is
  // short, turned along the line when it is a word.
  // labelAt: where along the line the label's centre sits (default: middle).
  void dimensionV(qreal x, qreal top, qreal bottom, const QString& label, qreal labelAt = -1);
  void dimensionH(qreal y, qreal left, qreal right, const QString& label);
  // A dimension from a reference line to a point, arrow at the point only.
  void leaderArrow(QPointF from, QPointF to);
  void arrowHead(QPointF tip, QPointF from, const QColor& colour = kDimension, qreal size = 7.0);
  // Text centred on a point.
  void text(QPointF centre, const QString& s, int pixels, bool bold = false,
            const QColor& colour = kInk);
  void textTurned(QPointF centre, const QString& s, int pixels, bool bold = false);
  qreal textWidth(const QString& s, int pixels, bool bold = false);

  // A vessel with its wall: the band between the outer and inner outlines
  // in wall grey, the inside white, liquid below surfaceY (none when the
  // surface lies below the vessel), both outlines inked.
  void vessel(const QPainterPath& outer, const QPainterPath& inner, qreal surfaceY,
              bool hatchLiquid = false);
  // Liquid below surfaceY inside a region, with its surface line.
  void liquid(const QPainterPath& region, qreal surfaceY, bool hatch = false);

 private:
  QImage image_;
  QPainter painter_;
};

QFont drawingFont(int pixels, bool bold = false);

}  // namespace ostrel::bitmaps

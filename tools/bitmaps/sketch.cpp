#include "sketch.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPolygonF>

#include <cmath>

#include "bmp_file.h"

namespace ostrel::bitmaps {

QFont drawingFont(int pixels, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

Sketch::Sketch(int width, int height) : image_(width, height, QImage::Format_RGB32) {
  image_.fill(Qt::white);
  painter_.begin(&image_);
  painter_.setRenderHint(QPainter::Antialiasing, true);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

const QImage& Sketch::finish() {
  if (painter_.isActive()) painter_.end();
  return image_;
}

bool Sketch::save(const QString& folder, const QString& name) {
  return writeBmp24(finish(), QDir(folder).filePath(name));
}

void Sketch::line(QPointF a, QPointF b, qreal width, const QColor& colour) {
  painter_.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
  painter_.drawLine(a, b);
}

void Sketch::dashed(QPointF a, QPointF b, const QColor& colour, qreal width) {
  QPen pen(colour, width, Qt::CustomDashLine, Qt::FlatCap);
  pen.setDashPattern({5.0 / width, 3.0 / width});
  painter_.setPen(pen);
  painter_.drawLine(a, b);
}

void Sketch::extension(QPointF from, QPointF to) { line(from, to, 1.0, kExtension); }

void Sketch::arrowHead(QPointF tip, QPointF from, const QColor& colour, qreal size) {
  const qreal dx = tip.x() - from.x();
  const qreal dy = tip.y() - from.y();
  const qreal length = std::hypot(dx, dy);
  if (length <= 0) return;
  const qreal ux = dx / length;
  const qreal uy = dy / length;
  const qreal half = size * 0.38;
  QPolygonF head;
  head << tip << QPointF(tip.x() - ux * size - uy * half, tip.y() - uy * size + ux * half)
       << QPointF(tip.x() - ux * size + uy * half, tip.y() - uy * size - ux * half);
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(colour);
  painter_.drawPolygon(head);
  painter_.setBrush(Qt::NoBrush);
}

qreal Sketch::textWidth(const QString& s, int pixels, bool bold) {
  return QFontMetricsF(drawingFont(pixels, bold)).horizontalAdvance(s);
}

void Sketch::text(QPointF centre, const QString& s, int pixels, bool bold, const QColor& colour) {
  painter_.setFont(drawingFont(pixels, bold));
  painter_.setPen(colour);
  const QFontMetricsF metrics(painter_.font());
  const qreal w = metrics.horizontalAdvance(s);
  const qreal baseline = centre.y() + (metrics.ascent() - metrics.descent()) / 2.0;
  painter_.drawText(QPointF(std::round(centre.x() - w / 2.0), std::round(baseline)), s);
}

void Sketch::textTurned(QPointF centre, const QString& s, int pixels, bool bold) {
  painter_.save();
  painter_.translate(std::round(centre.x()), std::round(centre.y()));
  painter_.rotate(-90);
  text(QPointF(0, 0), s, pixels, bold);
  painter_.restore();
}

namespace {
constexpr int kLabelPixels = 11;
constexpr int kLetterPixels = 12;
bool isLetter(const QString& s) { return s.size() <= 3; }
}  // namespace

void Sketch::dimensionV(qreal x, qreal top, qreal bottom, const QString& label, qreal labelAt) {
  const bool letter = isLetter(label);
  const int pixels = letter ? kLetterPixels : kLabelPixels;
  const qreal along = letter ? 14.0 : textWidth(label, pixels) + 8.0;
  const qreal span = bottom - top;
  const qreal mid = labelAt > 0 ? labelAt : (top + bottom) / 2.0;
  painter_.setPen(QPen(kDimension, 1.0, Qt::SolidLine, Qt::FlatCap));
  const bool inGap = span >= along + 18.0;
  if (inGap) {
    painter_.drawLine(QPointF(x, top + 1), QPointF(x, mid - along / 2.0));
    painter_.drawLine(QPointF(x, mid + along / 2.0), QPointF(x, bottom - 1));
  } else {
    painter_.drawLine(QPointF(x, top + 1), QPointF(x, bottom - 1));
  }
  arrowHead(QPointF(x, top), QPointF(x, mid));
  arrowHead(QPointF(x, bottom), QPointF(x, mid));
  if (inGap) {
    if (letter) {
      text(QPointF(x, mid), label, pixels, true);
    } else {
      textTurned(QPointF(x, mid), label, pixels);
    }
  } else {
    // Too short for its label: the label stands beside the line.
    const qreal w = textWidth(label, pixels, letter);
    text(QPointF(x + 6 + w / 2.0, mid), label, pixels, letter);
  }
}

void Sketch::dimensionH(qreal y, qreal left, qreal right, const QString& label) {
  const bool letter = isLetter(label);
  const int pixels = letter ? kLetterPixels : kLabelPixels;
  const qreal along = textWidth(label, pixels, letter) + 8.0;
  const qreal span = right - left;
  const qreal mid = (left + right) / 2.0;
  painter_.setPen(QPen(kDimension, 1.0, Qt::SolidLine, Qt::FlatCap));
  const bool inGap = span >= along + 18.0;
  if (inGap) {
    painter_.drawLine(QPointF(left + 1, y), QPointF(mid - along / 2.0, y));
    painter_.drawLine(QPointF(mid + along / 2.0, y), QPointF(right - 1, y));
  } else {
    painter_.drawLine(QPointF(left + 1, y), QPointF(right - 1, y));
  }
  arrowHead(QPointF(left, y), QPointF(mid, y));
  arrowHead(QPointF(right, y), QPointF(mid, y));
  if (inGap) {
    text(QPointF(mid, y), label, pixels, letter);
  } else {
    text(QPointF(mid, y + 10), label, pixels, letter);
  }
}

void Sketch::leaderArrow(QPointF from, QPointF to) {
  line(from, to, 1.0, kDimension);
  arrowHead(to, from);
}

void Sketch::liquid(const QPainterPath& region, qreal surfaceY, bool hatch) {
  const QRectF box = region.boundingRect();
  if (surfaceY >= box.bottom()) return;
  QPainterPath below;
  below.addRect(QRectF(box.left() - 1, surfaceY, box.width() + 2, box.bottom() - surfaceY + 1));
  const QPainterPath body = region.intersected(below);
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(kLiquid);
  painter_.drawPath(body);
  painter_.save();
  painter_.setClipPath(region);
  if (hatch) {
    // Volume: the liquid body hatched, so it reads as a quantity, not a level.
    painter_.setPen(QPen(QColor(120, 170, 215), 1.0));
    painter_.setClipPath(body);
    for (qreal d = box.left() - box.height(); d < box.right(); d += 9.0) {
      painter_.drawLine(QPointF(d, box.bottom() + 1), QPointF(d + box.height() + 2, box.top() - 1));
    }
    painter_.setClipPath(region);
  }
  painter_.setPen(QPen(kLiquidEdge, 1.5));
  painter_.drawLine(QPointF(box.left() - 1, surfaceY), QPointF(box.right() + 1, surfaceY));
  painter_.restore();
  painter_.setBrush(Qt::NoBrush);
}

void Sketch::vessel(const QPainterPath& outer, const QPainterPath& inner, qreal surfaceY,
                    bool hatchLiquid) {
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(kWall);
  painter_.drawPath(outer);
  painter_.setBrush(Qt::white);
  painter_.drawPath(inner);
  painter_.setBrush(Qt::NoBrush);
  liquid(inner, surfaceY, hatchLiquid);
  painter_.setPen(QPen(kInk, 1.2));
  painter_.drawPath(outer);
  painter_.setPen(QPen(kInk, 1.0));
  painter_.drawPath(inner);
}

}  // namespace ostrel::bitmaps

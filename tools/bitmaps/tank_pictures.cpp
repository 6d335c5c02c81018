#include "tank_pictures.h"

#include <QPolygonF>

#include "sketch.h"
#include "vessels.h"

namespace ostrel::bitmaps {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 360;
constexpr int kIcon = 48;
// Columns of the vertical dimension lines right of the vessel.
constexpr qreal kColumnShape = 246;
constexpr qreal kColumnSensor = 268;
constexpr qreal kColumnFill = 290;

struct ShapeFiles {
  TankShape shape;
  const char* stem;  // Tank_<stem>...
};

constexpr ShapeFiles kShapes[] = {
    {TankShape::VerticalCylinder, "VerticalCylinder"},
    {TankShape::ConeBottom, "ConeBottom"},
    {TankShape::HorizontalDished, "HorizontalDished"},
    {TankShape::HorizontalHemispherical, "HorizontalHemispherical"},
    {TankShape::Sphere, "Sphere"},
    {TankShape::Rectangular, "Rectangular"},
    {TankShape::Custom, "Strapping"},
};

// Right-most point of the outline at a height, for extension lines.
qreal rightEdgeAt(const Vessel& v, qreal y) {
  const QRectF& b = v.body;
  for (qreal x = b.right() + 1; x > b.left(); x -= 1.0) {
    if (v.outer.contains(QPointF(x, y))) return x + 1;
  }
  return b.right();
}

qreal fullLevelY(const Vessel& v) {
  const QRectF& b = v.body;
  switch (v.shape) {
    case TankShape::HorizontalDished:
    case TankShape::HorizontalHemispherical:
    case TankShape::Sphere:
      return b.top() + b.height() * 0.14;
    case TankShape::Rectangular:
      return b.top() + v.depthDy + 26;
    default:
      return b.top() + 28;
  }
}

qreal liquidY(const Vessel& v) {
  const QRectF& b = v.body;
  return b.top() + b.height() * 0.52;
}

void fullLine(Sketch& s, const Vessel& v, qreal y) {
  QPainter& p = s.painter();
  p.save();
  p.setClipPath(v.inner);
  s.dashed(QPointF(v.body.left(), y), QPointF(v.body.right(), y), kLiquidEdge);
  p.restore();
}

// Sensor height from the sensing face (or flange) to the bottom, fill height
// from the full line to the bottom, both right of the vessel.
void sensorAndFill(Sketch& s, const Vessel& v, qreal faceY, qreal fillY, qreal faceHalf) {
  const qreal bottom = v.body.bottom();
  s.extension(QPointF(v.cx + faceHalf + 3, faceY), QPointF(kColumnSensor + 4, faceY));
  s.extension(QPointF(rightEdgeAt(v, fillY) + 2, fillY), QPointF(kColumnFill + 4, fillY));
  s.extension(QPointF(v.cx + 6, bottom), QPointF(kColumnFill + 4, bottom));
  s.dimensionV(kColumnSensor, faceY, bottom, QStringLiteral("Sensor Height"));
  s.dimensionV(kColumnFill, fillY, bottom, QStringLiteral("Fill Height"));
}

// The riser height, too short for arrows inside: arrows point in from
// outside, the word stands left of them.
void riserHeight(Sketch& s, const Vessel& v, qreal faceY) {
  const qreal x = v.cx - 30;
  const qreal roof = v.roofY;
  s.extension(QPointF(v.cx - 20, faceY), QPointF(x - 4, faceY));
  s.extension(QPointF(x + 4, roof), QPointF(x - 4, roof));
  s.leaderArrow(QPointF(x, faceY - 12), QPointF(x, faceY));
  s.leaderArrow(QPointF(x, roof + 12), QPointF(x, roof));
  s.line(QPointF(x, faceY), QPointF(x, roof), 1.0, kDimension);
  const qreal w = s.textWidth(QStringLiteral("Riser"), 11);
  s.text(QPointF(x - 6 - w / 2.0, faceY - 8), QStringLiteral("Riser"), 11);
}

// The probe's length beside the rod and the lowest level it measures.
void probeLengthAndMinimum(Sketch& s, const Vessel& v, qreal endY) {
  const qreal x = v.cx - 22;
  s.extension(QPointF(v.cx - 5, endY), QPointF(x - 4, endY));
  s.dimensionV(x, v.flangeY, endY, QStringLiteral("P"));
  const qreal minY = endY - 16;
  QPainter& p = s.painter();
  p.save();
  p.setClipPath(v.inner);
  s.dashed(QPointF(v.cx + 4, minY), QPointF(v.cx + 70, minY), kInk);
  p.restore();
  s.text(QPointF(v.cx + 44, minY - 8), QStringLiteral("Min Fill"), 10);
}

qreal probeEndY(const Vessel& v) { return v.body.bottom() - v.wall - 12; }

// The letters of the shape's own dimensions.
void shapeLetters(Sketch& s, const Vessel& v) {
  const QRectF& b = v.body;
  const qreal below = b.bottom() + 24;
  switch (v.shape) {
    case TankShape::VerticalCylinder:
    case TankShape::Custom:
      s.extension(QPointF(b.right() + 2, b.top()), QPointF(kColumnShape + 4, b.top()));
      s.dimensionV(kColumnShape, b.top(), b.bottom(), QStringLiteral("H"));
      if (v.shape == TankShape::VerticalCylinder) {
        s.extension(QPointF(b.left(), b.bottom() + 3), QPointF(b.left(), below + 5));
        s.extension(QPointF(b.right(), b.bottom() + 3), QPointF(b.right(), below + 5));
        s.dimensionH(below, b.left(), b.right(), QStringLiteral("D"));
      }
      break;
    case TankShape::ConeBottom: {
      const qreal h = v.coneBottomHalf;
      s.extension(QPointF(b.right() + 2, b.top()), QPointF(kColumnShape + 4, b.top()));
      s.dimensionV(kColumnShape, b.top(), b.bottom(), QStringLiteral("H"));
      const qreal cx = b.center().x();
      const qreal x = b.left() - 16;
      s.extension(QPointF(b.left() - 2, v.coneTopY), QPointF(x - 4, v.coneTopY));
      s.extension(QPointF(cx - h - 2, b.bottom()), QPointF(x - 4, b.bottom()));
      s.dimensionV(x, v.coneTopY, b.bottom(), QStringLiteral("C"));
      s.extension(QPointF(cx - h, b.bottom() + 3), QPointF(cx - h, below + 5));
      s.extension(QPointF(cx + h, b.bottom() + 3), QPointF(cx + h, below + 5));
      s.dimensionH(below, cx - h, cx + h, QStringLiteral("B"));
      const qreal d = below + 22;
      s.extension(QPointF(b.left(), b.bottom() + 16), QPointF(b.left(), d + 5));
      s.extension(QPointF(b.right(), b.bottom() + 16), QPointF(b.right(), d + 5));
      s.dimensionH(d, b.left(), b.right(), QStringLiteral("D"));
      break;
    }
    case TankShape::HorizontalDished:
    case TankShape::HorizontalHemispherical: {
      s.extension(QPointF(b.center().x() + 20, b.top()), QPointF(kColumnShape + 4, b.top()));
      s.dimensionV(kColumnShape, b.top(), b.bottom(), QStringLiteral("D"));
      const qreal a = v.headDepth;
      const qreal l = b.left() + a;
      const qreal r = b.right() - a;
      const qreal y = b.bottom() + 30;
      s.extension(QPointF(l, b.bottom() + 14), QPointF(l, y + 5));
      s.extension(QPointF(r, b.bottom() + 14), QPointF(r, y + 5));
      s.dimensionH(y, l, r, QStringLiteral("L"));
      if (v.shape == TankShape::HorizontalDished) {
        const qreal ya = y + 22;
        s.extension(QPointF(r, y + 5), QPointF(r, ya + 5));
        s.extension(QPointF(b.right(), b.center().y() + 4), QPointF(b.right(), ya + 5));
        s.dimensionH(ya, r, b.right(), QStringLiteral("A"));
      }
      break;
    }
    case TankShape::Sphere:
      s.extension(QPointF(b.center().x() + 20, b.top()), QPointF(kColumnShape + 4, b.top()));
      s.dimensionV(kColumnShape, b.top(), b.bottom(), QStringLiteral("D"));
      break;
    case TankShape::Rectangular: {
      const qreal frontRight = b.right() - v.depthDx;
      s.extension(QPointF(b.right() + 2, b.top()), QPointF(kColumnShape + 4, b.top()));
      s.extension(QPointF(b.right() + 2, b.bottom() - v.depthDy),
                  QPointF(kColumnShape + 4, b.bottom() - v.depthDy));
      s.dimensionV(kColumnShape, b.top(), b.bottom() - v.depthDy, QStringLiteral("H"));
      s.extension(QPointF(b.left(), b.bottom() + 3), QPointF(b.left(), below + 5));
      s.extension(QPointF(frontRight, b.bottom() + 3), QPointF(frontRight, below + 5));
      s.dimensionH(below, b.left(), frontRight, QStringLiteral("L"));
      // The width along the receding edge, set off below it.
      const QPointF a(frontRight + 9, b.bottom() + 10);
      const QPointF c(b.right() + 9, b.bottom() - v.depthDy + 10);
      s.line(a, c, 1.0, kDimension);
      s.arrowHead(a, c);
      s.arrowHead(c, a);
      s.extension(QPointF(frontRight + 3, b.bottom() + 1), QPointF(a.x() + 3, a.y() + 2));
      s.extension(QPointF(b.right() + 3, b.bottom() - v.depthDy + 1), QPointF(c.x() + 3, c.y() + 2));
      s.text(QPointF((a.x() + c.x()) / 2 + 4, (a.y() + c.y()) / 2 + 14), QStringLiteral("W"), 12,
             true);
      break;
    }
  }
}

// A small level and volume table beside a custom tank.
void strappingTable(Sketch& s, const QRectF& r, bool icon) {
  QPainter& p = s.painter();
  p.setPen(QPen(kInk, 1.0));
  p.setBrush(Qt::white);
  p.drawRect(r);
  p.setBrush(Qt::NoBrush);
  const int rows = icon ? 4 : 6;
  const qreal rowH = r.height() / rows;
  for (int i = 1; i < rows; ++i) {
    s.line(QPointF(r.left(), r.top() + i * rowH), QPointF(r.right(), r.top() + i * rowH), 1.0,
           i == 1 ? kInk : kExtension);
  }
  s.line(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()), 1.0);
  if (!icon) {
    s.text(QPointF(r.left() + r.width() / 4, r.top() + rowH / 2), QStringLiteral("Lvl"), 9, true);
    s.text(QPointF(r.left() + r.width() * 3 / 4, r.top() + rowH / 2), QStringLiteral("Vol"), 9,
           true);
  }
}

enum class Picture { Volume, VolumeRadar, Front, FrontRadarDistance, FrontRadarVolume };

void drawTankPicture(OutputFolder& out, TankShape shape, Picture kind, const QString& name) {
  Sketch s(kWidth, kHeight);
  const Vessel v = frontVessel(shape);
  const bool radar = kind == Picture::VolumeRadar || kind == Picture::FrontRadarDistance ||
                     kind == Picture::FrontRadarVolume;
  const bool hatch = kind == Picture::FrontRadarVolume;
  const qreal surface = liquidY(v);
  drawVessel(s, v, surface, hatch);
  const qreal fill = fullLevelY(v);
  fullLine(s, v, fill);
  qreal face = v.flangeY;
  if (radar) {
    drawTransmitter(s, Sensor::Probe, v.cx, v.flangeY);
    drawProbe(s, v.cx, v.flangeY, probeEndY(v));
  } else {
    face = drawTransmitter(s, Sensor::Horn, v.cx, v.flangeY);
    drawBeam(s, v.inner, v.cx, face, 12, surface);
  }
  if (kind == Picture::Volume || kind == Picture::VolumeRadar) shapeLetters(s, v);
  sensorAndFill(s, v, face, fill, radar ? 24 : 14);
  if (kind == Picture::Volume) riserHeight(s, v, face);
  if (radar) probeLengthAndMinimum(s, v, probeEndY(v));
  if (shape == TankShape::Custom && (kind == Picture::Volume || kind == Picture::VolumeRadar)) {
    strappingTable(s, QRectF(6, 250, 40, 60), false);
  }
  out.save(s, name);
}

// The form picture when the output is a distance: any tank, its height and
// the transmitter's heights.
void drawDistancePicture(OutputFolder& out, bool radar, const QString& name) {
  Sketch s(kWidth, kHeight);
  const Vessel v = frontVessel(TankShape::VerticalCylinder);
  const qreal surface = liquidY(v);
  drawVessel(s, v, surface);
  const qreal fill = fullLevelY(v);
  fullLine(s, v, fill);
  qreal face = v.flangeY;
  if (radar) {
    drawTransmitter(s, Sensor::Probe, v.cx, v.flangeY);
    drawProbe(s, v.cx, v.flangeY, probeEndY(v));
  } else {
    face = drawTransmitter(s, Sensor::Horn, v.cx, v.flangeY);
    drawBeam(s, v.inner, v.cx, face, 12, surface);
  }
  const QRectF& b = v.body;
  s.extension(QPointF(b.right() + 2, b.top()), QPointF(kColumnShape + 4, b.top()));
  s.dimensionV(kColumnShape, b.top(), b.bottom(), QStringLiteral("H"));
  sensorAndFill(s, v, face, fill, radar ? 24 : 14);
  if (radar) {
    probeLengthAndMinimum(s, v, probeEndY(v));
  } else {
    riserHeight(s, v, face);
  }
  // The measured distance, sensor to surface.
  const qreal x = v.cx + 40;
  s.dimensionV(x, face + (radar ? 6 : 0), surface, QStringLiteral("Distance"));
  out.save(s, name);
}

void drawIcon(OutputFolder& out, TankShape shape, const QString& name) {
  Sketch s(kIcon, kIcon);
  QRectF box;
  switch (shape) {
    case TankShape::HorizontalDished:
    case TankShape::HorizontalHemispherical:
      box = QRectF(3, 19, 42, 24);
      break;
    case TankShape::Sphere:
      box = QRectF(9, 13, 30, 30);
      break;
    case TankShape::Rectangular:
      box = QRectF(5, 11, 38, 33);
      break;
    case TankShape::Custom:
      box = QRectF(4, 11, 26, 33);
      break;
    default:
      box = QRectF(11, 11, 26, 33);
      break;
  }
  const Vessel v = vesselIn(shape, box, 2, box.top() - 5, 4);
  drawVessel(s, v, box.top() + box.height() * 0.45);
  QPainter& p = s.painter();
  p.setPen(QPen(kInk, 1.0));
  p.setBrush(kMetal);
  p.drawRect(QRectF(v.cx - 6, v.flangeY - 6, 12, 6));
  p.setBrush(Qt::NoBrush);
  if (shape == TankShape::Custom) strappingTable(s, QRectF(33, 18, 12, 20), true);
  out.save(s, name);
}

}  // namespace

void drawTankStructures(OutputFolder& out) {
  for (const ShapeFiles& f : kShapes) {
    const QString stem = QStringLiteral("Tank_") + QString::fromLatin1(f.stem);
    drawIcon(out, f.shape, stem + QStringLiteral("_Icon.bmp"));
    drawTankPicture(out, f.shape, Picture::Volume, stem + QStringLiteral(".bmp"));
    drawTankPicture(out, f.shape, Picture::VolumeRadar, stem + QStringLiteral("_GWR.bmp"));
    drawTankPicture(out, f.shape, Picture::Front, stem + QStringLiteral("_Front.bmp"));
    drawTankPicture(out, f.shape, Picture::FrontRadarDistance,
                    stem + QStringLiteral("_Front_GWR_Distance.bmp"));
    drawTankPicture(out, f.shape, Picture::FrontRadarVolume,
                    stem + QStringLiteral("_Front_GWR_Volume.bmp"));
  }
  drawDistancePicture(out, false, QStringLiteral("Tank_Distance.bmp"));
  drawDistancePicture(out, true, QStringLiteral("Tank_Distance_GWR.bmp"));
}

}  // namespace ostrel::bitmaps

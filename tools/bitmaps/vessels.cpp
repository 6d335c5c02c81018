#include "vessels.h"

#include <QPainterPathStroker>
#include <QPolygonF>

namespace ostrel::bitmaps {
namespace {

QPainterPath polygonPath(const QPolygonF& points) {
  QPainterPath path;
  path.addPolygon(points);
  path.closeSubpath();
  return path;
}

QPainterPath bodyOutline(Vessel& v, const QRectF& r) {
  const qreal l = r.left();
  const qreal t = r.top();
  const qreal w = r.width();
  const qreal h = r.height();
  QPainterPath path;
  switch (v.shape) {
    case TankShape::VerticalCylinder:
      path.addRect(r);
      break;
    case TankShape::ConeBottom: {
      v.coneTopY = t + h * 0.70;
      v.coneBottomHalf = w * 0.10;
      const qreal cx = r.center().x();
      path = polygonPath(QPolygonF{{l, t},
                                   {r.right(), t},
                                   {r.right(), v.coneTopY},
                                   {cx + v.coneBottomHalf, r.bottom()},
                                   {cx - v.coneBottomHalf, r.bottom()},
                                   {l, v.coneTopY}});
      break;
    }
    case TankShape::HorizontalDished:
    case TankShape::HorizontalHemispherical: {
      const qreal a =
          v.shape == TankShape::HorizontalHemispherical ? h / 2.0 : std::min(h * 0.22, w * 0.2);
      v.headDepth = a;
      // One outline: shell top, right end, shell bottom, left end.
      path.moveTo(l + a, t);
      path.lineTo(r.right() - a, t);
      path.arcTo(QRectF(r.right() - 2 * a, t, 2 * a, h), 90, -180);
      path.lineTo(l + a, r.bottom());
      path.arcTo(QRectF(l, t, 2 * a, h), 270, -180);
      path.closeSubpath();
      break;
    }
    case TankShape::Sphere:
      path.addEllipse(r);
      break;
    case TankShape::Rectangular: {
      v.depthDx = w * 0.22;
      v.depthDy = h * 0.13;
      path = polygonPath(QPolygonF{{l, t + v.depthDy},
                                   {l + v.depthDx, t},
                                   {r.right(), t},
                                   {r.right(), r.bottom() - v.depthDy},
                                   {r.right() - v.depthDx, r.bottom()},
                                   {l, r.bottom()}});
      break;
    }
    case TankShape::Custom: {
      // A tank no formula fits: a stepped side and a sloping floor.
      path = polygonPath(QPolygonF{{l, t},
                                   {r.right(), t},
                                   {r.right(), t + h * 0.45},
                                   {r.right() - w * 0.16, t + h * 0.58},
                                   {r.right() - w * 0.16, r.bottom()},
                                   {l + w * 0.30, r.bottom()},
                                   {l, r.bottom() - h * 0.16}});
      break;
    }
  }
  return path;
}

}  // namespace

Vessel vesselIn(TankShape shape, const QRectF& box, qreal wall, qreal flangeY, qreal riserHalf) {
  Vessel v;
  v.shape = shape;
  v.body = box;
  v.wall = wall;
  QPainterPath body = bodyOutline(v, box);
  v.cx = box.center().x();
  v.roofY = box.top();
  if (shape == TankShape::Rectangular) {
    // The riser stands on the front edge of the roof.
    v.cx = box.left() + (box.width() - v.depthDx) / 2.0 + v.depthDx * 0.3;
    v.roofY = box.top() + v.depthDy;
  }
  v.flangeY = flangeY;
  if (flangeY < v.roofY && riserHalf > 0) {
    QPainterPath riser;
    riser.addRect(QRectF(v.cx - riserHalf, flangeY, 2 * riserHalf, v.roofY - flangeY + wall * 2));
    body = body.united(riser);
  }
  v.outer = body.simplified();
  QPainterPathStroker stroker;
  stroker.setWidth(2 * wall);
  stroker.setJoinStyle(Qt::MiterJoin);
  v.inner = v.outer.subtracted(stroker.createStroke(v.outer)).simplified();
  if (shape == TankShape::Rectangular) {
    // Only the front face is cut open; roof and side are drawn as faces.
    QPainterPath frontOuter;
    frontOuter.addRect(QRectF(box.left(), box.top() + v.depthDy, box.width() - v.depthDx,
                              box.height() - v.depthDy));
    QPainterPath front;
    front.addRect(QRectF(box.left() + wall, box.top() + v.depthDy + wall,
                         box.width() - v.depthDx - 2 * wall, box.height() - v.depthDy - 2 * wall));
    if (flangeY < v.roofY) {
      QPainterPath riserOuter;
      riserOuter.addRect(QRectF(v.cx - riserHalf, flangeY, 2 * riserHalf,
                                box.top() + v.depthDy + wall - flangeY));
      frontOuter = frontOuter.united(riserOuter);
      QPainterPath riserInner;
      riserInner.addRect(QRectF(v.cx - riserHalf + wall, flangeY + wall, 2 * (riserHalf - wall),
                                box.top() + v.depthDy + 2 * wall - flangeY));
      front = front.united(riserInner);
    }
    v.outer = frontOuter.simplified();
    v.inner = front.simplified();
  }
  return v;
}

Vessel frontVessel(TankShape shape) {
  constexpr qreal kFlange = 40;
  constexpr qreal kRiserHalf = 18;
  switch (shape) {
    case TankShape::VerticalCylinder:
    case TankShape::ConeBottom:
    case TankShape::Custom:
      return vesselIn(shape, QRectF(50, 66, 180, 240), 4, kFlange, kRiserHalf);
    case TankShape::HorizontalDished:
      return vesselIn(shape, QRectF(16, 118, 214, 170), 4, kFlange + 40, kRiserHalf);
    case TankShape::HorizontalHemispherical:
      return vesselIn(shape, QRectF(10, 140, 226, 124), 4, kFlange + 56, kRiserHalf);
    case TankShape::Sphere:
      return vesselIn(shape, QRectF(45, 96, 190, 190), 4, kFlange + 26, kRiserHalf);
    case TankShape::Rectangular:
      return vesselIn(shape, QRectF(24, 70, 206, 236), 4, kFlange, kRiserHalf);
  }
  return {};
}

void drawVessel(Sketch& sketch, const Vessel& v, qreal surfaceY, bool hatch) {
  QPainter& p = sketch.painter();
  const QRectF& b = v.body;
  const qreal ground = b.bottom() + 14;
  // Icons are too small for supports.
  const bool supports = v.wall >= 3 || v.shape == TankShape::Rectangular;
  switch (supports ? v.shape : TankShape::VerticalCylinder) {
    case TankShape::ConeBottom: {
      // Four legs, two seen, from the cylinder's foot to the ground.
      p.setPen(QPen(kInk, 1.0));
      p.setBrush(kWall);
      for (qreal x : {b.left() + 2, b.right() - 8}) {
        p.drawRect(QRectF(x, v.coneTopY - 6, 6, ground - v.coneTopY + 6));
      }
      p.setBrush(Qt::NoBrush);
      break;
    }
    case TankShape::HorizontalDished:
    case TankShape::HorizontalHemispherical: {
      p.setPen(QPen(kInk, 1.0));
      p.setBrush(kWall);
      for (qreal x : {b.left() + b.width() * 0.25 - 11, b.right() - b.width() * 0.25 - 11}) {
        p.drawPolygon(QPolygonF{{x, b.bottom() - 4}, {x + 22, b.bottom() - 4},
                                {x + 28, b.bottom() + 12}, {x - 6, b.bottom() + 12}});
      }
      p.setBrush(Qt::NoBrush);
      break;
    }
    case TankShape::Sphere: {
      p.setPen(QPen(kInk, 1.0));
      p.setBrush(kWall);
      const qreal cy = b.center().y();
      for (qreal x : {b.left() + 12, b.right() - 18}) {
        p.drawRect(QRectF(x, cy, 6, b.bottom() + 14 - cy));
      }
      p.setBrush(Qt::NoBrush);
      break;
    }
    case TankShape::Rectangular: {
      // Roof and far side as plain faces behind the cut-open front.
      const qreal l = b.left();
      const qreal t = b.top();
      const qreal fr = b.right() - v.depthDx;
      const qreal ft = t + v.depthDy;
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(QColor(222, 224, 226));
      p.drawPolygon(QPolygonF{{l, ft}, {l + v.depthDx, t}, {b.right(), t}, {fr, ft}});
      p.setBrush(QColor(186, 190, 194));
      p.drawPolygon(QPolygonF{{fr, ft}, {b.right(), t}, {b.right(), b.bottom() - v.depthDy},
                              {fr, b.bottom()}});
      p.setBrush(Qt::NoBrush);
      break;
    }
    default:
      break;
  }
  sketch.vessel(v.outer, v.inner, surfaceY, hatch);
  if (v.shape == TankShape::HorizontalDished || v.shape == TankShape::HorizontalHemispherical) {
    // The seams between the shell and its ends.
    for (qreal x : {b.left() + v.headDepth, b.right() - v.headDepth}) {
      sketch.dashed(QPointF(x, b.top() + v.wall + 2), QPointF(x, b.bottom() - v.wall - 2),
                    kExtension);
    }
  }
}

qreal drawTransmitter(Sketch& sketch, Sensor sensor, qreal cx, qreal flangeY, const QString& name) {
  QPainter& p = sketch.painter();
  const qreal small = sketch.width() < 100 ? 0.45 : 1.0;
  auto s = [small](qreal value) { return value * small; };
  // Flange on the riser.
  p.setPen(QPen(kInk, 1.0));
  p.setBrush(kMetal);
  p.drawRect(QRectF(cx - s(24), flangeY - s(5), s(48), s(5)));
  // Housing on a short neck.
  p.drawRect(QRectF(cx - s(6), flangeY - s(11), s(12), s(6)));
  const QRectF housing(cx - s(24), flangeY - s(35), s(48), s(25));
  p.drawRoundedRect(housing, s(5), s(5));
  p.setBrush(Qt::NoBrush);
  if (!name.isEmpty() && small == 1.0) {
    sketch.text(housing.center(), name, 10, true, Qt::white);
  }
  p.setPen(QPen(kInk, 1.0));
  p.setBrush(kMetal);
  qreal face = flangeY;
  switch (sensor) {
    case Sensor::Horn:
      face = flangeY + s(16);
      p.drawPolygon(QPolygonF{{cx - s(7), flangeY}, {cx + s(7), flangeY},
                              {cx + s(12), face}, {cx - s(12), face}});
      break;
    case Sensor::ShortHorn:
      face = flangeY + s(10);
      p.drawPolygon(QPolygonF{{cx - s(6), flangeY}, {cx + s(6), flangeY},
                              {cx + s(10), face}, {cx - s(10), face}});
      break;
    case Sensor::CompactHorn:
      face = flangeY + s(7);
      p.drawRect(QRectF(cx - s(11), flangeY, s(22), s(7)));
      break;
    case Sensor::RadarCone:
      face = flangeY + s(22);
      p.drawPolygon(QPolygonF{{cx - s(4), flangeY}, {cx + s(4), flangeY},
                              {cx + s(13), face}, {cx - s(13), face}});
      break;
    case Sensor::Probe:
      p.drawRect(QRectF(cx - s(4), flangeY, s(8), s(6)));
      break;
  }
  p.setBrush(Qt::NoBrush);
  return face;
}

void drawProbe(Sketch& sketch, qreal cx, qreal fromY, qreal endY) {
  const bool small = sketch.width() < 100;
  sketch.line(QPointF(cx, fromY), QPointF(cx, endY), small ? 1.5 : 3.0, kMetal);
  QPainter& p = sketch.painter();
  p.setPen(QPen(kInk, 1.0));
  p.setBrush(kMetal);
  if (!small) p.drawRect(QRectF(cx - 3.5, endY - 10, 7, 10));
  p.setBrush(Qt::NoBrush);
}

void drawBeam(Sketch& sketch, const QPainterPath& inside, qreal cx, qreal faceY, qreal faceHalf,
              qreal surfaceY) {
  QPainter& p = sketch.painter();
  p.save();
  p.setClipPath(inside);
  const qreal spread = (surfaceY - faceY) * 0.12;
  const QColor beam(140, 140, 140);
  sketch.dashed(QPointF(cx - faceHalf, faceY), QPointF(cx - faceHalf - spread, surfaceY), beam);
  sketch.dashed(QPointF(cx + faceHalf, faceY), QPointF(cx + faceHalf + spread, surfaceY), beam);
  p.restore();
}

}  // namespace ostrel::bitmaps

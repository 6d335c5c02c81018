#pragma once
// Tank outlines in section and the transmitters mounted on them. A vessel
// is built inside a box, so the same outline serves the large pictures and
// the icons; its inside is the outline less the wall, so riser and body
// share one closed wall and the white outside never reaches the inside.

#include <QPainterPath>
#include <QRectF>
#include <QString>

#include "sketch.h"

namespace ostrel::bitmaps {

enum class TankShape {
  VerticalCylinder,
  ConeBottom,
  HorizontalDished,
  HorizontalHemispherical,
  Sphere,
  Rectangular,
  Custom
};

enum class Sensor { Horn, ShortHorn, CompactHorn, Probe, RadarCone };

struct Vessel {
  TankShape shape = TankShape::VerticalCylinder;
  QPainterPath outer;
  QPainterPath inner;
  QRectF body;          // outer box of the body, without the riser
  qreal cx = 0;         // centre line of the riser and transmitter
  qreal flangeY = 0;    // top of the riser, where the transmitter sits
  qreal roofY = 0;      // outer top of the body at cx
  qreal wall = 4;
  // Shape details the dimension letters point at.
  qreal coneTopY = 0;       // cone bottom: where the cone meets the cylinder
  qreal coneBottomHalf = 0; // cone bottom: half the outlet diameter
  qreal headDepth = 0;      // horizontal tanks: depth of one end
  qreal depthDx = 0;        // rectangular tank drawn in oblique: depth offset
  qreal depthDy = 0;
};

// The shape in the standard 300 x 360 picture frame, with its riser.
Vessel frontVessel(TankShape shape);
// The shape filling a box, riser from flangeY (no riser when flangeY >= top).
Vessel vesselIn(TankShape shape, const QRectF& box, qreal wall, qreal flangeY, qreal riserHalf);

// Supports and outlines drawn outside the wall (legs, saddles, the far edges
// of the oblique box), then the vessel with its liquid.
void drawVessel(Sketch& sketch, const Vessel& vessel, qreal surfaceY, bool hatch = false);

// Draws the transmitter on the riser; returns the height of its sensing face
// (for a probe the flange, where its length is measured from).
qreal drawTransmitter(Sketch& sketch, Sensor sensor, qreal cx, qreal flangeY,
                      const QString& name = {});
// The probe rod of a guided-wave transmitter down to endY.
void drawProbe(Sketch& sketch, qreal cx, qreal fromY, qreal endY);
// The sound or radar beam from the sensing face to the liquid surface.
void drawBeam(Sketch& sketch, const QPainterPath& inside, qreal cx, qreal faceY, qreal faceHalf,
              qreal surfaceY);

}  // namespace ostrel::bitmaps

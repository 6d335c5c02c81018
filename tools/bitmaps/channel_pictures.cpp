#include "channel_pictures.h"

#include <QPolygonF>

#include <cmath>

#include "sketch.h"
#include "vessels.h"

namespace ostrel::bitmaps {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 360;
constexpr int kIcon = 48;
constexpr qreal kTransmitterX = 96;
constexpr qreal kFlangeY = 100;
constexpr qreal kBed = 318;  // underside of the concrete bed

enum class Channel {
  VNotch,
  RectangularContracted,
  RectangularSuppressed,
  Cipolletti,
  Parshall,
  LeopoldLagco,
  PalmerBowlus,
  Generic,
  RectangularThroat,
  TrapezoidalThroat,
};

bool isWeir(Channel c) { return c <= Channel::Cipolletti; }

// Side view: the floor line and the water surface, left to right, and where
// the head is measured.
struct Profile {
  QPolygonF floor;
  QPolygonF surface;
  qreal zeroY;     // level of zero flow at the measuring point
  qreal maxHeadY;  // level of the maximum head
};

Profile profileOf(Channel c) {
  Profile p;
  if (isWeir(c)) {
    // Weir plate at x 200..206, crest at 226; the surface falls to it.
    p.floor = QPolygonF{{8, 300}, {292, 300}};
    p.surface = QPolygonF{{8, 206}, {150, 207}, {184, 214}, {200, 222}};
    p.zeroY = 226;
    p.maxHeadY = 178;
    return p;
  }
  switch (c) {
    case Channel::Parshall:
      p.floor = QPolygonF{{8, 296}, {176, 296}, {206, 312}, {252, 302}, {292, 302}};
      p.surface = QPolygonF{{8, 214}, {140, 216}, {178, 228}, {206, 270}, {252, 286}, {292, 288}};
      p.zeroY = 296;
      break;
    case Channel::LeopoldLagco:
      p.floor = QPolygonF{{8, 300}, {150, 300}, {166, 288}, {206, 288}, {226, 300}, {292, 300}};
      p.surface = QPolygonF{{8, 220}, {140, 222}, {170, 238}, {206, 264}, {236, 286}, {292, 290}};
      p.zeroY = 288;  // heads count from the raised throat floor
      break;
    case Channel::PalmerBowlus:
      p.floor = QPolygonF{{8, 300}, {146, 300}, {162, 280}, {206, 280}, {222, 300}, {292, 300}};
      p.surface = QPolygonF{{8, 216}, {136, 218}, {166, 232}, {206, 258}, {232, 284}, {292, 290}};
      p.zeroY = 280;  // heads count from the throat floor
      break;
    default:
      p.floor = QPolygonF{{8, 300}, {292, 300}};
      p.surface = QPolygonF{{8, 216}, {150, 218}, {190, 240}, {240, 276}, {292, 284}};
      p.zeroY = 300;
      break;
  }
  p.maxHeadY = 180;
  return p;
}

// The water between floor and surface, the concrete bed below the floor.
void drawSideView(Sketch& s, Channel c, const Profile& prof) {
  QPainter& p = s.painter();
  QPolygonF bed = prof.floor;
  bed << QPointF(292, kBed) << QPointF(8, kBed);
  QPolygonF water = prof.surface;
  if (isWeir(c)) {
    // The nappe leaves the crest and falls to the tail water.
    water << QPointF(206, 226) << QPointF(206, 300) << QPointF(8, 300);
  } else {
    for (auto it = prof.floor.crbegin(); it != prof.floor.crend(); ++it) water << *it;
  }
  p.setPen(Qt::NoPen);
  p.setBrush(kLiquid);
  p.drawPolygon(water);
  if (isWeir(c)) {
    QPainterPath nappe;
    nappe.moveTo(206, 226);
    nappe.cubicTo(224, 226, 236, 250, 244, 286);
    nappe.lineTo(292, 286);
    nappe.lineTo(292, 300);
    nappe.lineTo(206, 300);
    nappe.closeSubpath();
    p.drawPath(nappe);
    p.setPen(QPen(kLiquidEdge, 1.5));
    p.setBrush(Qt::NoBrush);
    QPainterPath top;
    top.moveTo(206, 226);
    top.cubicTo(224, 226, 236, 250, 244, 286);
    top.lineTo(292, 286);
    p.drawPath(top);
  }
  p.setPen(QPen(kLiquidEdge, 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(prof.surface);
  // Concrete with a light hatch.
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kConcrete);
  p.drawPolygon(bed);
  p.save();
  QPainterPath bedPath;
  bedPath.addPolygon(bed);
  p.setClipPath(bedPath);
  p.setPen(QPen(QColor(150, 150, 145), 1.0));
  for (qreal x = -40; x < 300; x += 10) p.drawLine(QPointF(x, kBed), QPointF(x + 30, kBed - 30));
  p.restore();
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawPolygon(bed);
  if (isWeir(c)) {
    p.setBrush(kMetal);
    p.drawRect(QRectF(200, 226, 6, 74));
    p.setBrush(Qt::NoBrush);
  }
  // Flow direction in the tail water.
  s.line(QPointF(256, 296), QPointF(282, 296), 1.2, kLiquidEdge);
  s.arrowHead(QPointF(286, 296), QPointF(256, 296), kLiquidEdge, 6);
}

// The bracket the transmitter hangs from: a wall plate and an arm.
void drawBracket(Sketch& s) {
  QPainter& p = s.painter();
  p.setPen(QPen(kInk, 1.0));
  p.setBrush(kWall);
  // The arm stops short of the edge so the sky behind it stays one area.
  p.drawRect(QRectF(30, kFlangeY - 6, kTransmitterX - 24 - 30, 7));
  p.drawRect(QRectF(24, kFlangeY - 18, 6, 30));
  p.setBrush(Qt::NoBrush);
}

// The shape of the structure as the other view shows it: the notch of a
// weir plate seen from upstream, the plan of an open flume, the section of
// a flume set into a pipe.
void drawShape(Sketch& s, Channel c, const QRectF& r, bool letters) {
  QPainter& p = s.painter();
  const qreal cx = r.center().x();
  const bool icon = r.width() < 60;
  const qreal lw = icon ? 1.0 : 1.2;
  if (isWeir(c)) {
    // Plate across the channel with the notch cut in it; water up to the
    // head line shows in the notch.
    const qreal waterY = r.top() + r.height() * (icon ? 0.22 : 0.24);
    const qreal crestY = r.top() + r.height() * 0.62;
    const qreal half = r.width() * (icon ? 0.28 : 0.17);
    QPolygonF notch;
    switch (c) {
      case Channel::VNotch: {
        const qreal apex = r.top() + r.height() * 0.70;
        const qreal top = r.top() + r.height() * 0.08;
        const qreal w = (apex - top) * 0.8;
        notch = QPolygonF{{cx - w, top}, {cx + w, top}, {cx, apex}};
        break;
      }
      case Channel::RectangularContracted:
        notch = QPolygonF{{cx - half, r.top() + 2}, {cx + half, r.top() + 2}, {cx + half, crestY},
                          {cx - half, crestY}};
        break;
      case Channel::RectangularSuppressed:
        notch = QPolygonF{{r.left() + 4, r.top() + 2}, {r.right() - 4, r.top() + 2},
                          {r.right() - 4, crestY}, {r.left() + 4, crestY}};
        break;
      default: {
        const qreal out = (crestY - r.top()) / 4.0;
        notch = QPolygonF{{cx - half - out, r.top() + 2}, {cx + half + out, r.top() + 2},
                          {cx + half, crestY}, {cx - half, crestY}};
        break;
      }
    }
    QPainterPath plate;
    plate.addRect(QRectF(r.left() + 4, r.top() + 2, r.width() - 8, r.height() - 6));
    QPainterPath cut;
    cut.addPolygon(notch);
    cut.closeSubpath();
    QPainterPath water;
    water.addRect(QRectF(r.left(), waterY, r.width(), r.height()));
    p.setPen(Qt::NoPen);
    p.setBrush(kLiquid);
    p.drawPath(cut.intersected(water));
    p.setBrush(QColor(214, 216, 220));
    p.drawPath(plate.subtracted(cut));
    p.setPen(QPen(kInk, lw));
    p.setBrush(Qt::NoBrush);
    p.drawPath(plate.subtracted(cut));
    // Channel walls either side.
    p.setBrush(kConcrete);
    p.drawRect(QRectF(r.left(), r.top() + 2, 4, r.height() - 2));
    p.drawRect(QRectF(r.right() - 4, r.top() + 2, 4, r.height() - 2));
    p.setBrush(Qt::NoBrush);
    p.save();
    p.setClipPath(cut);
    p.setPen(QPen(kLiquidEdge, 1.2));
    p.drawLine(QPointF(r.left(), waterY), QPointF(r.right(), waterY));
    p.restore();
    if (letters) {
      const qreal crest = c == Channel::VNotch ? notch[2].y() : crestY;
      const qreal x = c == Channel::VNotch ? cx + notch[1].x() - cx + 14
                                           : (c == Channel::RectangularSuppressed
                                                  ? r.right() - 26
                                                  : cx + half + (crestY - r.top()) / 4.0 + 16);
      s.extension(QPointF(c == Channel::VNotch ? cx + 6 : x - 18, crest), QPointF(x + 4, crest));
      s.dashed(QPointF(x - 20, waterY), QPointF(x + 4, waterY), kExtension);
      s.dimensionV(x, waterY, crest, QStringLiteral("H"));
      if (c == Channel::VNotch) {
        QPainterPath arc;
        arc.arcMoveTo(QRectF(cx - 22, crest - 22, 44, 44), 90 - 51);
        arc.arcTo(QRectF(cx - 22, crest - 22, 44, 44), 90 - 51, 102);
        p.setPen(QPen(kDimension, 1.0));
        p.drawPath(arc);
        const qreal w = s.textWidth(QStringLiteral("Angle"), 10);
        s.text(QPointF(notch[0].x() - 8 - w / 2, crest - 12), QStringLiteral("Angle"), 10);
        s.line(QPointF(notch[0].x() - 6, crest - 12), QPointF(cx - 12, crest - 18), 1.0,
               kDimension);
      } else {
        const qreal l = c == Channel::RectangularSuppressed ? r.left() + 4 : cx - half;
        const qreal rr = c == Channel::RectangularSuppressed ? r.right() - 4 : cx + half;
        s.dimensionH(crestY + 14, l, rr, QStringLiteral("L"));
      }
    }
    return;
  }
  switch (c) {
    case Channel::LeopoldLagco:
    case Channel::PalmerBowlus: {
      // Section through the pipe at the throat.
      const qreal d = std::min(r.height() - (letters ? 16 : 4), r.width() - 8);
      const QRectF pipe(cx - d / 2, r.top() + 2, d, d);
      QPainterPath bore;
      bore.addEllipse(pipe);
      QPainterPath insert;
      if (c == Channel::LeopoldLagco) {
        insert.addRect(QRectF(pipe.left(), pipe.bottom() - d * 0.22, d, d));
      } else {
        QPolygonF trap{{pipe.left(), pipe.bottom() - d * 0.45},
                       {cx - d * 0.18, pipe.bottom() - d * 0.45},
                       {cx - d * 0.12, pipe.bottom() - d * 0.18},
                       {cx + d * 0.12, pipe.bottom() - d * 0.18},
                       {cx + d * 0.18, pipe.bottom() - d * 0.45},
                       {pipe.right(), pipe.bottom() - d * 0.45},
                       {pipe.right(), pipe.bottom() + 2},
                       {pipe.left(), pipe.bottom() + 2}};
        insert.addPolygon(trap);
        insert.closeSubpath();
      }
      insert = insert.intersected(bore);
      QPainterPath water;
      water.addRect(QRectF(pipe.left(), pipe.top() + d * 0.42, d, d));
      p.setPen(Qt::NoPen);
      p.setBrush(kLiquid);
      p.drawPath(bore.intersected(water).subtracted(insert));
      p.setBrush(kConcrete);
      p.drawPath(insert);
      p.setPen(QPen(kInk, lw));
      p.setBrush(Qt::NoBrush);
      p.drawPath(insert);
      p.setPen(QPen(kInk, icon ? 2.0 : 3.0));
      p.drawEllipse(pipe);
      if (letters) {
        s.dimensionH(pipe.bottom() + 10, pipe.left(), pipe.right(), QStringLiteral("D"));
      }
      break;
    }
    case Channel::TrapezoidalThroat: {
      // Section through the throat.
      const qreal b = r.width() * (icon ? 0.30 : 0.18);
      const qreal depth = r.height() - (letters ? 18 : 6);
      const qreal out = depth * 0.8;
      const qreal bottom = r.top() + 2 + depth;
      QPolygonF section{{cx - b / 2 - out, r.top() + 2}, {cx - b / 2, bottom}, {cx + b / 2, bottom},
                        {cx + b / 2 + out, r.top() + 2}};
      QPainterPath channel;
      channel.addPolygon(section);
      channel.closeSubpath();
      QPainterPath water;
      water.addRect(QRectF(r.left(), r.top() + depth * 0.4, r.width(), r.height()));
      p.setPen(Qt::NoPen);
      p.setBrush(kLiquid);
      p.drawPath(channel.intersected(water));
      p.setPen(QPen(kInk, icon ? 1.5 : 2.0));
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(section);
      if (letters) s.dimensionH(bottom + 10, cx - b / 2, cx + b / 2, QStringLiteral("b"));
      break;
    }
    default: {
      // Plan of an open flume: walls converge to the throat and open out.
      const qreal wide = r.height() - (letters ? 18 : 6);
      const qreal top = r.top() + 2;
      const qreal mid = top + wide / 2;
      qreal throat = wide * 0.36;
      qreal x1 = r.left() + r.width() * 0.12;  // converging starts
      qreal x2 = r.left() + r.width() * 0.50;  // throat starts
      qreal x3 = r.left() + r.width() * 0.64;  // throat ends
      qreal x4 = r.left() + r.width() * 0.92;  // diverging ends
      if (c == Channel::RectangularThroat) {
        x2 = r.left() + r.width() * 0.38;
        x3 = r.left() + r.width() * 0.70;
      }
      if (c == Channel::Parshall) throat = wide * 0.30;
      const qreal outEnd = c == Channel::Parshall ? wide * 0.8 : wide;
      QPolygonF upper{{r.left() + 2, top},
                      {x1, top},
                      {x2, mid - throat / 2},
                      {x3, mid - throat / 2},
                      {x4, mid - outEnd / 2},
                      {r.right() - 2, mid - outEnd / 2}};
      QPolygonF lower;
      for (const QPointF& pt : upper) lower << QPointF(pt.x(), 2 * mid - pt.y());
      QPolygonF water = upper;
      for (auto it = lower.crbegin(); it != lower.crend(); ++it) water << *it;
      p.setPen(Qt::NoPen);
      p.setBrush(kLiquid);
      p.drawPolygon(water);
      p.setPen(QPen(kInk, icon ? 1.5 : 2.0));
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(upper);
      p.drawPolyline(lower);
      if (!icon) {
        s.line(QPointF(x1 - 20, mid), QPointF(x1 + 4, mid), 1.2, kLiquidEdge);
        s.arrowHead(QPointF(x1 + 8, mid), QPointF(x1 - 20, mid), kLiquidEdge, 6);
      }
      // The head is read two thirds along the converging walls.
      const qreal mx = c == Channel::Parshall ? x1 + (x2 - x1) * 0.67 : x1 - (icon ? 2 : 12);
      const qreal my = c == Channel::Parshall ? top + (mid - throat / 2 - top) * 0.67 : top;
      p.setPen(QPen(kInk, 1.0));
      p.setBrush(Qt::white);
      const qreal well = icon ? 2.5 : 4.5;
      const QPointF at(mx + (c == Channel::Parshall ? 0 : well + 2), my + well + 3);
      p.drawEllipse(at, well, well);
      p.setBrush(Qt::NoBrush);
      if (letters) {
        s.text(QPointF(at.x() + 16, at.y()), c == Channel::Parshall ? QStringLiteral("Ha")
                                                                     : QStringLiteral("H"),
               12, true);
        if (c == Channel::RectangularThroat) {
          const qreal xb = (x2 + x3) / 2;
          s.dimensionV(xb, mid - throat / 2, mid + throat / 2, QStringLiteral("b"));
        } else {
          s.text(QPointF((x2 + x3) / 2, mid + throat / 2 + 18), QStringLiteral("Throat"), 10);
        }
      }
      break;
    }
  }
}

enum class Picture { Form, Front, FrontRadarDistance, FrontRadarVolume, Distance };

QString headLetter(Channel c) {
  return c == Channel::Parshall ? QStringLiteral("Ha") : QStringLiteral("H");
}

void drawChannelPicture(OutputFolder& out, Channel c, Picture kind, const QString& name) {
  Sketch s(kWidth, kHeight);
  const Profile prof = profileOf(c);
  const bool radar = kind == Picture::FrontRadarDistance || kind == Picture::FrontRadarVolume;
  if (kind != Picture::Distance) {
    const QRectF inset(8, 6, 284, 56);
    drawShape(s, c, inset, kind == Picture::Form);
  }
  drawSideView(s, c, prof);
  drawBracket(s);
  // Where the surface lies under the transmitter.
  qreal surface = prof.surface.first().y();
  for (int i = 1; i < prof.surface.size(); ++i) {
    if (prof.surface[i].x() >= kTransmitterX) {
      const QPointF a = prof.surface[i - 1];
      const QPointF b = prof.surface[i];
      surface = a.y() + (b.y() - a.y()) * (kTransmitterX - a.x()) / (b.x() - a.x());
      break;
    }
  }
  qreal face = kFlangeY;
  // A probe reaches below the zero-flow level (a weir's crest lies well
  // above the channel floor).
  const qreal probeEnd = isWeir(c) ? prof.zeroY + 40 : 288;
  if (radar) {
    drawTransmitter(s, Sensor::Probe, kTransmitterX, kFlangeY);
    drawProbe(s, kTransmitterX, kFlangeY, probeEnd);
  } else {
    face = drawTransmitter(s, Sensor::Horn, kTransmitterX, kFlangeY);
    QPainterPath air;
    air.addRect(QRectF(20, face, 160, surface - face));
    drawBeam(s, air, kTransmitterX, face, 11, surface);
  }
  // Zero flow and maximum head as reference lines upstream, broken where
  // the sensor height line and its label cross them.
  const qreal xs = kTransmitterX + 44;
  const qreal xh = kTransmitterX + 72;
  const qreal end = isWeir(c) ? 200 : xh + 4;
  for (const auto& [y, colour] : {std::pair{prof.zeroY, kInk}, std::pair{prof.maxHeadY, kLiquidEdge}}) {
    s.dashed(QPointF(16, y), QPointF(xs - 9, y), colour);
    s.dashed(QPointF(xs + 9, y), QPointF(end, y), colour);
  }
  s.extension(QPointF(kTransmitterX + 26, face), QPointF(xs + 4, face));
  // The label keeps to the air above the water.
  const QString sensorLabel = QStringLiteral("Sensor Height");
  s.dimensionV(xs, face, prof.zeroY, sensorLabel,
               face + (s.textWidth(sensorLabel, 11) + 8) / 2 + 10);
  s.dimensionV(xh, prof.maxHeadY, prof.zeroY, headLetter(c));
  if (kind == Picture::Distance) {
    s.dimensionV(kTransmitterX - 40, face, surface, QStringLiteral("Distance"));
    s.extension(QPointF(kTransmitterX - 14, face), QPointF(kTransmitterX - 44, face));
  }
  if (radar) {
    const qreal x = kTransmitterX - 22;
    s.extension(QPointF(kTransmitterX - 5, probeEnd), QPointF(x - 4, probeEnd));
    s.dimensionV(x, kFlangeY, probeEnd, QStringLiteral("P"));
  }
  if (kind == Picture::FrontRadarVolume || kind == Picture::Form) {
    s.text(QPointF(270, 270), QStringLiteral("Q"), 14, true, kLiquidEdge);
  }
  out.save(s, name);
}

// Rated flumes: the rating's own curve, marked with its kind.
void drawRatingIcon(OutputFolder& out, const QString& mark, int curve, const QString& name) {
  Sketch s(kIcon, kIcon);
  QPainter& p = s.painter();
  s.line(QPointF(6, 4), QPointF(6, 42), 1.2);
  s.line(QPointF(6, 42), QPointF(44, 42), 1.2);
  QPainterPath path;
  for (int i = 0; i <= 36; ++i) {
    const qreal t = i / 36.0;
    qreal v = std::pow(t, 1.6);
    if (curve == 1) v = 0.15 + 0.85 * std::pow(t, 1.5);
    if (curve == 2) v = t * (0.4 + 0.6 * t);
    if (curve == 3) v = 0.5 * std::pow(t, 1.2) + 0.5 * std::pow(t, 2.4);
    if (curve == 4) v = std::pow(t, 2.0);
    const QPointF pt(7 + t * 36, 41 - v * 34);
    if (i == 0) {
      path.moveTo(pt);
    } else {
      path.lineTo(pt);
    }
  }
  p.setPen(QPen(kLiquidEdge, 2.0));
  p.drawPath(path);
  s.text(QPointF(20, 14), mark, 11, true);
  out.save(s, name);
}

struct ChannelFiles {
  Channel channel;
  const char* stem;
  bool icon;     // has its own list icon
  bool pictures; // has its own form and page pictures
};

constexpr ChannelFiles kChannels[] = {
    {Channel::VNotch, "Weir_VNotch", true, true},
    {Channel::RectangularContracted, "Weir_RectangularContracted", true, true},
    {Channel::RectangularSuppressed, "Weir_RectangularSuppressed", true, true},
    {Channel::Cipolletti, "Weir_Cipolletti", true, true},
    {Channel::Parshall, "Flume_Parshall", true, true},
    {Channel::LeopoldLagco, "Flume_LeopoldLagco", true, true},
    {Channel::PalmerBowlus, "Flume_PalmerBowlus", true, true},
    {Channel::Generic, "Flume_Generic", false, true},
    {Channel::RectangularThroat, "Flume_RectangularThroat", true, true},
    {Channel::TrapezoidalThroat, "Flume_TrapezoidalThroat", true, true},
};

}  // namespace

void drawChannelStructures(OutputFolder& out) {
  for (const ChannelFiles& f : kChannels) {
    const QString stem = QString::fromLatin1(f.stem);
    if (f.icon) {
      Sketch icon(kIcon, kIcon);
      drawShape(icon, f.channel, QRectF(2, 6, 44, 36), false);
      out.save(icon, stem + QStringLiteral("_Icon.bmp"));
    }
    drawChannelPicture(out, f.channel, Picture::Form, stem + QStringLiteral(".bmp"));
    drawChannelPicture(out, f.channel, Picture::Front, stem + QStringLiteral("_Front.bmp"));
    drawChannelPicture(out, f.channel, Picture::FrontRadarDistance,
                       stem + QStringLiteral("_Front_GWR_Distance.bmp"));
    drawChannelPicture(out, f.channel, Picture::FrontRadarVolume,
                       stem + QStringLiteral("_Front_GWR_Volume.bmp"));
  }
  drawChannelPicture(out, Channel::VNotch, Picture::Distance, QStringLiteral("Weir_Distance.bmp"));
  drawChannelPicture(out, Channel::Generic, Picture::Distance,
                     QStringLiteral("Flume_Distance.bmp"));
  drawRatingIcon(out, QStringLiteral("\u03A3"), 1, QStringLiteral("Flume_PowerSeries_Icon.bmp"));
  drawRatingIcon(out, QStringLiteral("h\u207F"), 0, QStringLiteral("Flume_PowerLaw_Icon.bmp"));
  drawRatingIcon(out, QStringLiteral("P"), 2, QStringLiteral("Flume_Polynomial_Icon.bmp"));
  drawRatingIcon(out, QStringLiteral("2"), 3, QStringLiteral("Flume_TwoTerm_Icon.bmp"));
  drawRatingIcon(out, QStringLiteral("K"), 4, QStringLiteral("Flume_ScaledPowerLaw_Icon.bmp"));
}

}  // namespace ostrel::bitmaps

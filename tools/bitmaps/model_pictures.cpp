#include "model_pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPolygonF>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <vector>

#include "sketch.h"
#include "vessels.h"

namespace ostrel::bitmaps {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 360;
constexpr qreal kColumnSensor = 262;
constexpr qreal kColumnFill = 286;
const QColor kOverlayBlue(0, 0, 255);

struct Overlay {
  int x = 0;
  int y = 0;
  QString name;
};

// What one model file asks to be drawn.
struct ModelPictures {
  QString model;  // KM30 ...
  Sensor sensor = Sensor::Horn;
  QString logo;
  QString image;
  QStringList tankImages;
  std::vector<Overlay> overlays;
};

QString valueOf(const QString& line) {
  const qsizetype eq = line.indexOf(QLatin1Char('='));
  return eq < 0 ? QString() : line.mid(eq + 1).trimmed();
}

// Reads the picture lines of a model file; an apostrophe starts a comment.
ModelPictures readModel(const QString& path, QStringList& logos) {
  ModelPictures m;
  m.model = QFileInfo(path).baseName().section(QLatin1Char('_'), 0, 0);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return m;
  QTextStream in(&file);
  static const QRegularExpression overlay(
      QStringLiteral("^OVERLAY\\[\\d+\\]\\s*=\\s*(-?\\d+)\\|(-?\\d+)\\|(.+)$"));
  while (!in.atEnd()) {
    QString line = in.readLine();
    const qsizetype quote = line.indexOf(QLatin1Char('\''));
    if (quote >= 0) line.truncate(quote);
    line = line.trimmed();
    if (line.startsWith(QStringLiteral("LOGOIMAGE"))) {
      m.logo = valueOf(line);
      if (!logos.contains(m.logo)) logos << m.logo;
    } else if (line.startsWith(QStringLiteral("IMAGE ")) ||
               line.startsWith(QStringLiteral("IMAGE="))) {
      m.image = valueOf(line);
    } else if (line.startsWith(QStringLiteral("TANKIMAGE"))) {
      m.tankImages << valueOf(line);
    } else if (line.startsWith(QStringLiteral("GUIDEDWAVERADAR")) && valueOf(line) != "0") {
      m.sensor = Sensor::Probe;
    } else if (line.startsWith(QStringLiteral("PULSERADAR")) && valueOf(line) != "0") {
      m.sensor = Sensor::RadarCone;
    } else if (const auto match = overlay.match(line); match.hasMatch()) {
      m.overlays.push_back({match.captured(1).toInt(), match.captured(2).toInt(),
                            match.captured(3).trimmed()});
    }
  }
  // The short-range and compact ultrasonic models carry smaller horns.
  if (m.sensor == Sensor::Horn && m.model == QStringLiteral("KM35")) m.sensor = Sensor::ShortHorn;
  if (m.sensor == Sensor::Horn && m.model == QStringLiteral("KM40")) m.sensor = Sensor::CompactHorn;
  return m;
}

// Share of the fill span a tank picture shows filled, from its name.
qreal fillShare(const QString& name) {
  if (name.contains(QStringLiteral("Empty"))) return 0.0;
  if (name.contains(QStringLiteral("ThreeQuarter"))) return 0.75;
  if (name.contains(QStringLiteral("Quarter"))) return 0.25;
  if (name.contains(QStringLiteral("Half"))) return 0.5;
  if (name.contains(QStringLiteral("Full"))) return 1.0;
  return 0.5;
}

void drawModelTank(OutputFolder& out, const ModelPictures& m, const QString& name, qreal share,
                   bool dimensions) {
  Sketch s(kWidth, kHeight);
  const Vessel v = frontVessel(TankShape::VerticalCylinder);
  const QRectF& b = v.body;
  const qreal fill = b.top() + 28;
  const qreal bottom = b.bottom();
  const qreal emptyY = bottom - v.wall;
  const qreal surface = share <= 0 ? bottom + 1 : emptyY - (emptyY - fill) * share;
  drawVessel(s, v, surface);
  QPainter& p = s.painter();
  p.save();
  p.setClipPath(v.inner);
  s.dashed(QPointF(b.left(), fill), QPointF(b.right(), fill), kLiquidEdge);
  p.restore();
  const qreal face = drawTransmitter(s, m.sensor, v.cx, v.flangeY, m.model);
  const qreal probeEnd = bottom - v.wall - 12;
  if (m.sensor == Sensor::Probe) {
    drawProbe(s, v.cx, v.flangeY, probeEnd);
  } else {
    const qreal half = m.sensor == Sensor::RadarCone ? 13 : 11;
    drawBeam(s, v.inner, v.cx, face, half, std::min(surface, emptyY));
  }
  if (dimensions) {
    s.extension(QPointF(v.cx + 26, face), QPointF(kColumnSensor + 4, face));
    s.extension(QPointF(b.right() + 2, fill), QPointF(kColumnFill + 4, fill));
    s.extension(QPointF(b.right() + 2, bottom), QPointF(kColumnFill + 4, bottom));
    s.dimensionV(kColumnSensor, face, bottom, QStringLiteral("Sensor Height"));
    s.dimensionV(kColumnFill, fill, bottom, QStringLiteral("Fill Height"));
    if (m.sensor == Sensor::Probe) {
      const qreal x = b.left() - 22;
      s.extension(QPointF(v.cx - 26, v.flangeY), QPointF(x - 4, v.flangeY));
      s.extension(QPointF(v.cx - 6, probeEnd), QPointF(x - 4, probeEnd));
      s.dimensionV(x, v.flangeY, probeEnd, QStringLiteral("Probe Length"));
    }
  }
  out.save(s, name);
}

// The marks of one level row in pure blue on white, drawn without smoothing
// so that no other colour appears. The tool copies the blue of this small
// picture with its top-left corner on the row's marker point, so the marks
// start there: a level line to the right with the level triangle under it
// pointing at the line, and the row number.
void drawOverlay(OutputFolder& out, const Overlay& o, int row) {
  constexpr int kSpriteWidth = 84, kSpriteHeight = 16;
  Sketch s(kSpriteWidth, kSpriteHeight);
  QPainter& p = s.painter();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, false);
  p.setPen(QPen(kOverlayBlue, 1));
  p.drawLine(0, 0, 60, 0);
  p.drawLine(0, 1, 60, 1);
  p.setBrush(kOverlayBlue);
  p.drawPolygon(QPolygon{QPoint(24, 12), QPoint(36, 12), QPoint(30, 3)});
  p.setBrush(Qt::NoBrush);
  QFont font = drawingFont(10, true);
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  p.drawText(QPointF(66, 13), QString::number(row));
  const QImage& image = s.finish();
  // Whatever the font engine did, only pure blue and white leave here.
  QImage clean = image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < clean.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(clean.scanLine(y));
    for (int x = 0; x < clean.width(); ++x) {
      line[x] = qGray(line[x]) < 200 || qBlue(line[x]) > qRed(line[x]) + 60 ? qRgb(0, 0, 255)
                                                                             : qRgb(255, 255, 255);
    }
  }
  Sketch copy(kSpriteWidth, kSpriteHeight);
  copy.painter().setRenderHint(QPainter::SmoothPixmapTransform, false);
  copy.painter().drawImage(0, 0, clean);
  out.save(copy, o.name);
}

// The family's own word-mark: a tank glyph and the name.
void drawFamilyLogo(OutputFolder& out, const QString& name) {
  Sketch s(200, 50);
  QPainter& p = s.painter();
  const QRectF glyph(8, 6, 34, 38);
  p.setPen(QPen(QColor(30, 60, 90), 2.5));
  p.setBrush(Qt::white);
  p.drawRoundedRect(glyph, 6, 6);
  QPainterPath inside;
  inside.addRoundedRect(glyph.adjusted(2, 2, -2, -2), 4, 4);
  s.liquid(inside, glyph.top() + 20);
  p.setPen(QPen(QColor(30, 60, 90), 2.5));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(glyph, 6, 6);
  // The level mark over the surface.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 60, 90));
  const qreal cx = glyph.center().x();
  p.drawPolygon(QPolygonF{{cx - 6, glyph.top() + 9}, {cx + 6, glyph.top() + 9},
                          {cx, glyph.top() + 17}});
  p.setBrush(Qt::NoBrush);
  p.setFont(drawingFont(30, true));
  p.setPen(QColor(30, 60, 90));
  p.drawText(QPointF(52, 36), QStringLiteral("ostrel"));
  s.line(QPointF(54, 42), QPointF(190, 42), 2.0, kLiquidEdge);
  out.save(s, name);
}

// The product line's mark: the letters in a block, the kind beside them.
void drawLineLogo(OutputFolder& out, const QString& name) {
  Sketch s(200, 50);
  QPainter& p = s.painter();
  const QColor dark(30, 60, 90);
  p.setPen(Qt::NoPen);
  p.setBrush(dark);
  p.drawRoundedRect(QRectF(6, 6, 62, 38), 5, 5);
  p.setBrush(Qt::NoBrush);
  s.text(QPointF(37, 25), QStringLiteral("KM"), 26, true, Qt::white);
  p.setPen(QPen(kLiquidEdge, 2.0));
  p.drawLine(QPointF(76, 25), QPointF(194, 25));
  s.text(QPointF(135, 14), QStringLiteral("LEVEL"), 13, true, dark);
  s.text(QPointF(135, 36), QStringLiteral("TRANSMITTERS"), 12, false, dark);
  out.save(s, name);
}

// Four relays, each with its own switch-on and switch-off level.
void drawIndependentRelays(OutputFolder& out) {
  Sketch s(300, 232);
  const Vessel v = vesselIn(TankShape::VerticalCylinder, QRectF(20, 60, 112, 158), 3, 40, 14);
  const qreal surface = 140;
  drawVessel(s, v, surface);
  const qreal face = drawTransmitter(s, Sensor::Horn, v.cx, v.flangeY);
  drawBeam(s, v.inner, v.cx, face, 11, surface);
  const QColor on(0, 128, 64);
  const QColor off(190, 40, 40);
  struct Relay {
    qreal on;
    qreal off;
  };
  // Emptying, filling, high alarm, low alarm.
  const Relay relays[] = {{96, 168}, {182, 110}, {66, 86}, {210, 190}};
  QPainter& p = s.painter();
  for (int k = 0; k < 4; ++k) {
    const qreal x = 170 + 34 * k;
    const Relay& r = relays[k];
    for (qreal y : {r.on, r.off}) {
      s.dashed(QPointF(v.body.right() + 3, y), QPointF(x - 8, y), kExtension);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(225, 225, 225));
    p.drawRect(QRectF(x - 2, std::min(r.on, r.off), 4, std::abs(r.on - r.off)));
    p.setPen(QPen(on.darker(130), 1.0));
    p.setBrush(on);
    p.drawPolygon(QPolygonF{{x - 6, r.on + 5}, {x + 6, r.on + 5}, {x, r.on - 6}});
    p.setPen(QPen(off, 1.5));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF{{x - 6, r.off - 5}, {x + 6, r.off - 5}, {x, r.off + 6}});
    p.setBrush(Qt::NoBrush);
    s.text(QPointF(x, 224), QStringLiteral("R%1").arg(k + 1), 11, true);
  }
  // Legend.
  p.setPen(QPen(on.darker(130), 1.0));
  p.setBrush(on);
  p.drawPolygon(QPolygonF{{176, 27}, {188, 27}, {182, 16}});
  p.setPen(QPen(off, 1.5));
  p.setBrush(Qt::white);
  p.drawPolygon(QPolygonF{{236, 16}, {248, 16}, {242, 27}});
  p.setBrush(Qt::NoBrush);
  s.text(QPointF(207, 22), QStringLiteral("ON"), 11, true);
  s.text(QPointF(270, 22), QStringLiteral("OFF"), 11, true);
  out.save(s, QStringLiteral("Independent Relays.bmp"));
}

}  // namespace

bool drawModelPictures(OutputFolder& out, const QString& modelsFolder) {
  const QDir dir(modelsFolder);
  const QStringList files = dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
  if (files.isEmpty()) {
    std::fprintf(stderr, "make_bitmaps: no model files in %s\n", qPrintable(modelsFolder));
    return false;
  }
  QStringList logos;
  for (const QString& file : files) {
    const ModelPictures m = readModel(dir.filePath(file), logos);
    if (m.image.isEmpty()) continue;
    drawModelTank(out, m, m.image, 0.55, true);
    for (const QString& tank : m.tankImages) drawModelTank(out, m, tank, fillShare(tank), false);
    for (std::size_t i = 0; i < m.overlays.size(); ++i) {
      drawOverlay(out, m.overlays[i], static_cast<int>(i) + 1);
    }
  }
  for (const QString& logo : logos) {
    if (logo.contains(QStringLiteral("ostrel"), Qt::CaseInsensitive)) {
      drawFamilyLogo(out, logo);
    } else {
      drawLineLogo(out, logo);
    }
  }
  drawIndependentRelays(out);
  return true;
}

}  // namespace ostrel::bitmaps

#pragma once
// Draws one wiring diagram on an A4 landscape page: the transmitter with its
// terminal block, the field wiring of every terminal, the notes, the level
// rows of the configuration and the title block. Coordinates are millimetres
// from the page's top-left corner; the sheet scales them to the device.

#include <QPainter>
#include <QString>
#include <vector>

#include "drawing_catalogue.h"

namespace drawings {

class WiringSheet {
 public:
  static constexpr double kPageWidth = 297.0;  // A4 landscape, mm
  static constexpr double kPageHeight = 210.0;

  // dotsPerMm: device units per millimetre of the painter's device.
  WiringSheet(QPainter& painter, double dotsPerMm);

  void draw(const DrawingEntry& entry);

 private:
  struct Terminal {
    QString Label;
    double Y = 0.0;
  };

  QPointF at(double x, double y) const;
  void line(double x1, double y1, double x2, double y2);
  void box(double x, double y, double w, double h);
  void dot(double x, double y);
  void text(double x, double y, const QString& s, double points, bool bold = false,
            Qt::Alignment align = Qt::AlignLeft);
  // Word-wrapped text in a column; returns the height used, in mm.
  double paragraph(double x, double y, double w, const QString& s, double points);
  void setPen(double widthMm, Qt::PenStyle style = Qt::SolidLine);

  void frame(const DrawingEntry& entry);
  void transmitter(const DrawingEntry& entry);
  void terminalStrip();
  void powerAndLoop(const DrawingEntry& entry);
  void relay(int index, RelayRole role, double yNo);
  void serviceCable(const DrawingEntry& entry);
  void notes(const DrawingEntry& entry);
  void setPoints(const DrawingEntry& entry);
  void titleBlock(const DrawingEntry& entry);

  // Symbols, centred on the wire at (x, y) unless noted.
  void fuse(double x, double y);
  void lamp(double x, double y);
  void coil(double x, double y);
  void genericLoad(double x, double y);
  void earth(double x, double y);          // hangs below (x, y)
  void changeover(int relay, double yNo);  // contact inside the transmitter, shown de-energised
  void currentSource(double x, double yTop, double yBottom, bool sourcing);
  void hartInterface(double yLoop);
  void loopScale(const DrawingEntry& entry);

  QPainter& p_;
  double k_;
  std::vector<Terminal> terminals_;
  double boxBottom_ = 0.0;
};

}  // namespace drawings

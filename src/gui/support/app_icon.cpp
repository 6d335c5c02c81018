#include "gui/support/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace ostrel {
namespace {

QPixmap drawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal u = size / 32.0;
  const QRectF tank(5 * u, 9 * u, 22 * u, 20 * u);
  // Liquid up to 60 % of the tank, then the shell over it.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2f, 0x7f, 0xc8));
  p.drawRoundedRect(QRectF(tank.left(), tank.bottom() - 12 * u, tank.width(), 12 * u), 2 * u,
                    2 * u);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x30, 0x38, 0x40), 2 * u));
  p.drawRoundedRect(tank, 3 * u, 3 * u);
  // The transmitter and its beam.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xe0, 0x8a, 0x1e));
  p.drawRect(QRectF(13 * u, 3 * u, 6 * u, 6 * u));
  p.setPen(QPen(QColor(0xe0, 0x8a, 0x1e), 1.2 * u, Qt::DashLine));
  p.drawLine(QPointF(16 * u, 9 * u), QPointF(16 * u, tank.bottom() - 12 * u));
  return pixmap;
}

}  // namespace

QIcon applicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(drawIcon(size));
  return icon;
}

}  // namespace ostrel

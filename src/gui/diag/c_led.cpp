#include "gui/diag/c_led.h"

#include <QPainter>
#include <QRadialGradient>
#include <QTimer>

namespace ostrel {

CLed::CLed(QWidget* parent) : QLabel(parent), flash_(new QTimer(this)) {
  setFixedSize(kSize, kSize);
  flash_->setSingleShot(true);
  connect(flash_, &QTimer::timeout, this, [this] { SetState(false); });
}

QPixmap CLed::lampPicture(int colour) {
  QColor c;
  switch (colour) {
    case 0: c = QColor(220, 0, 0); break;
    case 1: c = QColor(0, 190, 0); break;
    case 2: c = QColor(0, 60, 230); break;
    case 3: c = QColor(235, 215, 0); break;
    default: c = QColor(150, 150, 150); break;
  }
  QPixmap p(kSize, kSize);
  p.fill(Qt::transparent);
  QPainter painter(&p);
  painter.setRenderHint(QPainter::Antialiasing);
  QRadialGradient shine(QPointF(kSize * 0.38, kSize * 0.35), kSize * 0.6);
  shine.setColorAt(0.0, c.lighter(170));
  shine.setColorAt(1.0, c.darker(130));
  painter.setBrush(shine);
  painter.setPen(QPen(c.darker(200), 1.0));
  painter.drawEllipse(QRectF(1.5, 1.5, kSize - 3.0, kSize - 3.0));
  return p;
}

void CLed::Create(int onColour, int offColour) {
  if (created_) return;
  created_ = true;
  onPicture_ = lampPicture(onColour);
  offPicture_ = lampPicture(offColour);
  on_ = false;
  setPixmap(offPicture_);
}

void CLed::SetState(bool on) {
  if (on == on_) return;
  on_ = on;
  setPixmap(on ? onPicture_ : offPicture_);
}

void CLed::Flash(int ms) {
  if (on_) return;
  SetState(true);
  flash_->start(ms);
}

}  // namespace ostrel

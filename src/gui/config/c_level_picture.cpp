#include "gui/config/c_level_picture.h"

#include <QPainter>
#include <QPalette>
#include <deque>

namespace ostrel {
namespace {

// The marker colour of the page.
const QColor kMarker(76, 115, 138);

}  // namespace

CLevelPicture::CLevelPicture(QWidget* parent) : QWidget(parent) {
  setObjectName("IDC_PICTURE");
  setMinimumSize(160, 200);
}

QSize CLevelPicture::sizeHint() const { return image_.isNull() ? QSize(300, 360) : image_.size(); }

bool CLevelPicture::load(const QString& path) {
  QImage loaded(path);
  if (loaded.isNull()) return false;
  loaded = loaded.convertToFormat(QImage::Format_RGB32);
  floodFill(loaded, QPoint(1, 1), palette().color(QPalette::Window));
  image_ = std::move(loaded);
  // The whole drawing shows: the frame is never smaller than the picture.
  setMinimumSize(image_.size());
  updateGeometry();
  update();
  return true;
}

void CLevelPicture::setMarkers(std::vector<Marker> markers) {
  markers_ = std::move(markers);
  update();
}

QPoint CLevelPicture::origin() const {
  // A picture smaller than its frame sits in the middle of it.
  return QPoint((width() - image_.width()) / 2, (height() - image_.height()) / 2);
}

void CLevelPicture::floodFill(QImage& image, QPoint from, QColor colour) {
  if (!image.valid(from)) return;
  const QRgb white = qRgb(255, 255, 255);
  const QRgb fill = colour.rgb();
  if (image.pixel(from) != white || fill == white) return;
  std::deque<QPoint> open{from};
  image.setPixel(from, fill);
  while (!open.empty()) {
    const QPoint p = open.front();
    open.pop_front();
    for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
      const QPoint q = p + step;
      if (image.valid(q) && image.pixel(q) == white) {
        image.setPixel(q, fill);
        open.push_back(q);
      }
    }
  }
}

void CLevelPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.isNull()) return;
  const QPoint at = origin();
  painter.drawImage(at, image_);
  painter.setPen(QPen(kMarker, 2));
  for (const Marker& m : markers_) {
    painter.drawLine(QPoint(0, m.boxY), at + m.target);
  }
}

}  // namespace ostrel

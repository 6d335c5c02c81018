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
  show(loaded.convertToFormat(QImage::Format_RGB32));
  return true;
}

bool CLevelPicture::loadWithOverlays(const QString& path, const std::vector<Overlay>& overlays,
                                     QString& failed) {
  QImage loaded(path);
  if (loaded.isNull()) {
    failed = path;
    return false;
  }
  loaded = loaded.convertToFormat(QImage::Format_RGB32);
  for (const Overlay& o : overlays) {
    const QImage overlay(o.path);
    if (overlay.isNull()) {
      failed = o.path;
      return false;
    }
    copyBlue(loaded, overlay.convertToFormat(QImage::Format_RGB32), o.at);
  }
  show(std::move(loaded));
  return true;
}

void CLevelPicture::copyBlue(QImage& image, const QImage& overlay, QPoint at) {
  const QRgb blue = qRgb(0, 0, 255);
  for (int y = 0; y < overlay.height(); ++y) {
    for (int x = 0; x < overlay.width(); ++x) {
      const QPoint to = at + QPoint(x, y);
      if (image.valid(to) && (overlay.pixel(x, y) & 0xFFFFFF) == (blue & 0xFFFFFF)) {
        image.setPixel(to, blue);
      }
    }
  }
}

void CLevelPicture::show(QImage loaded) {
  floodFill(loaded, QPoint(1, 1), palette().color(QPalette::Window));
  image_ = std::move(loaded);
  // The whole drawing shows: the frame is never smaller than the picture.
  setMinimumSize(image_.size());
  updateGeometry();
  update();
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

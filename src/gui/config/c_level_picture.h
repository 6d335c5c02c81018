#pragma once
// The picture beside the level boxes: the model's (or the structure's)
// drawing, centred in its frame, with the white around it taken into the
// window's colour, and a marker line from the left edge at each shown level
// box to the point the model names for that level.

#include <QImage>
#include <QWidget>
#include <vector>

namespace ostrel {

class CLevelPicture : public QWidget {
  Q_OBJECT

 public:
  struct Marker {
    int boxY = 0;   // the box's vertical centre, in this widget's coordinates
    QPoint target;  // the marker position, in the picture's coordinates
  };

  explicit CLevelPicture(QWidget* parent = nullptr);

  // Loads a picture file; false (the previous picture kept) when it cannot be read.
  bool load(const QString& path);
  void setMarkers(std::vector<Marker> markers);
  const QImage& image() const { return image_; }
  const std::vector<Marker>& markers() const { return markers_; }
  // Where the picture's top-left corner lies in the widget.
  QPoint origin() const;

  QSize sizeHint() const override;

  // The white area connected to `from` filled with `colour` (4-connected).
  static void floodFill(QImage& image, QPoint from, QColor colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
  std::vector<Marker> markers_;
};

}  // namespace ostrel

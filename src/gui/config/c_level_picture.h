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

  struct Overlay {
    QPoint at;     // where the overlay's top-left corner goes on the picture
    QString path;  // its file
  };

  explicit CLevelPicture(QWidget* parent = nullptr);

  // Loads a picture file; false (the previous picture kept) when it cannot be read.
  bool load(const QString& path);
  // The picture with the pure blue pixels of each overlay copied onto it
  // (clipped to the picture), then the background filled. False when a
  // file cannot be read: `failed` names it, and the previous picture stays.
  bool loadWithOverlays(const QString& path, const std::vector<Overlay>& overlays,
                        QString& failed);
  void setMarkers(std::vector<Marker> markers);
  const QImage& image() const { return image_; }
  const std::vector<Marker>& markers() const { return markers_; }
  // Where the picture's top-left corner lies in the widget.
  QPoint origin() const;

  QSize sizeHint() const override;

  // The white area connected to `from` filled with `colour` (4-connected).
  static void floodFill(QImage& image, QPoint from, QColor colour);
  // The pixels of `overlay` that are exactly blue (0, 0, 255), at `at`.
  static void copyBlue(QImage& image, const QImage& overlay, QPoint at);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void show(QImage loaded);

  QImage image_;
  std::vector<Marker> markers_;
};

}  // namespace ostrel

#pragma once
// A round lamp that shows one of two pictures (on and off), drawn by the
// tool in five colours: 0 red, 1 green, 2 blue, 3 yellow, any other grey.

#include <QLabel>
#include <QPixmap>

class QTimer;

namespace ostrel {

class CLed : public QLabel {
  Q_OBJECT

 public:
  static constexpr int kSize = 27;

  explicit CLed(QWidget* parent = nullptr);

  // Only the first call takes effect; the lamp shows "off" after it.
  void Create(int onColour, int offColour);
  // Changes the picture only when the state changes.
  void SetState(bool on);
  // An off lamp lights for ms; a lamp that is on already is left alone.
  void Flash(int ms);

  bool isOn() const { return on_; }
  static QPixmap lampPicture(int colour);

 private:
  bool created_ = false;
  bool on_ = false;
  QPixmap onPicture_;
  QPixmap offPicture_;
  QTimer* flash_;
};

}  // namespace ostrel

#pragma once
// The quick-start guide prompt: "view the guide now?" with Yes, No and a
// do-not-show-again box. Both buttons first honour the box by clearing the
// GUIDE value they were given.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace ostrel {

class AppContext;

class CViewGuide : public QDialog {
  Q_OBJECT

 public:
  // showGuide is the GUIDE value; it turns false when the box is ticked.
  CViewGuide(const AppContext& context, bool& showGuide, QWidget* parent = nullptr);

  QLabel* question() const { return question_; }
  QPushButton* yesButton() const { return yes_; }
  QPushButton* noButton() const { return no_; }
  QCheckBox* skipBox() const { return skip_; }

 private:
  void finish(int result);

  bool& showGuide_;
  QLabel* question_;
  QPushButton* yes_;
  QPushButton* no_;
  QCheckBox* skip_;
};

}  // namespace ostrel

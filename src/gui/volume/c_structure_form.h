#pragma once
// What the tank, weir/flume and strapping forms share: the shape they edit,
// the services they are lent, the structure's picture, the button row (OK,
// "Tanks" back to the structure list, Cancel, Help, and the maker's "View
// Curve"), F1 help, and the curve viewer they open.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "gui/volume/volume_form_services.h"

class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace ostrel {

class CViewCurve;

class CStructureForm : public QDialog {
  Q_OBJECT

 public:
  // After OK: what the page stores as NLTYPE, UNITS and OUTPUT.
  std::uint16_t shape() const { return shape_; }
  virtual int dimensionUnit() const = 0;
  virtual int outputUnit() const = 0;
  // The dialog was left through "Tanks": the page shows the structure list.
  bool backToShapes() const { return backToShapes_; }

  QLabel* picture() const { return picture_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* tanksButton() const { return tanks_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }
  QPushButton* viewCurveButton() const { return viewCurve_; }

  // Runs each curve viewer that "View Curve" opens (tests, screenshots);
  // unset: the viewer runs modally.
  std::function<void(CViewCurve&)> runCurveViewer;

  // Opens the form's help topic; the page it opened, empty when none.
  std::filesystem::path showHelp();

 protected:
  CStructureForm(std::uint16_t shape, VolumeFormServices services, QWidget* parent);

  // The help file (by its model name) and topic of the form.
  virtual std::string helpFile() const;
  virtual std::string helpTopic() const = 0;
  virtual void onOk() = 0;
  virtual void onViewCurve() = 0;

  QString text(const char* key, const char* fallback = "") const;
  // The picture frame, empty until showPicture().
  QLabel* makePicture(const char* objectName);
  // The Bitmaps folder's picture of that name; loaded only when it changes.
  void showPicture(const std::string& name);
  // The button row, its buttons connected; tanksCaption: the "Tanks"
  // button's text when the language has no key for it.
  QHBoxLayout* makeButtons(const char* helpKey, const char* tanksCaption);
  void runViewer(CViewCurve& viewer);
  void keyPressEvent(QKeyEvent* event) override;

  std::uint16_t shape_;
  VolumeFormServices services_;
  bool backToShapes_ = false;

 private:
  QLabel* picture_ = nullptr;
  std::string pictureName_;
  bool pictureShown_ = false;
  QPushButton* ok_ = nullptr;
  QPushButton* tanks_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* help_ = nullptr;
  QPushButton* viewCurve_ = nullptr;
};

}  // namespace ostrel

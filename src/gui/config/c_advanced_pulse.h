#pragma once
// The pulse radar's advanced settings ("Advanced"): type of medium, first
// echo, fast level change, five options, pipe diameter and damping time,
// edited on the page's copy of the radar's parameter block. Captions are the
// dialog's own fixed texts.
//
// A view over AdvancedPulseModel.

#include <QDialog>

#include "core/config/advanced_pulse_model.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace ostrel {

class AppContext;
class ConfigPageModel;
class QtPresenter;

class CAdvancedPulse : public QDialog {
  Q_OBJECT

 public:
  // The Advanced button of a pulse-radar model. Unless the page read the
  // radar's advanced parameters since it became active (or runs without a
  // unit), they are read first behind the busy window, the window painting
  // on; a failure shows the radar error report and the dialog stays shut.
  // On OK every parameter that differs from the page's copy is flagged for
  // the next write and the copy takes the dialog's values. True on OK.
  static bool run(QWidget* parent, AppContext& ctx, QtPresenter& presenter, ConfigPageModel& page);

  CAdvancedPulse(AppContext& ctx, QtPresenter& presenter, const PulseParameters& block,
                 QWidget* parent = nullptr);

  // The settings as OK leaves them (after the dialog was accepted).
  RadarAdvanced result() const { return model_.result(); }
  const AdvancedPulseModel& model() const { return model_; }

  QComboBox* mediumList() const { return medium_; }
  QComboBox* firstEchoList() const { return firstEcho_; }
  QCheckBox* fastLevelChangeBox() const { return fastLevel_; }
  QCheckBox* agitationBox() const { return agitation_; }
  QCheckBox* foamBox() const { return foam_; }
  QCheckBox* powderDustBox() const { return powderDust_; }
  QCheckBox* largeAngleBox() const { return largeAngle_; }
  QCheckBox* lowDielectricBox() const { return lowDielectric_; }
  QCheckBox* stillWellBox() const { return stillWell_; }
  QLineEdit* pipeDiameterBox() const { return pipe_; }
  QLineEdit* dampingTimeBox() const { return damping_; }
  QPushButton* defaultsButton() const { return defaults_; }
  QPushButton* okButton() const { return ok_; }

  void accept() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void build();
  void showControls();
  void readControls();
  void openHelp();

  AppContext& ctx_;
  QtPresenter& presenter_;
  AdvancedPulseModel model_;
  QComboBox* medium_ = nullptr;
  QComboBox* firstEcho_ = nullptr;
  QCheckBox* fastLevel_ = nullptr;
  QCheckBox* agitation_ = nullptr;
  QCheckBox* foam_ = nullptr;
  QCheckBox* powderDust_ = nullptr;
  QCheckBox* largeAngle_ = nullptr;
  QCheckBox* lowDielectric_ = nullptr;
  QCheckBox* stillWell_ = nullptr;
  QLineEdit* pipe_ = nullptr;
  QLineEdit* damping_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* defaults_ = nullptr;
  QPushButton* help_ = nullptr;
};

}  // namespace ostrel

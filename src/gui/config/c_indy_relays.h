#pragma once
// "Independent Relays": a switch-on and a switch-off point for each of the
// four relays, in the relay units. OK stores the eight points in INDYLEVEL
// of the unit's configuration; Cancel changes nothing.
//
// A view over IndyRelaysModel, which holds the checks and the number rules.

#include <QDialog>
#include <array>
#include <string>

#include "core/config/indy_relays_model.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ostrel {

class AppContext;
class QtPresenter;

class CIndyRelays : public QDialog {
  Q_OBJECT

 public:
  // Over ctx.Unit; relayUnitsText names the relay (OUTPUT) units, as the
  // page shows them in its relay units box.
  CIndyRelays(AppContext& ctx, QtPresenter& presenter, std::string relayUnitsText,
              QWidget* parent = nullptr);

  // Box i in the order of INDYLEVEL: ON of relay k at k, OFF at k + 4.
  QLineEdit* box(int i) const { return boxes_.at(static_cast<std::size_t>(i)); }
  QLineEdit* unitsBox() const { return units_; }
  QLabel* picture() const { return picture_; }
  QLabel* relayCaption(int relay) const { return captions_.at(static_cast<std::size_t>(relay)); }
  QPushButton* okButton() const { return ok_; }
  QPushButton* helpButton() const { return help_; }

  // OK: the checks, each keeping the dialog open with its message; then
  // the points into INDYLEVEL and the dialog closes.
  void accept() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void build();
  void openHelp();

  AppContext& ctx_;
  QtPresenter& presenter_;
  IndyRelaysModel model_;
  QLabel* picture_ = nullptr;
  QLineEdit* units_ = nullptr;
  std::array<QLabel*, IndyRelaysModel::kRelays> captions_{};
  std::array<QLineEdit*, IndyRelaysModel::kBoxes> boxes_{};
  QPushButton* ok_ = nullptr;
  QPushButton* help_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace ostrel

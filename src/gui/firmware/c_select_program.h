#pragma once
// The "Select Program" dialog: the unit's range and version, and a list of
// the program files that fit it, newest version first. OK returns the entry
// chosen in the list; text typed into the list that names no entry chooses
// nothing. Escape and Cancel choose nothing.

#include <QDialog>

#include "core/firmware/update_page_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ostrel {

class AppContext;

class CSelectProgram : public QDialog {
  Q_OBJECT

 public:
  CSelectProgram(const AppContext& context, const ProgramChoice& choice, QWidget* parent = nullptr);

  // After OK: the index of the chosen entry in the choice, or -1.
  int chosenIndex() const { return chosen_; }

  QLineEdit* rangeBox() const { return range_; }
  QLineEdit* versionBox() const { return version_; }
  QComboBox* firmwareList() const { return list_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

 public slots:
  void accept() override;

 private:
  QString text(const char* key, const char* fallback) const;

  const AppContext& ctx_;
  QLineEdit* range_;
  QLineEdit* version_;
  QComboBox* list_;
  QPushButton* ok_;
  QPushButton* cancel_;
  int chosen_ = -1;
};

}  // namespace ostrel

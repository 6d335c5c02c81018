#pragma once
// The information memory dialog: the fields of the unit's 128-byte
// information memory, shown for editing. "Update" reads every field back
// into the image it was handed; the page writes the image to the unit.
// For guided-wave radar units it only shows.

#include <QDialog>
#include <array>
#include <cstdint>

#include "core/service/info_memory_fields.h"

class QLineEdit;
class QPushButton;

namespace ostrel {

class AppContext;
class QtPresenter;

class CInfoMemory : public QDialog {
  Q_OBJECT

 public:
  // image: the 128 bytes, changed in place on "Update".
  CInfoMemory(AppContext& ctx, QtPresenter& presenter, std::uint8_t* image, bool guidedWave,
              QWidget* parent = nullptr);

  QLineEdit* field(InfoField f) const { return fields_.at(static_cast<std::size_t>(f)); }
  QPushButton* updateButton() const { return update_; }
  QPushButton* cancelButton() const { return cancel_; }

  // "Update": every field read back by its rule; a field that cannot be
  // read is named in a message and the image stays untouched.
  void accept() override;

 private:
  AppContext& ctx_;
  QtPresenter& presenter_;
  std::uint8_t* image_;
  std::array<QLineEdit*, kInfoFieldCount> fields_{};
  QPushButton* update_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace ostrel

#pragma once
// Direct memory entry: one word of the customer or factory page and its new
// value. "Update" checks the fields and fills the request the page then
// writes; the dialog itself never reaches the unit.

#include <QDialog>

#include "core/service/direct_entry.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ostrel {

class AppContext;
class QtPresenter;

class CDirectEntry : public QDialog {
  Q_OBJECT

 public:
  CDirectEntry(AppContext& ctx, QtPresenter& presenter, DirectEntryRequest& request,
               QWidget* parent = nullptr);

  QLineEdit* addressBox() const { return address_; }
  QLineEdit* valueBox() const { return value_; }
  QRadioButton* customerChoice() const { return customer_; }
  QRadioButton* factoryChoice() const { return factory_; }
  QPushButton* updateButton() const { return update_; }
  QPushButton* cancelButton() const { return cancel_; }

  // "Update": the checks, each keeping the dialog open with its message;
  // then the request is filled and the dialog closes.
  void accept() override;

 private:
  AppContext& ctx_;
  QtPresenter& presenter_;
  DirectEntryRequest& request_;
  QLineEdit* address_ = nullptr;
  QLineEdit* value_ = nullptr;
  QRadioButton* customer_ = nullptr;
  QRadioButton* factory_ = nullptr;
  QPushButton* update_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace ostrel

#pragma once
// The advanced settings of standard and guided-wave radar models: the
// model's advanced inputs laid out at run time, a check box each and a value
// box where the input has a value. "Update" stores the boxes into ADVANCED
// of the unit's configuration. Content taller than the dialog scrolls.
//
// A view over AdvancedFormModel, which holds the opening, the value filter
// and the storing rules; the dialog places the controls (AdvancedLayout).

#include <QDialog>
#include <memory>
#include <vector>

#include "core/config/advanced_form_model.h"
#include "gui/config/advanced_layout.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace ostrel {

class AppContext;
class QtPresenter;

class CAdvancedForm : public QDialog {
  Q_OBJECT

 public:
  // The Advanced button of a standard or guided-wave radar model: a model
  // without advanced inputs shows ERROR_MESSAGE62; the notice (the file
  // beside the tool, else STATUS_MESSAGE26) asks first; then the dialog.
  // True when it closed with Update: ADVANCED of ctx.Unit has changed and
  // the page refreshes its Advanced frame.
  static bool run(QWidget* parent, AppContext& ctx, QtPresenter& presenter);

  // The dialog over ctx.Unit and the loaded model; the model must have
  // advanced inputs.
  CAdvancedForm(AppContext& ctx, QtPresenter& presenter, QWidget* parent = nullptr);
  ~CAdvancedForm() override;

  const AdvancedFormModel& model() const { return model_; }
  const AdvancedLayout& layout() const { return layout_; }
  QCheckBox* checkBox(int row) const { return checks_.at(static_cast<std::size_t>(row)); }
  // Null for an input without a value.
  QLineEdit* valueBox(int row) const { return values_.at(static_cast<std::size_t>(row)); }
  QPushButton* updateButton() const { return update_; }
  QPushButton* cancelButton() const { return cancel_; }
  QScrollArea* scrollArea() const { return scroll_; }
  // Characters the filter took back since the dialog opened (each beeped).
  int refusals() const { return refusals_; }

  // Update: the boxes into the configuration, and the dialog closes with OK;
  // a value beyond what its word holds is refused with the range message
  // and the dialog stays open.
  void accept() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void build();
  void filterEdit(QLineEdit* box);
  void applyScrollSteps();

  AppContext& ctx_;
  QtPresenter& presenter_;
  AdvancedFormModel model_;
  AdvancedLayout layout_;
  QScrollArea* scroll_ = nullptr;
  std::vector<QCheckBox*> checks_;
  std::vector<QLineEdit*> values_;
  QPushButton* update_ = nullptr;
  QPushButton* cancel_ = nullptr;
  int refusals_ = 0;
};

}  // namespace ostrel

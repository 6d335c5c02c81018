#include "gui/service/c_info_memory.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/session/app_context.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {

CInfoMemory::CInfoMemory(AppContext& ctx, QtPresenter& presenter, std::uint8_t* image,
                         bool guidedWave, QWidget* parent)
    : QDialog(parent), ctx_(ctx), presenter_(presenter), image_(image) {
  setObjectName("CInfoMemory");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowTitle("Information Memory");

  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  const auto shown = showInfoMemory(image_);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    auto* label = new QLabel(kInfoFieldLabels[i], this);
    fields_[i] = new QLineEdit(QString::fromStdString(shown[i]), this);
    fields_[i]->setObjectName(kInfoFieldLabels[i]);
    label->setBuddy(fields_[i]);
    grid->addWidget(label, static_cast<int>(i), 0);
    grid->addWidget(fields_[i], static_cast<int>(i), 1);
  }
  grid->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  update_ = new QPushButton("Update", this);
  update_->setObjectName("IDOK");
  update_->setDefault(true);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("IDCANCEL");
  cancel_->setAutoDefault(false);
  buttons->addStretch(1);
  buttons->addWidget(update_);
  buttons->addWidget(cancel_);
  connect(update_, &QPushButton::clicked, this, &CInfoMemory::accept);
  connect(cancel_, &QPushButton::clicked, this, &CInfoMemory::reject);
  // A guided-wave radar unit's information memory is only shown.
  update_->setEnabled(!guidedWave);
  setMinimumWidth(320);
}

void CInfoMemory::accept() {
  if (!update_->isEnabled()) return;  // Enter on a unit whose memory is only shown
  std::vector<std::pair<std::string, std::string>> edits;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    edits.emplace_back(kInfoFieldLabels[i], fields_[i]->text().toStdString());
  }
  const InfoEditResult result = applyInfoMemoryFields(image_, edits);
  if (!result.ok) {
    presenter_.messageBox(ctx_.format(result.errorKey, {result.field}), kStyleError);
    if (const auto f = infoFieldByLabel(result.field)) field(*f)->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace ostrel

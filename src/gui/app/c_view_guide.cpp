#include "gui/app/c_view_guide.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/session/app_context.h"

namespace ostrel {
namespace {
QString text(const AppContext& ctx, const char* key, const char* fallback) {
  return QString::fromStdString(ctx.text(key, fallback));
}
}  // namespace

CViewGuide::CViewGuide(const AppContext& ctx, bool& showGuide, QWidget* parent)
    : QDialog(parent), showGuide_(showGuide) {
  setObjectName("CViewGuide");
  setWindowTitle(text(ctx, "IDD_VIEWGUIDE", "Quick Start Guide"));
  question_ = new QLabel(text(ctx, "IDC_VIEWGUIDE_INST", ""), this);
  question_->setWordWrap(true);
  skip_ = new QCheckBox(text(ctx, "IDC_SKIPINTRO", "Do not show this again"), this);
  skip_->setObjectName("IDC_SKIPINTRO");
  yes_ = new QPushButton(text(ctx, "IDC_YES", "Yes"), this);
  yes_->setObjectName("IDC_YES");
  no_ = new QPushButton(text(ctx, "IDC_NO", "No"), this);
  no_->setObjectName("IDC_NO");
  yes_->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(skip_);
  buttons->addStretch(1);
  buttons->addWidget(yes_);
  buttons->addWidget(no_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(question_);
  layout->addLayout(buttons);

  connect(yes_, &QPushButton::clicked, this, [this] { finish(QDialog::Accepted); });
  connect(no_, &QPushButton::clicked, this, [this] { finish(QDialog::Rejected); });
}

void CViewGuide::finish(int result) {
  if (skip_->isChecked()) showGuide_ = false;
  done(result);
}

}  // namespace ostrel

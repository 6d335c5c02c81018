#include "gui/service/c_direct_entry.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/session/app_context.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

CDirectEntry::CDirectEntry(AppContext& ctx, QtPresenter& presenter, DirectEntryRequest& request,
                           QWidget* parent)
    : QDialog(parent), ctx_(ctx), presenter_(presenter), request_(request) {
  setObjectName("CDirectEntry");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowTitle(qs(ctx.text("IDD_DIRECTENTRY", "Direct Memory Entry")));

  auto* layout = new QVBoxLayout(this);
  auto* fields = new QGridLayout;
  layout->addLayout(fields);
  auto* addressLabel = new QLabel(qs(ctx.text("IDC_ADDRESS_LABEL", "Word Address")), this);
  addressLabel->setObjectName("IDC_ADDRESS_LABEL");
  address_ = new QLineEdit(this);
  address_->setObjectName("IDC_ADDRESS");
  auto* valueLabel = new QLabel(qs(ctx.text("IDC_VALUE_LABEL", "Value")), this);
  valueLabel->setObjectName("IDC_VALUE_LABEL");
  value_ = new QLineEdit(this);
  value_->setObjectName("IDC_VALUE");
  addressLabel->setBuddy(address_);
  valueLabel->setBuddy(value_);
  fields->addWidget(addressLabel, 0, 0);
  fields->addWidget(address_, 0, 1);
  fields->addWidget(valueLabel, 1, 0);
  fields->addWidget(value_, 1, 1);

  auto* pages = new QGroupBox(this);
  auto* pagesLayout = new QVBoxLayout(pages);
  customer_ = new QRadioButton(qs(ctx.text("IDC_CUSTPAGE", "Customer Page")), pages);
  customer_->setObjectName("IDC_CUSTPAGE");
  factory_ = new QRadioButton(qs(ctx.text("IDC_FACTPAGE", "Factory Page")), pages);
  factory_->setObjectName("IDC_FACTPAGE");
  auto* group = new QButtonGroup(this);
  group->addButton(customer_);
  group->addButton(factory_);
  pagesLayout->addWidget(customer_);
  pagesLayout->addWidget(factory_);
  layout->addWidget(pages);
  // The customer page is chosen when the dialog opens.
  customer_->setChecked(true);

  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  update_ = new QPushButton(qs(ctx.text("IDC_UPDATE", "Update")), this);
  update_->setObjectName("IDC_UPDATE");
  update_->setDefault(true);
  cancel_ = new QPushButton(qs(ctx.text("IDCANCEL", "Cancel")), this);
  cancel_->setObjectName("IDCANCEL");
  cancel_->setAutoDefault(false);
  buttons->addStretch(1);
  buttons->addWidget(update_);
  buttons->addWidget(cancel_);
  connect(update_, &QPushButton::clicked, this, &CDirectEntry::accept);
  connect(cancel_, &QPushButton::clicked, this, &CDirectEntry::reject);
}

void CDirectEntry::accept() {
  const int page = customer_->isChecked() ? 1 : factory_->isChecked() ? 2 : 0;
  const DirectEntryCheck check = checkDirectEntry(address_->text().toStdString(),
                                                  value_->text().toStdString(), page);
  if (!check.ok) {
    presenter_.messageBox(ctx_.text(check.errorKey), kStyleError);
    return;
  }
  request_ = check.request;
  QDialog::accept();
}

}  // namespace ostrel

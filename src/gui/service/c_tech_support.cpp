#include "gui/service/c_tech_support.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/session/app_context.h"
#include "gui/support/device_work.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

CTechSupport::CTechSupport(AppContext& ctx, QtPresenter& presenter, TechSupportFields& kept,
                           QWidget* parent)
    : QDialog(parent), ctx_(ctx), presenter_(presenter), kept_(kept) {
  setObjectName("CTechSupport");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowTitle("Tech Support");

  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  const auto line = [&](int row, const char* caption, const char* name, const std::string& value) {
    auto* label = new QLabel(caption, this);
    auto* box = new QLineEdit(qs(value), this);
    box->setObjectName(name);
    label->setBuddy(box);
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1);
    return box;
  };
  server_ = line(0, "Email Server", "IDC_EMAILSERVER", kept.server);
  name_ = line(1, "Name", "IDC_CONTACTNAME", kept.name);
  phone_ = line(2, "Phone Number", "IDC_PHONENUMBER", kept.phone);
  email_ = line(3, "Email Address", "IDC_EMAILADDRESS", kept.email);
  grid->setColumnStretch(1, 1);

  auto* descriptionLabel = new QLabel("Brief description of the problem", this);
  layout->addWidget(descriptionLabel);
  description_ = new QPlainTextEdit(this);
  description_->setObjectName("IDC_DESCRIPTION");
  description_->setTabChangesFocus(true);
  descriptionLabel->setBuddy(description_);
  layout->addWidget(description_, 1);

  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  send_ = new QPushButton("Upload Data to Kestrane", this);
  send_->setObjectName("IDC_SENDBUTTON");
  send_->setAutoDefault(false);
  buttons->addStretch(1);
  buttons->addWidget(send_);
  connect(send_, &QPushButton::clicked, this, &CTechSupport::send);
  setMinimumSize(420, 360);
}

void CTechSupport::send() {
  if (DeviceWork::running()) return;
  send_->setDown(true);
  kept_.server = server_->text().trimmed().toStdString();
  kept_.name = name_->text().toStdString();
  kept_.phone = phone_->text().toStdString();
  kept_.email = email_->text().trimmed().toStdString();
  TechSupportFields fields = kept_;
  fields.description = description_->toPlainText().toStdString();

  const std::string missing = techSupportMissingText(fields);
  if (!missing.empty()) {
    send_->setDown(false);
    if (presenter_.messageBox(missing, kStyleYesNo | kStyleQuestion) != kResultYes) reject();
    return;
  }

  UnitMemory& memory = *ctx_.Memory;
  const TechSupportImages images{memory.Info.data(), memory.Pages[UnitMemory::kCustomer].data(),
                                 memory.Pages[UnitMemory::kFactory].data(),
                                 memory.Pages[UnitMemory::kHistory].data()};
  const std::string mailbox = ctx_.Identity.SupportMail;
  const std::filesystem::path logs = ctx_.Folders.Logs;
  const int timeout = responseTimeoutMs;
  TechSupportOutcome outcome;
  presenter_.showBusy("");
  const bool ran = DeviceWork::run([&] {
    outcome = sendTechSupport(fields, images, mailbox, logs, timeout);
  });
  presenter_.hideBusy();
  send_->setDown(false);
  if (ran) finish(outcome);
}

void CTechSupport::finish(const TechSupportOutcome& o) {
  last_ = o;
  using Step = TechSupportOutcome::Step;
  if (o.ok()) {
    ctx_.Log.LogEvent("TECHSUPPORT", "Support mail sent through " + kept_.server);
    accept();
    return;
  }
  if (!o.detail.empty()) ctx_.Log.LogEvent("TECHSUPPORT", o.errorKey + ": " + o.detail);
  if (o.step == Step::Refused) {
    // A field that could add a header or a recipient: nothing was written
    // or sent, and the dialog stays for the field to be mended.
    presenter_.messageBox(ctx_.format(o.errorKey, {o.argument}), kStyleError);
    return;
  }
  if (o.step == Step::AttachmentFile) {
    presenter_.messageBox("error opening attachment file - " + o.argument, kStylePlain);
  }
  const std::string text = o.errorKey == "ERROR_MESSAGE100" ? ctx_.format(o.errorKey, {o.argument})
                                                            : ctx_.text(o.errorKey);
  presenter_.messageBox(text, kStylePlain);
  reject();
}

}  // namespace ostrel

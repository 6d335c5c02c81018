#include "gui/firmware/c_update_program.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>

#include "core/firmware/program_target.h"
#include "core/model/help_locator.h"
#include "core/session/app_context.h"
#include "gui/app/c_main_form.h"
#include "gui/app/c_ostrel_dlg.h"
#include "gui/firmware/c_select_program.h"
#include "gui/firmware/forwarding_presenter.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/gui_mailbox.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

CUpdateProgram::SelectRunner& selectRunner() {
  static CUpdateProgram::SelectRunner runner;
  return runner;
}

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void CUpdateProgram::setSelectRunner(SelectRunner runner) { selectRunner() = std::move(runner); }

CUpdateProgram::CUpdateProgram(PageServices services, QWidget* parent)
    : CPropertyPage("IDD_UPDATEPROGRAM", "Updates", services, parent),
      mailbox_(std::make_unique<GuiMailbox>()) {
  workerPresenter_ = std::make_unique<ForwardingPresenter>(presenter(), *mailbox_);
  model_ = std::make_unique<UpdatePageModel>(presenter(), context().Language,
                                             context().Values.LanguageNumber);
  model_->setView(this);

  box_ = new QGroupBox(this);
  box_->setObjectName("IDC_UPDATEBOX_TXT");
  fileLabel_ = new QLabel(box_);
  fileLabel_->setObjectName("IDC_FMWEFN_TXT");
  path_ = new QLineEdit(box_);
  path_->setObjectName("IDC_FILENAME");
  path_->setReadOnly(true);
  select_ = new QPushButton(box_);
  select_->setObjectName("IDC_SELECTPROGRAM");
  select_->setAutoDefault(false);
  update_ = new QPushButton(box_);
  update_->setObjectName("IDC_PROGRAM");
  update_->setAutoDefault(false);
  progress_ = new QProgressBar(box_);
  progress_->setObjectName("IDC_PROGRESS");
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  status_ = new QLabel(box_);
  status_->setObjectName("IDC_PROGRESS_TXT");

  auto* row = new QHBoxLayout;
  row->addWidget(path_, 1);
  row->addWidget(select_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(update_);
  buttons->addStretch(1);
  auto* inner = new QVBoxLayout(box_);
  inner->addWidget(fileLabel_);
  inner->addLayout(row);
  inner->addLayout(buttons);
  inner->addWidget(progress_);
  inner->addWidget(status_);
  pageLayout()->insertWidget(pageLayout()->count() - 1, box_);

  connect(select_, &QPushButton::clicked, this, &CUpdateProgram::onSelectProgram);
  connect(update_, &QPushButton::clicked, this, &CUpdateProgram::onUpdateSensor);
  applyCaptions();
  qApp->installEventFilter(this);
}

CUpdateProgram::~CUpdateProgram() {
  qApp->removeEventFilter(this);
  // The main form stays open during a run, so a run ends before the page
  // goes; should it not, the worker's questions get their defaults and its
  // posts are dropped while it finishes.
  closing_ = true;
  workerPresenter_->close();
  while (workerActive_) {
    mailbox_->drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (worker_.joinable()) worker_.join();
}

void CUpdateProgram::applyCaptions() {
  box_->setTitle(text("IDC_UPDATEBOX_TXT", "Update Firmware in the unit"));
  fileLabel_->setText(text("IDC_FMWEFN_TXT", "Firmware File Name:"));
  select_->setText(text("IDC_SELECTPROGRAM", "Select Program"));
  update_->setText(text("IDC_PROGRAM", "Update Sensor"));
}

UpdatePageUnit CUpdateProgram::unitNow() const {
  const AppContext& ctx = context();
  UpdatePageUnit u;
  u.programsFolder = ctx.Folders.Programs;
  if (!ctx.Unit.modelFileName.empty()) u.modelFile = ctx.Folders.Models / ctx.Unit.modelFileName;
  u.unitRange = ctx.Database.UnitRange;
  u.softwareRevision = ctx.Unit.softwareRevision;
  u.stubbed = stubbed();
  return u;
}

int CUpdateProgram::runSelect(const ProgramChoice& choice) {
  CSelectProgram dialog(context(), choice, this);
  int result = QDialog::Rejected;
  if (selectRunner()) {
    result = selectRunner()(dialog);
  } else if (!presenter().unattended()) {
    result = dialog.exec();
  }
  return result == QDialog::Accepted ? dialog.chosenIndex() : -1;
}

bool CUpdateProgram::OfferUpdate(UnitConfiguration& /*unit*/) {
  model_->setUnit(unitNow());
  return model_->OfferUpdate([this](const ProgramChoice& c) { return runSelect(c); });
}

void CUpdateProgram::OnSetActive() {
  CPropertyPage::OnSetActive();
  model_->setUnit(unitNow());
  const bool startNow = model_->activate(context().State.UpdateOfferMark);
  applyCaptions();
  // The startup window stays out of the way while the main form is open.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<COstrelDlg*>(w) != nullptr) w->hide();
  }
  QApplication::restoreOverrideCursor();
  if (startNow) onUpdateSensor();
}

bool CUpdateProgram::OnKillActive() { return model_->leave(); }

void CUpdateProgram::changed(UpdatePart part) {
  switch (part) {
    case UpdatePart::Path: path_->setText(qs(model_->fieldPath())); break;
    case UpdatePart::Buttons:
      select_->setEnabled(model_->buttonsEnabled());
      update_->setEnabled(model_->buttonsEnabled());
      break;
    case UpdatePart::Progress: progress_->setValue(model_->progress()); break;
    case UpdatePart::Status:
      status_->setText(qs(model_->statusText()));
      status_->repaint();
      break;
  }
}

void CUpdateProgram::onSelectProgram() {
  model_->setUnit(unitNow());
  model_->selectProgram([this](const ProgramChoice& c) { return runSelect(c); });
}

void CUpdateProgram::onUpdateSensor() {
  model_->setUnit(unitNow());
  if (const std::optional<UpdatePageModel::Run> run = model_->updateSensor()) start(*run);
}

void CUpdateProgram::start(const UpdatePageModel::Run& run) {
  AppContext& ctx = context();
  target_ = std::make_unique<CProgramTarget>(*ctx.Link, *workerPresenter_, ctx.Language,
                                             ctx.Values.LanguageNumber, ctx.Log);
  target_->path = run.path;
  target_->programNames = run.programNames;
  target_->forceUnfit = run.forceUnfit;
  GuiMailbox* mailbox = mailbox_.get();
  target_->progress = [this, mailbox](int value, std::size_t, std::size_t) {
    mailbox->post([this, value] {
      if (!closing_) model_->progressValue(value);
    });
  };
  workerActive_ = true;
  worker_ = std::thread([this, mailbox] {
    const int result = target_->Run();
    mailbox->post([this, result] {
      if (!closing_) finished(result);
    });
    workerActive_ = false;
  });
}

void CUpdateProgram::finished(int result) {
  // The worker's last act was the post that brought us here.
  if (worker_.joinable()) worker_.join();
  const UpdatePageModel::Completion c = model_->complete(result);
  emit runFinished(result);
  if (c.reconnect) {
    context().State.UpdateOfferMark = true;
    // The unit restarts on its new program: the startup window identifies
    // it again.
    if (auto* form = qobject_cast<QDialog*>(window()); form != nullptr) {
      form->done(CMainForm::kReconnect);
    }
  }
}

void CUpdateProgram::showHelpFor(const QWidget* widget) {
  const bool sensor = widget != nullptr && widget->isVisible() && widget->isEnabled() &&
                      (widget == update_ || widget == box_ || widget == select_);
  const AppContext& ctx = context();
  const HelpLocation at =
      HelpLocator::locate(HelpFiles{ctx.Folders.Help, {}, ctx.Identity.MainHelp},
                          sensor ? kSensorHelpTopic : kHelpTopic);
  if (!at.found()) {
    presenter().messageBox(ctx.text(HelpLocator::kMissingMessage), kStyleError);
    return;
  }
  CHelpBrowser::setLanguage(&ctx.Language, &ctx.Values);
  CHelpBrowser::show(at.File, this);
}

bool CUpdateProgram::eventFilter(QObject* watched, QEvent* event) {
  // The main form is not closed under a run.
  if (event->type() == QEvent::Close && model_->running() && watched == window() &&
      window() != this) {
    event->ignore();
    return true;
  }
  // A right click on the page opens its help (the main form drops right
  // clicks before any widget sees them); the control under the pointer
  // then takes the focus as a left click would give it.
  if (event->type() == QEvent::MouseButtonPress && isVisible()) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton && widget != nullptr &&
        (widget == this || isAncestorOf(widget))) {
      showHelpFor(widget);
      if (widget->focusPolicy() != Qt::NoFocus) widget->setFocus(Qt::MouseFocusReason);
      return true;
    }
  }
  return CPropertyPage::eventFilter(watched, event);
}

}  // namespace ostrel

#include "gui/app/c_ostrel_dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <iostream>

#include "core/net/upload_sender.h"
#include "core/session/app_context.h"
#include "core/session/startup_sequence.h"
#include "core/support/presenter.h"
#include "gui/app/c_main_form.h"
#include "gui/app/c_view_guide.h"
#include "gui/config/c_generic_form.h"
#include "gui/diag/c_big_display.h"
#include "gui/diag/c_diagnostics.h"
#include "gui/diag/c_echo_curve_pulse.h"
#include "gui/firmware/c_update_program.h"
#include "gui/support/c_busy_window.h"
#include "gui/support/device_work.h"
#include "gui/support/document_opener.h"
#include "gui/support/gui_mailbox.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The startup window's status line and bar while the configuration page is
// activated (on the GUI thread, in the main form's first moments).
class ActivationProgress final : public ProgressSink {
 public:
  explicit ActivationProgress(COstrelDlg& dlg) : dlg_(dlg) {}
  void setMessage(const std::string& text) override { dlg_.setStatusText(qs(text)); }
  void setProgress(int percent) override {
    percent_ = percent;
    dlg_.setProgress(percent);
  }
  int progress() const override { return percent_; }

 private:
  COstrelDlg& dlg_;
  int percent_ = 0;
};

// The startup window as the sequence sees it. The sequence runs on a
// worker; each change reaches the window as a queued call with its own
// copy of the text, in the order made.
class WindowView final : public StartupView {
 public:
  // Made on the window's thread, and so is its mailbox.
  explicit WindowView(COstrelDlg& dlg) : dlg_(dlg) {}
  // The changes still queued; once the work has ended.
  void flush() { box_.drain(); }
  void statusText(const std::string& text) override {
    post([text](COstrelDlg& d) { d.setStatusText(qs(text)); });
  }
  void captionLine(const std::string& text) override {
    post([text](COstrelDlg& d) { d.setCaptionLine(qs(text)); });
  }
  void progress(int percent) override {
    post([percent](COstrelDlg& d) { d.setProgress(percent); });
  }
  void startButtons(bool enabled) override {
    post([enabled](COstrelDlg& d) { d.setStartButtons(enabled); });
  }
  void troubleshootLink(bool visible) override {
    post([visible](COstrelDlg& d) { d.troubleshootLink()->setVisible(visible); });
  }

 private:
  template <typename F>
  void post(F f) {
    box_.post([this, f] { f(dlg_); });
  }
  COstrelDlg& dlg_;
  GuiMailbox box_;  // on the window's thread; dropped calls die with it
};

}  // namespace

COstrelDlg::COstrelDlg(const StartupOptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
  presenter_ = std::make_unique<QtPresenter>(nullptr, nullptr, options.unattended);
  const std::filesystem::path dataRoot = resolveDataRoot(options.dataDir);
  std::string error;
  std::unique_ptr<CableDriver> driver = options.createDriver(error);
  if (!driver) {
    // The options were checked when parsed; a bad kind here is a caller's.
    std::cerr << "ostrel: " << error << ", looking for interface cables instead\n";
    driver = StartupOptions{}.createDriver(error);
  }
  context_ = std::make_unique<AppContext>(
      WorkFolders::build(dataRoot, installedDataDir()),
      options.configRoot ? *options.configRoot : userConfigDir(), *presenter_, std::move(driver),
      options.linkTiming.value_or(UnitLink::Timing{}));
  sequence_ = std::make_unique<StartupSequence>(*context_);
  presenter_->setLanguage(&context_->Language, &context_->Values);
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  timer_->setInterval(10);
  connect(timer_, &QTimer::timeout, this, &COstrelDlg::onTimer);
  uploadBox_ = new GuiMailbox(this);
  buildWindow();
}

// The context goes first: it stops the link's service thread before the
// link and its driver are destroyed; the presenter it reports to outlives it.
COstrelDlg::~COstrelDlg() {
  // Reports still on their way stop here and wait for the next start.
  stopUploads_ = true;
  if (uploadWorker_.joinable()) uploadWorker_.join();
  uploads_.reset();
  sequence_.reset();
  context_.reset();
}

void COstrelDlg::buildWindow() {
  setObjectName("COstrelDlg");
  auto* layout = new QVBoxLayout(this);

  statusGroup_ = new QGroupBox("Status", this);
  auto* statusLayout = new QVBoxLayout(statusGroup_);
  status_ = new QLabel(statusGroup_);
  status_->setObjectName("IDC_STATUS");
  status_->setWordWrap(true);
  status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  status_->setMinimumHeight(fontMetrics().lineSpacing() * 4);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  troubleshoot_ = new QLabel(statusGroup_);
  troubleshoot_->setObjectName("IDC_TROUBLESHOOT");
  troubleshoot_->setText("<a href=\"driver\">Troubleshoot Driver</a>");
  troubleshoot_->setVisible(false);
  connect(troubleshoot_, &QLabel::linkActivated, this, &COstrelDlg::openTroubleshootHelp);
  caption_ = new QLabel(statusGroup_);
  caption_->setObjectName("IDC_CAPTION");
  progress_ = new QProgressBar(statusGroup_);
  progress_->setObjectName("IDC_PROGRESS");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  statusLayout->addWidget(status_, 1);
  statusLayout->addWidget(troubleshoot_);
  statusLayout->addWidget(caption_);
  statusLayout->addWidget(progress_);

  startupGroup_ = new QGroupBox("Startup", this);
  startupGroup_->setFocusPolicy(Qt::StrongFocus);
  auto* startupLayout = new QHBoxLayout(startupGroup_);
  sample_ = new QPushButton("Sample Program", startupGroup_);
  sample_->setObjectName("IDC_STUBBEDMODE");
  retry_ = new QPushButton("Try Again", startupGroup_);
  retry_->setObjectName("IDC_RESTART");
  sample_->setEnabled(false);
  retry_->setEnabled(false);
  sample_->setAutoDefault(false);
  retry_->setAutoDefault(false);
  connect(sample_, &QPushButton::clicked, this, &COstrelDlg::SampleProgram);
  connect(retry_, &QPushButton::clicked, this, &COstrelDlg::ConnectSequence);
  startupLayout->addStretch(1);
  startupLayout->addWidget(sample_);
  startupLayout->addWidget(retry_);

  layout->addWidget(statusGroup_, 1);
  layout->addWidget(startupGroup_);
  setMinimumWidth(fontMetrics().averageCharWidth() * 60);
}

void COstrelDlg::caption(QWidget* widget, const char* key, QString& text) {
  // One text reused for the run of lookups: a missing key repeats the text
  // before it, as every form of the tool does.
  std::string t = text.toStdString();
  context_->lookup(key, t);
  text = qs(t);
  if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    box->setTitle(text);
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    button->setText(text);
  } else {
    widget->setWindowTitle(text);
  }
}

void COstrelDlg::applyCaptions() {
  QString text;
  caption(statusGroup_, "IDC_FRAME_STATUS", text);
  caption(startupGroup_, "IDC_FRAME_STARTUP", text);
  caption(sample_, "IDC_STUBBEDMODE", text);
  caption(retry_, "IDC_RESTART", text);
  caption(&presenter_->busyWindow(), "IDD_BUSYWINDOW", text);
}

void COstrelDlg::fail(int code) {
  exitCode_ = code;
  context_->Log.Close();
}

bool COstrelDlg::initialise() {
  AppContext& ctx = *context_;

  // 1. Busy window empty at 0, progress 0, no caption.
  presenter_->busyWindow().setMessage("");
  presenter_->busyWindow().setProgress(0);
  progress_->setValue(0);
  caption_->clear();

  // 3. Work folders; the log opens as soon as its folder is known.
  std::string error;
  if (!ctx.prepareFolders(error)) std::cerr << "ostrel: " << error << '\n';
  ctx.openLog();

  // 4. The product family file.
  if (!ctx.loadCorporateModel()) {
    presenter_->platformMessageBox(
        "Corporate model file not found!\nUpdate to the latest software version.\n"
        "Application will exit.",
        kStylePlain);
    fail(kExitStartFailed);
    return false;
  }
  presenter_->setProductName(qs(ctx.Identity.ProgramName));

  // 5. Texts.
  // Without a language file the window keeps its own captions rather than
  // blanking every one of them.
  if (ctx.loadLanguage() == 0) applyCaptions();

  // 6. Settings.
  ctx.installSettingsKey();
  int code = 0;
  if (ctx.loadSettings(code)) {
    presenter_->errorDetail(ctx.format("ERROR_MESSAGE16", {code}), ctx.text("ERROR_MESSAGE17"));
    fail(kExitStartFailed);
    return false;
  }

  // 7. Start entry; 8. title.
  ctx.logStart();
  setWindowTitle(qs(ctx.applicationTitle()));

  // 9. The quick-start guide, when the user still wants it offered.
  if (ctx.Values.ShowGuide) guidePrompt();

  // 10. Pending configuration reports, sent on a worker so that a slow or
  // absent server holds up neither this window nor the connect sequence;
  // the main form starts on its first page with no update offer taken.
  sendPendingUploads();
  ctx.State.StartPage = 0;
  ctx.State.UpdateOfferMark = false;

  // 11. A tool window: the main form is the one on the taskbar.
  setWindowFlag(Qt::Tool, true);

  // 12. The link's service thread; 13. the connect sequence 10 ms later.
  ctx.Link->StartServiceThread();
  if (options_.sample) {
    QTimer::singleShot(10, this, &COstrelDlg::SampleProgram);
    return true;
  }
  setPhase(Phase::Connecting);
  timer_->start();
  return true;
}

void COstrelDlg::guidePrompt() {
  AppContext& ctx = *context_;
  if (presenter_->unattended()) {
    std::cerr << "[guide] " << ctx.text("IDC_VIEWGUIDE_INST") << " -> " << ctx.text("IDC_NO", "No")
              << std::endl;
    return;
  }
  CViewGuide guide(ctx, ctx.Values.ShowGuide, this);
  if (guide.exec() == QDialog::Accepted &&
      !openDocument(ctx.Folders.Help / ctx.Values.GuideFile, false)) {
    presenter_->errorDetail(ctx.text("ERROR_MESSAGE21"), ctx.text("ERROR_MESSAGE22"));
  }
  if (!ctx.Values.ShowGuide) {
    int code = 0;
    if (ctx.Settings.WriteBool("GUIDE", false, code)) {
      presenter_->errorDetail(ctx.format("ERROR_MESSAGE23", {code}), ctx.text("ERROR_MESSAGE24"));
    }
  }
}

void COstrelDlg::sendPendingUploads() {
  AppContext& ctx = *context_;
  auto uploads = std::make_unique<PendingUploads>(PendingUploads::prepare(
      ctx.Settings, pendingUploadFile(ctx.Folders.Logs, ctx.Identity.CorporateId),
      ctx.Identity.Server));
  if (!uploads->ready()) {
    showUploadOutcome(uploads->outcome());
    return;
  }
  uploads_ = std::move(uploads);
  uploadWorker_ = std::thread([this, uploads = uploads_.get()] {
    UploadRequestOptions options;
    options.stop = &stopUploads_;
    uploads->send(options);
    uploadBox_->post([this] { finishUploads(); });
  });
}

void COstrelDlg::finishUploads() {
  if (uploadWorker_.joinable()) uploadWorker_.join();
  if (!uploads_) return;
  const UploadOutcome outcome = uploads_->finish(context_->Settings);
  uploads_.reset();
  showUploadOutcome(outcome);
}

// Only the settings' failures are shown; a report that could not be sent
// waits silently for the next start, and the log says why.
void COstrelDlg::showUploadOutcome(const UploadOutcome& outcome) {
  AppContext& ctx = *context_;
  if (!outcome.detail.empty()) ctx.Log.LogEvent("UPLOAD", outcome.detail);
  const std::string key = outcome.messageKey();
  if (!key.empty()) presenter_->messageBox(ctx.format(key, {outcome.code}), kStyleError);
}

void COstrelDlg::openTroubleshootHelp() {
  if (!openDocument(context_->Folders.Help / "UpdateDriver.pdf", presenter_->unattended())) {
    presenter_->messageBox(context_->text("ERROR_MESSAGE59"), kStyleError);
  }
}

void COstrelDlg::setPhase(Phase phase) {
  if (phase_ == phase) return;
  phase_ = phase;
  emit phaseChanged(phase);
}

void COstrelDlg::setStartButtons(bool enabled) {
  sample_->setEnabled(enabled);
  retry_->setEnabled(enabled);
}

template <typename Work>
auto COstrelDlg::runWork(Work&& work) {
  working_ = true;
  WindowView view(*this);
  StartupSequence::Outcome outcome{};
  const bool ran = DeviceWork::run([&] { outcome = work(view); });
  // Let the queued window changes land before the outcome is acted on.
  view.flush();
  working_ = false;
  return ran ? std::optional<StartupSequence::Outcome>(outcome) : std::nullopt;
}

void COstrelDlg::onTimer() {
  timer_->stop();
  show();
  ConnectSequence();
}

void COstrelDlg::ConnectSequence() {
  if (working_ || phase_ == Phase::MainFormOpen || phase_ == Phase::Ended) return;
  setPhase(Phase::Connecting);
  setProgress(10);
  setStartButtons(false);
  startupGroup_->setFocus();
  using Outcome = StartupSequence::Outcome;
  const std::optional<Outcome> outcome =
      runWork([this](StartupView& view) { return sequence_->ConnectSequence(view); });
  if (!outcome) return;  // other device work is under way; it decides what follows
  AppContext& ctx = *context_;
  switch (*outcome) {
    case Outcome::Identified: OpenMainForm(false); return;
    case Outcome::IdentifiedByHardware:
      presenter_->messageBox(ctx.text("ERROR_MESSAGE130"), kStyleInformation);
      OpenMainForm(false);
      return;
    case Outcome::NotIdentified:
      if (!ctx.Values.MakerMode) {
        setStartButtons(true);
      } else if (presenter_->platformMessageBox("Would you like to proceed?", kStyleYesNo) ==
                 kResultYes) {
        OpenMainForm(false);
        return;
      }
      break;
    case Outcome::Stopped: break;
  }
  setPhase(Phase::Waiting);
}

void COstrelDlg::SampleProgram() {
  if (working_ || phase_ == Phase::MainFormOpen || phase_ == Phase::Ended) return;
  setPhase(Phase::Connecting);
  const std::optional<StartupSequence::Outcome> outcome =
      runWork([this](StartupView& view) { return sequence_->SampleProgram(view); });
  if (!outcome) return;  // other device work is under way; it decides what follows
  if (*outcome != StartupSequence::Outcome::Identified) {
    if (!context_->Values.MakerMode ||
        presenter_->platformMessageBox("Would you like to exit", kStyleYesNo) == kResultYes) {
      setPhase(Phase::Waiting);
      return;
    }
  }
  presenter_->hideBusy();
  OpenMainForm(true);
}

void COstrelDlg::OpenMainForm(bool stubbed) {
  AppContext& ctx = *context_;
  QString caption = qs(ctx.applicationTitle());
  if (stubbed) caption += " - " + qs(ctx.text("IDD_MAINFORM_STUBBEDMODE"));

  const PageServices services{ctx, *presenter_, stubbed};
  CMainForm form(ctx, *presenter_, caption);
  auto* update = new CUpdateProgram(services);
  auto* configuration = new CGenericForm(services);
  form.addPage(configuration);
  form.addPage(update);
  auto* live = new CBigDisplay(services);
  live->configurationModel = [configuration] { return &configuration->model(); };
  if (ctx.Values.DemoTab) form.addPage(live);
  // The configuration page adds and removes these as the model's kind wants.
  form.holdPage(CMainForm::Optional::Update, update);
  form.holdPage(CMainForm::Optional::LiveDisplay, live);
  form.holdPage(CMainForm::Optional::Diagnostics, new CDiagnostics(services));
  form.holdPage(CMainForm::Optional::EchoCurve, new CEchoCurvePulse(services));
  configuration->presentPages = [&form] { return form.presentPages(); };
  configuration->showPages = [&form](const MainFormPages& wanted) { form.showPages(wanted); };
  ActivationProgress activation(*this);
  configuration->setActivationWindow(&activation, [this] { hide(); });

  if (ctx.State.Kind != UnitKind::Sample && ctx.State.Kind != UnitKind::PulseRadar &&
      !ctx.State.UpdateOfferMark &&
      update->OfferUpdate(ctx.Unit)) {
    ctx.State.UpdateOfferMark = true;
    ctx.State.StartPage = 1;
  } else {
    ctx.State.UpdateOfferMark = false;
    ctx.State.StartPage = 0;
  }
  form.setStartPage(ctx.State.StartPage);

  setPhase(Phase::MainFormOpen);
  QMetaObject::invokeMethod(
      this,
      [this, f = QPointer<CMainForm>(&form)] {
        if (f) emit mainFormOpened(f);
      },
      Qt::QueuedConnection);
  const int result = form.exec();
  configuration->setActivationWindow(nullptr, {});
  if (result == CMainForm::kReconnect) {
    show();
    setPhase(Phase::Connecting);
    timer_->start();
    return;
  }
  setPhase(Phase::Ended);
  done(result);
}

void COstrelDlg::closeEvent(QCloseEvent* event) {
  // A device procedure under way is never cut off halfway.
  if (working_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void COstrelDlg::reject() {
  if (working_) return;
  QDialog::reject();
}

void COstrelDlg::setStatusText(const QString& text) {
  status_->setText(text);
  status_->repaint();
}

void COstrelDlg::setCaptionLine(const QString& text) {
  caption_->setText(text);
  caption_->repaint();
}

void COstrelDlg::setProgress(int percent) {
  progress_->setValue(std::clamp(percent, 0, 100));
  progress_->repaint();
}

}  // namespace ostrel

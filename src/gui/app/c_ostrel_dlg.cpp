#include "gui/app/c_ostrel_dlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <iostream>

#include "core/session/app_context.h"
#include "core/support/presenter.h"
#include "gui/support/c_busy_window.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

COstrelDlg::COstrelDlg(const StartupOptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
  presenter_ = std::make_unique<QtPresenter>(nullptr, nullptr, options.unattended);
  const std::filesystem::path dataRoot = resolveDataRoot(options.dataDir);
  context_ = std::make_unique<AppContext>(
      WorkFolders::build(dataRoot, installedDataDir()),
      options.configRoot ? *options.configRoot : userConfigDir(), *presenter_);
  presenter_->setLanguage(&context_->Language, &context_->Values);
  buildWindow();
}

COstrelDlg::~COstrelDlg() = default;

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
  ctx.loadLanguage();
  applyCaptions();

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

  // 11. A tool window: the main form is the one on the taskbar.
  setWindowFlag(Qt::Tool, true);
  return true;
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

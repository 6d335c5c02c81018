#include "gui/config/c_advanced_pulse.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "core/config/config_page_model.h"
#include "core/model/help_locator.h"
#include "core/session/app_context.h"
#include "gui/config/page_sizing.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/device_work.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

bool CAdvancedPulse::run(QWidget* parent, AppContext& ctx, QtPresenter& presenter,
                         ConfigPageModel& page) {
  if (!page.radar().readThisActivation && !page.sampleMode()) {
    if (DeviceWork::running()) return false;
    presenter.showBusy(AdvancedPulseModel::kReadingMessage);
    std::optional<FormFailure> failure;
    // The radar answers within seconds; the windows paint on meanwhile.
    const bool ran = DeviceWork::run([&] {
      failure = AdvancedPulseModel::readRadar(*ctx.Link, ctx.Pulse, &presenter.busy());
    });
    presenter.hideBusy();
    if (!ran) return false;
    if (failure) {
      presenter.messageBox(formatText(ctx.text(failure->key), failure->args), kStyleError);
      return false;
    }
    page.markRadarAdvancedRead();
  }
  CAdvancedPulse dialog(ctx, presenter, page.radar().values, parent);
  fitToTitle(&dialog);
  if (dialog.exec() != QDialog::Accepted) return false;
  AdvancedPulseModel::apply(page.radar(), dialog.result());
  return true;
}

CAdvancedPulse::CAdvancedPulse(AppContext& ctx, QtPresenter& presenter,
                               const PulseParameters& block, QWidget* parent)
    : QDialog(parent), ctx_(ctx), presenter_(presenter), model_(ctx.Database, block) {
  setObjectName("CAdvancedPulse");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowTitle("Advanced");
  build();
  showControls();
}

void CAdvancedPulse::build() {
  auto* page = new QVBoxLayout(this);
  auto* lists = new QGridLayout;
  page->addLayout(lists);
  medium_ = new QComboBox(this);
  medium_->setObjectName("IDC_TYPEOFMEDIUM");
  firstEcho_ = new QComboBox(this);
  firstEcho_->setObjectName("IDC_FIRSTECHO");
  for (const std::string& name : model_.mediumNames()) medium_->addItem(qs(name));
  for (const std::string& name : model_.firstEchoNames()) firstEcho_->addItem(qs(name));
  lists->addWidget(new QLabel("Type Of Medium", this), 0, 0);
  lists->addWidget(medium_, 0, 1);
  lists->addWidget(new QLabel("First Echo", this), 1, 0);
  lists->addWidget(firstEcho_, 1, 1);
  connect(medium_, &QComboBox::activated, this, [this](int index) {
    readControls();
    model_.selectMedium(index);
    showControls();
  });

  auto* options = new QGroupBox(this);
  auto* grid = new QGridLayout(options);
  auto box = [this](const char* caption, const char* name) {
    auto* b = new QCheckBox(caption, this);
    b->setObjectName(name);
    return b;
  };
  fastLevel_ = box("Fast Level Change", "IDC_FASTLEVELCHANGE");
  agitation_ = box("Agitated Surface", "IDC_AGITATION");
  foam_ = box("Foam", "IDC_FOAM");
  powderDust_ = box("Powder / Dust", "IDC_POWDERDUST");
  largeAngle_ = box("Large Angle", "IDC_LARGEANGLE");
  lowDielectric_ = box("Low Dielectric", "IDC_LOWDIELECTRIC");
  stillWell_ = box("Still Well / Stand Pipe", "IDC_STILLWELL");
  grid->addWidget(fastLevel_, 0, 0);
  grid->addWidget(lowDielectric_, 0, 1);
  grid->addWidget(agitation_, 1, 0);
  grid->addWidget(foam_, 1, 1);
  grid->addWidget(powderDust_, 2, 0);
  grid->addWidget(largeAngle_, 2, 1);
  grid->addWidget(stillWell_, 3, 0);
  // The pipe diameter takes input whatever the medium, so its switch stays out of sight.
  stillWell_->hide();
  page->addWidget(options);

  auto* numbers = new QGridLayout;
  page->addLayout(numbers);
  const auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this);
  pipe_ = new QLineEdit(this);
  pipe_->setObjectName("IDC_PIPEDIAMETER");
  damping_ = new QLineEdit(this);
  damping_->setObjectName("IDC_DAMPINGTIME");
  for (QLineEdit* e : {pipe_, damping_}) {
    e->setValidator(digits);
    e->setMaxLength(5);
  }
  numbers->addWidget(new QLabel("Pipe Diameter in (mm)", this), 0, 0);
  numbers->addWidget(pipe_, 0, 1);
  numbers->addWidget(new QLabel("Damping Time", this), 1, 0);
  numbers->addWidget(damping_, 1, 1);
  numbers->addWidget(new QLabel("Seconds", this), 1, 2);

  auto* buttons = new QHBoxLayout;
  page->addLayout(buttons);
  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("IDOK");
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("IDCANCEL");
  defaults_ = new QPushButton("Defaults", this);
  defaults_->setObjectName("IDC_DEFAULTS");
  help_ = new QPushButton("Help", this);
  help_->setObjectName("IDHELP");
  ok_->setDefault(true);
  for (QPushButton* b : {ok_, cancel_, defaults_, help_}) buttons->addWidget(b);
  for (QPushButton* b : {cancel_, defaults_, help_}) b->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, &CAdvancedPulse::accept);
  connect(cancel_, &QPushButton::clicked, this, &CAdvancedPulse::reject);
  connect(help_, &QPushButton::clicked, this, &CAdvancedPulse::openHelp);
  connect(defaults_, &QPushButton::clicked, this, [this] {
    model_.defaults();
    showControls();
  });
}

void CAdvancedPulse::showControls() {
  const AdvancedPulseModel::Controls& c = model_.controls();
  medium_->setCurrentIndex(c.medium);
  firstEcho_->setCurrentIndex(c.firstEcho);
  fastLevel_->setChecked(c.fastLevelChange);
  agitation_->setChecked(c.agitation);
  foam_->setChecked(c.foam);
  powderDust_->setChecked(c.powderDust);
  largeAngle_->setChecked(c.largeAngle);
  lowDielectric_->setChecked(c.lowDielectric);
  agitation_->setEnabled(c.agitationEnabled);
  foam_->setEnabled(c.foamEnabled);
  powderDust_->setEnabled(c.powderDustEnabled);
  largeAngle_->setEnabled(c.largeAngleEnabled);
  pipe_->setText(qs(c.pipeDiameter));
  damping_->setText(qs(c.dampingTime));
}

void CAdvancedPulse::readControls() {
  AdvancedPulseModel::Controls& c = model_.controls();
  c.medium = medium_->currentIndex();
  c.firstEcho = firstEcho_->currentIndex();
  c.fastLevelChange = fastLevel_->isChecked();
  c.agitation = agitation_->isChecked();
  c.foam = foam_->isChecked();
  c.powderDust = powderDust_->isChecked();
  c.largeAngle = largeAngle_->isChecked();
  c.lowDielectric = lowDielectric_->isChecked();
  c.pipeDiameter = pipe_->text().toStdString();
  c.dampingTime = damping_->text().toStdString();
}

void CAdvancedPulse::accept() {
  readControls();
  QDialog::accept();
}

void CAdvancedPulse::openHelp() {
  const std::filesystem::path folder =
      HelpLocator::helpFolder(ctx_.Folders.Help, AdvancedPulseModel::kHelpFile);
  const std::filesystem::path file = HelpLocator::topicFile(folder, AdvancedPulseModel::kHelpTopic);
  if (file.empty() || CHelpBrowser::show(file, this) == nullptr) {
    presenter_.messageBox(ctx_.text(HelpLocator::kMissingMessage), kStyleError);
  }
}

void CAdvancedPulse::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    openHelp();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace ostrel

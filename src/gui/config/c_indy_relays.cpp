#include "gui/config/c_indy_relays.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/model/help_locator.h"
#include "core/session/app_context.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

constexpr const char* kPicture = "Independent Relays.bmp";
constexpr const char* kHelpFile = "INDYRELAYS.chm";
constexpr const char* kHelpTopic = "Independent Relays.htm";

}  // namespace

CIndyRelays::CIndyRelays(AppContext& ctx, QtPresenter& presenter, std::string relayUnitsText,
                         QWidget* parent)
    : QDialog(parent),
      ctx_(ctx),
      presenter_(presenter),
      model_(ctx.Unit.independentLevels, ctx.Unit.outputUnits,
             ctx.Database.GuidedWaveRadar != 0 || ctx.Database.Ugus != 0,
             std::move(relayUnitsText)) {
  setObjectName("CIndyRelays");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowTitle(qs(ctx.text("IDD_INDYRELAYS", "Independent Relays")));
  build();
}

void CIndyRelays::build() {
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(12, 12, 12, 12);
  picture_ = new QLabel(this);
  picture_->setObjectName("IDC_PICTURE");
  const QPixmap pixmap(qs((ctx_.Folders.Bitmaps / kPicture).string()));
  if (!pixmap.isNull()) picture_->setPixmap(pixmap);
  page->addWidget(picture_, 0, Qt::AlignHCenter | Qt::AlignTop);

  auto* unitsRow = new QHBoxLayout;
  unitsRow->addWidget(new QLabel(qs(ctx_.text("IDC_RELAYUNITS", "Relay Units")), this));
  units_ = new QLineEdit(qs(model_.unitsText()), this);
  units_->setObjectName("IDC_RELAYUNITSBOX");
  units_->setReadOnly(true);
  unitsRow->addWidget(units_);
  unitsRow->addStretch(1);
  page->addLayout(unitsRow);

  auto* relays = new QGridLayout;
  page->addLayout(relays);
  QFont bold = font();
  bold.setWeight(QFont::Bold);
  const QString on = qs(ctx_.text("IDC_IND1_ON", "ON"));
  const QString off = qs(ctx_.text("IDC_IND1_OFF", "OFF"));
  for (int k = 0; k < IndyRelaysModel::kRelays; ++k) {
    const std::string key = "IDC_INDRELAY" + std::to_string(k + 1);
    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    auto* caption = new QLabel(qs(ctx_.text(key, "Relay " + std::to_string(k + 1))), group);
    caption->setObjectName(qs(key));
    caption->setFont(bold);
    grid->addWidget(caption, 0, 0, 1, 2);
    for (const int i : {IndyRelaysModel::onBox(k), IndyRelaysModel::offBox(k)}) {
      const bool isOn = i == IndyRelaysModel::onBox(k);
      auto* e = new QLineEdit(qs(model_.box(i)), group);
      e->setObjectName(QString("IDC_IND%1_%2").arg(k + 1).arg(isOn ? "ON" : "OFF"));
      const int row = isOn ? 1 : 2;
      grid->addWidget(new QLabel(isOn ? on : off, group), row, 0);
      grid->addWidget(e, row, 1);
      boxes_[static_cast<std::size_t>(i)] = e;
    }
    captions_[static_cast<std::size_t>(k)] = caption;
    relays->addWidget(group, k / 2, k % 2);
  }

  auto* buttons = new QHBoxLayout;
  page->addLayout(buttons);
  ok_ = new QPushButton(qs(ctx_.text("IDC_OK", "OK")), this);
  ok_->setObjectName("IDC_OK");
  help_ = new QPushButton(qs(ctx_.text("IDD_HELP", "Help")), this);
  help_->setObjectName("IDD_HELP");
  cancel_ = new QPushButton(qs(ctx_.text("IDC_CANCEL", "Cancel")), this);
  cancel_->setObjectName("IDC_CANCEL");
  ok_->setDefault(true);
  help_->setAutoDefault(false);
  cancel_->setAutoDefault(false);
  buttons->addStretch(1);
  for (QPushButton* b : {ok_, help_, cancel_}) buttons->addWidget(b);
  connect(ok_, &QPushButton::clicked, this, &CIndyRelays::accept);
  connect(cancel_, &QPushButton::clicked, this, &CIndyRelays::reject);
  connect(help_, &QPushButton::clicked, this, &CIndyRelays::openHelp);
}

void CIndyRelays::accept() {
  for (int i = 0; i < IndyRelaysModel::kBoxes; ++i) model_.setBox(i, box(i)->text().toStdString());
  if (const std::optional<FormFailure> failure = model_.accept()) {
    presenter_.messageBox(formatText(ctx_.text(failure->key), failure->args), kStylePlain);
    return;
  }
  for (int i = 0; i < IndyRelaysModel::kBoxes; ++i) box(i)->setText(qs(model_.box(i)));
  ctx_.Unit.independentLevels = model_.values();
  QDialog::accept();
}

void CIndyRelays::openHelp() {
  const std::filesystem::path folder = HelpLocator::helpFolder(ctx_.Folders.Help, kHelpFile);
  const std::filesystem::path file = HelpLocator::topicFile(folder, kHelpTopic);
  if (file.empty() || CHelpBrowser::show(file, this) == nullptr) {
    presenter_.messageBox(ctx_.text(HelpLocator::kMissingMessage), kStyleError);
  }
}

void CIndyRelays::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    openHelp();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace ostrel

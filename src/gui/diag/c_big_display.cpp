#include "gui/diag/c_big_display.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>

#include "core/config/config_page_model.h"
#include "core/diag/stream_controller.h"
#include "core/session/app_context.h"
#include "gui/diag/c_led.h"
#include "gui/diag/diag_page_tools.h"
#include "gui/support/device_work.h"

namespace ostrel {
namespace {

QLabel* display(QWidget* parent, int points, const char* name) {
  auto* label = new QLabel("00000.0", parent);
  label->setObjectName(name);
  QFont font("Arial", points, QFont::Bold);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
  label->setPalette(palette);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

CBigDisplay::CBigDisplay(PageServices services, QWidget* parent)
    : CPropertyPage("IDD_BIGDISPLAY", "Live Display", services, parent),
      level_(display(this, 70, "level")),
      distance_(display(this, 25, "distance")),
      distanceLabel_(new QLabel(this)),
      units_(new QLabel(this)),
      status_(new QLabel(this)),
      activity_(new CLed(this)) {
  auto* grid = new QGridLayout;
  grid->addWidget(level_, 0, 0, 1, 5);
  auto* measured = new QLabel(text("IDC_MEASURED_TXT", "Measured liquid level"), this);
  measured->setAlignment(Qt::AlignCenter);
  grid->addWidget(measured, 1, 0, 1, 5);
  for (int i = 0; i < 4; ++i) {
    auto* lamp = new CLed(this);
    lamp->setObjectName(QString("relay%1").arg(i + 1));
    lamp->Create(1, 0);
    relays_[static_cast<std::size_t>(i)] = lamp;
    grid->addWidget(lamp, 2, i, Qt::AlignHCenter);
    grid->addWidget(new QLabel(text("IDC_RELAY", "Relay") + QString(" %1").arg(i + 1), this), 3, i,
                    Qt::AlignHCenter);
  }
  activity_->setObjectName("activity");
  activity_->Create(2, 0);
  grid->addWidget(activity_, 2, 4, Qt::AlignHCenter);
  grid->addWidget(new QLabel(text("IDC_ACTIVITY", "Activity"), this), 3, 4, Qt::AlignHCenter);
  distanceLabel_->setText(text("IDC_DISTANCE_TXT", "Distance to surface from transducer:"));
  grid->addWidget(distanceLabel_, 4, 0, 1, 3);
  grid->addWidget(distance_, 4, 3, 1, 2);
  grid->addWidget(new QLabel(text("IDC_SUNITSLABEL_DEMO", "Sensor Units"), this), 5, 0, 1, 3);
  grid->addWidget(units_, 5, 3, 1, 2);
  auto* disclaimer = new QLabel(text("IDC_DISCLAIMER"), this);
  disclaimer->setWordWrap(true);
  grid->addWidget(disclaimer, 6, 0, 1, 5);
  status_->setObjectName("status");
  grid->addWidget(status_, 7, 0, 1, 5);
  pageLayout()->insertLayout(pageLayout()->count() - 1, grid);
  installPageHelp(this, services.context, services.presenter, "DEMO.htm");
}

CBigDisplay::~CBigDisplay() { stopWithoutPause(); }

void CBigDisplay::changed(LivePart part) {
  if (!model_) return;
  const LiveDisplayModel& m = *model_;
  switch (part) {
    case LivePart::Displays:
      level_->setText(QString::fromStdString(m.levelText()));
      distance_->setText(QString::fromStdString(m.distanceText()));
      distance_->setVisible(m.distanceShown());
      distanceLabel_->setVisible(m.distanceShown());
      break;
    case LivePart::Relays:
      for (int i = 0; i < 4; ++i) {
        relays_[static_cast<std::size_t>(i)]->SetState(m.relays()[static_cast<std::size_t>(i)]);
      }
      break;
    case LivePart::Activity:
      activity_->Flash(LiveDisplayModel::activityFlashMs());
      break;
    case LivePart::Status: {
      status_->setText(QString::fromStdString(m.statusLine()));
      QPalette palette = status_->palette();
      palette.setColor(QPalette::WindowText, m.statusIsError() ? QColor(200, 0, 0)
                                                               : QApplication::palette().color(QPalette::WindowText));
      status_->setPalette(palette);
      break;
    }
    case LivePart::Units:
      units_->setText(QString::fromStdString(m.unitsText()));
      break;
  }
}

void CBigDisplay::OnSetActive() {
  CPropertyPage::OnSetActive();
  AppContext& ctx = context();
  ConfigPageModel* configuration = configurationModel ? configurationModel() : nullptr;
  const UnitConfiguration& config = configuration ? configuration->config() : ctx.Unit;
  const VolumeTable& volume = configuration ? configuration->volume() : noVolume_;
  const StrappingRows& rows = configuration ? configuration->strapping() : noRows_;
  if (model_ && model_->running()) stop(false);
  model_ = std::make_unique<LiveDisplayModel>(ctx, config, volume, rows);
  model_->setMakerMode(ctx.Values.MakerMode);
  model_->setView(this);
  if (!model_->activate(stubbed()) || !ctx.Link) return;

  if (!stream_) stream_ = std::make_unique<StreamController>(*ctx.Link);
  // Frames reach the page as queued calls, each with its own copy.
  QPointer<CBigDisplay> self(this);
  auto sink = [self](int code, const StreamController::Frame& frame) {
    QMetaObject::invokeMethod(
        self.data(),
        [self, code, frame] {
          if (self && self->model_) self->model_->frame(code, frame);
        },
        Qt::QueuedConnection);
  };
  int opened = 0;
  const bool ugus = ctx.Database.Ugus != 0;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Refused only while another device operation runs; the page then
  // stays without a stream until it is entered again.
  const bool ran = DeviceWork::run([&] { opened = stream_->start(ugus, sink); });
  QApplication::restoreOverrideCursor();
  if (ran) model_->streamStarted(opened);
}

bool CBigDisplay::OnKillActive() {
  stop(true);
  return true;
}

void CBigDisplay::stopWithoutPause() {
  if (model_) model_->streamStopped();
  if (stream_) stream_->stop(false);
}

void CBigDisplay::stop(bool leaving) {
  if (model_) model_->streamStopped();
  if (!stream_) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!DeviceWork::run([&] { stream_->stop(leaving); })) stream_->stop(false);
  QApplication::restoreOverrideCursor();
}

}  // namespace ostrel

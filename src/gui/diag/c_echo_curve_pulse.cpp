#include "gui/diag/c_echo_curve_pulse.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>

#include "core/session/app_context.h"
#include "core/support/text_format.h"
#include "gui/diag/diag_page_tools.h"
#include "gui/support/device_work.h"
#include "gui/support/gui_mailbox.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

QColor colour(const Rgb& c) { return QColor(c.r, c.g, c.b); }

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A colour key: a short bar of the curve's colour beside its box.
QLabel* colourKey(QWidget* parent, int slot) {
  auto* key = new QLabel(QString(3, QChar(0x2588)), parent);
  QPalette palette = key->palette();
  palette.setColor(QPalette::WindowText, colour(PulseCurveModel::colour(slot)));
  key->setPalette(palette);
  return key;
}

}  // namespace

CEchoCurvePulse::CEchoCurvePulse(PageServices services, QWidget* parent)
    : CPropertyPage("IDD_ECHOCURVE_PULSE", "Echo Curve", services, parent),
      load_(new QPushButton("Load", this)),
      savePicture_(new QPushButton(text("IDC_SAVEPICTURE", "Save Picture..."), this)),
      saveSamples_(new QPushButton(text("IDC_SAVESAMPLES", "Save Samples..."), this)),
      picture_(new QLabel(this)),
      mailbox_(new GuiMailbox(this)) {
  load_->setObjectName("IDC_LOAD");
  load_->setAutoDefault(false);
  savePicture_->setObjectName("IDC_SAVEPICTURE");
  saveSamples_->setObjectName("IDC_SAVESAMPLES");
  picture_->setObjectName("picture");
  const char* names[] = {"Echo Curve", "False Echo", "Envelope"};
  for (int slot = 0; slot < 3; ++slot) {
    auto* box = new QCheckBox(names[slot], this);
    box->setObjectName(QString("curve%1").arg(slot));
    box->setChecked(model_.checked(slot));
    boxes_[static_cast<std::size_t>(slot)] = box;
    connect(box, &QCheckBox::toggled, this, [this, slot](bool on) { model_.setChecked(slot, on); });
  }
  auto* controls = new QHBoxLayout;
  controls->addWidget(load_);
  controls->addSpacing(16);
  // On the page as in the dialog: echo curve, envelope, false echo.
  for (const int slot : {PulseCurveModel::kEcho, PulseCurveModel::kEnvelope,
                         PulseCurveModel::kFalseEcho}) {
    controls->addWidget(boxes_[static_cast<std::size_t>(slot)]);
    controls->addWidget(colourKey(this, slot));
    controls->addSpacing(12);
  }
  controls->addStretch(1);
  controls->addWidget(savePicture_);
  controls->addWidget(saveSamples_);
  pageLayout()->insertLayout(pageLayout()->count() - 1, controls);
  pageLayout()->insertWidget(pageLayout()->count() - 1, picture_, 0, Qt::AlignLeft);

  connect(load_, &QPushButton::clicked, this, &CEchoCurvePulse::load);
  connect(savePicture_, &QPushButton::clicked, this, [this] {
    savePicture(this, context(), presenter(), image_, "echo-curve.png");
  });
  connect(saveSamples_, &QPushButton::clicked, this, [this] {
    saveSamples(this, context(), presenter(), model_.samplesCsv(), "echo-curve.csv");
  });
  saveSamples_->setEnabled(false);
  installPageHelp(this, services.context, services.presenter, "ECHO_CURVE_PULSE.htm");
}

CEchoCurvePulse::~CEchoCurvePulse() = default;

void CEchoCurvePulse::OnSetActive() {
  CPropertyPage::OnSetActive();
  // 1 metres, any other value feet.
  model_.setUnitsChoice(context().Unit.heightUnits);
  redraw();
}

void CEchoCurvePulse::load() {
  if (stubbed() || DeviceWork::running()) return;
  AppContext& ctx = context();
  QtPresenter& shown = presenter();
  shown.showBusy(PulseCurveModel::kReadingMessage);
  std::optional<FormFailure> failure;
  const std::array<bool, 3> checked = model_.checkedSlots();
  // Each curve is shown as it arrives; the radar's reads run on a worker
  // and the windows paint on meanwhile.
  const bool ran = DeviceWork::run([&] {
    failure = PulseCurveModel::readCurves(
        *ctx.Link, ctx.Pulse, checked, &shown.busy(), [this](const PulseCurveModel::CurveRead& r) {
          mailbox_->post([this, r] {
            model_.take(r);
            redraw();
          });
        });
  });
  // Curves still queued are taken before the busy window goes.
  mailbox_->drain();
  shown.hideBusy();
  if (!ran) return;
  if (failure) shown.messageBox(formatText(ctx.text(failure->key), failure->args), kStyleError);
}

void CEchoCurvePulse::redraw() {
  if (image_.isNull()) image_ = QImage(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
  draw(model_.plot(PlotRect{0, 0, image_.width(), image_.height()}), image_);
  picture_->setPixmap(QPixmap::fromImage(image_));
  bool any = false;
  for (int slot = 0; slot < 3; ++slot) any = any || !model_.slot(slot).samples.empty();
  saveSamples_->setEnabled(any);
}

void CEchoCurvePulse::draw(const PulsePlot& plot, QImage& image) {
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(image.rect(), Qt::white);
  const PlotRect& f = plot.frame;
  p.setPen(QPen(Qt::black, 1));
  p.drawRect(QRect(QPoint(f.left, f.top), QPoint(f.right, f.bottom)));
  p.setPen(QPen(QColor(192, 192, 192), 1, Qt::DotLine));
  for (const PlotLine& l : plot.amplitudeLines) p.drawLine(l.from.x, l.from.y, l.to.x, l.to.y);
  for (const PlotLine& l : plot.distanceLines) p.drawLine(l.from.x, l.from.y, l.to.x, l.to.y);
  p.setPen(QPen(Qt::black, 1));
  for (const PlotLabel& l : plot.amplitudeLabels) {
    p.drawText(QRect(l.at.x + 2, l.at.y + 1, 52, 16), Qt::AlignLeft | Qt::AlignTop, qs(l.text));
  }
  for (const PlotLabel& l : plot.distanceLabels) {
    p.drawText(QRect(l.at.x - 30, l.at.y - 8, 60, 16), Qt::AlignCenter, qs(l.text));
  }
  p.drawText(QRect(f.left, f.bottom + 28, f.right - f.left, 18), Qt::AlignCenter,
             qs(plot.axisCaption));

  for (const CurveTrace& t : plot.traces) {
    p.setPen(QPen(colour(t.colour), 1));
    for (std::size_t i = 1; i < t.points.size(); ++i) {
      p.drawLine(t.points[i - 1].x, t.points[i - 1].y, t.points[i].x, t.points[i].y);
    }
  }

  if (plot.markers) {
    const QColor blue(0, 0, 255);
    p.setPen(QPen(blue, 1));
    p.setBrush(blue);
    const auto triangle = [&p](int x, int tipY) {
      p.drawPolygon(QPolygon({QPoint(x - 6, tipY - 11), QPoint(x + 6, tipY - 11), QPoint(x, tipY)}));
    };
    const auto bar = [&p, &blue](int x, int y) { p.fillRect(QRect(x - 2, y - 11, 5, 22), blue); };
    triangle(plot.echoMarker.x, plot.echoMarker.y + 11);
    bar(plot.levelMarker.x, plot.levelMarker.y + 11);
    // The legend at the top right.
    const int right = f.right - 10;
    const int legendX = right - 120;
    triangle(legendX, f.top + 19);
    p.drawText(QRect(legendX + 12, f.top + 6, 108, 16), Qt::AlignLeft | Qt::AlignVCenter,
               qs(plot.echoText));
    bar(legendX, f.top + 36);
    p.drawText(QRect(legendX + 12, f.top + 28, 108, 16), Qt::AlignLeft | Qt::AlignVCenter,
               qs(plot.levelText));
    p.setBrush(Qt::NoBrush);
  }
}

}  // namespace ostrel

#include "gui/diag/c_diagnostics.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "core/link/unit_memory.h"
#include "core/session/app_context.h"
#include "gui/diag/diag_page_tools.h"
#include "gui/support/device_work.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

constexpr int kPlotWidth = 620;
constexpr int kPlotHeight = 360;

QLabel* display(QWidget* parent, const char* name, const char* start) {
  auto* label = new QLabel(start, parent);
  label->setObjectName(name);
  label->setFont(QFont("Arial", 25, QFont::Bold));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
  label->setPalette(palette);
  return label;
}

QColor colour(const Rgb& c) { return QColor(c.r, c.g, c.b); }

}  // namespace

CDiagnostics::CDiagnostics(PageServices services, QWidget* parent)
    : CPropertyPage("IDD_DIAGNOSTICS", "Diagnostics", services, parent),
      list_(new QComboBox(this)),
      erase_(new QPushButton(text("IDC_ERASEDISTURBANCESCAN", "Erase Disturbance Scan"), this)),
      level_(display(this, "IDC_MEASURED", "00000.0")),
      distance_(display(this, "IDC_GWRDISTANCE", "00000.0")),
      current_(display(this, "IDC_CURRENT", "000000")),
      units_(new QLabel(this)),
      axis_(new QLabel(this)),
      status_(new QLabel(this)),
      picture_(new QLabel(this)),
      savePicture_(new QPushButton(text("IDC_SAVEPICTURE", "Save Picture..."), this)),
      saveSamples_(new QPushButton(text("IDC_SAVESAMPLES", "Save Samples..."), this)) {
  list_->setObjectName("IDC_SELECTECHOCURVE");
  erase_->setObjectName("IDC_ERASEDISTURBANCESCAN");
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(text("IDC_SELECTECHOCURVE", "Select Echo Curve"), this), 0, 0);
  grid->addWidget(list_, 0, 1);
  grid->addWidget(erase_, 0, 2);
  grid->addWidget(new QLabel(text("IDC_AMPLITUDE", "Amplitude"), this), 1, 0);
  grid->addWidget(picture_, 2, 0, 1, 3);
  grid->addWidget(axis_, 3, 0, 1, 3, Qt::AlignHCenter);
  grid->addWidget(new QLabel(text("IDC_MEASURED_TXT", "Measured liquid level"), this), 4, 0);
  grid->addWidget(level_, 4, 1);
  grid->addWidget(new QLabel(text("IDC_GWRDISTANCE_TXT", "Distance from top of threads"), this),
                  5, 0);
  grid->addWidget(distance_, 5, 1);
  grid->addWidget(new QLabel(text("IDC_CURRENT", "Current Output (ma)"), this), 6, 0);
  grid->addWidget(current_, 6, 1);
  grid->addWidget(new QLabel(text("IDC_SUNITSLABEL_DEMO", "Level Units"), this), 7, 0);
  grid->addWidget(units_, 7, 1);
  grid->addWidget(status_, 8, 0, 1, 3);
  savePicture_->setObjectName("IDC_SAVEPICTURE");
  saveSamples_->setObjectName("IDC_SAVESAMPLES");
  auto* saves = new QHBoxLayout;
  saves->addWidget(savePicture_);
  saves->addWidget(saveSamples_);
  saves->addStretch(1);
  grid->addLayout(saves, 9, 0, 1, 3);
  pageLayout()->insertLayout(pageLayout()->count() - 1, grid);
  connect(savePicture_, &QPushButton::clicked, this, [this] {
    savePicture(this, context(), presenter(), image_, "echo-record.png");
  });
  connect(saveSamples_, &QPushButton::clicked, this, [this] {
    if (model_) saveSamples(this, context(), presenter(), model_->samplesCsv(), "echo-record.csv");
  });
  saveSamples_->setEnabled(false);
  installPageHelp(this, services.context, services.presenter, "DIAGNOSTICS.htm");

  connect(list_, &QComboBox::activated, this, [this](int entry) { choose(entry); });
  connect(erase_, &QPushButton::clicked, this, [this] {
    if (!model_ || stubbed()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The unit's answer is not shown on the page.
    [[maybe_unused]] const bool ran = DeviceWork::run([this] { model_->eraseScan(); });
    QApplication::restoreOverrideCursor();
  });
}

CDiagnostics::~CDiagnostics() = default;

void CDiagnostics::OnSetActive() {
  CPropertyPage::OnSetActive();
  AppContext& ctx = context();
  model_ = std::make_unique<DiagnosticsModel>(ctx, ctx.Unit, ctx.Memory.get(), ctx.Link.get(),
                                              &presenter());
  model_->setView(this);
  axis_->setText(text(model_->distanceAxisKey()));
  model_->activate(stubbed());
}

void CDiagnostics::choose(int entry) {
  if (!model_) return;
  if (!model_->readsRecord(entry)) {
    model_->choose(entry);
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::array<std::uint8_t, UnitMemory::kRecordSize> record{};
  int r = -1;
  // The read runs as device work; what it brings is shown on this thread.
  const bool ran = DeviceWork::run([&] { r = model_->readRecord(entry, record.data()); });
  QApplication::restoreOverrideCursor();
  if (!ran) return;
  if (r != 0) {
    model_->readFailed(entry);
    return;
  }
  model_->showRecord(record.data());
}

void CDiagnostics::changed(DiagnosticsPart part) {
  if (!model_) return;
  const DiagnosticsModel& m = *model_;
  switch (part) {
    case DiagnosticsPart::Entries:
      list_->clear();
      for (const std::string& e : m.entries()) list_->addItem(QString::fromStdString(e));
      list_->setCurrentIndex(m.selectedEntry());
      break;
    case DiagnosticsPart::Displays:
      level_->setText(QString::fromStdString(m.levelText()));
      distance_->setText(QString::fromStdString(m.distanceText()));
      current_->setText(QString::fromStdString(m.currentText()));
      break;
    case DiagnosticsPart::Plot:
      redraw();
      saveSamples_->setEnabled(m.hasRecord());
      break;
    case DiagnosticsPart::Status:
      status_->setText(QString::fromStdString(m.statusLine()));
      break;
    case DiagnosticsPart::Units:
      units_->setText(QString::fromStdString(m.unitsText()));
      break;
  }
}

void CDiagnostics::redraw() {
  if (image_.isNull()) image_ = QImage(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
  draw(model_->plot(image_.width(), image_.height()), image_);
  picture_->setPixmap(QPixmap::fromImage(image_));
}

void CDiagnostics::draw(const EchoPlot& plot, QImage& image) {
  QPainter p(&image);
  p.fillRect(image.rect(), colour(plot.background));
  p.fillRect(QRect(QPoint(plot.area.left, plot.area.top),
                   QPoint(plot.area.right - 1, plot.area.bottom - 1)),
             colour(plot.areaColour));
  p.setPen(QPen(Qt::black, 1));
  const auto label = [&p](const PlotLabel& l) {
    const QRect box(l.at.x - 30, l.at.y - 8, 60, 16);
    p.drawText(box, Qt::AlignCenter, QString::fromStdString(l.text));
  };
  for (const PlotLine& l : plot.amplitudeLines) p.drawLine(l.from.x, l.from.y, l.to.x, l.to.y);
  for (const PlotLine& l : plot.distanceLines) p.drawLine(l.from.x, l.from.y, l.to.x, l.to.y);
  for (const PlotLabel& l : plot.amplitudeLabels) {
    p.drawText(QRect(l.at.x, l.at.y - 8, 45, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(l.text));
  }
  for (const PlotLabel& l : plot.distanceLabels) label(l);
  p.setPen(QPen(colour(plot.traceColour), 1));
  for (std::size_t i = 1; i < plot.trace.size(); ++i) {
    p.drawLine(plot.trace[i - 1].x, plot.trace[i - 1].y, plot.trace[i].x, plot.trace[i].y);
  }
}

}  // namespace ostrel

#include "gui/volume/c_view_curve.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QSlider>
#include <QVBoxLayout>

#include "core/model/model_records.h"
#include "core/support/text_format.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/c_graph.h"

namespace ostrel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A name for the saved files: the table's name without characters that
// file systems refuse.
QString fileStem(const std::string& name) {
  QString stem = qs(name).trimmed();
  for (QChar& c : stem) {
    if (!c.isLetterOrNumber() && c != '-' && c != '_') c = '_';
  }
  return stem.isEmpty() ? QStringLiteral("curve") : stem;
}

}  // namespace

CViewCurve::CViewCurve(const VolumeTable& table, double topLevel, const QString& levelAxisName,
                       const QString& valueAxisName, const ModelRecords* records,
                       QtPresenter* presenter, QWidget* parent)
    : QDialog(parent), records_(records), presenter_(presenter) {
  setWindowTitle(text("IDD_VIEWCURVE", "View Curve"));
  setSizeGripEnabled(true);
  plot_ = std::make_unique<CurvePlot>(table, topLevel);

  auto* layout = new QVBoxLayout(this);
  auto* plotRow = new QHBoxLayout;
  // The value axis's slider is never shown; its strip bounds the plot.
  valueSlider_ = new QSlider(Qt::Vertical, this);
  valueSlider_->hide();
  valueAxis_ = new QLabel(valueAxisName, this);
  valueAxis_->setObjectName("IDC_VALUEAXIS");
  valueAxis_->setWordWrap(true);
  valueAxis_->setAlignment(Qt::AlignCenter);
  valueAxis_->setMaximumWidth(90);
  graph_ = new CGraph(this);
  graph_->setObjectName("IDC_GRAPH");
  plotRow->addWidget(valueSlider_);
  plotRow->addWidget(valueAxis_);
  plotRow->addWidget(graph_, 1);
  layout->addLayout(plotRow, 1);

  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName("IDC_LEVELSLIDER");
  slider_->setRange(0, plot_->sliderMaximum());
  slider_->setValue(0);
  slider_->setEnabled(plot_->drawable());
  layout->addWidget(slider_);
  levelAxis_ = new QLabel(levelAxisName, this);
  levelAxis_->setObjectName("IDC_LEVELAXIS");
  levelAxis_->setAlignment(Qt::AlignCenter);
  layout->addWidget(levelAxis_);

  auto* bottom = new QHBoxLayout;
  const auto field = [&](const char* key, const char* fallback) {
    bottom->addWidget(new QLabel(text(key, fallback), this));
    auto* box = new QLineEdit(QStringLiteral("0"), this);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    box->setMaximumWidth(130);
    bottom->addWidget(box);
    return box;
  };
  min_ = field("IDC_CURVE_MIN", "Min");
  max_ = field("IDC_CURVE_MAX", "Max");
  capacity_ = field("IDC_CURVE_CAPACITY", "Capacity");
  bottom->addStretch(1);
  savePicture_ = new QPushButton(text("IDC_CURVE_SAVEPICTURE", "Save Picture..."), this);
  saveTable_ = new QPushButton(text("IDC_CURVE_SAVETABLE", "Save Table..."), this);
  auto* ok = new QPushButton(text("IDOK", "OK"), this);
  ok->setDefault(true);
  ok->setFocus();
  bottom->addWidget(savePicture_);
  bottom->addWidget(saveTable_);
  bottom->addWidget(ok);
  layout->addLayout(bottom);
  saveTable_->setEnabled(plot_->drawable());

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(savePicture_, &QPushButton::clicked, this, [this] { askAndSave(true); });
  connect(saveTable_, &QPushButton::clicked, this, [this] { askAndSave(false); });
  connect(slider_, &QSlider::valueChanged, this, &CViewCurve::cursorMoved);

  resize(640, 480);
  graph_->setPlot(plot_.get());
  graph_->SetRange(plot_->xMin(), plot_->yMin(), plot_->xMax(), plot_->yMax());
  // The cursor starts at level 0 and reads the table there at once.
  cursorMoved(0);
}

CViewCurve::~CViewCurve() = default;

QString CViewCurve::text(const char* key, const char* fallback) const {
  if (records_ == nullptr) return QString::fromUtf8(fallback);
  return qs(records_->Language.Text(key, records_->Values.LanguageNumber, fallback));
}

void CViewCurve::setMinMaxCapacity(double min, double max, double capacity) {
  min_->setText(qs(CurvePlot::fieldText(min)));
  max_->setText(qs(CurvePlot::fieldText(max)));
  capacity_->setText(qs(CurvePlot::fieldText(capacity)));
}

void CViewCurve::cursorMoved(int position) {
  plot_->moveCursor(static_cast<std::uint32_t>(std::max(position, 0)));
  graph_->update();
}

bool CViewCurve::savePicture(const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (!graph_->grab().save(&file, "PNG")) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

bool CViewCurve::saveTable(const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const std::string csv =
      plot_->csv(levelAxis_->text().toStdString(), valueAxis_->text().toStdString());
  if (file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

void CViewCurve::askAndSave(bool picture) {
  const QString proposed =
      QDir::home().filePath(fileStem(plot_->title()) + (picture ? ".png" : ".csv"));
  const auto& chooser = picture ? choosePictureName : chooseTableName;
  QString path;
  if (chooser) {
    path = chooser(proposed);
  } else {
    path = QFileDialog::getSaveFileName(
        this, picture ? savePicture_->text() : saveTable_->text(), proposed,
        picture ? QStringLiteral("PNG (*.png)") : QStringLiteral("CSV (*.csv)"));
  }
  if (path.isEmpty()) return;
  const bool saved = picture ? savePicture(path) : saveTable(path);
  if (!saved && presenter_ != nullptr) {
    const std::string message =
        formatText(text("IDC_CURVE_SAVEFAILED", "The file %s cannot be written.").toStdString(),
                   {path.toStdString()});
    presenter_->messageBox(message, kStyleError);
  }
}

}  // namespace ostrel

#include "gui/volume/c_dimension_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/volume/guided_wave_span.h"
#include "core/support/text_format.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/c_view_curve.h"

namespace ostrel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

void setTextIfChanged(QLineEdit* box, const std::string& text) {
  const QString t = qs(text);
  if (box->text() != t) box->setText(t);
}

}  // namespace

CDimensionForm::CDimensionForm(std::uint16_t shape, VolumeFormServices services, QWidget* parent)
    : CStructureForm(shape, services, parent) {
  const ModelRecords& r = services_.records;
  DimensionFormStart start;
  start.storedShape = services_.config.shapeCode;
  start.dimensionUnit = services_.config.heightUnits;
  start.outputUnit = services_.config.outputUnits;
  start.invertedLoop = GuidedWaveSpan::invertedLoop(services_.config.itemChoices[1]);
  model_ = std::make_unique<DimensionFormModel>(
      shape_, ModelLink(&r.Database, &r.Structures), start, services_.table);
  setWindowTitle(qs(formatText(services_.text("IDD_DIMENSIONFORM", "Dimensional Inputs - %s"),
                               {model_->title()})));
  buildControls();
  refresh();
}

CDimensionForm::~CDimensionForm() = default;

void CDimensionForm::buildControls() {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  layout->addLayout(top);
  auto* left = new QVBoxLayout;
  top->addLayout(left);

  auto* output = new QGroupBox(text("IDC_SENSORGROUPBOX", "Output"), this);
  auto* outputGrid = new QGridLayout(output);
  distanceRadio_ = new QRadioButton(text("IDC_RADIO_DISTANCE", "Distance"), output);
  volumeRadio_ = new QRadioButton(text("IDC_RADIO_VOLUME", "Volume"), output);
  distanceUnits_ = new QComboBox(output);
  distanceUnits_->setObjectName("IDC_DISTANCEUNITS");
  volumeUnits_ = new QComboBox(output);
  volumeUnits_->setObjectName("IDC_VOLUMEUNITS");
  for (const std::string& n : model_->distanceUnitNames()) distanceUnits_->addItem(qs(n));
  for (const std::string& n : model_->volumeUnitNames()) volumeUnits_->addItem(qs(n));
  outputGrid->addWidget(distanceRadio_, 0, 0);
  outputGrid->addWidget(distanceUnits_, 0, 1);
  outputGrid->addWidget(volumeRadio_, 1, 0);
  outputGrid->addWidget(volumeUnits_, 1, 1);
  left->addWidget(output);

  auto* dims = new QGroupBox(text("IDC_DIMENSIONSGROUPBOX", "Dimensions"), this);
  auto* dimsGrid = new QGridLayout(dims);
  dimsGrid->addWidget(new QLabel(text("IDC_DIMENSIONUNITSLABEL", "Units"), dims), 0, 0);
  dimensionUnits_ = new QComboBox(dims);
  dimensionUnits_->setObjectName("IDC_DIMENSIONUNITS");
  for (const std::string& n : model_->distanceUnitNames()) dimensionUnits_->addItem(qs(n));
  dimsGrid->addWidget(dimensionUnits_, 0, 1);
  for (int j = 0; j < DimensionFormModel::kFields; ++j) {
    const auto k = static_cast<std::size_t>(j);
    labels_[k] = new QLabel(qs(model_->caption(j)), dims);
    fields_[k] = new QLineEdit(dims);
    fields_[k]->setObjectName(QString("IDC_D%1").arg(j));
    dimsGrid->addWidget(labels_[k], j + 1, 0);
    dimsGrid->addWidget(fields_[k], j + 1, 1);
    connect(fields_[k], &QLineEdit::textChanged, this, [this, j](const QString& t) {
      if (refreshing_) return;
      model_->setField(j, t.trimmed().toStdString());
      refresh();
    });
  }
  left->addWidget(dims);
  left->addStretch(1);

  auto* right = new QVBoxLayout;
  top->addLayout(right);
  volumeGroup_ = new QGroupBox(text("IDC_VOLUMEGROUPBOX", "Volume"), this);
  auto* volumeGrid = new QGridLayout(volumeGroup_);
  capacityButton_ = new QPushButton(text("IDC_CAPACITYBTN", "Capacity"), volumeGroup_);
  capacityResult_ = new QLineEdit(volumeGroup_);
  capacityResult_->setObjectName("IDC_CAPACITYRESULT");
  capacityResult_->setReadOnly(true);
  capacityResult_->setFocusPolicy(Qt::ClickFocus);
  adjust_ = new QCheckBox(text("IDC_ADJUSTCAPACITYCHECKBOX", "Adjust Capacity"), volumeGroup_);
  capacityLabel_ = new QLabel(text("IDC_CAPACITYBTN", "Capacity"), volumeGroup_);
  capacityBox_ = new QLineEdit(volumeGroup_);
  capacityBox_->setObjectName("IDC_CAPACITY");
  for (QLineEdit* box : {capacityResult_, capacityBox_}) box->setMinimumWidth(110);
  volumeGrid->addWidget(capacityButton_, 0, 0);
  volumeGrid->addWidget(capacityResult_, 0, 1);
  volumeGrid->addWidget(adjust_, 1, 0, 1, 2);
  volumeGrid->addWidget(capacityLabel_, 2, 0);
  volumeGrid->addWidget(capacityBox_, 2, 1);
  right->addWidget(volumeGroup_);

  minGroup_ = new QGroupBox(text("IDC_GWROFFSETGROUPBOX", "Min Current/Volume"), this);
  auto* minGrid = new QGridLayout(minGroup_);
  minButton_ = new QPushButton(text("IDC_GWRLOWESTCURRENTBTN", "Min Current/Volume"), minGroup_);
  minCurrent_ = new QLineEdit(minGroup_);
  minCurrent_->setObjectName("IDC_GWRMINCURRENT");
  minVolume_ = new QLineEdit(minGroup_);
  minVolume_->setObjectName("IDC_GWRMINVOLUME");
  for (QLineEdit* box : {minCurrent_, minVolume_}) {
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    box->setMinimumWidth(110);
  }
  minGrid->addWidget(minButton_, 0, 0, 1, 2);
  minGrid->addWidget(new QLabel(text("IDC_GWRMINCURRENT_LABEL", "Min Current"), minGroup_), 1, 0);
  minGrid->addWidget(minCurrent_, 1, 1);
  minGrid->addWidget(new QLabel(text("IDC_GWRMINVOLUME_LABEL", "Min Volume"), minGroup_), 2, 0);
  minGrid->addWidget(minVolume_, 2, 1);
  right->addWidget(minGroup_);
  right->addStretch(1);

  top->addWidget(makePicture("IDC_PICTURE"), 0, Qt::AlignTop);
  layout->addLayout(makeButtons("IDC_HELP_OPENCHANNEL", "Tanks"));
  for (QPushButton* b : {capacityButton_, minButton_}) b->setAutoDefault(false);

  connect(distanceRadio_, &QRadioButton::clicked, this, [this] {
    model_->chooseVolumeMode(false);
    refresh();
  });
  connect(volumeRadio_, &QRadioButton::clicked, this, [this] {
    model_->chooseVolumeMode(true);
    refresh();
  });
  connect(distanceUnits_, &QComboBox::activated, this, [this](int i) {
    model_->chooseDistanceUnit(i);
    refresh();
  });
  connect(volumeUnits_, &QComboBox::activated, this, [this](int i) {
    model_->chooseVolumeUnit(i);
    refresh();
  });
  connect(dimensionUnits_, &QComboBox::activated, this, [this](int i) {
    model_->chooseDimensionUnit(i);
    refresh();
  });
  connect(adjust_, &QCheckBox::toggled, this, [this](bool on) {
    if (refreshing_) return;
    model_->setAdjustCapacity(on);
    refresh();
  });
  connect(capacityBox_, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (!refreshing_) model_->setCapacity(t.trimmed().toStdString());
  });
  connect(capacityButton_, &QPushButton::clicked, this, &CDimensionForm::onCapacity);
  connect(minButton_, &QPushButton::clicked, this, &CDimensionForm::onMinCurrent);
}

void CDimensionForm::refresh() {
  refreshing_ = true;
  const DimensionFormModel& m = *model_;
  const bool volume = m.volumeMode();
  distanceRadio_->setChecked(!volume);
  volumeRadio_->setChecked(volume);
  distanceUnits_->setCurrentIndex(m.distanceIndex());
  volumeUnits_->setCurrentIndex(m.volumeIndex());
  distanceUnits_->setVisible(!volume);
  volumeUnits_->setVisible(volume);
  dimensionUnits_->setCurrentIndex(m.dimensionUnit());
  dimensionUnits_->setEnabled(m.dimensionUnitListEnabled());
  for (int j = 0; j < DimensionFormModel::kFields; ++j) {
    const auto k = static_cast<std::size_t>(j);
    setTextIfChanged(fields_[k], m.field(j));
    const bool shown = m.fieldVisible(j);
    labels_[k]->setVisible(shown);
    fields_[k]->setVisible(shown);
    fields_[k]->setEnabled(m.fieldEnabled(j));
  }
  volumeGroup_->setVisible(volume);
  adjust_->setChecked(m.adjustCapacity());
  capacityLabel_->setEnabled(m.capacityEnabled());
  capacityBox_->setEnabled(m.capacityEnabled());
  setTextIfChanged(capacityBox_, m.capacity());
  setTextIfChanged(capacityResult_, m.capacityResult());
  minGroup_->setVisible(m.guidedWave() && volume);
  setTextIfChanged(minCurrent_, m.minCurrent());
  setTextIfChanged(minVolume_, m.minVolume());

  showPicture(m.picture());
  refreshing_ = false;
}

void CDimensionForm::onOk() {
  const FormResult<VolumeTable> result = model_->ok(services_.table);
  if (!result.ok()) {
    services_.showFailure(*result.failure);
    return;
  }
  services_.table = result.value;
  accept();
}

void CDimensionForm::onCapacity() {
  if (auto failure = model_->computeCapacity(services_.table)) services_.showFailure(*failure);
  refresh();
}

void CDimensionForm::onMinCurrent() {
  if (auto failure = model_->computeMinCurrent(services_.table)) services_.showFailure(*failure);
  refresh();
}

void CDimensionForm::onViewCurve() {
  const FormResult<VolumeTable> result = model_->preview(services_.table);
  if (!result.ok()) services_.showFailure(*result.failure);
  CViewCurve viewer(result.value, model_->topLevel(), dimensionUnits_->currentText(),
                    volumeUnits_->currentText(), &services_.records, &services_.presenter, this);
  if (model_->volumeMode() && result.ok()) {
    viewer.setMinMaxCapacity(0, 0, static_cast<double>(result.value.FullValue()));
  }
  runViewer(viewer);
}

std::string CDimensionForm::helpTopic() const { return model_->helpTopic(); }

}  // namespace ostrel

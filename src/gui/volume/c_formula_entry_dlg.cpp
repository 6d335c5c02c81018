#include "gui/volume/c_formula_entry_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/support/text_format.h"
#include "core/volume/number_rules.h"
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

CFormulaEntryDlg::CFormulaEntryDlg(std::uint16_t shape, VolumeFormServices services,
                                   QWidget* parent)
    : CStructureForm(shape, services, parent) {
  const ModelRecords& r = services_.records;
  FormulaFormStart start;
  start.storedShape = services_.config.shapeCode;
  start.dimensionUnit = services_.config.heightUnits;
  start.outputUnit = services_.config.outputUnits;
  model_ = std::make_unique<FormulaFormModel>(shape_, ModelLink(&r.Database, &r.Structures),
                                              start, services_.table);
  setWindowTitle(qs(formatText(services_.text("IDD_FORMULAENTRY", "Formula Entry - %s"),
                               {model_->title()})));
  buildControls();
  refillSets();
  refresh();
}

CFormulaEntryDlg::~CFormulaEntryDlg() = default;

void CFormulaEntryDlg::buildControls() {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  layout->addLayout(top);
  auto* left = new QVBoxLayout;
  top->addLayout(left);

  auto* output = new QGroupBox(text("IDC_SENSORGROUPBOX", "Output"), this);
  auto* outputGrid = new QGridLayout(output);
  // The distance radio keeps its own caption.
  distanceRadio_ = new QRadioButton(QStringLiteral("Distance"), output);
  flowRadio_ = new QRadioButton(text("IDC_RADIO_NL", "Volume"), output);
  distanceUnits_ = new QComboBox(output);
  distanceUnits_->setObjectName("IDC_DISTANCEUNITS");
  flowUnits_ = new QComboBox(output);
  flowUnits_->setObjectName("IDC_FLOWUNITS");
  for (const std::string& n : model_->distanceUnitNames()) distanceUnits_->addItem(qs(n));
  for (const std::string& n : model_->flowUnitNames()) flowUnits_->addItem(qs(n));
  outputGrid->addWidget(distanceRadio_, 0, 0);
  outputGrid->addWidget(distanceUnits_, 0, 1);
  outputGrid->addWidget(flowRadio_, 1, 0);
  outputGrid->addWidget(flowUnits_, 1, 1);
  left->addWidget(output);

  auto* dims = new QGroupBox(text("IDC_DIMENSIONSGROUPBOX", "Dimensions"), this);
  auto* dimsGrid = new QGridLayout(dims);
  dimsGrid->addWidget(new QLabel(text("IDC_DIMENSIONUNITSLABEL", "Units"), dims), 0, 0);
  unitsBox_ = new QLineEdit(dims);
  unitsBox_->setObjectName("IDC_DIMENSIONUNITS");
  unitsBox_->setReadOnly(true);
  unitsBox_->setFocusPolicy(Qt::ClickFocus);
  dimsGrid->addWidget(unitsBox_, 0, 1);
  setLabel_ = new QLabel(qs(model_->setLabel()), dims);
  sets_ = new QComboBox(dims);
  sets_->setObjectName("IDC_AUTOEQUATIONS");
  dimsGrid->addWidget(setLabel_, 1, 0);
  dimsGrid->addWidget(sets_, 1, 1);
  for (int j = 0; j < FormulaFormModel::kFields; ++j) {
    const auto k = static_cast<std::size_t>(j);
    labels_[k] = new QLabel(qs(model_->caption(j)), dims);
    fields_[k] = new QLineEdit(dims);
    fields_[k]->setObjectName(QString("IDC_D%1").arg(j));
    dimsGrid->addWidget(labels_[k], j + 2, 0);
    dimsGrid->addWidget(fields_[k], j + 2, 1);
    connect(fields_[k], &QLineEdit::textChanged, this, [this, j](const QString& t) {
      if (!refreshing_) model_->setField(j, t.trimmed().toStdString());
    });
  }
  left->addWidget(dims);

  discharge_ = new QGroupBox(text("IDC_FLOWRATEGROUPBOX", "Discharge"), this);
  auto* dischargeRow = new QHBoxLayout(discharge_);
  maxFlowButton_ = new QPushButton(text("IDC_MINMAXFLOWRATEBTN", "Max Flow Rate"), discharge_);
  maxFlow_ = new QLineEdit(discharge_);
  maxFlow_->setObjectName("IDC_MAXFLOWRATE");
  maxFlow_->setReadOnly(true);
  maxFlow_->setMinimumWidth(110);
  maxFlow_->setFocusPolicy(Qt::ClickFocus);
  dischargeRow->addWidget(maxFlowButton_);
  dischargeRow->addWidget(maxFlow_);
  left->addWidget(discharge_);
  left->addStretch(1);

  top->addWidget(makePicture("IDC_PICTURE"), 0, Qt::AlignTop);
  layout->addLayout(makeButtons("IDC_HELP_OPENCHANNEL", "Tanks, Flumes and Weirs"));
  maxFlowButton_->setAutoDefault(false);

  connect(distanceRadio_, &QRadioButton::clicked, this, [this] {
    model_->chooseFlowMode(false);
    refresh();
  });
  connect(flowRadio_, &QRadioButton::clicked, this, [this] {
    model_->chooseFlowMode(true);
    refillSets();
    refresh();
  });
  connect(distanceUnits_, &QComboBox::activated, this, [this](int i) {
    model_->chooseDistanceUnit(i);
    refresh();
  });
  connect(flowUnits_, &QComboBox::activated, this, [this](int i) {
    model_->chooseFlowUnit(i);
    refillSets();
    refresh();
  });
  connect(sets_, &QComboBox::currentIndexChanged, this, [this](int k) {
    if (refreshing_) return;
    model_->chooseSet(k);
    refresh();
  });
  connect(maxFlowButton_, &QPushButton::clicked, this, &CFormulaEntryDlg::onMaxFlow);
}

void CFormulaEntryDlg::refillSets() {
  refreshing_ = true;
  sets_->clear();
  for (const std::string& n : model_->setNames()) sets_->addItem(qs(n));
  sets_->setCurrentIndex(model_->selectedSet());
  refreshing_ = false;
}

void CFormulaEntryDlg::refresh() {
  refreshing_ = true;
  const FormulaFormModel& m = *model_;
  const bool flow = m.flowMode();
  distanceRadio_->setChecked(!flow);
  flowRadio_->setChecked(flow);
  distanceUnits_->setCurrentIndex(m.distanceIndex());
  flowUnits_->setCurrentIndex(m.flowIndex());
  distanceUnits_->setVisible(!flow);
  flowUnits_->setVisible(flow);
  unitsBox_->setText(qs(m.dimensionUnitName()));
  for (int j = 0; j < FormulaFormModel::kFields; ++j) {
    const auto k = static_cast<std::size_t>(j);
    setTextIfChanged(fields_[k], m.field(j));
    const bool shown = m.fieldVisible(j);
    labels_[k]->setVisible(shown);
    fields_[k]->setVisible(shown);
  }
  if (sets_->currentIndex() != m.selectedSet()) sets_->setCurrentIndex(m.selectedSet());
  sets_->setVisible(flow);
  setLabel_->setVisible(flow);
  discharge_->setVisible(flow);
  setTextIfChanged(maxFlow_, m.maxFlowResult());

  showPicture(m.picture());
  refreshing_ = false;
}

void CFormulaEntryDlg::onOk() {
  const FormResult<FlowFormOutcome> result = model_->ok(services_.table);
  if (!result.ok()) {
    services_.showFailure(*result.failure);
    return;
  }
  services_.table = result.value.table;
  shape_ = result.value.shape;
  accept();
}

void CFormulaEntryDlg::onMaxFlow() {
  const auto failure = model_->computeMaxFlow(services_.table);
  refresh();
  if (failure) services_.showFailure(*failure);
}

void CFormulaEntryDlg::onViewCurve() {
  const FormResult<FlowFormOutcome> result = model_->preview(services_.table);
  if (!result.ok()) services_.showFailure(*result.failure);
  const VolumeTable& table = result.value.table;
  CViewCurve viewer(table, NumberRules::read(model_->field(0)), unitsBox_->text(),
                    flowUnits_->currentText(), &services_.records, &services_.presenter, this);
  if (model_->flowMode() && result.ok()) {
    float empty = 0;
    float full = 0;
    table.EmptyAndFullValues(NumberRules::read(model_->field(1)), empty, full);
    viewer.setMinMaxCapacity(empty, full, 0);
  }
  runViewer(viewer);
}

std::string CFormulaEntryDlg::helpTopic() const { return FormulaFormModel::helpTopic(); }

}  // namespace ostrel

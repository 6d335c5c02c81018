#include "gui/volume/c_strapping_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/support/text_format.h"
#include "core/volume/number_rules.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/c_view_curve.h"

namespace ostrel {
namespace {

using Field = StrappingGrid::Field;
constexpr int kRowHeight = 25;

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Tells the dialog when the in-place editor of a cell opens and what it
// leaves in the cell when it closes.
class PairCellDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  std::function<void(int row, int column)> began;
  std::function<void(int row, int column, const QString& text)> ended;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    if (began) began(index.row(), index.column());
    return QStyledItemDelegate::createEditor(parent, option, index);
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    QStyledItemDelegate::setModelData(editor, model, index);
    if (ended) ended(index.row(), index.column(), index.data().toString());
  }
};

}  // namespace

CStrappingDlg::CStrappingDlg(std::uint16_t shape, VolumeFormServices services, QWidget* parent)
    : CStructureForm(shape, services, parent) {
  const ModelRecords& r = services_.records;
  grid_ = std::make_unique<StrappingGrid>(ModelLink(&r.Database, &r.Structures),
                                          services_.config.heightUnits,
                                          services_.config.outputUnits, services_.table,
                                          services_.strapping);
  const std::string caption = grid_->caption(shape_);
  setWindowTitle(qs(formatText(services_.text("IDD_STRAPPINGDLG", "Strapping Table - %s"),
                               {caption})));
  buildControls();
  refreshFields();
  refreshGrid();
}

CStrappingDlg::~CStrappingDlg() = default;

void CStrappingDlg::buildControls() {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  layout->addLayout(top);
  auto* left = new QVBoxLayout;
  top->addLayout(left, 1);

  auto* form = new QGridLayout;
  left->addLayout(form);
  int line = 0;
  form->addWidget(new QLabel(text("IDC_UNITSLABEL_ST", "Units"), this), line, 0);
  unitsBox_ = new QLineEdit(this);
  unitsBox_->setObjectName("IDC_UNITS_ST");
  unitsBox_->setReadOnly(true);
  unitsBox_->setFocusPolicy(Qt::ClickFocus);
  form->addWidget(unitsBox_, line++, 1);
  for (const StrappingGrid::FieldLabel& row : grid_->fieldLabels()) {
    const auto i = static_cast<std::size_t>(row.field);
    labels_[i] = new QLabel(text(row.key, row.fallback), this);
    fields_[i] = new QLineEdit(this);
    fields_[i]->setObjectName(QString::fromUtf8(row.key));
    form->addWidget(labels_[i], line, 0);
    form->addWidget(fields_[i], line++, 1);
    labels_[i]->setVisible(row.shown);
    fields_[i]->setVisible(row.shown);
    const Field f = row.field;
    connect(fields_[i], &QLineEdit::textChanged, this,
            [this, f](const QString& t) { fieldEdited(f, t); });
  }
  form->addWidget(new QLabel(text("IDC_ROWSLABEL_ST", "Rows"), this), line, 0);
  rows_ = new QSpinBox(this);
  rows_->setObjectName("IDC_ROWS_ST");
  rows_->setRange(2, grid_->rowsMaximum());
  rows_->setValue(grid_->rowsValue());
  form->addWidget(rows_, line++, 1);
  connect(rows_, &QSpinBox::valueChanged, this, &CStrappingDlg::rowsChanged);

  table_ = new QTableWidget(this);
  table_->setObjectName("IDC_GRID_ST");
  table_->setColumnCount(3);
  table_->horizontalHeader()->hide();
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setMinimumSectionSize(kRowHeight);
  table_->verticalHeader()->setDefaultSectionSize(kRowHeight);
  table_->setColumnWidth(0, 36);
  table_->setColumnWidth(1, 130);
  table_->setColumnWidth(2, 150);
  table_->setMinimumSize(36 + 130 + 150 + 24, kRowHeight * 10 + 4);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  auto* delegate = new PairCellDelegate(table_);
  delegate->began = [this](int row, int column) { cellEditBegins(row, column); };
  delegate->ended = [this](int row, int column, const QString& t) {
    cellEditEnds(row, column, t);
  };
  table_->setItemDelegate(delegate);
  levelUnits_ = new QComboBox(table_);
  levelUnits_->setObjectName("IDC_LEVELUNITS_ST");
  for (const std::string& name : grid_->levelUnitNames()) levelUnits_->addItem(qs(name));
  volumeUnits_ = new QComboBox(table_);
  volumeUnits_->setObjectName("IDC_VOLUMEUNITS_ST");
  for (const std::string& name : grid_->volumeUnitNames()) volumeUnits_->addItem(qs(name));
  levelUnits_->setCurrentText(qs(grid_->levelUnitText()));
  volumeUnits_->setCurrentText(qs(grid_->volumeUnitText()));
  table_->setRowCount(1);
  auto* corner = new QTableWidgetItem;
  corner->setFlags(Qt::ItemIsEnabled);
  corner->setBackground(palette().color(QPalette::Button));
  table_->setItem(0, 0, corner);
  table_->setCellWidget(0, 1, levelUnits_);
  table_->setCellWidget(0, 2, volumeUnits_);
  connect(levelUnits_, &QComboBox::activated, this, &CStrappingDlg::levelUnitChosen);
  connect(volumeUnits_, &QComboBox::activated, this, &CStrappingDlg::volumeUnitChosen);
  left->addWidget(table_, 1);

  top->addWidget(makePicture("IDC_PICTURE_ST"), 0, Qt::AlignTop);
  if (const std::string picture = grid_->picture(shape_); !picture.empty()) showPicture(picture);
  layout->addLayout(makeButtons("IDC_HELP_ST", "Tanks"));
}

void CStrappingDlg::refreshFields() {
  refreshing_ = true;
  for (int i = 0; i < StrappingGrid::kFields; ++i) {
    const auto f = static_cast<Field>(i);
    const QString t = qs(grid_->field(f));
    if (fields_[static_cast<std::size_t>(i)]->text() != t) fields_[static_cast<std::size_t>(i)]->setText(t);
  }
  unitsBox_->setText(qs(grid_->levelUnitText()));
  refreshing_ = false;
}

void CStrappingDlg::refreshGrid() {
  refreshing_ = true;
  const int rows = grid_->pairRows();
  table_->setRowCount(rows + 1);
  const QColor face = palette().color(QPalette::Button);
  for (int row = 1; row <= rows; ++row) {
    QTableWidgetItem* number = table_->item(row, 0);
    if (number == nullptr) {
      number = new QTableWidgetItem(QString::number(row));
      number->setFlags(Qt::ItemIsEnabled);
      number->setTextAlignment(Qt::AlignCenter);
      number->setBackground(face);
      table_->setItem(row, 0, number);
    }
    refreshCell(row, StrappingGrid::kLevelColumn);
    refreshCell(row, StrappingGrid::kVolumeColumn);
  }
  if (rows_->value() != grid_->rowsValue()) rows_->setValue(grid_->rowsValue());
  refreshing_ = false;
}

void CStrappingDlg::refreshCell(int row, int column) {
  const StrappingGrid::Cell& cell = grid_->cell(row, column);
  QTableWidgetItem* item = table_->item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    table_->setItem(row, column, item);
  }
  const bool was = refreshing_;
  refreshing_ = true;
  if (item->text() != qs(cell.text)) item->setText(qs(cell.text));
  item->setFlags(cell.readOnly ? Qt::ItemIsEnabled
                               : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
  switch (cell.colour) {
    case StrappingGrid::Colour::White: item->setBackground(QColor(255, 255, 255)); break;
    case StrappingGrid::Colour::Red: item->setBackground(QColor(255, 0, 0)); break;
    case StrappingGrid::Colour::ButtonFace:
      item->setBackground(palette().color(QPalette::Button));
      break;
  }
  item->setForeground(QColor(0, 0, 0));
  refreshing_ = was;
}

void CStrappingDlg::cellEditBegins(int row, int column) {
  if (row < 1 || column < 1) return;
  grid_->beginEdit(row, column);
  refreshCell(row, column);
}

void CStrappingDlg::cellEditEnds(int row, int column, const QString& t) {
  if (refreshing_ || row < 1 || column < 1) return;
  const auto failure = grid_->endEdit(row, column, t.trimmed().toStdString());
  refreshCell(row, column);
  // The message waits until the editor has closed: a message box taking the
  // focus from an open editor would commit it a second time.
  if (failure && !failure->key.empty()) {
    QMetaObject::invokeMethod(this, [this, f = *failure] { services_.showFailure(f); },
                              Qt::QueuedConnection);
  }
}

void CStrappingDlg::rowsChanged(int value) {
  if (refreshing_) return;
  grid_->setRows(value);
  refreshGrid();
}

void CStrappingDlg::levelUnitChosen(int index) {
  if (refreshing_ || index < 0) return;
  grid_->chooseLevelUnit(levelUnits_->itemText(index).toStdString());
  refreshFields();
  refreshGrid();
}

void CStrappingDlg::volumeUnitChosen(int index) {
  if (refreshing_ || index < 0) return;
  grid_->chooseVolumeUnit(volumeUnits_->itemText(index).toStdString());
}

void CStrappingDlg::fieldEdited(Field f, const QString& t) {
  if (refreshing_) return;
  grid_->setField(f, t.trimmed().toStdString());
}

void CStrappingDlg::onOk() {
  const auto result = grid_->ok(services_.table);
  if (!result.ok()) {
    services_.showFailure(*result.failure);
    return;
  }
  services_.strapping = result.value.rows;
  services_.table = result.value.table;
  accept();
}

void CStrappingDlg::onViewCurve() {
  auto result = grid_->preview(services_.table);
  if (!result.ok()) services_.showFailure(*result.failure);
  const double top = NumberRules::read(grid_->field(Field::TankHeight));
  CViewCurve viewer(result.value.table, top, levelUnits_->currentText(),
                    volumeUnits_->currentText(), &services_.records, &services_.presenter, this);
  runViewer(viewer);
}

std::string CStrappingDlg::helpFile() const { return StrappingGrid::kHelpFile; }
std::string CStrappingDlg::helpTopic() const { return StrappingGrid::kHelpTopic; }

}  // namespace ostrel

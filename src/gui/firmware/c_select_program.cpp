#include "gui/firmware/c_select_program.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/session/app_context.h"

namespace ostrel {

CSelectProgram::CSelectProgram(const AppContext& context, const ProgramChoice& choice,
                               QWidget* parent)
    : QDialog(parent), ctx_(context) {
  setObjectName("IDD_SELECTPROGRAM");
  setWindowTitle(text("IDD_SELECTPROGRAM", "Select Program"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* note = new QLabel(text("IDC_SAVECONFIGFIRST_MSG", ""), this);
  note->setObjectName("IDC_SAVECONFIGFIRST_MSG");
  note->setWordWrap(true);

  auto* rangeLabel = new QLabel(text("IDC_CURRENTRANGELABEL", "Current Range:"), this);
  rangeLabel->setObjectName("IDC_CURRENTRANGELABEL");
  range_ = new QLineEdit(QString::fromStdString(choice.currentRange), this);
  range_->setObjectName("IDC_CURRENTRANGE");
  range_->setReadOnly(true);

  auto* versionLabel = new QLabel(text("IDC_CURRENTVERSIONLABEL", "Current Version:"), this);
  versionLabel->setObjectName("IDC_CURRENTVERSIONLABEL");
  version_ = new QLineEdit(QString::fromStdString(choice.currentVersion), this);
  version_->setObjectName("IDC_CURRENTVERSION");
  version_->setReadOnly(true);

  auto* listLabel = new QLabel(text("IDC_SELECTFIRMWARELABEL", "Select Firmware:"), this);
  listLabel->setObjectName("IDC_SELECTFIRMWARELABEL");
  list_ = new QComboBox(this);
  list_->setObjectName("IDC_SELECTFIRMWARE");
  list_->setEditable(true);
  list_->setInsertPolicy(QComboBox::NoInsert);
  for (const std::string& entry : choice.entries) list_->addItem(QString::fromStdString(entry));
  list_->setCurrentIndex(choice.entries.empty() ? -1 : 0);
  list_->setMinimumContentsLength(24);

  ok_ = new QPushButton(text("IDOK", "OK"), this);
  ok_->setObjectName("IDOK");
  ok_->setDefault(true);
  cancel_ = new QPushButton(text("IDCANCEL", "Cancel"), this);
  cancel_->setObjectName("IDCANCEL");
  cancel_->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, &CSelectProgram::accept);
  connect(cancel_, &QPushButton::clicked, this, &CSelectProgram::reject);

  auto* grid = new QGridLayout;
  grid->addWidget(rangeLabel, 0, 0);
  grid->addWidget(range_, 0, 1);
  grid->addWidget(versionLabel, 1, 0);
  grid->addWidget(version_, 1, 1);
  grid->addWidget(listLabel, 2, 0);
  grid->addWidget(list_, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

QString CSelectProgram::text(const char* key, const char* fallback) const {
  return QString::fromStdString(ctx_.text(key, fallback));
}

void CSelectProgram::accept() {
  // The entry at the list's position, as long as the text shown is that
  // entry's: typed text that names no entry chooses nothing.
  const int index = list_->currentIndex();
  chosen_ = index >= 0 && list_->currentText() == list_->itemText(index) ? index : -1;
  QDialog::accept();
}

}  // namespace ostrel

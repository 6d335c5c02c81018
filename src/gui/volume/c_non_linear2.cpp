#include "gui/volume/c_non_linear2.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/model/model_database.h"
#include "gui/volume/c_alternate_page.h"

namespace ostrel {

CNonLinear2::CNonLinear2(VolumeFormServices services, StructureData& structures,
                         std::filesystem::path modelsFolder, bool makerMode, int firstPage,
                         std::uint16_t candidate, QWidget* parent)
    : QDialog(parent), services_(services), candidate_(candidate), chosen_(candidate) {
  setWindowTitle(QString::fromStdString(services_.text("IDD_ALTERNATEPAGE")));
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  layout->addWidget(tabs_, 1);

  const ModelDatabase& model = services_.records.Database;
  const auto& files = model.NonLinearFiles;
  const int listed = files.used();
  const int count = makerMode ? listed : std::min(listed, 1);
  for (int i = 0; i < count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    auto* page = new CAlternatePage(files[k], structures, modelsFolder, services_.bitmapsFolder,
                                    services_.presenter, tabs_);
    pages_.push_back(page);
    tabs_->addTab(page, QString::fromStdString(model.NonLinearTitles[k]));
    connect(page, &CAlternatePage::shapeChosen, this, [this](std::uint16_t shape) {
      chosen_ = shape;
    });
    connect(page, &CAlternatePage::shapeConfirmed, this, [this](std::uint16_t shape) {
      chosen_ = shape;
      accept();
    });
  }

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = new QPushButton(QString::fromStdString(services_.text("IDOK", "OK")), this);
  cancel_ = new QPushButton(QString::fromStdString(services_.text("IDCANCEL", "Cancel")), this);
  ok_->setDefault(true);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  resize(600, 500);

  const int first = pages_.empty() ? -1 : std::clamp(firstPage, 0, pageCount() - 1);
  if (first >= 0) {
    tabs_->setCurrentIndex(first);
    pageActivated(first);
  } else {
    ok_->setEnabled(false);
  }
  connect(tabs_, &QTabWidget::currentChanged, this, &CNonLinear2::pageActivated);
}

void CNonLinear2::pageActivated(int index) {
  if (index < 0 || index >= pageCount()) return;
  CAlternatePage* p = page(index);
  // Every page starts at the candidate's class when it lists it. A page
  // that could not load its structures offers nothing to choose.
  ok_->setEnabled(p->activate(candidate_) && p->list()->count() > 0);
}

}  // namespace ostrel

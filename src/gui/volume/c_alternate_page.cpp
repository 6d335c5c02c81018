#include "gui/volume/c_alternate_page.h"

#include <QBitmap>
#include <QListWidget>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>

#include "core/model/model_file_parser.h"
#include "core/model/structure_data.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

constexpr int kIconSize = 80;
constexpr int kShapeRole = Qt::UserRole + 1;

// An icon of the list: the picture on 80 x 80 with white showing through.
QIcon structureIcon(const std::filesystem::path& file) {
  QPixmap picture;
  if (!picture.load(QString::fromStdString(file.string()))) return {};
  picture = picture.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  picture.setMask(picture.createMaskFromColor(Qt::white));
  return QIcon(picture);
}

}  // namespace

CAlternatePage::CAlternatePage(std::string file, StructureData& structures, std::filesystem::path modelsFolder,
                               std::filesystem::path bitmapsFolder, QtPresenter& presenter,
                               QWidget* parent)
    : QWidget(parent),
      file_(std::move(file)),
      structures_(structures),
      modelsFolder_(std::move(modelsFolder)),
      bitmapsFolder_(std::move(bitmapsFolder)),
      presenter_(presenter) {
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName("IDC_STRUCTURELIST");
  list_->setViewMode(QListView::IconMode);
  list_->setIconSize(QSize(kIconSize, kIconSize));
  list_->setMovement(QListView::Static);
  list_->setResizeMode(QListView::Adjust);
  list_->setWordWrap(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->addWidget(list_);
  connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item != nullptr) emit shapeChosen(selectedShape());
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    list_->setCurrentItem(item);
    emit shapeConfirmed(selectedShape());
  });
}

bool CAlternatePage::activate(std::uint16_t currentShape) {
  list_->clear();
  ResetStructureData(structures_);
  ModelTargets targets;
  targets.structure = &structures_;
  ModelFileParser parser(targets);
  if (file_.empty() || !parser.LoadModelFile(modelsFolder_ / file_, 0)) {
    ResetStructureData(structures_);
    presenter_.messageBox("Error opening model file " + file_, kStylePlain);
    return false;
  }
  const int count = std::clamp(structures_.StructureCount, 0, StructureData::kStructures);
  int selected = 0;
  for (int i = 0; i < count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (structures_.TabImages[k].empty()) continue;
    auto* item = new QListWidgetItem(structureIcon(bitmapsFolder_ / structures_.TabImages[k]),
                                     QString::fromStdString(structures_.ShapeNames[k]));
    const std::uint16_t type = structures_.NlTypes[k];
    item->setData(kShapeRole, static_cast<int>(type) << 8);
    item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    list_->addItem(item);
    if (type == (currentShape >> 8)) selected = list_->count() - 1;
  }
  spaceIcons();
  if (list_->count() > 0) {
    list_->setCurrentRow(selected);
    list_->scrollToItem(list_->currentItem());
    emit shapeChosen(selectedShape());
  }
  return true;
}

std::uint16_t CAlternatePage::selectedShape() const {
  const QListWidgetItem* item = list_->currentItem();
  if (item == nullptr) return StructureData::kNoShape;
  return static_cast<std::uint16_t>(item->data(kShapeRole).toInt());
}

void CAlternatePage::spaceIcons() {
  const QSize client = list_->viewport()->size();
  list_->setGridSize(QSize(std::max(client.width() / 3 - 12, kIconSize + 8),
                           std::max(client.height() / 3, kIconSize + 48)));
}

void CAlternatePage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  spaceIcons();
}

}  // namespace ostrel

#include "gui/volume/c_structure_form.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "core/model/help_locator.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/qt_presenter.h"
#include "gui/volume/c_view_curve.h"

namespace ostrel {

CStructureForm::CStructureForm(std::uint16_t shape, VolumeFormServices services, QWidget* parent)
    : QDialog(parent), shape_(shape), services_(services) {}

QString CStructureForm::text(const char* key, const char* fallback) const {
  return QString::fromStdString(services_.text(key, fallback));
}

QLabel* CStructureForm::makePicture(const char* objectName) {
  picture_ = new QLabel(this);
  picture_->setObjectName(objectName);
  picture_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  return picture_;
}

void CStructureForm::showPicture(const std::string& name) {
  if (pictureShown_ && name == pictureName_) return;
  pictureName_ = name;
  pictureShown_ = true;
  QPixmap pixmap;
  if (!name.empty() &&
      pixmap.load(QString::fromStdString((services_.bitmapsFolder / name).string()))) {
    picture_->setPixmap(pixmap);
  } else {
    picture_->clear();
  }
}

QHBoxLayout* CStructureForm::makeButtons(const char* helpKey, const char* tanksCaption) {
  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton(text("IDOK_APPLY", "OK"), this);
  tanks_ = new QPushButton(text("IDC_CHANGESHAPEBTN", tanksCaption), this);
  cancel_ = new QPushButton(text("IDCANCEL", "Cancel"), this);
  help_ = new QPushButton(text(helpKey, "Help"), this);
  viewCurve_ = new QPushButton(text("IDC_VIEWCURVE", "View Curve"), this);
  for (QPushButton* b : {ok_, tanks_, cancel_, help_, viewCurve_}) b->setAutoDefault(false);
  for (QPushButton* b : {ok_, tanks_, cancel_, help_}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(viewCurve_);
  viewCurve_->setVisible(services_.records.Values.MakerMode);

  connect(ok_, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(tanks_, &QPushButton::clicked, this, [this] {
    backToShapes_ = true;
    reject();
  });
  connect(help_, &QPushButton::clicked, this, [this] { showHelp(); });
  connect(viewCurve_, &QPushButton::clicked, this, [this] { onViewCurve(); });
  return buttons;
}

void CStructureForm::runViewer(CViewCurve& viewer) {
  if (runCurveViewer) {
    runCurveViewer(viewer);
  } else {
    viewer.exec();
  }
}

std::string CStructureForm::helpFile() const {
  return services_.records.Database.NonLinearHelpFile;
}

std::filesystem::path CStructureForm::showHelp() {
  const auto folder = HelpLocator::helpFolder(services_.helpFolder, helpFile());
  const auto file = folder.empty() ? folder : HelpLocator::topicFile(folder, helpTopic());
  CHelpBrowser::setLanguage(&services_.records.Language, &services_.records.Values);
  if (file.empty() || CHelpBrowser::show(file, this) == nullptr) {
    services_.presenter.messageBox(services_.text(HelpLocator::kMissingMessage), kStyleError);
    return {};
  }
  return file;
}

void CStructureForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    showHelp();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace ostrel

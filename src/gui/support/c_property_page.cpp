#include "gui/support/c_property_page.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "core/session/app_context.h"

namespace ostrel {
namespace {

const char* kindKey(const AppContext& ctx) {
  switch (ctx.State.Kind) {
    case UnitKind::Sample: return "IDD_MAINFORM_STUBBEDMODE";
    case UnitKind::PulseRadar: return "IDC_KIND_PULSERADAR";
    case UnitKind::GuidedWave: return "IDC_KIND_GUIDEDWAVE";
    case UnitKind::UType: return "IDC_KIND_UTYPE";
    case UnitKind::Ultrasonic:
    case UnitKind::None: break;
  }
  return "IDC_KIND_ULTRASONIC";
}

}  // namespace

CPropertyPage::CPropertyPage(const char* titleKey, const char* titleFallback, PageServices services,
                             QWidget* parent)
    : QWidget(parent),
      titleKey_(titleKey),
      titleFallback_(titleFallback),
      services_(services),
      layout_(new QVBoxLayout(this)),
      identity_(new QGroupBox(this)),
      notice_(new QLabel(this)) {
  setObjectName(titleKey);
  auto* lines = new QVBoxLayout(identity_);
  for (QLabel*& line : lines_) {
    line = new QLabel(identity_);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lines->addWidget(line);
  }
  notice_->setObjectName("IDC_PAGE_PENDING");
  notice_->setWordWrap(true);
  notice_->setVisible(false);
  layout_->addWidget(identity_);
  layout_->addWidget(notice_);
  layout_->addStretch(1);
  refreshIdentity();
}

QString CPropertyPage::title() const { return text(titleKey_, titleFallback_); }

QString CPropertyPage::text(const char* key, const char* fallback) const {
  return QString::fromStdString(services_.context.text(key, fallback));
}

QLabel* CPropertyPage::identityLine(int row) const { return lines_[row]; }

void CPropertyPage::OnSetActive() { refreshIdentity(); }

void CPropertyPage::setNotice(const QString& text) {
  notice_->setText(text);
  notice_->setVisible(!text.isEmpty());
}

void CPropertyPage::refreshIdentity() {
  const AppContext& ctx = services_.context;
  const UnitConfiguration& unit = ctx.Unit;
  identity_->setTitle(text(kindKey(ctx)));
  lines_[0]->setText(QString::fromStdString(
      ctx.format("IDC_PNSN", {unit.model, static_cast<long long>(unit.serial)})));
  lines_[1]->setText(QString::fromStdString(ctx.format("IDC_HW_MODEL", {unit.firmware})));
  lines_[2]->setText(text("IDC_SW_REVISION") + ": " +
                     QString::fromStdString(UnitConfiguration::softwareRevisionText(unit.softwareRevision)));
  lines_[3]->setText(QString::fromStdString(ctx.format("IDC_MODELFILE", {unit.modelFileName})));
}

void CPropertyPage::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
      event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace ostrel

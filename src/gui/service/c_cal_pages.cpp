#include "gui/service/c_cal_pages.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include "core/session/app_context.h"

namespace ostrel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

constexpr std::array<const char*, 4> kPageKeys = {"IDC_CUSTDP", "IDC_FACTDP", "IDC_HISTDP",
                                                  "IDC_OCMDP"};
constexpr std::array<const char*, 4> kPageNames = {"Customer Data Page", "Factory Data Page",
                                                   "History Page", "OCM Page"};

}  // namespace

CCalPages::CCalPages(AppContext& ctx, const std::array<UnitMemory::Page, 4>& pages,
                     QWidget* parent)
    : QDialog(parent), images_(pages) {
  setObjectName("CCalPages");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  build(ctx);
  // Opening: the customer page in the integer format.
  pages_[0]->setChecked(true);
  integer_->setChecked(true);
  showPage();
  setWindowTitle(qs(ctx.text("IDD_CALPAGES", "Data Pages")));
}

void CCalPages::build(AppContext& ctx) {
  auto* layout = new QHBoxLayout(this);
  display_ = new QPlainTextEdit(this);
  display_->setObjectName("IDC_PAGEDISPLAY");
  display_->setReadOnly(true);
  display_->setUndoRedoEnabled(false);
  display_->setLineWrapMode(QPlainTextEdit::NoWrap);
  display_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const QFontMetrics metrics(display_->font());
  display_->setMinimumSize(metrics.horizontalAdvance(QString(76, 'M')) + 32,
                           metrics.lineSpacing() * 24);
  layout->addWidget(display_, 1);

  auto* side = new QVBoxLayout;
  layout->addLayout(side);
  auto* pageGroup = new QGroupBox(this);
  auto* pageLayout = new QVBoxLayout(pageGroup);
  auto* pageButtons = new QButtonGroup(this);
  for (std::size_t p = 0; p < pages_.size(); ++p) {
    pages_[p] = new QRadioButton(qs(ctx.text(kPageKeys[p], kPageNames[p])), pageGroup);
    pages_[p]->setObjectName(kPageKeys[p]);
    pageButtons->addButton(pages_[p], static_cast<int>(p));
    pageLayout->addWidget(pages_[p]);
  }
  side->addWidget(pageGroup);

  auto* formatGroup = new QGroupBox(this);
  auto* formatLayout = new QVBoxLayout(formatGroup);
  auto* formatButtons = new QButtonGroup(this);
  integer_ = new QRadioButton(qs(ctx.text("IDC_INTEGERDISP", "Integer")), formatGroup);
  integer_->setObjectName("IDC_INTEGERDISP");
  hex_ = new QRadioButton(qs(ctx.text("IDC_HEXDISP", "Hexadecimal")), formatGroup);
  hex_->setObjectName("IDC_HEXDISP");
  formatButtons->addButton(integer_);
  formatButtons->addButton(hex_);
  formatLayout->addWidget(integer_);
  formatLayout->addWidget(hex_);
  side->addWidget(formatGroup);
  side->addStretch(1);

  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("IDOK");
  ok_->setDefault(true);
  side->addWidget(ok_);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  // Choosing a page or a format shows the chosen page in the chosen format.
  for (QRadioButton* b : pages_) {
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (on) showPage();
    });
  }
  for (QRadioButton* b : {integer_, hex_}) {
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (on) showPage();
    });
  }
}

void CCalPages::showPage() {
  std::size_t page = 0;
  for (std::size_t p = 0; p < pages_.size(); ++p) {
    if (pages_[p]->isChecked()) page = p;
  }
  if (!integer_->isChecked() && !hex_->isChecked()) integer_->setChecked(true);
  const PageTextFormat format = hex_->isChecked() ? PageTextFormat::Hex : PageTextFormat::Integer;
  std::string text = memoryPageText(images_[page].data(), format, "\n");
  if (!text.empty() && text.back() == '\n') text.pop_back();
  display_->setPlainText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  display_->moveCursor(QTextCursor::Start);
  display_->verticalScrollBar()->setValue(0);
}

}  // namespace ostrel

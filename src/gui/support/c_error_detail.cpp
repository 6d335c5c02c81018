#include "gui/support/c_error_detail.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/support/presenter.h"
#include "gui/support/language_text.h"
#include "gui/support/text_lines.h"

namespace ostrel {
namespace {

constexpr int kMaxTextChars = 70;
constexpr int kMinDetailChars = 50;

}  // namespace

CErrorDetail::CErrorDetail(const LanguageTable* table, const AppSettings* settings, QWidget* parent)
    : QDialog(parent),
      table_(table),
      settings_(settings),
      title_(QStringLiteral("Error")),
      okCaption_(QStringLiteral("OK")),
      icon_(new QLabel(this)),
      message_(new QLabel(this)),
      details_(new QPlainTextEdit(this)),
      ok_(new QPushButton(this)),
      toggle_(new QPushButton(this)) {
  setObjectName(QStringLiteral("CErrorDetail"));
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon_->setObjectName(QStringLiteral("icon"));
  icon_->setPixmap(
      style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(iconSize));
  icon_->setFixedSize(iconSize, iconSize);
  message_->setObjectName(QStringLiteral("message"));
  message_->setTextFormat(Qt::PlainText);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  details_->setObjectName(QStringLiteral("details"));
  details_->setReadOnly(true);
  details_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  ok_->setObjectName(QStringLiteral("IDOK"));
  toggle_->setObjectName(QStringLiteral("IDC_DETAILS"));
  toggle_->setAutoDefault(false);
  ok_->setDefault(true);

  auto* body = new QHBoxLayout;
  body->setSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing) * 2);
  body->addWidget(icon_, 0, Qt::AlignTop | Qt::AlignLeft);
  body->addWidget(message_, 0, Qt::AlignTop | Qt::AlignLeft);
  body->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(toggle_);

  auto* outer = new QVBoxLayout(this);
  outer->setSizeConstraint(QLayout::SetFixedSize);  // resizes itself when details toggle
  outer->addLayout(body);
  outer->addWidget(details_);
  outer->addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
  outer->addLayout(buttons);

  // Wide enough for both captions, so toggling does not move the buttons.
  int toggleWidth = 0;
  for (const QString& caption : {QStringLiteral("Hide Details"), QStringLiteral("Show Details")}) {
    toggle_->setText(caption);
    toggleWidth = std::max(toggleWidth, toggle_->sizeHint().width());
  }
  toggle_->setMinimumWidth(toggleWidth);

  connect(ok_, &QPushButton::clicked, this, [this] { done(kResultOk); });
  connect(toggle_, &QPushButton::clicked, this, [this] { setDetailsShown(!detailsShown_); });

  prepare(QString(), QString());
}

void CErrorDetail::setLanguage(const LanguageTable* table, const AppSettings* settings) {
  table_ = table;
  settings_ = settings;
}

int CErrorDetail::show(const QString& message, const QString& details) {
  prepare(message, details);
  exec();
  return kResultOk;  // OK, Escape and the close button all just dismiss it
}

void CErrorDetail::prepare(const QString& message, const QString& details) {
  lookupText(table_, settings_, "IDD_ERRORDETAIL", title_);
  lookupText(table_, settings_, "IDOK", okCaption_);
  setWindowTitle(title_);
  ok_->setText(okCaption_);

  const QFont font = message_->font();
  const QFontMetrics fm(font);
  const int width = messageWidth(font, message, fm.averageCharWidth() * kMaxTextChars);
  // As many lines as the message has (line breaks plus one); a line too long
  // for the dialog wraps and takes the lines it needs rather than being cut.
  const int lines = wrappedLineCount(font, message, width);
  message_->setWordWrap(lines > message.count(QLatin1Char('\n')) + 1);
  message_->setText(message);
  message_->setFixedSize(width + 1, lines * fm.lineSpacing());

  details_->setPlainText(details);
  const QFontMetrics dfm(details_->font());
  const int frame = details_->frameWidth();
  const int margin = static_cast<int>(std::ceil(details_->document()->documentMargin()));
  // One pixel more: the text edit only counts a line as visible with room
  // to spare, and would otherwise scroll the third line.
  details_->setFixedHeight(kDetailLines * dfm.lineSpacing() + 2 * (frame + margin) + 1);
  details_->setMinimumWidth(
      std::max(message_->width() + icon_->width(), dfm.averageCharWidth() * kMinDetailChars));

  setDetailsShown(false);
  ok_->setFocus();
}

void CErrorDetail::setDetailsShown(bool shown) {
  detailsShown_ = shown;
  details_->setVisible(shown);
  toggle_->setText(shown ? QStringLiteral("Hide Details") : QStringLiteral("Show Details"));
}

}  // namespace ostrel

#include "gui/support/c_message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "core/support/presenter.h"
#include "gui/support/language_text.h"
#include "gui/support/text_lines.h"

namespace ostrel {
namespace {

// Longer lines wrap; about the width of the message boxes users know.
constexpr int kMaxTextChars = 60;

QStyle::StandardPixmap standardPixmap(CMessageBox::Icon icon) {
  switch (icon) {
    case CMessageBox::Icon::Question: return QStyle::SP_MessageBoxQuestion;
    case CMessageBox::Icon::Error: return QStyle::SP_MessageBoxCritical;
    case CMessageBox::Icon::Information: break;
  }
  return QStyle::SP_MessageBoxInformation;
}

}  // namespace

CMessageBox::Layout CMessageBox::layoutFor(unsigned style) {
  Layout layout;  // plain: OK, exclamation, information
  // The buttons follow the button bits alone, so an icon bit added to a
  // question never takes its No button away.
  if ((style & kStyleYesNo) != 0) {
    layout.yes = true;
    layout.ok = false;
    layout.no = true;
    layout.icon = Icon::Question;
  }
  if ((style & kStyleOkCancel) != 0) {
    layout.yes = false;
    layout.ok = true;
    layout.no = true;
    layout.noIsCancel = true;
    layout.icon = Icon::Question;
  }
  // An explicit icon bit wins over the question mark of the button styles.
  if ((style & kStyleInformation) != 0) {
    layout.sound = Sound::DefaultBeep;
    layout.icon = Icon::Information;
  }
  if ((style & kStyleError) != 0) {
    layout.sound = Sound::Exclamation;
    layout.icon = Icon::Error;
  }
  return layout;
}

int CMessageBox::closeResult(const Layout& layout) {
  // Closing a question is the cautious answer, No (Cancel in the OK/cancel
  // style, which answers No as well); a box that only informs was read: OK.
  return layout.no ? kResultNo : kResultOk;
}

CMessageBox::CMessageBox(const LanguageTable* table, const AppSettings* settings, QWidget* parent)
    : QDialog(parent),
      table_(table),
      settings_(settings),
      yesCaption_(QStringLiteral("Yes")),
      okCaption_(QStringLiteral("OK")),
      noCaption_(QStringLiteral("No")),
      cancelCaption_(QStringLiteral("Cancel")),
      icon_(new QLabel(this)),
      text_(new QLabel(this)),
      yes_(new QPushButton(this)),
      ok_(new QPushButton(this)),
      no_(new QPushButton(this)) {
  setObjectName(QStringLiteral("CMessageBox"));
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  icon_->setObjectName(QStringLiteral("icon"));
  icon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  text_->setObjectName(QStringLiteral("text"));
  text_->setTextFormat(Qt::PlainText);  // texts with '<' are not markup
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  yes_->setObjectName(QStringLiteral("IDC_YES"));
  ok_->setObjectName(QStringLiteral("IDC_OK"));
  no_->setObjectName(QStringLiteral("IDC_NO"));

  auto* body = new QHBoxLayout;
  body->setSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing) * 2);
  body->addWidget(icon_, 0, Qt::AlignTop | Qt::AlignLeft);
  body->addWidget(text_, 0, Qt::AlignVCenter | Qt::AlignLeft);
  body->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(yes_);
  buttons->addWidget(ok_);
  buttons->addWidget(no_);

  auto* outer = new QVBoxLayout(this);
  outer->setSizeConstraint(QLayout::SetFixedSize);  // the box fits its text
  outer->addLayout(body);
  outer->addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
  outer->addLayout(buttons);

  connect(yes_, &QPushButton::clicked, this, [this] { done(kResultYes); });
  connect(ok_, &QPushButton::clicked, this, [this] { done(kResultOk); });
  connect(no_, &QPushButton::clicked, this, [this] { done(kResultNo); });

  prepare(QString(), kStylePlain);
}

void CMessageBox::setLanguage(const LanguageTable* table, const AppSettings* settings) {
  table_ = table;
  settings_ = settings;
}

void CMessageBox::setProductName(const QString& name) {
  productName_ = name;
  setWindowTitle(name);
}

int CMessageBox::show(const QString& text, unsigned style) {
  prepare(text, style);
  QApplication::beep();  // one beep for either sound
  return exec();
}

void CMessageBox::prepare(const QString& text, unsigned style) {
  layout_ = layoutFor(style);
  setWindowTitle(productName_);
  applyCaptions();
  applyIcon();
  applyText(text);

  yes_->setVisible(layout_.yes);
  ok_->setVisible(layout_.ok);
  no_->setVisible(layout_.no);
  QPushButton* first = layout_.yes ? yes_ : ok_;
  for (QPushButton* b : {yes_, ok_, no_}) b->setDefault(b == first);
  first->setFocus();
}

void CMessageBox::reject() { done(closeResult(layout_)); }

void CMessageBox::applyCaptions() {
  // Fetched on every showing: the language may change between two messages.
  lookupText(table_, settings_, "IDC_YES", yesCaption_);
  lookupText(table_, settings_, "IDC_OK", okCaption_);
  lookupText(table_, settings_, layout_.noIsCancel ? "IDC_CANCEL" : "IDC_NO",
             layout_.noIsCancel ? cancelCaption_ : noCaption_);
  yes_->setText(yesCaption_);
  ok_->setText(okCaption_);
  no_->setText(layout_.noIsCancel ? cancelCaption_ : noCaption_);
}

void CMessageBox::applyIcon() {
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon_->setPixmap(style()->standardIcon(standardPixmap(layout_.icon), nullptr, this).pixmap(size));
  icon_->setFixedSize(size, size);
}

void CMessageBox::applyText(const QString& text) {
  const QFont font = text_->font();
  const QFontMetrics fm(font);
  const int width = messageWidth(font, text, fm.averageCharWidth() * kMaxTextChars);
  const int lines = wrappedLineCount(font, text, width);
  text_->setWordWrap(lines > text.count(QLatin1Char('\n')) + 1);
  text_->setText(text);
  // Never lower than the icon, so a one-line text sits beside its middle.
  text_->setFixedSize(width + 1, std::max(lines * fm.lineSpacing(), icon_->height()));
}

}  // namespace ostrel

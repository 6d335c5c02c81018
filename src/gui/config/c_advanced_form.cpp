#include "gui/config/c_advanced_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextLayout>

#include "core/session/app_context.h"
#include "gui/config/page_sizing.h"
#include "gui/support/context_help.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Explanations run from 10 to 400.
constexpr int kExplanationWidth = 390;

QRect toRect(const AdvancedRect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

// An input's explanation, its lines drawn at the dialog's line height.
class ExplanationText final : public QWidget {
 public:
  ExplanationText(QStringList lines, int lineHeight, QWidget* parent)
      : QWidget(parent), lines_(std::move(lines)), lineHeight_(lineHeight) {}
  QString text() const { return lines_.join('\n'); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    for (int i = 0; i < lines_.size(); ++i) {
      painter.drawText(QRect(0, i * lineHeight_, width(), fontMetrics().height()),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, lines_[i]);
    }
  }

 private:
  QStringList lines_;
  int lineHeight_;
};

// A scroll area whose steps are the dialog's: the area resets them to its
// own whenever it lays itself out again, so they are put back each time.
class SteppedScrollArea final : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;
  void setSteps(int line, int page) {
    line_ = line;
    page_ = page;
    apply();
  }

 protected:
  bool event(QEvent* e) override {
    const bool done = QScrollArea::event(e);
    apply();
    return done;
  }
  bool eventFilter(QObject* watched, QEvent* e) override {
    const bool done = QScrollArea::eventFilter(watched, e);
    apply();
    return done;
  }
  void resizeEvent(QResizeEvent* e) override {
    QScrollArea::resizeEvent(e);
    apply();
  }

 private:
  void apply() {
    if (line_ <= 0) return;
    verticalScrollBar()->setSingleStep(line_);
    verticalScrollBar()->setPageStep(page_);
  }
  int line_ = 0;
  int page_ = 0;
};

// An explanation's lines as they fit the width, long ones wrapped at
// word boundaries.
QStringList wrapped(const std::vector<std::string>& lines, const QFont& font, int width) {
  QStringList out;
  for (const std::string& line : lines) {
    const QString text = qs(line);
    QTextLayout layout(text, font);
    layout.beginLayout();
    int pieces = 0;
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
      l.setLineWidth(width);
      QString piece = text.mid(l.textStart(), l.textLength());
      while (piece.endsWith(' ')) piece.chop(1);
      out << piece;
      ++pieces;
    }
    layout.endLayout();
    if (pieces == 0) out << QString();  // an empty line keeps its place
  }
  return out;
}

}  // namespace

bool CAdvancedForm::run(QWidget* parent, AppContext& ctx, QtPresenter& presenter) {
  const AdvancedFormModel::Opening opening = AdvancedFormModel::opening(
      ctx.Database, ctx.Unit, ctx.Folders.InstalledData,
      [&ctx](const char* key) { return ctx.text(key); });
  if (opening.refused) {
    presenter.messageBox(opening.message, kStyleError);
    return false;
  }
  if (presenter.messageBox(opening.message, kStyleYesNo | kStyleQuestion) != kResultYes) return false;
  CAdvancedForm dialog(ctx, presenter, parent);
  fitToTitle(&dialog);
  return dialog.exec() == QDialog::Accepted;
}

CAdvancedForm::CAdvancedForm(AppContext& ctx, QtPresenter& presenter, QWidget* parent)
    : QDialog(parent), ctx_(ctx), presenter_(presenter), model_(ctx.Database, ctx.Unit) {
  setObjectName("CAdvancedForm");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowTitle(qs(ctx.text("IDC_ADVANCED", "Advanced")));
  build();
  // F1 or a right click anywhere opens the Advanced button's topic.
  new ContextHelp(
      this, ctx.HelpTopics,
      [&ctx] { return HelpFiles{ctx.Folders.Help, ctx.Database.HelpFile, ctx.Identity.MainHelp}; },
      [](const QWidget*) -> std::optional<HelpControl> { return HelpControl::AdvancedButton; },
      [this](const std::string& key) { presenter_.messageBox(ctx_.text(key), kStyleError); });
}

CAdvancedForm::~CAdvancedForm() = default;

void CAdvancedForm::build() {
  const int lineHeight = QFontMetrics(font()).boundingRect("Test").height() - 3;
  update_ = new QPushButton(qs(ctx_.text("IDC_UPDATE", "Update")));
  cancel_ = new QPushButton(qs(ctx_.text("IDCANCEL", "Cancel")));
  update_->setObjectName("IDC_UPDATE");
  cancel_->setObjectName("IDCANCEL");
  // Enter moves between the controls; it presses no button by itself.
  update_->setAutoDefault(false);
  cancel_->setAutoDefault(false);
  const int buttonHeight = update_->sizeHint().height();
  std::vector<QStringList> explanations;
  std::vector<int> lineCounts;
  for (const AdvancedRow& row : model_.rows()) {
    explanations.push_back(wrapped(row.explanation, font(), kExplanationWidth));
    lineCounts.push_back(static_cast<int>(explanations.back().size()));
  }
  layout_ = AdvancedLayout::of(model_.rows(), lineHeight, buttonHeight, lineCounts);

  auto* content = new QWidget;
  content->setObjectName("content");
  content->setFixedSize(AdvancedLayout::kContentWidth, layout_.contentHeight);
  const auto& rows = model_.rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const AdvancedRow& row = rows[i];
    const AdvancedRowLayout& at = layout_.rows[i];
    if (at.explanation) {
      auto* text = new ExplanationText(explanations[i], lineHeight, content);
      QRect r = toRect(*at.explanation);
      // The last line's descent reaches below the box's line grid.
      r.setHeight(r.height() + fontMetrics().descent());
      text->setGeometry(r);
    }
    auto* check = new QCheckBox(qs(row.caption), content);
    check->setObjectName(QString("IDC_ADVCHECK%1").arg(i));
    QRect checkRect = toRect(at.check);
    // The value box sits on the check box's row; the box's own area ends
    // before it, so a click on the value box never ticks the input.
    if (at.value) checkRect.setRight(at.value->left - 5);
    checkRect.setHeight(std::max(checkRect.height(), check->sizeHint().height()));
    check->setGeometry(checkRect);
    check->setChecked(row.set);
    checks_.push_back(check);
    QLineEdit* box = nullptr;
    if (row.hasValue) {
      auto* units = new QLabel(qs(row.unitsText), content);
      units->setGeometry(toRect(*at.units).adjusted(0, 0, 0, 2));
      box = new QLineEdit(qs(row.valueText), content);
      box->setObjectName(QString("IDC_ADVVALUE%1").arg(i));
      box->setGeometry(toRect(*at.value));
      box->setEnabled(row.set);
      connect(check, &QCheckBox::toggled, box, &QLineEdit::setEnabled);
      connect(box, &QLineEdit::textEdited, this, [this, box] { filterEdit(box); });
    }
    values_.push_back(box);
  }
  update_->setParent(content);
  cancel_->setParent(content);
  const int buttonWidth = std::max(update_->sizeHint().width(), cancel_->sizeHint().width());
  update_->setGeometry(20, layout_.buttonsTop, buttonWidth, buttonHeight);
  cancel_->setGeometry(AdvancedLayout::kContentWidth - 20 - buttonWidth, layout_.buttonsTop,
                       buttonWidth, buttonHeight);
  connect(update_, &QPushButton::clicked, this, &CAdvancedForm::accept);
  connect(cancel_, &QPushButton::clicked, this, &CAdvancedForm::reject);

  scroll_ = new SteppedScrollArea(this);
  scroll_->setObjectName("scroll");
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setVerticalScrollBarPolicy(layout_.scrolls() ? Qt::ScrollBarAlwaysOn
                                                        : Qt::ScrollBarAlwaysOff);
  scroll_->setWidget(content);
  const int bar = layout_.scrolls() ? scroll_->verticalScrollBar()->sizeHint().width() : 0;
  setFixedSize(AdvancedLayout::kContentWidth + bar, layout_.clientHeight);
  scroll_->setGeometry(rect());
  applyScrollSteps();
}

void CAdvancedForm::applyScrollSteps() {
  // The dialog keeps its size: the viewport is the whole client area.
  const AdvancedLayout::Scroll s = layout_.scroll();
  static_cast<SteppedScrollArea*>(scroll_)->setSteps(s.line, s.page);
}

void CAdvancedForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (scroll_ != nullptr) scroll_->setGeometry(rect());
}

void CAdvancedForm::filterEdit(QLineEdit* box) {
  const AdvancedFormModel::Filtered f =
      AdvancedFormModel::filter(box->text().toStdString(), box->cursorPosition());
  if (!f.refused) return;
  ++refusals_;
  box->setText(qs(f.text));
  box->setCursorPosition(f.caret);
  QApplication::beep();
}

void CAdvancedForm::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: focusNextChild(); return;
    case Qt::Key_Escape: return;
    default: QDialog::keyPressEvent(event);
  }
}

void CAdvancedForm::accept() {
  std::vector<bool> ticked;
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < checks_.size(); ++i) {
    ticked.push_back(checks_[i]->isChecked());
    texts.push_back(values_[i] != nullptr ? values_[i]->text().toStdString() : std::string());
  }
  model_.update(ticked, texts);
  // A value its word cannot hold is told, and the dialog stays open for it.
  if (const std::optional<ValueCheckResult> refused = model_.check()) {
    refused->show(presenter_, &ctx_.Language, ctx_.Values.LanguageNumber);
    return;
  }
  model_.store(ctx_.Unit);
  QDialog::accept();
}

}  // namespace ostrel

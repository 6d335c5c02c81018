#include "gui/config/page_sizing.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>

namespace ostrel {
namespace {

// The title bar's icon and its three buttons, with some air.
constexpr int kTitleBarExtras = 160;
constexpr double kTitleFontScale = 1.2;
constexpr const char* kFullText = "ostrelFullText";

}  // namespace

void fitListToEntries(QComboBox* list, const QStringList& entries) {
  const QFontMetrics fm = list->fontMetrics();
  int widest = 0;
  for (const QString& e : entries) widest = std::max(widest, fm.horizontalAdvance(e));
  QStyleOptionComboBox option;
  option.initFrom(list);
  option.editable = list->isEditable();
  // The style adds the frame and the arrow around the text's room.
  const QSize needed = list->style()->sizeFromContents(
      QStyle::CT_ComboBox, &option, QSize(widest + fm.averageCharWidth(), fm.height()), list);
  list->setMinimumWidth(std::max(needed.width(), 0));
}

int listTextRoom(const QComboBox* list) {
  QStyleOptionComboBox option;
  option.initFrom(list);
  option.editable = list->isEditable();
  return list->style()
      ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list)
      .width();
}

int titleWidth(const QWidget* window) {
  // Title bars draw their text bold and often larger than the window's own
  // font; the wider of that and the desktop's title bar font is allowed for.
  QFont bold = window->font();
  bold.setBold(true);
  if (bold.pointSizeF() > 0) {
    bold.setPointSizeF(bold.pointSizeF() * kTitleFontScale);
  } else if (bold.pixelSize() > 0) {
    bold.setPixelSize(static_cast<int>(bold.pixelSize() * kTitleFontScale + 0.5));
  }
  QFont titleBar = QApplication::font("QMdiSubWindowTitleBar");
  titleBar.setBold(true);
  const QString& title = window->windowTitle();
  return std::max(QFontMetrics(bold).horizontalAdvance(title),
                  QFontMetrics(titleBar).horizontalAdvance(title)) +
         kTitleBarExtras;
}

void fitToTitle(QWidget* window) {
  const int wanted = titleWidth(window);
  window->setMinimumWidth(std::max(window->minimumWidth(), wanted));
  // A dialog whose layout sets its own minimum still opens this wide; one
  // not sized yet opens at its own size otherwise.
  const QSize size = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
  if (size.isValid() && size.width() < wanted) window->resize(wanted, size.height());
}

void setElidedText(QLabel* label, const QString& full) {
  label->setProperty(kFullText, full);
  label->setToolTip(full);
  // Its width is the layout's to give, not the text's to ask for.
  label->setMinimumWidth(0);
  QSizePolicy policy = label->sizePolicy();
  policy.setHorizontalPolicy(QSizePolicy::Ignored);
  label->setSizePolicy(policy);
  reElide(label);
}

void reElide(QLabel* label) {
  const QString full = label->property(kFullText).toString();
  const int room = label->contentsRect().width();
  label->setText(room > 0 ? label->fontMetrics().elidedText(full, Qt::ElideRight, room) : full);
}

}  // namespace ostrel

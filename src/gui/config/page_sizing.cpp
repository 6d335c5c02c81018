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
  // The title bar's font is usually a little larger and bolder than the
  // window's own.
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const int inTitleFont = QFontMetrics(font).horizontalAdvance(window->windowTitle());
  const int inOwnFont = window->fontMetrics().horizontalAdvance(window->windowTitle());
  return std::max(inTitleFont, inOwnFont) + kTitleBarExtras;
}

void fitToTitle(QWidget* window) {
  window->setMinimumWidth(std::max(window->minimumWidth(), titleWidth(window)));
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

#pragma once
// Sizes that follow the texts a control has to show, whatever the language:
// a list as wide as its longest entry, a dialog as wide as its title, and a
// line that shortens a text too long for it instead of widening the window.

#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QWidget;

namespace ostrel {

// The list is made at least wide enough to show the longest of `entries`
// (every entry it can ever hold, not only those it holds now).
void fitListToEntries(QComboBox* list, const QStringList& entries);
// The width the list's shown entry has room for.
int listTextRoom(const QComboBox* list);
// The window is made at least wide enough for its title beside the title
// bar's icon and buttons. For a window whose controls are all in place.
void fitToTitle(QWidget* window);
// The width a window needs for its whole title.
int titleWidth(const QWidget* window);
// The label shows `full` shortened with "…" to its width (the whole text in
// its tool tip) and never asks for more width than it is given.
void setElidedText(QLabel* label, const QString& full);
// Shortens the label's text again after its width changed.
void reElide(QLabel* label);

}  // namespace ostrel

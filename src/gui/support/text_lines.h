#pragma once
// Measuring message texts for dialogs that size themselves to their text.

#include <QFont>
#include <QString>

namespace ostrel {

// Width for showing the text: its widest line when that is at most
// preferredMax, else preferredMax widened to the longest word, so that
// wrapping never has to cut a word (file paths are one long word).
int messageWidth(const QFont& font, const QString& text, int preferredMax);

// Number of lines the text takes when wrapped at word boundaries to the
// width: every line break starts a line, so a text without long lines takes
// its line breaks plus one.
int wrappedLineCount(const QFont& font, const QString& text, int width);

}  // namespace ostrel

#include "gui/support/text_lines.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace ostrel {

int messageWidth(const QFont& font, const QString& text, int preferredMax) {
  // Fractional advances, rounded up: a width rounded down would make the
  // widest line wrap.
  const QFontMetricsF fm(font);
  auto advance = [&fm](const QString& s) {
    return static_cast<int>(std::ceil(fm.horizontalAdvance(s)));
  };
  int widestLine = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    widestLine = std::max(widestLine, advance(line));
  }
  if (widestLine <= preferredMax) return widestLine;
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  int longestWord = 0;
  for (const QString& word : text.split(blanks, Qt::SkipEmptyParts)) {
    longestWord = std::max(longestWord, advance(word));
  }
  return std::max(preferredMax, longestWord);
}

int wrappedLineCount(const QFont& font, const QString& text, int width) {
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  int count = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    QTextLayout layout(line, font);
    layout.setTextOption(option);
    layout.beginLayout();
    int pieces = 0;
    for (QTextLine piece = layout.createLine(); piece.isValid(); piece = layout.createLine()) {
      piece.setLineWidth(width);
      ++pieces;
    }
    layout.endLayout();
    count += std::max(pieces, 1);  // an empty line still takes its height
  }
  return count;
}

}  // namespace ostrel

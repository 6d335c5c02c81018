#include "gui/config/advanced_layout.h"

#include <algorithm>

namespace ostrel {

AdvancedLayout AdvancedLayout::of(const std::vector<AdvancedRow>& inputs, int lineHeight,
                                  int buttonHeight, const std::vector<int>& explanationLines) {
  AdvancedLayout out;
  int y = 10;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const AdvancedRow& row = inputs[i];
    AdvancedRowLayout r;
    const int lines = i < explanationLines.size() ? explanationLines[i]
                                                  : static_cast<int>(row.explanation.size());
    if (lines > 0) {
      const int height = lines * lineHeight;
      r.explanation = AdvancedRect{10, y, 400, y + height};
      y += height + 10;
    }
    r.check = AdvancedRect{20, y, 400, y + 15};
    if (row.hasValue) {
      r.units = AdvancedRect{310, y, 400, y + 15};
      r.value = AdvancedRect{210, y - 2, 300, y + 15 + 3};
    }
    y += 25;
    out.rows.push_back(r);
  }
  out.buttonsTop = y;
  y += buttonHeight + 10;
  out.contentHeight = y;
  out.clientHeight = y > kTallest ? kScrolledHeight : y;
  return out;
}

AdvancedLayout::Scroll AdvancedLayout::scroll() const {
  Scroll s;
  const int hidden = contentHeight - clientHeight;
  if (hidden <= 0) return s;
  s.range = hidden;
  s.page = std::max(1, hidden / 10);
  s.line = std::max(1, hidden / 100);
  return s;
}

}  // namespace ostrel

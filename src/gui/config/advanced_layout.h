#pragma once
// Where the Advanced dialog puts its controls: one input after another
// from top to bottom, each input's explanation above its check box and the
// value box with its units on the check box's row, the buttons last; a
// dialog taller than kTallest opens kScrolledHeight high and scrolls.

#include <optional>
#include <vector>

#include "core/config/advanced_form_model.h"

namespace ostrel {

struct AdvancedRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

struct AdvancedRowLayout {
  std::optional<AdvancedRect> explanation;
  AdvancedRect check;
  std::optional<AdvancedRect> units;
  std::optional<AdvancedRect> value;
};

struct AdvancedLayout {
  static constexpr int kContentWidth = 420;    // right edge 400 and a margin
  static constexpr int kTallest = 700;         // content above this scrolls ...
  static constexpr int kScrolledHeight = 500;  // ... in a client area this high

  // From the line height of the dialog's font (the height of "Test" less
  // 3) and the height of a button. The lines an explanation takes may be
  // given per row (a line too wide for the dialog wraps onto more);
  // otherwise its own line breaks count.
  static AdvancedLayout of(const std::vector<AdvancedRow>& inputs, int lineHeight, int buttonHeight,
                           const std::vector<int>& explanationLines = {});

  std::vector<AdvancedRowLayout> rows;
  int buttonsTop = 0;     // "Update" at the left, "Cancel" at the right
  int contentHeight = 0;  // everything laid out, buttons included
  int clientHeight = 0;   // the dialog's client height
  bool scrolls() const { return clientHeight < contentHeight; }

  // The vertical scroll bar's steps over the hidden part of the content:
  // a page is a tenth of it, a line a hundredth (0: no scrolling).
  struct Scroll {
    int range = 0;
    int page = 0;
    int line = 0;
  };
  Scroll scroll() const;
};

}  // namespace ostrel

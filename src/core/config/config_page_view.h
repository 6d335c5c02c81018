#pragma once
// What the configuration page's view is told and what it shows of the item
// lists: the page model names the part that changed and the view reads it
// back.

#include <string>
#include <vector>

namespace ostrel {

// The parts of the page a change touches; the view redraws them.
enum class PagePart {
  Identity,  // unit, software, hardware and description lines
  Items,     // item captions, offered choices, selections
  Status,    // the configuration status line
  Levels,    // level rows: shown, enabled, caption, text
  Boxes,     // heights, dead band, max range, notes, file name, file date
  Units,     // units list / box, relay units box
  Buttons,   // save, write, wiring diagram enabled; relay set points shown
  Capacity,  // the capacity line, the loop-current panel and the button frames
  Service,   // the service tools and their counter
  Model,     // the model may be another (activation, a sample choice, a file,
             // the Tanks forms): the kind's controls, pictures and pages
};

class ConfigPageView {
 public:
  virtual ~ConfigPageView() = default;
  virtual void changed(PagePart part) = 0;
};

// What the page shows of one configuration item.
struct ItemList {
  bool present = false;
  std::string caption;
  // Choice indexes the list offers now (0, the placeholder, always first).
  std::vector<int> offered;
  // The choice the list shows; -1 when its text matches no choice.
  int shown = 0;
};

}  // namespace ostrel

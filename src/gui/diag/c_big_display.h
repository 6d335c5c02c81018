#pragma once
// The live display: the unit's level and relay states as the unit streams them.

#include "gui/support/c_property_page.h"

namespace ostrel {

class CBigDisplay : public CPropertyPage {
  Q_OBJECT

 public:
  explicit CBigDisplay(PageServices services, QWidget* parent = nullptr);
};

}  // namespace ostrel

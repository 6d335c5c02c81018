#pragma once
// The configuration page: the unit's configuration as its model file describes
// it. It opens first in the main form.

#include "gui/support/c_property_page.h"

namespace ostrel {

class CGenericForm : public CPropertyPage {
  Q_OBJECT

 public:
  explicit CGenericForm(PageServices services, QWidget* parent = nullptr);
};

}  // namespace ostrel

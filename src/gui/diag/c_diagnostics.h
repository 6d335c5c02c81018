#pragma once
// The diagnostics page: the unit's echo curves.

#include "gui/support/c_property_page.h"

namespace ostrel {

class CDiagnostics : public CPropertyPage {
  Q_OBJECT

 public:
  explicit CDiagnostics(PageServices services, QWidget* parent = nullptr);
};

}  // namespace ostrel

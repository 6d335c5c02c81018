#pragma once
// The update page: firmware updates from the program files that fit the unit.

#include "core/config/unit_configuration.h"
#include "gui/support/c_property_page.h"

namespace ostrel {

class CUpdateProgram : public CPropertyPage {
  Q_OBJECT

 public:
  explicit CUpdateProgram(PageServices services, QWidget* parent = nullptr);

  // Offered when a unit connects: true when the user accepted an update
  // and chose a program file, so the main form opens on this page.
  bool OfferUpdate(UnitConfiguration& unit);
};

}  // namespace ostrel

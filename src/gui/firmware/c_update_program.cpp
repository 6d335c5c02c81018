#include "gui/firmware/c_update_program.h"

namespace ostrel {

CUpdateProgram::CUpdateProgram(PageServices services, QWidget* parent)
    : CPropertyPage("IDD_UPDATEPROGRAM", "Updates", services, parent) {
  setNotice(text("IDC_PAGE_PENDING"));
}

bool CUpdateProgram::OfferUpdate(UnitConfiguration& /*unit*/) {
  // No program file can be read yet, so there is never an update to offer.
  return false;
}

}  // namespace ostrel

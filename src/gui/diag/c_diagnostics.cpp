#include "gui/diag/c_diagnostics.h"

namespace ostrel {

CDiagnostics::CDiagnostics(PageServices services, QWidget* parent)
    : CPropertyPage("IDD_DIAGNOSTICS", "Diagnostics", services, parent) {
  setNotice(text("IDC_PAGE_PENDING"));
}

}  // namespace ostrel

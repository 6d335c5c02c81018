#include "gui/diag/c_big_display.h"

#include "core/session/app_context.h"

namespace ostrel {

CBigDisplay::CBigDisplay(PageServices services, QWidget* parent)
    : CPropertyPage("IDD_BIGDISPLAY", "Live Display", services, parent) {
  // Without a unit there is nothing to stream, and the page says so.
  setNotice(stubbed() ? QString::fromStdString(
                            context().format("STATUS_MESSAGE28", {context().Identity.ProgramId}))
                      : text("IDC_PAGE_PENDING"));
}

}  // namespace ostrel

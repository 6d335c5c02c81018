#include "gui/config/c_generic_form.h"

namespace ostrel {

CGenericForm::CGenericForm(PageServices services, QWidget* parent)
    : CPropertyPage("IDD_GENERICFORM", "Configuration", services, parent) {
  setNotice(text("IDC_PAGE_PENDING"));
}

}  // namespace ostrel

#include "gui/volume/volume_form_services.h"

#include "core/support/text_format.h"
#include "core/volume/form_failure.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {

void VolumeFormServices::showFailure(const FormFailure& failure) const {
  if (failure.key.empty()) return;
  std::string message = formatText(text(failure.key), failure.args);
  // The range checks' heading ends with its own line break.
  if (!failure.leadKey.empty()) message = text(failure.leadKey) + message;
  presenter.messageBox(message, failure.errorStyle ? kStyleError : kStylePlain);
}

}  // namespace ostrel

#include "core/config/service_commands.h"

#include "core/support/app_settings.h"
#include "core/support/plain_text.h"
#include "core/support/presenter.h"
#include "core/support/text_format.h"

namespace ostrel {

std::optional<ServiceCommand> ServiceCommands::recognise(const std::string& typed,
                                                         const Context& context) {
  const AppSettings& values = *context.settings;
  const std::string command = plaintext::lowered(typed);
  ServiceCommand out;
  if (command == "test configurations" && values.MakerMode) {
    out.showServiceTools = true;
  } else if (command == "info memory" && values.MakerMode) {
    out.request = ServiceRequest::OpenInfoMemory;
  } else if (command == "tech support" && values.MakerMode) {
    out.notice = Notice::message("STATUS_MESSAGE40", {supportCode(context.today)}, kStyleInformation);
  } else if (command == "cal pages") {
    out.request = ServiceRequest::OpenCalPages;
  } else if (command == "direct entry") {
    out.request = ServiceRequest::OpenDirectEntry;
  } else if (command.rfind("ts", 0) == 0 && values.TechSupport) {
    // Any other "ts..." text is swallowed too: it never opens as a file.
    if (plaintext::equalsIgnoringCase(typed, supportCode(context.today))) {
      out.request = ServiceRequest::OpenTechSupport;
    }
  } else if (command == "code revision") {
    const auto& v = context.toolVersion;
    out.notice = Notice::message("STATUS_MESSAGE41", {context.programId, v[0], v[1], v[2], v[3]},
                                 kStyleInformation);
  } else if (command == "restart") {
    out.clearGuide = true;
    out.request = ServiceRequest::Restart;
  } else {
    return std::nullopt;
  }
  return out;
}

// The support code: the date as the number yymmdd, mixed by a fixed
// arithmetic so that the code cannot be told from the date alone, then
// kept to six digits.
std::string ServiceCommands::supportCode(const std::tm& day) {
  const long long date = (day.tm_year % 100) * 10000LL + (day.tm_mon + 1) * 100LL + day.tm_mday;
  long long code = (date * 7919 + 104729) % 999983;
  code = (code + (date % 97) * 3571 + 271828) % 1000000;
  return formatText("TS%06d", {static_cast<int>(code)});
}

}  // namespace ostrel

#pragma once
// The service commands a technician types into the configuration page's
// file-name box. Which command a text is, and what it asks for, without
// the page: the page carries out the answer (shows its notice, shows the
// service tools, opens a dialog or restarts).

#include <array>
#include <ctime>
#include <optional>
#include <string>

#include "core/support/notice.h"

namespace ostrel {

struct AppSettings;

// What a finished page action asks of its caller.
enum class ServiceRequest {
  None,
  Restart,          // "restart": close the main form and start again
  OpenInfoMemory,   // "info memory": the caller opens its dialog
  OpenCalPages,     // "cal pages"
  OpenDirectEntry,  // "direct entry"
  OpenTechSupport,  // a support code was typed
};

struct ServiceCommand {
  ServiceRequest request = ServiceRequest::None;
  bool showServiceTools = false;  // "test configurations"
  bool clearGuide = false;        // "restart": no quick-start guide on the way back
  std::optional<Notice> notice;   // an information box to show
};

class ServiceCommands {
 public:
  struct Context {
    const AppSettings* settings = nullptr;
    std::tm today{};
    std::string programId;           // the model file's PROGRAMID
    std::array<int, 4> toolVersion{};  // major, minor, build, revision
  };

  // The command the typed text names, or none when it names none (it is
  // then a file name). Commands are recognised without regard to case.
  static std::optional<ServiceCommand> recognise(const std::string& typed, const Context& context);

  // Today's support code, "TS" and six digits.
  static std::string supportCode(const std::tm& day);
};

}  // namespace ostrel

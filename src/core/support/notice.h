#pragma once
// What a class below the procedures has to tell the person at the screen.
// Such classes only return notices; the procedure that called them (the
// startup sequence, a page model, a command of the CLI) shows them through
// its presenter, so one procedure is the one place that talks to the user.

#include <string>
#include <utility>
#include <vector>

#include "core/support/presenter.h"
#include "core/support/text_format.h"

namespace ostrel {

class LanguageTable;

struct Notice {
  enum class Form {
    PlatformBox,  // the platform's own box with a literal text (key holds the text)
    MessageBox,   // the tool's message box with the text of key
    ErrorDetail,  // the error dialog: the text of key, details from detailKey
  };

  Form form = Form::MessageBox;
  std::string key;
  std::vector<FormatArg> args;
  std::string detailKey;
  unsigned style = kStyleError;

  static Notice platformBox(std::string text, unsigned style) {
    return Notice{Form::PlatformBox, std::move(text), {}, {}, style};
  }
  static Notice message(std::string key, std::vector<FormatArg> args, unsigned style) {
    return Notice{Form::MessageBox, std::move(key), std::move(args), {}, style};
  }
  static Notice errorDetail(std::string key, std::vector<FormatArg> args, std::string detailKey) {
    return Notice{Form::ErrorDetail, std::move(key), std::move(args), std::move(detailKey),
                  kStyleError};
  }

  // The message as the user reads it (language texts by key; a missing key
  // shows itself).
  std::string text(const LanguageTable* language, int column) const;
};

using Notices = std::vector<Notice>;

// Shows one notice; returns the box's result (kResultOk for the error dialog).
int showNotice(Presenter& presenter, const Notice& notice, const LanguageTable* language,
               int column);

// Shows every notice in turn.
void showNotices(Presenter& presenter, const Notices& notices, const LanguageTable* language,
                 int column);

}  // namespace ostrel

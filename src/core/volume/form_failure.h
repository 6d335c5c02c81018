#pragma once
// The first check a volume form's OK (or one of its buttons) fails: the
// message the dialog shows, by language key and arguments. The dialogs and
// the tests share the checks; only the dialogs show the message.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/support/text_format.h"

namespace ostrel {

struct FormFailure {
  std::string key;  // empty: the form already marks the fault (a red cell), no message
  std::vector<FormatArg> args;
  std::string leadKey;  // a text shown before the text of key (the range checks' heading)
  bool errorStyle = false;

  static FormFailure message(std::string key, std::vector<FormatArg> args = {}) {
    return FormFailure{std::move(key), std::move(args), {}, false};
  }
  static FormFailure error(std::string key, std::vector<FormatArg> args = {}) {
    return FormFailure{std::move(key), std::move(args), {}, true};
  }
};

// Either the first failure or what the check built.
template <typename T>
struct FormResult {
  std::optional<FormFailure> failure;
  T value{};

  bool ok() const { return !failure.has_value(); }
  static FormResult fail(FormFailure f) {
    FormResult r;
    r.failure = std::move(f);
    return r;
  }
};

}  // namespace ostrel

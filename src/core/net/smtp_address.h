#pragma once
// One mailbox of a message: an optional display name and the address.

#include <optional>
#include <string>

namespace ostrel {

struct CSMTPAddress {
  std::string Name;
  std::string Address;

  // "Name <address>", or the bare address when there is no name.
  std::string displayForm() const;
  // Why this mailbox cannot go into a header or an SMTP command, as the
  // language key of the refusal: a name holding a line break or another
  // control character; an address that is empty or holds a space, a control
  // character, "<" or ">".
  std::optional<std::string> refusal() const;
};

}  // namespace ostrel

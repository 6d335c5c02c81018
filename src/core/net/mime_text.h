#pragma once
// The MIME encodings the support e-mail uses.

#include <string>
#include <string_view>

namespace ostrel {

// Base64 (RFC 2045 alphabet, "=" padding), CR LF after every 76 output
// characters and at the end.
std::string base64Lines(std::string_view bytes);

// Quoted-printable (RFC 2045) of UTF-8 text: line breaks (LF or CR LF) become
// CR LF, bytes outside printable ASCII and "=" become =XX, a space or tab
// before a line break is encoded, and lines longer than 76 characters get
// soft breaks.
std::string quotedPrintable(std::string_view text);

// A header text as it may stand in a header: plain when it is printable
// ASCII, else one RFC 2047 encoded word in UTF-8.
std::string headerText(std::string_view text);

// SMTP transparency: a dot that starts a line gets a second dot.
std::string dotStuffed(std::string_view text);

}  // namespace ostrel

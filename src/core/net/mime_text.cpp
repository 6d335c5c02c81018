#include "core/net/mime_text.h"

namespace ostrel {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHex[] = "0123456789ABCDEF";

std::string base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                       (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace

std::string base64Lines(std::string_view bytes) {
  const std::string flat = base64(bytes);
  std::string out;
  for (std::size_t at = 0; at < flat.size(); at += 76) {
    out += flat.substr(at, 76);
    out += "\r\n";
  }
  if (flat.empty()) out = "\r\n";
  return out;
}

std::string quotedPrintable(std::string_view text) {
  std::string out;
  std::string line;
  const auto flush = [&](bool hard) {
    if (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
      const char c = line.back();
      line.pop_back();
      line += '=';
      line += kHex[(c >> 4) & 15];
      line += kHex[c & 15];
    }
    out += line;
    if (hard) out += "\r\n";
    line.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      if (c == '\r') ++i;
      flush(true);
      continue;
    }
    std::string piece;
    if ((c >= 33 && c <= 126 && c != '=') || c == ' ' || c == '\t') {
      piece = static_cast<char>(c);
    } else {
      piece = {'=', kHex[c >> 4], kHex[c & 15]};
    }
    // Room for the piece and a soft break "=" within 76 characters.
    if (line.size() + piece.size() > 75) {
      // Trailing white space before a soft break is fine: the "=" follows it.
      out += line;
      out += "=\r\n";
      line.clear();
    }
    line += piece;
  }
  flush(false);
  return out;
}

std::string headerText(std::string_view text) {
  bool plain = true;
  for (unsigned char c : text) plain = plain && c >= 0x20 && c < 0x7F;
  if (plain) return std::string(text);
  return "=?utf-8?B?" + base64(text) + "?=";
}

std::string dotStuffed(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '.' && (i == 0 || text[i - 1] == '\n')) out += '.';
    out += text[i];
  }
  return out;
}

}  // namespace ostrel

#include "core/net/server_address.h"

namespace ostrel {

std::optional<ServerAddress> ServerAddress::parse(std::string_view text, int defaultPort) {
  const std::size_t b = text.find_first_not_of(" \t");
  if (b == std::string_view::npos) return std::nullopt;
  text = text.substr(b, text.find_last_not_of(" \t") - b + 1);
  ServerAddress a{std::string(text), defaultPort};
  const std::size_t colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    a.host = std::string(text.substr(0, colon));
    const std::string_view port = text.substr(colon + 1);
    if (port.empty() || port.size() > 5) return std::nullopt;
    int p = 0;
    for (char c : port) {
      if (c < '0' || c > '9') return std::nullopt;
      p = p * 10 + (c - '0');
    }
    if (p < 1 || p > 65535) return std::nullopt;
    a.port = p;
  }
  for (char c : a.host) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == '/' || c == '?' || c == '#' || c == '@') {
      return std::nullopt;
    }
  }
  if (a.host.empty()) return std::nullopt;
  return a;
}

}  // namespace ostrel

#pragma once
// "host" or "host:port", as the corporate model file and the user give a
// server.

#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

struct ServerAddress {
  std::string host;
  int port = 0;
  // The host and port, the port defaulting; nothing when the host is empty
  // or the port is not a number from 1 to 65535.
  static std::optional<ServerAddress> parse(std::string_view text, int defaultPort);
};

}  // namespace ostrel

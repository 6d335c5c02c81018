#pragma once
// A small SMTP client over one TCP connection: greeting and HELO, one
// message transaction, QUIT. Every wait for the server is bounded.

#include <string>
#include <string_view>

#include "core/net/smtp_message.h"

namespace ostrel {

class CSMTPConnection {
 public:
  CSMTPConnection() = default;
  ~CSMTPConnection() { Disconnect(); }
  CSMTPConnection(const CSMTPConnection&) = delete;
  CSMTPConnection& operator=(const CSMTPConnection&) = delete;

  // Resolves the host, connects, reads the 220 greeting and says HELO with
  // this computer's name (250). Any failure disconnects and gives false.
  bool Connect(const std::string& host, int port);
  // MAIL FROM, RCPT TO for every recipient, DATA, the content, the final dot.
  // A message that could add a header or a recipient is refused before a
  // byte is sent.
  bool SendMessage(const CSMTPMessage& message);
  // QUIT (a reply other than 221 is only noted) and close.
  void Disconnect();
  // Reads one whole reply, continuation lines included; true when its code
  // is the expected one.
  bool ReadResponse(int expected);
  bool IsConnected() const { return fd_ >= 0; }

  int ResponseTimeout = 2000;  // ms of silence before a read fails
  int ConnectTimeout = 10000;  // ms for the TCP connection itself
  int LastCode = 0;
  std::string LastText;
  std::string LastError;  // what went wrong, for the details of a failure

 private:
  bool send(std::string_view bytes);
  bool command(const std::string& text, int expected);
  void close();

  int fd_ = -1;
  std::string received_;
};

}  // namespace ostrel

#include "core/net/smtp_connection.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/net/mime_text.h"
#include "core/net/smtp_reply.h"

namespace ostrel {
namespace {

int connectWithin(const addrinfo& a, int timeoutMs) {
  const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a.ai_protocol);
  if (fd < 0) return -1;
  if (::connect(fd, a.ai_addr, a.ai_addrlen) != 0) {
    if (errno != EINPROGRESS) {
      ::close(fd);
      return -1;
    }
    pollfd p{fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (::poll(&p, 1, timeoutMs) != 1 ||
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
      ::close(fd);
      return -1;
    }
  }
  return fd;
}

}  // namespace

bool CSMTPConnection::Connect(const std::string& host, int port) {
  Disconnect();
  LastError.clear();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (host.empty() || ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
    LastError = "the mail server's name cannot be resolved";
    return false;
  }
  for (addrinfo* a = found; a != nullptr && fd_ < 0; a = a->ai_next) fd_ = connectWithin(*a, ConnectTimeout);
  ::freeaddrinfo(found);
  if (fd_ < 0) {
    LastError = "the mail server does not take the connection";
    return false;
  }
  received_.clear();
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') std::strcpy(name, "localhost");
  if (!ReadResponse(220) || !command(std::string("HELO ") + name + "\r\n", 250)) {
    close();
    return false;
  }
  return true;
}

bool CSMTPConnection::SendMessage(const CSMTPMessage& message) {
  if (const auto r = message.refusal()) {
    LastError = "the " + r->field + " field cannot go into a message";
    return false;
  }
  if (fd_ < 0) return false;
  if (!command("MAIL FROM:<" + message.From.Address + ">\r\n", 250)) return false;
  for (const auto* list : {&message.To, &message.Cc, &message.Bcc}) {
    for (const CSMTPAddress& a : *list) {
      if (!command("RCPT TO:<" + a.Address + ">\r\n", 250)) return false;
    }
  }
  if (!command("DATA\r\n", 354)) return false;
  // Dots are doubled over everything after DATA, so no line of the content
  // (a soft-broken text line included) can end the message early.
  return command(dotStuffed(message.Content()) + "\r\n.\r\n", 250);
}

void CSMTPConnection::Disconnect() {
  if (fd_ < 0) return;
  if (send("QUIT\r\n")) ReadResponse(221);
  close();
}

void CSMTPConnection::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  received_.clear();
}

bool CSMTPConnection::command(const std::string& text, int expected) {
  return send(text) && ReadResponse(expected);
}

bool CSMTPConnection::send(std::string_view bytes) {
  while (!bytes.empty() && fd_ >= 0) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    pollfd p{fd_, POLLOUT, 0};
    if (n < 0 && errno == EAGAIN && ::poll(&p, 1, ResponseTimeout) == 1 && !(p.revents & POLLERR)) continue;
    LastError = "the mail server stopped taking data";
    return false;
  }
  return bytes.empty();
}

bool CSMTPConnection::ReadResponse(int expected) {
  LastCode = 0;
  LastText.clear();
  while (fd_ >= 0) {
    SmtpReply reply;
    std::size_t used = 0;
    const ReplyScan scan = scanSmtpReply(received_, reply, used);
    if (scan == ReplyScan::Complete) {
      received_.erase(0, used);
      LastCode = reply.code;
      LastText = reply.text;
      if (reply.code != expected) {
        LastError = "the mail server answered " + std::to_string(reply.code) + " " + reply.text;
      }
      return reply.code == expected;
    }
    if (scan == ReplyScan::Malformed) {
      LastError = "the mail server's reply cannot be read";
      return false;
    }
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, ResponseTimeout);
    if (ready < 0 && errno == EINTR) continue;
    if (ready != 1) {
      LastError = "no reply from the mail server within " + std::to_string(ResponseTimeout) + " ms";
      return false;
    }
    char chunk[4096];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      LastError = "the mail server closed the connection";
      return false;
    }
    received_.append(chunk, static_cast<std::size_t>(n));
  }
  return false;
}

}  // namespace ostrel

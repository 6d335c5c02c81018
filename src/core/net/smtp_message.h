#pragma once
// A mail message as the SMTP connection sends it: the header, a text part
// in quoted-printable UTF-8, and base64 attachments.

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/net/smtp_address.h"
#include "core/net/smtp_attachment.h"

namespace ostrel {

class CSMTPMessage {
 public:
  enum class List { To, Cc, Bcc };

  CSMTPAddress From;
  CSMTPAddress ReplyTo;
  std::string Subject;
  std::string XMailer = "CSMTPConnection v1.3";
  std::vector<CSMTPAddress> To, Cc, Bcc;
  std::vector<CSMTPAttachment> Attachments;

  // The body as typed (UTF-8, lines ended by LF). Dots that begin lines are
  // doubled on the wire, after encoding, by the connection.
  void SetBody(std::string text) { body_ = std::move(text); }
  const std::string& Body() const { return body_; }
  void AddRecipient(CSMTPAddress address, List list = List::To);
  void AddAttachment(CSMTPAttachment attachment) { Attachments.push_back(std::move(attachment)); }

  // The local time and the zone's bias in minutes (UTC minus local time,
  // daylight time included) that date the header.
  struct Clock {
    std::tm local{};
    int biasMinutes = 0;
    static Clock now();
  };
  std::string Header(const Clock& clock = Clock::now()) const;
  // Everything after DATA up to (not including) the final dot line, before
  // dot-stuffing: header, text part, attachments.
  std::string Content(const Clock& clock = Clock::now()) const;

  // The first field that could add a header line or a recipient (language
  // key and the field's name), checked before anything is sent.
  struct Refusal {
    std::string key;
    std::string field;
  };
  std::optional<Refusal> refusal() const;

  static std::string dateText(const Clock& clock);

 private:
  std::string body_;
};

}  // namespace ostrel

#pragma once
// The tech-support e-mail without its dialog: the body, the check for empty
// fields, the four attachment files and the sending, for the dialog and
// ostrelctl alike. Nothing here talks to the user: the outcome names the
// language key to show.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/net/smtp_message.h"

namespace ostrel {

struct TechSupportFields {
  std::string server;  // "host" or "host:port" (port 25 by default)
  std::string name;
  std::string phone;
  std::string email;
  std::string description;
};

// The unit's memories the message carries.
struct TechSupportImages {
  const std::uint8_t* info = nullptr;      // 128 bytes
  const std::uint8_t* customer = nullptr;  // 512 bytes each
  const std::uint8_t* factory = nullptr;
  const std::uint8_t* history = nullptr;
};

struct TechSupportFile {
  const char* name;      // "InfoMemory.txt" ...
  const char* errorKey;  // ERROR_MESSAGE96 ...
};
inline constexpr std::array<TechSupportFile, 4> kTechSupportFiles = {{
    {"InfoMemory.txt", "ERROR_MESSAGE96"},
    {"CustomerDataPage.txt", "ERROR_MESSAGE97"},
    {"FactoryDataPage.txt", "ERROR_MESSAGE98"},
    {"HistoryPage.txt", "ERROR_MESSAGE99"},
}};

std::string techSupportBody(const TechSupportFields& f);
// "Data incomplete.\n" with one line per empty field and "Retry?", or empty
// when every field is filled.
std::string techSupportMissingText(const TechSupportFields& f);
// The text of an attachment file: 16 words a line, "%04d - " and two groups
// of eight "%05d " words, CR LF line ends.
std::string memoryWordsText(const std::uint8_t* bytes, int words);

// The message the dialog sends (attachments still to be added).
CSMTPMessage techSupportMessage(const TechSupportFields& f, const std::string& supportMailbox);

struct TechSupportOutcome {
  enum class Step { Sent, Incomplete, Refused, AttachmentFile, Connect, Send };
  Step step = Step::Sent;
  std::string errorKey;     // language key of the message to show
  std::string argument;     // its "%s": the field, the file path or the server
  std::string detail;       // what the server or the system said
  bool ok() const { return step == Step::Sent; }
};

// Checks the fields and the message, writes the four files into logs (each
// atomically), connects, sends and, after a successful send, removes the
// files. On a failure after the files were written they stay.
TechSupportOutcome sendTechSupport(const TechSupportFields& fields, const TechSupportImages& images,
                                   const std::string& supportMailbox,
                                   const std::filesystem::path& logs, int responseTimeoutMs = 2000);

// The same message with the attachments made in memory, for a dry run.
TechSupportOutcome techSupportDryRun(const TechSupportFields& fields,
                                     const TechSupportImages& images,
                                     const std::string& supportMailbox, CSMTPMessage& message);

}  // namespace ostrel

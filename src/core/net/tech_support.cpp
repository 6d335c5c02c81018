#include "core/net/tech_support.h"

#include <cstdio>
#include <system_error>

#include "core/net/mime_text.h"
#include "core/net/server_address.h"
#include "core/net/smtp_connection.h"
#include "core/platform/atomic_file.h"

namespace ostrel {
namespace {

using Step = TechSupportOutcome::Step;

std::array<std::string, 4> fileTexts(const TechSupportImages& images) {
  return {memoryWordsText(images.info, 64), memoryWordsText(images.customer, 256),
          memoryWordsText(images.factory, 256), memoryWordsText(images.history, 256)};
}

// Empty fields and fields that could add a header or a recipient.
std::optional<TechSupportOutcome> refusal(const TechSupportFields& f, const CSMTPMessage& m) {
  if (!techSupportMissingText(f).empty()) return TechSupportOutcome{Step::Incomplete, {}, {}, {}};
  if (!ServerAddress::parse(f.server, 25)) {
    return TechSupportOutcome{Step::Refused, "ERROR_MESSAGE100", f.server, {}};
  }
  if (const auto r = m.refusal()) {
    const std::string field = r->field == "From" ? (r->key == "SVC_MESSAGE2" ? "email" : "name")
                              : r->field == "Subject" ? "name"
                                                      : r->field;
    return TechSupportOutcome{Step::Refused, r->key, field, {}};
  }
  return std::nullopt;
}

}  // namespace

std::string techSupportBody(const TechSupportFields& f) {
  return "CUSTOMER NAME:  " + f.name + "\nPHONE NUMBER:  " + f.phone +
         "\nEMAIL ADDRESS:  " + f.email + "\n\n----------------\n\nPROBLEM DESCRIPTION:  " +
         f.description + "\n";
}

std::string techSupportMissingText(const TechSupportFields& f) {
  std::string lines;
  if (f.server.empty()) lines += "\t- email server name\n";
  if (f.name.empty()) lines += "\t- contact name\n";
  if (f.phone.empty()) lines += "\t- phone number\n";
  if (f.email.empty()) lines += "\t- email address\n";
  if (f.description.empty()) lines += "\t- description of the problem\n";
  return lines.empty() ? lines : "Data incomplete.\n" + lines + "Retry?";
}

std::string memoryWordsText(const std::uint8_t* bytes, int words) {
  std::string out;
  char cell[16];
  for (int first = 0; first < words; first += 16) {
    std::snprintf(cell, sizeof cell, "%04d - ", first);
    out += cell;
    for (int k = first; k < first + 16 && k < words; ++k) {
      if (k == first + 8) out += ' ';
      std::snprintf(cell, sizeof cell, "%05u ", static_cast<unsigned>(bytes[2 * k] | (bytes[2 * k + 1] << 8)));
      out += cell;
    }
    out += "\r\n";
  }
  return out;
}

CSMTPMessage techSupportMessage(const TechSupportFields& f, const std::string& supportMailbox) {
  CSMTPMessage m;
  m.From = {f.name, f.email};
  m.AddRecipient({"ostrel", supportMailbox});
  m.Subject = "Tech Support for " + f.name;
  m.SetBody(techSupportBody(f));
  return m;
}

TechSupportOutcome techSupportDryRun(const TechSupportFields& fields,
                                     const TechSupportImages& images,
                                     const std::string& supportMailbox, CSMTPMessage& message) {
  message = techSupportMessage(fields, supportMailbox);
  if (auto r = refusal(fields, message)) return *r;
  const std::array<std::string, 4> texts = fileTexts(images);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    message.AddAttachment({kTechSupportFiles[i].name, base64Lines(texts[i])});
  }
  return {};
}

TechSupportOutcome sendTechSupport(const TechSupportFields& fields, const TechSupportImages& images,
                                   const std::string& supportMailbox,
                                   const std::filesystem::path& logs, int responseTimeoutMs) {
  CSMTPMessage message = techSupportMessage(fields, supportMailbox);
  if (auto r = refusal(fields, message)) return *r;
  const ServerAddress server = *ServerAddress::parse(fields.server, 25);

  const std::array<std::string, 4> texts = fileTexts(images);
  std::array<std::filesystem::path, 4> paths;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    paths[i] = logs / kTechSupportFiles[i].name;
    CSMTPAttachment a;
    if (!writeFileAtomically(paths[i], texts[i]) || !a.Attach(paths[i])) {
      return {Step::AttachmentFile, kTechSupportFiles[i].errorKey, paths[i].string(), {}};
    }
    message.AddAttachment(std::move(a));
  }

  CSMTPConnection connection;
  connection.ResponseTimeout = responseTimeoutMs;
  if (!connection.Connect(server.host, server.port)) {
    return {Step::Connect, "ERROR_MESSAGE100", fields.server, connection.LastError};
  }
  if (!connection.SendMessage(message)) {
    return {Step::Send, "ERROR_MESSAGE101", {}, connection.LastError};
  }
  connection.Disconnect();
  for (const std::filesystem::path& p : paths) {
    std::error_code ec;
    std::filesystem::remove(p, ec);
  }
  return {};
}

}  // namespace ostrel

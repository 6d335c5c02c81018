#include "core/net/smtp_message.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "core/net/mime_text.h"

namespace ostrel {
namespace {

bool hasControl(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

std::string joined(const std::vector<CSMTPAddress>& list) {
  std::string out;
  for (const CSMTPAddress& a : list) {
    if (!out.empty()) out += ",";
    out += a.displayForm();
  }
  return out;
}

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string CSMTPAddress::displayForm() const {
  if (Name.empty()) return Address;
  return headerText(Name) + " <" + Address + ">";
}

std::optional<std::string> CSMTPAddress::refusal() const {
  if (hasControl(Name)) return std::string("SVC_MESSAGE1");
  if (Address.empty()) return std::string("SVC_MESSAGE2");
  for (unsigned char c : Address) {
    if (c <= 0x20 || c == 0x7F || c == '<' || c == '>') return std::string("SVC_MESSAGE2");
  }
  return std::nullopt;
}

bool CSMTPAttachment::Attach(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  EncodedData = base64Lines(bytes);
  Title = path.filename().string();
  return true;
}

void CSMTPMessage::AddRecipient(CSMTPAddress address, List list) {
  (list == List::To ? To : list == List::Cc ? Cc : Bcc).push_back(std::move(address));
}

CSMTPMessage::Clock CSMTPMessage::Clock::now() {
  Clock c;
  const std::time_t t = std::time(nullptr);
  localtime_r(&t, &c.local);
  c.biasMinutes = static_cast<int>(-c.local.tm_gmtoff / 60);
  return c;
}

std::string CSMTPMessage::dateText(const Clock& clock) {
  const std::tm& t = clock.local;
  char text[64];
  const int bias = clock.biasMinutes;
  // The sign follows the bias itself, so a zone less than an hour off UTC
  // keeps its sign too.
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                kDays[(t.tm_wday % 7 + 7) % 7], t.tm_mday, kMonths[(t.tm_mon % 12 + 12) % 12],
                t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec, bias > 0 ? '-' : '+',
                std::abs(bias) / 60 % 100, std::abs(bias) % 60);
  return text;
}

std::string CSMTPMessage::Header(const Clock& clock) const {
  std::string h = "From: " + From.displayForm() + "\r\nTo: " + joined(To) + "\r\n";
  if (!Cc.empty()) h += "Cc: " + joined(Cc) + "\r\n";
  h += "Subject: " + headerText(Subject) + "\r\nDate: " + dateText(clock) +
       "\r\nX-Mailer: " + XMailer + "\r\n";
  if (!ReplyTo.Address.empty()) h += "Reply-To: " + ReplyTo.displayForm() + "\r\n";
  if (!Attachments.empty()) {
    h += "MIME-Version: 1.0\r\nContent-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n";
  } else {
    h += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n";
  }
  return h + "\r\n";
}

std::string CSMTPMessage::Content(const Clock& clock) const {
  std::string c = Header(clock);
  if (!Attachments.empty()) {
    c += "\r\n--#BOUNDARY#\r\nContent-Type: text/plain; charset=utf-8\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
  }
  c += quotedPrintable(body_);
  for (const CSMTPAttachment& a : Attachments) {
    c += "\r\n\r\n--#BOUNDARY#\r\nContent-Type: application/octet-stream; name=" + a.Title +
         "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=" +
         a.Title + "\r\n\r\n" + a.EncodedData;
  }
  if (!Attachments.empty()) c += "\r\n--#BOUNDARY#--";
  return c;
}

std::optional<CSMTPMessage::Refusal> CSMTPMessage::refusal() const {
  const auto check = [](const CSMTPAddress& a, const char* field) -> std::optional<Refusal> {
    if (auto key = a.refusal()) return Refusal{*key, field};
    return std::nullopt;
  };
  if (auto r = check(From, "From")) return r;
  if (!ReplyTo.Address.empty() || !ReplyTo.Name.empty()) {
    if (auto r = check(ReplyTo, "Reply-To")) return r;
  }
  for (const auto* list : {&To, &Cc, &Bcc}) {
    for (const CSMTPAddress& a : *list) {
      if (auto r = check(a, "To")) return r;
    }
  }
  if (To.empty() && Cc.empty() && Bcc.empty()) return Refusal{"SVC_MESSAGE2", "To"};
  if (hasControl(Subject)) return Refusal{"SVC_MESSAGE1", "Subject"};
  if (hasControl(XMailer)) return Refusal{"SVC_MESSAGE1", "X-Mailer"};
  for (const CSMTPAttachment& a : Attachments) {
    if (hasControl(a.Title) || a.Title.find_first_of(" \";") != std::string::npos) {
      return Refusal{"SVC_MESSAGE1", "attachment"};
    }
  }
  return std::nullopt;
}

}  // namespace ostrel

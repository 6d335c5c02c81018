#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "cli/json_value.h"
#include "core/net/mime_text.h"
#include "core/net/smtp_connection.h"
#include "core/net/smtp_reply.h"
#include "core/net/tech_support.h"
#include "python_server.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

CSMTPMessage::Clock clockAt(int biasMinutes) {
  CSMTPMessage::Clock c;
  c.local.tm_year = 126;
  c.local.tm_mon = 11;
  c.local.tm_mday = 10;
  c.local.tm_wday = 4;
  c.local.tm_hour = 9;
  c.local.tm_min = 5;
  c.local.tm_sec = 7;
  c.biasMinutes = biasMinutes;
  return c;
}

TEST(SmtpMessage, HeaderEncodingsAndRefusals) {
  EXPECT_EQ(base64Lines("abcde"), "YWJjZGU=\r\n");
  const std::string long64 = base64Lines(std::string(120, 'x'));
  EXPECT_EQ(long64.find("\r\n"), 76u);
  EXPECT_EQ(long64.size(), 160u + 6u);

  EXPECT_EQ(quotedPrintable("a=b \nGr\xC3\xBC\xC3\x9F" "e\r\n."),
            "a=3Db=20\r\nGr=C3=BC=C3=9Fe\r\n.");
  const std::string longLine = quotedPrintable(std::string(100, 'y'));
  EXPECT_EQ(longLine.find("=\r\n"), 75u);
  EXPECT_EQ(dotStuffed(".a\n.\nb.c\n"), "..a\n..\nb.c\n");

  CSMTPMessage m;
  m.From = {"", "tech@example.com"};
  m.AddRecipient({"ostrel", "support@example.com"});
  m.Subject = "Tech Support for Ann";
  EXPECT_EQ(m.Header(clockAt(300)),
            "From: tech@example.com\r\nTo: ostrel <support@example.com>\r\n"
            "Subject: Tech Support for Ann\r\nDate: Thu, 10 Dec 2026 09:05:07 -0500\r\n"
            "X-Mailer: CSMTPConnection v1.3\r\nMIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=utf-8\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\n");
  m.AddRecipient({"", "copy@example.com"}, CSMTPMessage::List::Cc);
  m.ReplyTo = {"Ann", "ann@example.com"};
  m.AddAttachment({"a.txt", "YQ==\r\n"});
  const std::string h = m.Header(clockAt(-330));
  EXPECT_NE(h.find("Date: Thu, 10 Dec 2026 09:05:07 +0530\r\n"), std::string::npos);
  EXPECT_NE(h.find("\r\nCc: copy@example.com\r\nSubject:"), std::string::npos);
  EXPECT_NE(h.find("Reply-To: Ann <ann@example.com>\r\n"), std::string::npos);
  EXPECT_NE(h.find("boundary=\"#BOUNDARY#\""), std::string::npos);
  EXPECT_EQ(m.refusal(), std::nullopt);

  for (const auto& [name, address] : std::vector<std::pair<std::string, std::string>>{
           {"Eve\r\nBcc: x@y", "eve@example.com"}, {"Eve", "eve@example.com>\r\nRCPT TO:<x@y"},
           {"Eve", "eve @example.com"}, {"Eve", "<eve@example.com"}, {"Eve", ""}}) {
    CSMTPMessage bad = m;
    bad.From = {name, address};
    EXPECT_TRUE(bad.refusal().has_value()) << name << " " << address;
  }
  CSMTPMessage badSubject = m;
  badSubject.Subject = "x\nBcc: y@z";
  EXPECT_EQ(badSubject.refusal()->field, "Subject");
}

TEST(SmtpReply, WholeRepliesOnly) {
  SmtpReply r;
  std::size_t used = 0;
  EXPECT_EQ(scanSmtpReply("250-first\r\n250-second\r\n", r, used), ReplyScan::Incomplete);
  const std::string two = "250-first\r\n250 last\r\n354 go\r\n";
  ASSERT_EQ(scanSmtpReply(two, r, used), ReplyScan::Complete);
  EXPECT_EQ(r.code, 250);
  EXPECT_EQ(r.text, "first\nlast");
  EXPECT_EQ(two.substr(used), "354 go\r\n");
  EXPECT_EQ(scanSmtpReply("221\r\n", r, used), ReplyScan::Complete);
  EXPECT_EQ(r.code, 221);
  for (const char* bad : {"250-a\r\n251 b\r\n", "25\r\n", "abc def\r\n", "250xyz\r\n"}) {
    EXPECT_EQ(scanSmtpReply(bad, r, used), ReplyScan::Malformed) << bad;
  }
  EXPECT_EQ(scanSmtpReply(std::string(kMaxSmtpReply + 1, '2'), r, used), ReplyScan::Malformed);
}

// A server on loopback that answers from a script and keeps what it heard.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<std::string> replies, bool silentAfter = false)
      : replies_(std::move(replies)) {
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listen_, 1);
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, silentAfter] { serve(silentAfter); });
  }
  ~ScriptedServer() {
    ::shutdown(listen_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(listen_);
  }
  int port() const { return port_; }
  const std::string& heard() {
    if (thread_.joinable()) thread_.join();
    return heard_;
  }
  bool connected() const { return connected_; }

 private:
  void serve(bool silentAfter) {
    const int fd = ::accept(listen_, nullptr, nullptr);
    if (fd < 0) return;
    connected_ = true;
    // Each scripted reply answers one command (the first: the greeting).
    for (std::size_t i = 0; i < replies_.size(); ++i) {
      if (i > 0 && !readCommand(fd)) break;
      ::send(fd, replies_[i].data(), replies_[i].size(), MSG_NOSIGNAL);
    }
    if (silentAfter) {
      readCommand(fd);
      std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    ::close(fd);
  }
  // Up to a line end; after DATA, up to the final dot line.
  bool readCommand(int fd) {
    const bool data = heard_.size() >= 6 && heard_.substr(heard_.size() - 6) == "DATA\r\n";
    char c = 0;
    while (::recv(fd, &c, 1, 0) == 1) {
      heard_ += c;
      if (!data && c == '\n') return true;
      if (data && heard_.size() >= 5 && heard_.substr(heard_.size() - 5) == "\r\n.\r\n") return true;
    }
    return false;
  }
  std::vector<std::string> replies_;
  int listen_ = -1;
  int port_ = 0;
  std::string heard_;
  bool connected_ = false;
  std::thread thread_;
};

TEST(SmtpConnection, MultiLineRepliesDotsAndSilence) {
  ScriptedServer server({"220-mail.example ESMTP\r\n220-second line\r\n220 ready\r\n",
                         "250-mail.example\r\n250-PIPELINING\r\n250 8BITMIME\r\n", "250 ok\r\n",
                         "250 ok\r\n", "354 go ahead\r\n", "250 queued\r\n", "221 bye\r\n"});
  CSMTPConnection c;
  ASSERT_TRUE(c.Connect("127.0.0.1", server.port())) << c.LastError;
  CSMTPMessage m;
  m.From = {"Ann", "ann@example.com"};
  m.AddRecipient({"ostrel", "support@example.com"});
  m.Subject = "s";
  m.SetBody("first\n.\n.hidden\nlast");
  ASSERT_TRUE(c.SendMessage(m)) << c.LastError;
  c.Disconnect();
  const std::string& heard = server.heard();
  EXPECT_EQ(heard.rfind("HELO ", 0), 0u);
  EXPECT_NE(heard.find("\r\nMAIL FROM:<ann@example.com>\r\nRCPT TO:<support@example.com>\r\nDATA\r\n"),
            std::string::npos);
  EXPECT_NE(heard.find("\r\n\r\nfirst\r\n..\r\n..hidden\r\nlast\r\n.\r\nQUIT\r\n"), std::string::npos);

  // A server that stops answering: the read gives up after the time-out.
  ScriptedServer silent({"220 hi\r\n"}, true);
  CSMTPConnection quiet;
  quiet.ResponseTimeout = 200;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(quiet.Connect("127.0.0.1", silent.port()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_FALSE(quiet.IsConnected());
}

// --- the whole tech-support message through a real mail server ---------------

std::string decode64(const std::string& text) {
  static const std::string alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned v = 0;
  int bits = 0;
  for (char c : text) {
    const std::size_t k = alphabet.find(c);
    if (k == std::string::npos) continue;
    v = (v << 6) | static_cast<unsigned>(k);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((v >> bits) & 0xFF);
    }
  }
  return out;
}

std::optional<JsonValue> waitForMessage(const fs::path& file) {
  for (int i = 0; i < 100 && !fs::exists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::string error;
  return JsonValue::parse(test::readBytes(file), error);
}

TEST(TechSupport, MessageArrivesWholeAtARealServer) {
  test::TempDir dir;
  fs::create_directories(dir / "inbox");
  fs::create_directories(dir / "Logs");
  test::PythonServer server({test::netTestScript("smtp_sink.py"), (dir / "inbox").string()});
  ASSERT_GT(server.port(), 0) << "the mail server did not start";

  std::array<std::uint8_t, 128> info{};
  std::array<std::array<std::uint8_t, 512>, 3> pages{};
  for (std::size_t i = 0; i < info.size(); ++i) info[i] = static_cast<std::uint8_t>(i * 7);
  for (std::size_t p = 0; p < 3; ++p) {
    for (std::size_t i = 0; i < 512; ++i) pages[p][i] = static_cast<std::uint8_t>(i * (p + 3));
  }
  const TechSupportImages images{info.data(), pages[0].data(), pages[1].data(), pages[2].data()};
  TechSupportFields f{"127.0.0.1:" + std::to_string(server.port()), "Zoë Li", "+1 555 0100",
                      "zoe@example.com", "Level jumps \xE6\xB6\xB2\xE4\xBD\x8D\n.\nthen = 0"};

  // A name that would add a recipient is refused before anything connects.
  TechSupportFields evil = f;
  evil.name = "Eve\r\nBcc: thief@example.com";
  const TechSupportOutcome refused = sendTechSupport(evil, images, "support@example.com", dir / "Logs");
  EXPECT_EQ(refused.step, TechSupportOutcome::Step::Refused);
  EXPECT_EQ(refused.errorKey, "SVC_MESSAGE1");
  EXPECT_TRUE(test::folderNames(dir / "Logs").empty());

  const TechSupportOutcome sent = sendTechSupport(f, images, "support@example.com", dir / "Logs");
  ASSERT_TRUE(sent.ok()) << sent.errorKey << " " << sent.detail;
  EXPECT_TRUE(test::folderNames(dir / "Logs").empty()) << "the attachment files stay after sending";
  EXPECT_FALSE(fs::exists(dir / "inbox" / "message-2.json")) << "the refused message arrived";

  const std::optional<JsonValue> doc = waitForMessage(dir / "inbox" / "message-1.json");
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->find("mail_from")->text(), "zoe@example.com");
  ASSERT_EQ(doc->find("rcpt_tos")->items().size(), 1u);
  EXPECT_EQ(doc->find("rcpt_tos")->items()[0].text(), "support@example.com");
  std::vector<std::string> names;
  for (const JsonValue& h : doc->find("headers")->items()) {
    names.push_back(h.items()[0].text());
    if (names.back() == "To") {
      EXPECT_EQ(h.items()[1].text(), "ostrel <support@example.com>");
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"From", "To", "Subject", "Date", "X-Mailer",
                                             "MIME-Version", "Content-type"}));

  const std::vector<JsonValue>& parts = doc->find("parts")->items();
  ASSERT_EQ(parts.size(), 5u);
  EXPECT_EQ(parts[0].find("charset")->text(), "utf-8");
  // The text part decodes to the body as typed (line ends aside).
  const auto plain = [](std::string t) {
    std::string out;
    for (char c : t) {
      if (c != '\r') out += c;
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  };
  EXPECT_EQ(plain(decode64(parts[0].find("data")->text())), plain(techSupportBody(f)));
  const std::array<std::string, 4> expected = {
      memoryWordsText(info.data(), 64), memoryWordsText(pages[0].data(), 256),
      memoryWordsText(pages[1].data(), 256), memoryWordsText(pages[2].data(), 256)};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(parts[i + 1].find("filename")->text(), kTechSupportFiles[i].name);
    EXPECT_EQ(decode64(parts[i + 1].find("data")->text()), expected[i]) << kTechSupportFiles[i].name;
  }
}

TEST(TechSupport, FieldsFilesAndUnreachableServer) {
  EXPECT_EQ(techSupportMissingText({}),
            "Data incomplete.\n\t- email server name\n\t- contact name\n\t- phone number\n"
            "\t- email address\n\t- description of the problem\nRetry?");
  std::array<std::uint8_t, 128> info{};
  info[0] = 0xFF;
  info[1] = 0xFF;
  info[32] = 7;
  const std::string text = memoryWordsText(info.data(), 64);
  EXPECT_EQ(text.substr(0, text.find("\r\n")),
            "0000 - 65535 00000 00000 00000 00000 00000 00000 00000  00000 00000 00000 00000 "
            "00000 00000 00000 00000 ");
  EXPECT_EQ(text.substr(text.find("\r\n") + 2, 13), "0016 - 00007 ");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);

  // A server that refuses the connection: the files stay for the user.
  test::TempDir dir;
  const int closedPort = [] {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
  }();
  std::array<std::uint8_t, 512> page{};
  const TechSupportImages images{info.data(), page.data(), page.data(), page.data()};
  const TechSupportFields f{"127.0.0.1:" + std::to_string(closedPort), "Ann", "1", "a@b.c", "d"};
  const TechSupportOutcome o = sendTechSupport(f, images, "s@example.com", dir.path());
  EXPECT_EQ(o.step, TechSupportOutcome::Step::Connect);
  EXPECT_EQ(o.errorKey, "ERROR_MESSAGE100");
  EXPECT_EQ(test::folderNames(dir.path()),
            (std::vector<std::string>{"CustomerDataPage.txt", "FactoryDataPage.txt",
                                      "HistoryPage.txt", "InfoMemory.txt"}));
}

}  // namespace
}  // namespace ostrel

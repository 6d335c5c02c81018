#include "core/net/upload_sender.h"
#include "core/net/server_address.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "cli/json_value.h"
#include "core/support/app_settings.h"
#include "core/support/registry_key.h"
#include "core/support/settings_store.h"
#include "python_server.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using Status = UploadOutcome::Status;

class UploadSenderTest : public ::testing::Test {
 protected:
  UploadSenderTest() : store(values, corporateId, programName, dir / "Models", dir / "config") {
    fs::create_directories(dir / "Models");
    fs::create_directories(dir / "Logs");
    EXPECT_TRUE(RegistryKey::create(store.keyPath()));
    test::writeBytes(store.keyPath(), "# installed\n");
  }
  void settings(bool optOut, bool pending) {
    int code = 0;
    ASSERT_FALSE(store.WriteBool("OPTOUT", optOut, code));
    ASSERT_FALSE(store.WriteBool("PENDING", pending, code));
  }
  bool pending() {
    bool v = false;
    int code = 0;
    EXPECT_FALSE(store.ReadBool("PENDING", v, code));
    return v;
  }
  // The requests the server wrote down, one JSON document each.
  std::vector<JsonValue> requests() {
    std::vector<JsonValue> out;
    if (!fs::exists(log)) return out;
    const std::string text = test::readBytes(log);
    std::size_t at = 0;
    while (at < text.size()) {
      const std::size_t end = text.find('\n', at);
      std::string error;
      if (auto v = JsonValue::parse(text.substr(at, end - at), error)) out.push_back(*v);
      at = end + 1;
    }
    return out;
  }

  test::TempDir dir;
  std::string corporateId = "Vantrel";
  std::string programName = "Ostrel Level Configurator";
  AppSettings values;
  SettingsStore store;
  fs::path file = pendingUploadFile(dir / "Logs", corporateId);
  fs::path log = dir / "requests.jsonl";
};

TEST(UploadRequestTarget, OnlyWhatARequestLineCannotCarryIsEncoded) {
  EXPECT_EQ(uploadRequestTarget("a=1&b=x y\r"), "//vantrel_config.lasso?a=1&b=x%20y");
  EXPECT_EQ(uploadRequestTarget("p=50%\t#1\x7F\xC3\xA9\r\x01z"),
            "//vantrel_config.lasso?p=50%%09#1%7F%C3%A9%0D%01z");
  EXPECT_EQ(uploadRequestTarget(""), "//vantrel_config.lasso?");
}

TEST(ServerAddress, HostWithOrWithoutPort) {
  EXPECT_EQ(ServerAddress::parse("config.example", 80)->port, 80);
  const auto given = ServerAddress::parse(" 127.0.0.1:8080 ", 80);
  ASSERT_TRUE(given);
  EXPECT_EQ(given->host, "127.0.0.1");
  EXPECT_EQ(given->port, 8080);
  EXPECT_EQ(ServerAddress::parse("h:65535", 25)->port, 65535);
  for (const char* bad : {"", "h:", "h:0", "h:65536", "h:8o", ":80", "h/x", "a b", "u@h"}) {
    EXPECT_FALSE(ServerAddress::parse(bad, 80)) << bad;
  }
}

TEST_F(UploadSenderTest, ThreeLinesGoInOrderThenFileAndFlagAreCleared) {
  test::PythonServer server({test::netTestScript("http_sink.py"), log.string()});
  ASSERT_GT(server.port(), 0);
  settings(false, true);
  test::writeBytes(file, "serial=1&model=KM30\r\nserial=2 x&note=50%#a\nserial=3\n");
  const UploadOutcome o =
      SendPendingUploads(store, file, "127.0.0.1:" + std::to_string(server.port()));
  EXPECT_EQ(o.status, Status::Sent) << o.detail;
  EXPECT_FALSE(o.failed());
  EXPECT_EQ(o.linesSent, 3);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_FALSE(pending());

  const std::vector<JsonValue> got = requests();
  ASSERT_EQ(got.size(), 3u);
  const char* paths[] = {"//vantrel_config.lasso?serial=1&model=KM30",
                         "//vantrel_config.lasso?serial=2%20x&note=50%#a",
                         "//vantrel_config.lasso?serial=3"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(got[i].find("line")->text(), std::string("POST ") + paths[i] + " HTTP/1.0");
    EXPECT_EQ(got[i].find("body")->number(), 0);
    std::map<std::string, std::string> headers;
    for (const JsonValue& h : got[i].find("headers")->items()) headers[h.items()[0].text()] = h.items()[1].text();
    EXPECT_EQ(headers["Accept"], "text/*");
    EXPECT_EQ(headers["User-Agent"], "HttpCall");
    EXPECT_EQ(headers["Accept-Language"], "en-us");
    EXPECT_EQ(headers.count("Content-Type"), 0u);
  }
}

TEST_F(UploadSenderTest, AServerThatDropsPartWayLeavesEverythingForNextStart) {
  test::PythonServer server({test::netTestScript("http_sink.py"), log.string(), "1"});
  ASSERT_GT(server.port(), 0);
  settings(false, true);
  const std::string lines = "a=1\nb=2\nc=3\n";
  test::writeBytes(file, lines);
  const UploadOutcome o =
      SendPendingUploads(store, file, "127.0.0.1:" + std::to_string(server.port()));
  EXPECT_EQ(o.status, Status::SendFailed);
  EXPECT_TRUE(o.failed());
  EXPECT_EQ(o.linesSent, 1);
  EXPECT_TRUE(pending());
  EXPECT_EQ(test::readBytes(file), lines);
  EXPECT_EQ(requests().size(), 2u);
}

TEST_F(UploadSenderTest, OptOutAndMissingFileSendNothing) {
  // OPTOUT: the file is neither read nor removed, whatever PENDING says.
  settings(true, true);
  test::writeBytes(file, "a=1\n");
  UploadOutcome o = SendPendingUploads(store, file, "127.0.0.1:9");
  EXPECT_EQ(o.status, Status::OptedOut);
  EXPECT_FALSE(o.failed());
  EXPECT_TRUE(fs::exists(file));
  EXPECT_TRUE(pending());

  // PENDING without its file: a failure, and PENDING stays.
  settings(false, true);
  fs::remove(file);
  o = SendPendingUploads(store, file, "127.0.0.1:9");
  EXPECT_EQ(o.status, Status::NoFile);
  EXPECT_TRUE(o.failed());
  EXPECT_TRUE(pending());

  // Settings that cannot be read are reported with their code.
  fs::remove(store.keyPath());
  o = SendPendingUploads(store, file, "127.0.0.1:9");
  EXPECT_EQ(o.status, Status::SettingsUnreadable);
  EXPECT_EQ(o.messageKey(), "ERROR_MESSAGE107");
  EXPECT_NE(o.code, 0);
}

// A server that takes the connection and never answers: the send can be
// stopped from another thread at once, and a stopped send, like any other
// failure, leaves PENDING and the file for the next start. While the run
// holds the file, a second run cannot take it.
TEST_F(UploadSenderTest, AStoppedSendToASilentServerLeavesEverything) {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(listener, 8), 0);
  socklen_t len = sizeof addr;
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len), 0);
  const std::string server = "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));

  settings(false, true);
  const std::string lines = "a=1\nb=2\n";
  test::writeBytes(file, lines);
  PendingUploads uploads = PendingUploads::prepare(store, file, server);
  ASSERT_TRUE(uploads.ready());
  EXPECT_EQ(PendingUploads::prepare(store, file, server).outcome().status, Status::NoFile);

  std::atomic<bool> stop{false};
  UploadRequestOptions options;
  options.stop = &stop;
  const auto started = std::chrono::steady_clock::now();
  std::thread sender([&] { uploads.send(options); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  stop = true;
  sender.join();
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took, std::chrono::milliseconds(3000)) << "the send waited for its time-out";

  const UploadOutcome o = uploads.finish(store);
  EXPECT_EQ(o.status, Status::SendFailed);
  EXPECT_EQ(o.linesSent, 0);
  EXPECT_TRUE(pending());
  EXPECT_EQ(test::readBytes(file), lines);
  ::close(listener);
}

}  // namespace
}  // namespace ostrel

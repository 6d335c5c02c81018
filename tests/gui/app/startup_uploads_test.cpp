// The pending configuration reports at start: sent on a worker while the
// startup window connects the unit, so a server that never answers holds
// nothing up; sent to a server that answers, PENDING and the file are
// settled once the last report went.

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gui/app/c_main_form.h"
#include "gui/app/c_ostrel_dlg.h"
#include "sim/page_unit.h"
#include "sim/simulated_cable_driver.h"

using ostrel::CMainForm;
using ostrel::COstrelDlg;
using ostrel::StartupOptions;
using Phase = COstrelDlg::Phase;
namespace fs = std::filesystem;
namespace sim = ostrel::sim;

namespace {

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// An HTTP server on loopback. Silent: it takes connections (the system
// completes them) and never reads nor answers. Otherwise it answers every
// request with 200 and keeps its request lines.
class LoopbackHttp {
 public:
  explicit LoopbackHttp(bool silent) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd_, 8) != 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
      return;
    }
    port_ = ntohs(a.sin_port);
    if (!silent) thread_ = std::thread([this] { serve(); });
  }
  ~LoopbackHttp() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  int port() const { return port_; }
  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }

 private:
  void serve() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) != 1) continue;
      const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      std::string request;
      char buf[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd q{c, POLLIN, 0};
        if (::poll(&q, 1, 2000) != 1) break;
        const ssize_t n = ::read(c, buf, sizeof buf);
        if (n <= 0) break;
        request.append(buf, static_cast<std::size_t>(n));
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(request.substr(0, request.find("\r\n")));
      }
      const char answer[] = "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n";
      [[maybe_unused]] const ssize_t sent = ::write(c, answer, sizeof answer - 1);
      ::close(c);
    }
  }

  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// A startup window over a simulated unit whose data root names the server
// and keeps its settings in the Models folder, with two reports pending.
class UploadRun {
 public:
  explicit UploadRun(int port) {
    const fs::path root = fs::path(dir_.path().toStdString()) / "data";
    models_ = root / "Models";
    fs::create_directories(models_);
    fs::copy(fs::path(OSTREL_SOURCE_DATA_DIR) / "Models", models_,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::string corporate = readText(models_ / "Corporate_Model.txt");
    corporate = QString::fromStdString(corporate)
                    .replace(QRegularExpression("SERVER = [^\r\n]*"),
                             QString("SERVER = 127.0.0.1:%1").arg(port))
                    .toStdString();
    corporate += "REGISTRY_FILE = Ostrel_Settings.txt\r\n";
    writeText(models_ / "Corporate_Model.txt", corporate);
    std::string settings = readText(models_ / "Ostrel_Settings.txt");
    settings = QString::fromStdString(settings)
                   .replace("PENDING = FALSE", "PENDING = TRUE")
                   .replace("GUIDE = TRUE", "GUIDE = FALSE")
                   .toStdString();
    writeText(models_ / "Ostrel_Settings.txt", settings);
    fs::create_directories(root / "Logs");
    reports_ = root / "Logs" / "VantrelUpload.txt";
    writeText(reports_, "serial=1&model=KM30\r\nserial=2&model=KM30\r\n");

    StartupOptions o;
    o.dataDir = root;
    o.configRoot = fs::path(dir_.path().toStdString()) / "config";
    o.unattended = true;
    auto driver = std::make_unique<sim::SimulatedCableDriver>(
        std::make_shared<sim::PageUnit>(sim::PageUnitKind::Ultrasonic));
    o.makeDriver = [&driver]() -> std::unique_ptr<ostrel::CableDriver> {
      return std::move(driver);
    };
    dlg_ = std::make_unique<COstrelDlg>(o);
    QObject::connect(dlg_.get(), &COstrelDlg::mainFormOpened, dlg_.get(), [this](CMainForm* f) {
      sendingAtMainForm = dlg_->sendingUploads();
      f->done(0);
    });
  }

  COstrelDlg& dlg() { return *dlg_; }
  void close() { dlg_.reset(); }
  bool waitFor(Phase phase, int ms) {
    QElapsedTimer t;
    t.start();
    while (dlg_->phase() != phase && t.elapsed() < ms) QTest::qWait(5);
    return dlg_->phase() == phase;
  }
  const fs::path& reports() const { return reports_; }
  // PENDING as the settings file holds it (the tool rewrites the file as
  // UTF-16LE with its mark).
  std::string pending() const {
    std::string text = readText(models_ / "Ostrel_Settings.txt");
    if (text.rfind("\xFF\xFE", 0) == 0) {
      const QString wide = QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data() + 2),
                                              static_cast<qsizetype>((text.size() - 2) / 2));
      text = wide.toStdString();
    }
    const QRegularExpressionMatch m =
        QRegularExpression("PENDING = (\\w+)").match(QString::fromStdString(text));
    return m.hasMatch() ? m.captured(1).toStdString() : "";
  }

  bool sendingAtMainForm = false;

 private:
  QTemporaryDir dir_;
  fs::path models_;
  fs::path reports_;
  std::unique_ptr<COstrelDlg> dlg_;
};

}  // namespace

class StartupUploadsTest : public QObject {
  Q_OBJECT

 private slots:
  // The server takes the connection and never answers (the request's
  // time-out is 4 s): the unit is connected and the main form opens all the
  // same; closing the tool stops the send, and the reports wait for the
  // next start.
  void aServerThatNeverAnswersHoldsNothingUp() {
    LoopbackHttp server(true);
    QVERIFY(server.port() > 0);
    UploadRun run(server.port());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(run.dlg().initialise());
    QVERIFY(run.waitFor(Phase::Ended, 20000));
    const qint64 tookToMainForm = clock.elapsed();
    qInfo("start to the main form's end: %lld ms", static_cast<long long>(tookToMainForm));
    QVERIFY(run.sendingAtMainForm);
    QVERIFY(tookToMainForm < 3500);

    clock.restart();
    run.close();
    qInfo("closing with the send under way: %lld ms", static_cast<long long>(clock.elapsed()));
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(QString::fromStdString(run.pending()), QString("TRUE"));
    QCOMPARE(readText(run.reports()), std::string("serial=1&model=KM30\r\nserial=2&model=KM30\r\n"));
  }

  // A server that answers gets both reports in order; then PENDING is
  // cleared and the file removed, on the window's own thread.
  void reportsSentAtStartAreSettledAfterTheLastOne() {
    LoopbackHttp server(false);
    QVERIFY(server.port() > 0);
    UploadRun run(server.port());
    QVERIFY(run.dlg().initialise());
    QVERIFY(run.waitFor(Phase::Ended, 20000));
    QTRY_VERIFY_WITH_TIMEOUT(!run.dlg().sendingUploads(), 10000);
    const std::vector<std::string> lines = server.lines();
    QCOMPARE(lines.size(), std::size_t{2});
    QCOMPARE(lines[0], std::string("POST //vantrel_config.lasso?serial=1&model=KM30 HTTP/1.0"));
    QCOMPARE(lines[1], std::string("POST //vantrel_config.lasso?serial=2&model=KM30 HTTP/1.0"));
    QCOMPARE(QString::fromStdString(run.pending()), QString("FALSE"));
    QVERIFY(!fs::exists(run.reports()));
  }
};

QTEST_MAIN(StartupUploadsTest)
#include "startup_uploads_test.moc"

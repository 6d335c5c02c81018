#include "core/net/upload_sender.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "core/net/server_address.h"
#include "core/support/settings_store.h"

namespace ostrel {
namespace {

using Status = UploadOutcome::Status;

// Holds the file open and locked for the whole run, as an exclusive open does.
struct LockedFile {
  int fd = -1;
  ~LockedFile() {
    if (fd >= 0) ::close(fd);
  }
};

bool readLocked(const std::filesystem::path& path, LockedFile& file, std::string& bytes) {
  file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file.fd < 0 || ::flock(file.fd, LOCK_EX | LOCK_NB) != 0) return false;
  char chunk[8192];
  while (true) {
    const ssize_t n = ::read(file.fd, chunk, sizeof chunk);
    if (n == 0) return true;
    if (n < 0) return false;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
}

std::vector<std::string> linesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

}  // namespace

std::string UploadOutcome::messageKey() const {
  if (status == Status::SettingsUnreadable) return "ERROR_MESSAGE107";
  if (status == Status::SettingsUnsaved) return "ERROR_MESSAGE108";
  return {};
}

std::filesystem::path pendingUploadFile(const std::filesystem::path& logs,
                                        std::string_view corporateId) {
  return logs / (std::string(corporateId) + "Upload.txt");
}

std::string uploadRequestTarget(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "//vantrel_config.lasso?";
  for (unsigned char c : line) {
    if (c <= 0x20 || c >= 0x7F) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

PendingUploads::PendingUploads(PendingUploads&& other) noexcept
    : outcome_(std::move(other.outcome_)),
      file_(std::move(other.file_)),
      server_(std::move(other.server_)),
      lines_(std::move(other.lines_)),
      fd_(std::exchange(other.fd_, -1)),
      sent_(other.sent_) {}

PendingUploads& PendingUploads::operator=(PendingUploads&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    outcome_ = std::move(other.outcome_);
    file_ = std::move(other.file_);
    server_ = std::move(other.server_);
    lines_ = std::move(other.lines_);
    fd_ = std::exchange(other.fd_, -1);
    sent_ = other.sent_;
  }
  return *this;
}

PendingUploads::~PendingUploads() {
  if (fd_ >= 0) ::close(fd_);
}

bool PendingUploads::ready() const { return fd_ >= 0 && outcome_.status == Status::NothingPending; }

PendingUploads PendingUploads::prepare(SettingsStore& settings, const std::filesystem::path& file,
                                       const std::string& server) {
  PendingUploads p;
  UploadOutcome& o = p.outcome_;
  bool optOut = false;
  if (settings.ReadBool("OPTOUT", optOut, o.code)) {
    o.status = Status::SettingsUnreadable;
    return p;
  }
  if (optOut) {
    o.status = Status::OptedOut;
    return p;
  }
  bool pending = false;
  if (settings.ReadBool("PENDING", pending, o.code)) {
    o.status = Status::SettingsUnreadable;
    return p;
  }
  if (!pending) return p;

  LockedFile locked;
  std::string bytes;
  if (!readLocked(file, locked, bytes)) {
    o.status = Status::NoFile;
    return p;
  }
  if (!ServerAddress::parse(server, 80)) {
    o.status = Status::BadServer;
    o.detail = "'" + server + "' is not a server name";
    return p;
  }
  p.file_ = file;
  p.server_ = server;
  p.lines_ = linesOf(bytes);
  p.fd_ = std::exchange(locked.fd, -1);
  return p;
}

namespace {

int stopCheck(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

}  // namespace

void PendingUploads::send(const UploadRequestOptions& options) {
  if (!ready() || sent_) return;
  UploadOutcome& o = outcome_;
  const ServerAddress address = *ServerAddress::parse(server_, 80);

  static CurlGlobal global;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  curl_slist* headers = nullptr;
  for (const char* h : {"Accept: text/*", "User-Agent: HttpCall", "Accept-Language: en-us",
                        "Content-Type:", "Expect:"}) {
    headers = curl_slist_append(headers, h);
  }
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers,
                                                                        curl_slist_free_all);
  if (!curl || !headers) {
    o.status = Status::SendFailed;
    o.detail = "the HTTP client cannot be set up";
    return;
  }
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  curl_easy_setopt(c, CURLOPT_POST, 1L);
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, "");
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, 0L);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(options.timeoutMs));
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, discard);
  curl_easy_setopt(c, CURLOPT_REQUEST_TARGET, nullptr);
  if (options.stop != nullptr) {
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, stopCheck);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(options.stop));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  }
  const std::string base = "http://" + (address.host.find(':') != std::string::npos
                                            ? "[" + address.host + "]"
                                            : address.host) +
                           ":" + std::to_string(address.port) + "/";
  curl_easy_setopt(c, CURLOPT_URL, base.c_str());

  for (const std::string& line : lines_) {
    if (options.stop != nullptr && options.stop->load()) {
      o.status = Status::SendFailed;
      o.detail = "stopped";
      return;
    }
    // The target goes on the request line exactly as built, so nothing in a
    // report ("#", "?", "%") is read as URL syntax by the client.
    const std::string target = uploadRequestTarget(line);
    curl_easy_setopt(c, CURLOPT_REQUEST_TARGET, target.c_str());
    const CURLcode r = curl_easy_perform(c);
    if (r != CURLE_OK) {
      o.status = Status::SendFailed;
      o.detail = curl_easy_strerror(r);
      return;
    }
    ++o.linesSent;
  }
  sent_ = true;
}

UploadOutcome PendingUploads::finish(SettingsStore& settings) {
  UploadOutcome& o = outcome_;
  if (fd_ < 0 || o.status != Status::NothingPending) return o;
  if (!sent_) {
    if (o.status == Status::NothingPending) {
      o.status = Status::SendFailed;
      if (o.detail.empty()) o.detail = "the reports were not sent";
    }
    return o;
  }
  ::close(fd_);
  fd_ = -1;
  if (settings.WriteBool("PENDING", false, o.code)) {
    o.status = Status::SettingsUnsaved;
    return o;
  }
  std::error_code ec;
  std::filesystem::remove(file_, ec);
  o.status = Status::Sent;
  return o;
}

UploadOutcome SendPendingUploads(SettingsStore& settings, const std::filesystem::path& file,
                                 const std::string& server, const UploadRequestOptions& options) {
  PendingUploads uploads = PendingUploads::prepare(settings, file, server);
  if (!uploads.ready()) return uploads.outcome();
  uploads.send(options);
  return uploads.finish(settings);
}

}  // namespace ostrel

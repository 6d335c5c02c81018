#pragma once
// Sends the configuration reports waiting in the pending-upload file, one
// HTTP/1.0 POST per line, at start.

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

class SettingsStore;

struct UploadOutcome {
  enum class Status {
    Sent,                // every line went; PENDING cleared and the file removed
    OptedOut,            // OPTOUT set: nothing read, nothing sent
    NothingPending,      // PENDING not set
    NoFile,              // PENDING set but the file is absent or locked
    BadServer,           // the server name is not host[:port]
    SendFailed,          // a request failed; PENDING and the file stay
    SettingsUnreadable,  // ERROR_MESSAGE107 with code
    SettingsUnsaved,     // ERROR_MESSAGE108 with code; the file stays
  };
  Status status = Status::NothingPending;
  int code = 0;
  int linesSent = 0;
  std::string detail;  // the failing request's error, for logs and the CLI

  // The result of SendPendingUploads: true on failure.
  bool failed() const {
    return status != Status::Sent && status != Status::OptedOut &&
           status != Status::NothingPending;
  }
  // The language key to show, or empty when the failure shows nothing.
  std::string messageKey() const;
};

// "<Logs>/<CorporateId>Upload.txt".
std::filesystem::path pendingUploadFile(const std::filesystem::path& logs,
                                        std::string_view corporateId);

// The request target for one line: "//vantrel_config.lasso?" and the line,
// a trailing CR dropped, with spaces, control bytes and bytes above 0x7E as
// %XX (upper-case hex); every other byte, "%" included, as it is.
std::string uploadRequestTarget(std::string_view line);

struct UploadRequestOptions {
  int timeoutMs = 4000;
  // Set from another thread, it ends the sending at once (the tool is
  // closing): counted as a failure, so everything stays for the next start.
  const std::atomic<bool>* stop = nullptr;
};

// SendPendingUploads in its three stages, for a caller that sends on a
// worker so that a slow or absent server holds nothing up: prepare() and
// finish() touch the settings and run where the settings are used (the GUI
// thread); send() only talks to the server and may run anywhere.
class PendingUploads {
 public:
  // Reads OPTOUT and PENDING and, when reports wait, the file, which stays
  // open and locked until finish(). server is "host" or "host:port" (port
  // 80 by default).
  static PendingUploads prepare(SettingsStore& settings, const std::filesystem::path& file,
                                const std::string& server);
  PendingUploads(PendingUploads&&) noexcept;
  PendingUploads& operator=(PendingUploads&&) noexcept;
  ~PendingUploads();

  // Lines wait to be sent: send() and finish() follow.
  bool ready() const;
  // The requests, in line order; stops at the first that fails.
  void send(const UploadRequestOptions& options = {});
  // After a send of every line: PENDING cleared, then the file removed.
  // A failure part-way leaves both. Returns the whole run's outcome.
  UploadOutcome finish(SettingsStore& settings);
  const UploadOutcome& outcome() const { return outcome_; }

 private:
  PendingUploads() = default;

  UploadOutcome outcome_;
  std::filesystem::path file_;
  std::string server_;
  std::vector<std::string> lines_;
  int fd_ = -1;  // the file, held locked
  bool sent_ = false;
};

// server is "host" or "host:port" (port 80 by default).
UploadOutcome SendPendingUploads(SettingsStore& settings, const std::filesystem::path& file,
                                 const std::string& server, const UploadRequestOptions& options = {});

}  // namespace ostrel

#pragma once
// The running log of notable events: one line per event, appended to
// "logfile.txt" in the Logs folder, never read and never emptied.

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>

#include "core/support/text_format.h"

namespace ostrel {

class LogFile {
 public:
  static constexpr std::size_t kMaxMessage = 511;

  LogFile() = default;
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  void setFolder(std::filesystem::path logs) { folder_ = std::move(logs); }

  // Opens (creating it when missing) the log for appending. True when open.
  // Another process holding the log keeps it closed here.
  bool Open();
  bool IsOpen() const;
  void Close();

  // Writes "<time stamp> <key>-><message>" with CR LF, the message cut at
  // 511 characters. Returns the number of bytes written (0 when closed).
  int LogEvent(std::string_view key, std::string_view message);

  // Same, with the message built from a format and values.
  int LogEvent(std::string_view key, std::string_view format,
               std::initializer_list<FormatArg> args) {
    return LogEvent(key, formatText(format, args));
  }

  // "%m/%d/%y %I:%M:%S%p" with AM/PM in English whatever the user's locale.
  static std::string TimeStamp(const std::tm& t);

  // Replaces the clock (tests).
  void setClock(std::function<std::tm()> clock) { clock_ = std::move(clock); }

  static std::filesystem::path FileName() { return "logfile.txt"; }

 private:
  std::filesystem::path folder_;
  std::function<std::tm()> clock_;
  mutable std::mutex mutex_;
  int fd_ = -1;
};

}  // namespace ostrel

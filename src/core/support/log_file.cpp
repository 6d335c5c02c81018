#include "core/support/log_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

#include "core/platform/clock.h"
#include "core/support/text_codec.h"

namespace ostrel {

LogFile::~LogFile() { Close(); }

bool LogFile::Open() {
  std::lock_guard lock(mutex_);
  if (fd_ >= 0) return true;
  const std::filesystem::path path = folder_ / FileName();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // Writers from other processes are kept out, as the log is ours for the run.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool LogFile::IsOpen() const {
  std::lock_guard lock(mutex_);
  return fd_ >= 0;
}

void LogFile::Close() {
  std::lock_guard lock(mutex_);
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

std::string LogFile::TimeStamp(const std::tm& t) {
  // Built by hand: strftime's %p follows the user's locale once the GUI
  // has set it, and the log must read the same everywhere.
  int hour12 = t.tm_hour % 12;
  if (hour12 == 0) hour12 = 12;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d:%02d:%02d%s", (t.tm_mon + 1) % 100,
                t.tm_mday % 100, (t.tm_year + 1900) % 100, hour12, t.tm_min % 100, t.tm_sec % 100,
                t.tm_hour < 12 ? "AM" : "PM");
  return buf;
}

int LogFile::LogEvent(std::string_view key, std::string_view message) {
  // The file is 8-bit text: convert first, then cut the message to its bound.
  std::string text = utf8ToCp1252(message);
  if (text.size() > kMaxMessage) text.resize(kMaxMessage);
  const std::tm now = clock_ ? clock_() : localTime(std::chrono::system_clock::now());

  std::string line = TimeStamp(now);
  line += ' ';
  line += utf8ToCp1252(key);
  line += "->";
  for (char c : text) {
    if (c == '\n') line += '\r';
    line += c;
  }
  line += "\r\n";

  std::lock_guard lock(mutex_);
  if (fd_ < 0) return 0;
  // One write per entry on an append-only descriptor: entries from two
  // threads never mix within a line.
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<int>(done);
}

}  // namespace ostrel

#include "core/platform/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <system_error>

namespace ostrel {

int createTempBeside(const std::filesystem::path& target, unsigned newFileMode,
                     std::filesystem::path& tempPath) {
  std::string tmp = target.string() + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return -1;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, static_cast<mode_t>(newFileMode) & ~mask);
  }
  tempPath = tmp;
  return fd;
}

bool commitTemp(const std::filesystem::path& tempPath, const std::filesystem::path& target) {
  std::error_code ec;
  std::filesystem::rename(tempPath, target, ec);
  if (!ec) return true;
  std::filesystem::remove(tempPath, ec);
  return false;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         unsigned newFileMode) {
  std::filesystem::path tmp;
  const int fd = createTempBeside(path, newFileMode, tmp);
  if (fd < 0) return false;

  bool ok = true;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) return commitTemp(tmp, path);
  std::error_code ec;
  std::filesystem::remove(tmp, ec);
  return false;
}

}  // namespace ostrel

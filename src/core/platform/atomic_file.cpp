#include "core/platform/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <system_error>

namespace ostrel {

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         unsigned newFileMode) {
  std::string tmp = path.string() + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return false;

  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, static_cast<mode_t>(newFileMode) & ~mask);
  }

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
  std::error_code ec;
  if (ok) {
    std::filesystem::rename(tmp, path, ec);
    ok = !ec;
  }
  if (!ok) std::filesystem::remove(tmp, ec);
  return ok;
}

}  // namespace ostrel

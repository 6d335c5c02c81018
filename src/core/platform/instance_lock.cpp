#include "core/platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace ostrel {

InstanceLock::InstanceLock(std::string name) : name_(std::move(name)) {}

InstanceLock::~InstanceLock() { release(); }

std::filesystem::path InstanceLock::runtimeDir() {
  if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && *xdg != '\0') {
    return xdg;
  }
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("ostrel-" + std::to_string(::getuid()));
  ::mkdir(dir.c_str(), 0700);
  return dir;
}

InstanceLock::Result InstanceLock::acquire() {
  if (fd_ >= 0) return Result::Acquired;
  path_ = runtimeDir() / (name_ + ".lock");
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return Result::Unavailable;
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd_);
    fd_ = -1;
    return err == EWOULDBLOCK ? Result::AlreadyRunning : Result::Unavailable;
  }
  return Result::Acquired;
}

void InstanceLock::release() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace ostrel

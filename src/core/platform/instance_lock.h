#pragma once
// One running copy of the tool per user: an advisory lock on a file in the
// user's runtime folder, held until the process ends.

#include <filesystem>
#include <string>

namespace ostrel {

class InstanceLock {
 public:
  enum class Result { Acquired, AlreadyRunning, Unavailable };

  explicit InstanceLock(std::string name = "ONEOSTREL");
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock. Unavailable means the lock file could not be made (no
  // writable runtime folder): the caller cannot tell whether another copy
  // runs and goes on.
  Result acquire();
  void release();

  // $XDG_RUNTIME_DIR, else a private folder under the temporary folder.
  static std::filesystem::path runtimeDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::string name_;
  std::filesystem::path path_;
  int fd_ = -1;
};

}  // namespace ostrel

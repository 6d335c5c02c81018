#include "core/platform/instance_lock.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "test_support.h"

namespace ostrel {
namespace {

class InstanceLockTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1); }
  void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }
  test::TempDir dir;
};

TEST_F(InstanceLockTest, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  InstanceLock first("ONEOSTREL");
  ASSERT_EQ(first.acquire(), InstanceLock::Result::Acquired);
  EXPECT_EQ(first.path(), dir / "ONEOSTREL.lock");
  InstanceLock second("ONEOSTREL");
  EXPECT_EQ(second.acquire(), InstanceLock::Result::AlreadyRunning);
  first.release();
  EXPECT_EQ(second.acquire(), InstanceLock::Result::Acquired);
}

TEST_F(InstanceLockTest, AnotherProcessSeesTheLockAndItEndsWithTheProcess) {
  InstanceLock mine("ONEOSTREL");
  ASSERT_EQ(mine.acquire(), InstanceLock::Result::Acquired);
  const pid_t child = ::fork();
  if (child == 0) {
    InstanceLock other("ONEOSTREL");
    ::_exit(other.acquire() == InstanceLock::Result::AlreadyRunning ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(InstanceLockTest, MissingRuntimeFolderMakesTheLockUnavailable) {
  ::setenv("XDG_RUNTIME_DIR", "/proc/ostrel-none", 1);
  InstanceLock lock("ONEOSTREL");
  EXPECT_EQ(lock.acquire(), InstanceLock::Result::Unavailable);
}

}  // namespace
}  // namespace ostrel

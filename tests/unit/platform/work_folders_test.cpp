#include "core/platform/work_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"

namespace ostrel {
namespace {

using test::TempDir;
using test::writeBytes;
namespace fs = std::filesystem;

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(WorkFolders, DataRootPrefersArgumentThenEnvironmentThenUserFolder) {
  ScopedEnv home("OSTREL_HOME", "/srv/ostrel-home");
  ScopedEnv xdg("XDG_DATA_HOME", "/home/tech/.data");
  EXPECT_EQ(resolveDataRoot(fs::path("/opt/site")), fs::path("/opt/site"));
  EXPECT_EQ(resolveDataRoot(std::nullopt), fs::path("/srv/ostrel-home"));
  ScopedEnv noHome("OSTREL_HOME", nullptr);
  EXPECT_EQ(resolveDataRoot(std::nullopt), fs::path("/home/tech/.data/ostrel"));
  ScopedEnv noXdg("XDG_DATA_HOME", nullptr);
  ScopedEnv user("HOME", "/home/tech");
  EXPECT_EQ(resolveDataRoot(std::nullopt), fs::path("/home/tech/.local/share/ostrel"));
}

TEST(WorkFolders, FoldersSplitBetweenDataRootAndInstalledData) {
  const WorkFolders f = WorkFolders::build("/data", "/usr/share/ostrel/data");
  EXPECT_EQ(f.Models, fs::path("/data/Models"));
  EXPECT_EQ(f.Configs, fs::path("/data/Configs"));
  EXPECT_EQ(f.Programs, fs::path("/data/Programs"));
  EXPECT_EQ(f.Logs, fs::path("/data/Logs"));
  EXPECT_EQ(f.Drawings, fs::path("/usr/share/ostrel/data/Drawings"));
  EXPECT_EQ(f.Help, fs::path("/usr/share/ostrel/data/Help"));
  EXPECT_EQ(f.Bitmaps, fs::path("/usr/share/ostrel/data/Bitmaps"));
}

TEST(WorkFolders, FirstRunSeedsFromInstalledDataAndLaterRunsKeepUserFiles) {
  TempDir installed;
  TempDir root;
  fs::create_directories(installed / "Models");
  fs::create_directories(installed / "Configs");
  writeBytes(installed / "Models" / "Corporate_Model.txt", "PROGRAMID = KM\n");
  writeBytes(installed / "Configs" / "Factory.txt", "MODEL = KM30\n");
  const WorkFolders f = WorkFolders::build(root.path(), installed.path());
  std::string error;
  ASSERT_TRUE(prepareDataRoot(f, error)) << error;
  EXPECT_EQ(test::readBytes(f.Models / "Corporate_Model.txt"), "PROGRAMID = KM\n");
  EXPECT_TRUE(fs::exists(f.Configs / "Factory.txt"));
  EXPECT_TRUE(fs::is_directory(f.Logs));
  EXPECT_TRUE(fs::is_directory(f.Programs));

  // The user's own changes survive the next start.
  writeBytes(f.Models / "Corporate_Model.txt", "PROGRAMID = MINE\n");
  ASSERT_TRUE(prepareDataRoot(f, error));
  EXPECT_EQ(test::readBytes(f.Models / "Corporate_Model.txt"), "PROGRAMID = MINE\n");
}

TEST(WorkFolders, NewerShippedFilesReachASeededRootButNotTheUsersChanges) {
  TempDir installed;
  TempDir root;
  fs::create_directories(installed / "Models");
  writeBytes(installed / "Models" / "Corporate_Model.txt", "v1 corporate");
  writeBytes(installed / "Models" / "Ostrel_Settings.txt", "v1 settings");
  writeBytes(installed / "Models" / "KM30_Old.txt", "v1 model");
  const WorkFolders f = WorkFolders::build(root.path(), installed.path());
  std::string error;
  ASSERT_TRUE(prepareDataRoot(f, error)) << error;

  // The user changes one file and deletes another; then a newer tool ships
  // new versions of all three and a new model file.
  writeBytes(f.Models / "Ostrel_Settings.txt", "mine");
  fs::remove(f.Models / "KM30_Old.txt");
  writeBytes(installed / "Models" / "Corporate_Model.txt", "v2 corporate");
  writeBytes(installed / "Models" / "Ostrel_Settings.txt", "v2 settings");
  writeBytes(installed / "Models" / "KM30_Old.txt", "v2 model");
  writeBytes(installed / "Models" / "KM50_New.txt", "v2 new model");
  ASSERT_TRUE(prepareDataRoot(f, error)) << error;

  EXPECT_EQ(test::readBytes(f.Models / "Corporate_Model.txt"), "v2 corporate");
  EXPECT_EQ(test::readBytes(f.Models / "KM50_New.txt"), "v2 new model");
  EXPECT_EQ(test::readBytes(f.Models / "Ostrel_Settings.txt"), "mine");
  EXPECT_FALSE(fs::exists(f.Models / "KM30_Old.txt"));

  // Still the user's after a further release.
  writeBytes(installed / "Models" / "Ostrel_Settings.txt", "v3 settings");
  ASSERT_TRUE(prepareDataRoot(f, error)) << error;
  EXPECT_EQ(test::readBytes(f.Models / "Ostrel_Settings.txt"), "mine");
}

TEST(WorkFolders, ExistingEmptyModelsFolderIsNotSeeded) {
  TempDir installed;
  TempDir root;
  fs::create_directories(installed / "Models");
  writeBytes(installed / "Models" / "Corporate_Model.txt", "x");
  fs::create_directories(root / "Models");
  const WorkFolders f = WorkFolders::build(root.path(), installed.path());
  std::string error;
  ASSERT_TRUE(prepareDataRoot(f, error));
  EXPECT_FALSE(fs::exists(f.Models / "Corporate_Model.txt"));
}

TEST(WorkFolders, UnwritableRootIsReported) {
  TempDir installed;
  const WorkFolders f = WorkFolders::build("/proc/ostrel-no-such-root", installed.path());
  std::string error;
  EXPECT_FALSE(prepareDataRoot(f, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace ostrel

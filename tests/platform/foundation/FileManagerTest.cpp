#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "FoundationTestFolder.h"
#include "platform/foundation/AppPaths.h"
#include "platform/foundation/FileManager.h"
#include "tests/support/ScopedAppIdentity.h"

namespace platform {
namespace {

using testing::FoundationTestFolder;

TEST(FileManagerTest, WriteReadAndReplace) {
  FoundationTestFolder folder;
  const std::string path = folder.file("data.bin");
  EXPECT_FALSE(FileManager::fileExistsAtPath(path));
  EXPECT_FALSE(FileManager::contentsAtPath(path));

  const std::string bytes("with\0nul\xFF", 9);
  ASSERT_TRUE(FileManager::writeContentsAtomically(path, bytes));
  EXPECT_TRUE(FileManager::fileExistsAtPath(path));
  EXPECT_EQ(FileManager::contentsAtPath(path), bytes);

  ASSERT_TRUE(FileManager::writeContentsAtomically(path, "second"));
  EXPECT_EQ(FileManager::contentsAtPath(path), "second");
  ASSERT_TRUE(FileManager::writeContentsAtomically(path, ""));
  EXPECT_EQ(FileManager::contentsAtPath(path), "");

  // No temporary files are left beside the target.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(FileManagerTest, AtomicWriteGivesUsualPermissions) {
  FoundationTestFolder folder;
  const std::string path = folder.file("shared.txt");
  const mode_t old = ::umask(022);
  ASSERT_TRUE(FileManager::writeContentsAtomically(path, "x"));
  ::umask(old);
  struct stat info{};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(FileManagerTest, WriteFailures) {
  FoundationTestFolder folder;
  EXPECT_FALSE(FileManager::writeContentsAtomically(folder.file("missing/file"), "x"));
  EXPECT_FALSE(FileManager::writeContentsAtomically("", "x"));
  EXPECT_FALSE(FileManager::writeContentsAtomically(folder.path() + "/", "x"));
  // A folder in the way cannot be replaced by a file, and stays.
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("taken")));
  EXPECT_FALSE(FileManager::writeContentsAtomically(folder.file("taken"), "x"));
  EXPECT_TRUE(FileManager::directoryExistsAtPath(folder.file("taken")));
  EXPECT_FALSE(FileManager::contentsAtPath(folder.file("taken")));
}

TEST(FileManagerTest, ReaderSeesOldOrNewContentOnly) {
  // A child process rewrites the file over and over while we read it.
  FoundationTestFolder folder;
  const std::string path = folder.file("swap.txt");
  const std::string first(20000, 'a');
  const std::string second(30000, 'b');
  ASSERT_TRUE(FileManager::writeContentsAtomically(path, first));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    for (int i = 0; i < 40; ++i) {
      if (!FileManager::writeContentsAtomically(path, i % 2 == 0 ? second : first)) {
        ::_exit(1);
      }
    }
    ::_exit(0);
  }
  for (int i = 0; i < 200; ++i) {
    const auto contents = FileManager::contentsAtPath(path);
    ASSERT_TRUE(contents);
    ASSERT_TRUE(*contents == first || *contents == second);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(FileManagerTest, DirectoriesAndRemoval) {
  FoundationTestFolder folder;
  const std::string deep = folder.file("a/b/c");
  EXPECT_TRUE(FileManager::createDirectoryAtPath(deep));
  EXPECT_TRUE(FileManager::createDirectoryAtPath(deep));  // already there
  EXPECT_TRUE(FileManager::directoryExistsAtPath(deep));
  ASSERT_TRUE(FileManager::writeContentsAtomically(deep + "/f", "x"));
  EXPECT_FALSE(FileManager::createDirectoryAtPath(deep + "/f"));
  EXPECT_FALSE(FileManager::createDirectoryAtPath(""));

  EXPECT_TRUE(FileManager::removeItemAtPath(folder.file("a")));
  EXPECT_FALSE(FileManager::fileExistsAtPath(deep));
  EXPECT_FALSE(FileManager::removeItemAtPath(folder.file("a")));
  EXPECT_FALSE(FileManager::removeItemAtPath(""));
}

TEST(FileManagerTest, ModificationTimesWithSubSecondPrecision) {
  FoundationTestFolder folder;
  const std::string path = folder.file("aged");
  EXPECT_FALSE(FileManager::modificationDateOfItemAtPath(path));
  EXPECT_FALSE(FileManager::setModificationDateOfItemAtPath(path, Date::now()));
  ASSERT_TRUE(FileManager::writeContentsAtomically(path, "x"));

  const auto fresh = FileManager::modificationDateOfItemAtPath(path);
  ASSERT_TRUE(fresh);
  EXPECT_LT(std::fabs(fresh->timeIntervalSinceNow()), 5.0);

  const Date old = Date::dateWithTimeIntervalSince1970(1238655903.25);
  ASSERT_TRUE(FileManager::setModificationDateOfItemAtPath(path, old));
  const auto read = FileManager::modificationDateOfItemAtPath(path);
  ASSERT_TRUE(read);
  EXPECT_NEAR(read->timeIntervalSince1970(), 1238655903.25, 1e-6);

  const Date beforeEpoch = Date::dateWithTimeIntervalSince1970(-100.75);
  ASSERT_TRUE(FileManager::setModificationDateOfItemAtPath(path, beforeEpoch));
  EXPECT_NEAR(FileManager::modificationDateOfItemAtPath(path)->timeIntervalSince1970(), -100.75,
              1e-6);
  EXPECT_FALSE(FileManager::setModificationDateOfItemAtPath(
      path, Date::dateWithTimeIntervalSince1970(std::nan(""))));
}

TEST(FileManagerTest, WritesAreStampedOnTheAppsWallClock) {
  FoundationTestFolder folder;
  const std::string path = folder.file("stamped");
  // A wall clock two years behind the system's, as a pinned headless run has.
  const double pinned = Date::now().timeIntervalSince1970() - 2 * 365 * 86400.0 + 0.5;
  Date::setNowSource([pinned] { return pinned; });
  const bool written = FileManager::writeContentsAtomically(path, "x", FileManager::Durability::Cache);
  const auto stamped = FileManager::modificationDateOfItemAtPath(path);
  const double age = stamped ? -stamped->timeIntervalSinceNow() : -1;
  Date::setNowSource({});
  ASSERT_TRUE(written);
  ASSERT_TRUE(stamped);
  EXPECT_NEAR(stamped->timeIntervalSince1970(), pinned, 1e-6);
  EXPECT_EQ(age, 0) << "a file written now is not in the future nor in the past";

  // Back on the system clock the kernel's stamp is the real time again.
  ASSERT_TRUE(FileManager::writeContentsAtomically(path, "y"));
  EXPECT_LT(std::fabs(FileManager::modificationDateOfItemAtPath(path)->timeIntervalSinceNow()), 5.0);
}

TEST(AppPathsTest, DefaultHomeFollowsXdgRules) {
  // The folder is named after the app whose identity is in force.
  testing_support::ScopedAppIdentity identity(testing_support::ScopedAppIdentity::hostApp());
  EXPECT_EQ(AppPaths::defaultHome("/data", "/home/u"), "/data/host-app");
  EXPECT_EQ(AppPaths::defaultHome(nullptr, "/home/u"), "/home/u/.local/share/host-app");
  EXPECT_EQ(AppPaths::defaultHome("", "/home/u"), "/home/u/.local/share/host-app");
  EXPECT_EQ(AppPaths::defaultHome("relative", "/home/u"), "/home/u/.local/share/host-app");
  EXPECT_TRUE(AppPaths::defaultHome(nullptr, nullptr).ends_with("/.local/share/host-app"));
}

TEST(AppPathsTest, OverriddenHomeAndItsFolders) {
  AppPaths::setHome("/srv/vb");
  EXPECT_EQ(AppPaths::home(), "/srv/vb");
  EXPECT_EQ(AppPaths::documentsDirectory(), "/srv/vb/Documents");
  EXPECT_EQ(AppPaths::preferencesDirectory(), "/srv/vb/Library/Preferences");
  EXPECT_EQ(AppPaths::temporaryDirectory(), "/srv/vb/tmp");
  AppPaths::setHome(std::nullopt);
  EXPECT_EQ(AppPaths::home(),
            AppPaths::defaultHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
}

}  // namespace
}  // namespace platform

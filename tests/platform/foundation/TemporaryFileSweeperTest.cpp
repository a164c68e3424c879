#include "platform/foundation/TemporaryFileSweeper.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

#include "FoundationTestFolder.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/FileManager.h"

namespace platform {
namespace {

using testing::FoundationTestFolder;

class TemporaryFileSweeperTest : public ::testing::Test {
 protected:
  // A file with its modification time `age` seconds in the past.
  std::string file(const std::string& name, double age = 10) {
    const std::string path = folder_.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(FileManager::writeContentsAtomically(path, "left behind", FileManager::Durability::Cache));
    FileManager::setModificationDateOfItemAtPath(
        path, Date::dateWithTimeIntervalSince1970(static_cast<double>(::time(nullptr)) - age));
    return path;
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(folder_.file(name)); }

  FoundationTestFolder folder_;
};

TEST_F(TemporaryFileSweeperTest, RemovesOnlyStaleTemporaryFilesOfOurShapeAtEveryDepth) {
  file("Library/Preferences/vorla-button.plist.Ab12Cd");
  file("Documents/pennant/localization_cache/20090402/fr.strings.xYz789");
  file("Documents/pennant/image_cache/url.QQQQQQ", -86400);  // from a clock that was set back
  // Ours but fresh: perhaps being written by another instance right now.
  file("Library/Preferences/vorla-button.plist.Fr3sh1", 0);
  // Not of our shape, or not files at all.
  for (const char* keep : {"Library/Preferences/vorla-button.plist", "Documents/pennant/image_cache/url",
                           "Documents/fr.strings", "Documents/x.Ab12C", "Documents/x.Ab12C!", "Documents/.Ab12Cd"}) {
    file(keep);
  }
  std::filesystem::create_directories(folder_.file("Documents/folder.Ab12Cd"));
  std::filesystem::create_symlink(folder_.file("Library/Preferences/vorla-button.plist"),
                                  folder_.file("Documents/link.Ab12Cd"));

  EXPECT_EQ(TemporaryFileSweeper::removeStaleTemporaryFilesUnder(folder_.path()), 3u);
  EXPECT_FALSE(exists("Library/Preferences/vorla-button.plist.Ab12Cd"));
  EXPECT_FALSE(exists("Documents/pennant/localization_cache/20090402/fr.strings.xYz789"));
  EXPECT_FALSE(exists("Documents/pennant/image_cache/url.QQQQQQ"));
  for (const char* kept : {"Library/Preferences/vorla-button.plist.Fr3sh1", "Library/Preferences/vorla-button.plist",
                           "Documents/pennant/image_cache/url", "Documents/fr.strings", "Documents/x.Ab12C",
                           "Documents/x.Ab12C!", "Documents/.Ab12Cd", "Documents/folder.Ab12Cd",
                           "Documents/link.Ab12Cd"}) {
    EXPECT_TRUE(exists(kept)) << kept;
  }
}

TEST_F(TemporaryFileSweeperTest, AFileAWriterHoldsIsKeptHoweverOld) {
  const std::string path = file("Library/Preferences/vorla-button.plist.H0ld3n");
  const int held = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_EQ(TemporaryFileSweeper::removeStaleTemporaryFilesUnder(folder_.path()), 0u);
  EXPECT_TRUE(std::filesystem::exists(path));
  ::close(held);
  EXPECT_EQ(TemporaryFileSweeper::removeStaleTemporaryFilesUnder(folder_.path()), 1u);
  EXPECT_EQ(TemporaryFileSweeper::removeStaleTemporaryFilesUnder(folder_.path() + "/missing"), 0u);
}

}  // namespace
}  // namespace platform

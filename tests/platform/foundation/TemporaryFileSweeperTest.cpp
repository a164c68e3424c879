#include "platform/foundation/TemporaryFileSweeper.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "FoundationTestFolder.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/FileManager.h"

namespace platform {
namespace {

using testing::FoundationTestFolder;

class TemporaryFileSweeperTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name) {
    const std::string path = folder_.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(FileManager::writeContentsAtomically(path, "left behind", FileManager::Durability::Cache));
    return path;
  }
  // Long enough for the files made so far to count as left behind.
  static void letTimePass() {
    std::this_thread::sleep_for(std::chrono::duration<double>(TemporaryFileSweeper::kStaleAfterSeconds + 0.1));
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(folder_.file(name)); }

  FoundationTestFolder folder_;
};

TEST_F(TemporaryFileSweeperTest, RemovesOnlyStaleTemporaryFilesOfOurShapeAtEveryDepthWhateverTheirDates) {
  file("Library/Preferences/vorla-button.plist.Ab12Cd");
  file("Documents/pennant/localization_cache/20090402/fr.strings.xYz789");
  // Dated by an app clock that runs apart from the machine's.
  const std::string dated = file("Documents/pennant/image_cache/url.QQQQQQ");
  FileManager::setModificationDateOfItemAtPath(dated, Date::now().dateByAddingTimeInterval(86400 * 365));
  // Not of our shape, or not files at all.
  for (const char* keep : {"Library/Preferences/vorla-button.plist", "Documents/pennant/image_cache/url",
                           "Documents/fr.strings", "Documents/x.Ab12C", "Documents/x.Ab12C!", "Documents/.Ab12Cd"}) {
    file(keep);
  }
  std::filesystem::create_directories(folder_.file("Documents/folder.Ab12Cd"));
  std::filesystem::create_symlink(folder_.file("Library/Preferences/vorla-button.plist"),
                                  folder_.file("Documents/link.Ab12Cd"));
  letTimePass();
  // Ours but fresh: perhaps being written by another instance right now.
  file("Library/Preferences/vorla-button.plist.Fr3sh1");

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
  ASSERT_EQ(::flock(held, LOCK_SH), 0);
  letTimePass();
  EXPECT_EQ(TemporaryFileSweeper::removeStaleTemporaryFilesUnder(folder_.path()), 0u);
  EXPECT_TRUE(std::filesystem::exists(path));
  ::close(held);
  EXPECT_EQ(TemporaryFileSweeper::removeStaleTemporaryFilesUnder(folder_.path()), 1u);
  EXPECT_EQ(TemporaryFileSweeper::removeStaleTemporaryFilesUnder(folder_.path() + "/missing"), 0u);
}

}  // namespace
}  // namespace platform

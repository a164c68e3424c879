#include "ads/PennantImageCache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "AdServerFixture.h"
#include "AdsTestSupport.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/FileManager.h"
#include "tests/platform/graphics/TestImages.h"

namespace pennant {
namespace {

using platform::Date;
using platform::FileManager;
using platform::graphics::Image;

class PennantImageCacheTest : public ::testing::Test {
 protected:
  PennantImageCacheTest() { testing::testHome(); }
  static std::shared_ptr<Image> picture(const char* type = "png") {
    auto bytes = testimages::encode(type, 6, 4, testimages::checker, std::string(type) == "png");
    return Image::imageWithData(std::span<const std::uint8_t>(bytes));
  }
  static std::string pathOf(const std::string& name) { return PennantImageCache::imageCacheDirectory() + "/" + name; }
  PennantImageCache& cache = (testing::testHome(), PennantImageCache::sharedCache());
};

TEST_F(PennantImageCacheTest, LivesInTheDocumentsFolder) {
  EXPECT_EQ(PennantImageCache::imageCacheDirectory(), testing::testHome() + "/Documents/pennant/image_cache");
  EXPECT_TRUE(FileManager::directoryExistsAtPath(PennantImageCache::imageCacheDirectory()));
  EXPECT_EQ(&PennantImageCache::sharedCache(), &cache);
}

TEST_F(PennantImageCacheTest, AStoredImageIsFreshUntilItsAgePassesTheLimit) {
  cache.storeImageWithName(picture(), "back");
  EXPECT_TRUE(cache.imageIsInCache("back"));
  ASSERT_NE(cache.fetchImageNamed("back"), nullptr);
  EXPECT_EQ(cache.fetchImageNamed("back")->pixelWidth(), 6);

  // A few seconds inside the limit, and a few seconds past it: the clock
  // moves between setting the time and asking.
  FileManager::setModificationDateOfItemAtPath(pathOf("back"), Date::now().dateByAddingTimeInterval(-3141580));
  EXPECT_TRUE(cache.imageIsInCache("back"));
  FileManager::setModificationDateOfItemAtPath(pathOf("back"), Date::now().dateByAddingTimeInterval(-3141593));
  EXPECT_FALSE(cache.imageIsInCache("back"));
  EXPECT_NE(cache.fetchImageNamed("back"), nullptr) << "a stale image is still handed out";

  FileManager::setModificationDateOfItemAtPath(pathOf("back"), Date::now().dateByAddingTimeInterval(86400));
  EXPECT_TRUE(cache.imageIsInCache("back")) << "a time in the future counts as fresh";
}

TEST_F(PennantImageCacheTest, StoringAgainReplacesTheFileAndResetsItsAge) {
  cache.storeImageWithName(picture(), "forward");
  FileManager::setModificationDateOfItemAtPath(pathOf("forward"), Date::now().dateByAddingTimeInterval(-4000000));
  EXPECT_FALSE(cache.imageIsInCache("forward"));
  cache.storeImageWithName(picture(), "forward");
  EXPECT_TRUE(cache.imageIsInCache("forward"));
}

// What an ad brings is written on the writer thread. The loop counts it as
// work in flight until it has landed; the last image stored under a name is
// the one on disk and in memory.
TEST_F(PennantImageCacheTest, AnAdsImageIsWrittenInTheBackgroundAndHandedOutOnceItLanded) {
  testing::TestLoop loop;
  const auto first = testimages::encode("png", 6, 4, testimages::checker);
  const auto second = testimages::encode("png", 5, 3, testimages::checker);
  const auto jpeg = testimages::encode("jpeg", 7, 2, testimages::checker);
  auto store = [this](const testimages::Bytes& bytes, const std::string& name) {
    auto image = Image::imageWithData(std::span<const std::uint8_t>(bytes));
    ASSERT_NE(image, nullptr);
    cache.storeImageWithNameInBackground(image, name, std::span<const std::uint8_t>(bytes));
  };
  store(first, "late");
  store(second, "late");
  store(jpeg, "late-jpeg");
  EXPECT_EQ(loop.loop().workInFlightCount(), 3u);
  loop.loop().settle();
  EXPECT_EQ(loop.loop().workInFlightCount(), 0u);

  auto file = FileManager::contentsAtPath(pathOf("late"));
  ASSERT_TRUE(file);
  EXPECT_EQ(testimages::Bytes(file->begin(), file->end()), second) << "kept as it came, the later one";
  EXPECT_TRUE(cache.imageIsInCache("late"));
  ASSERT_NE(cache.fetchImageNamed("late"), nullptr);
  EXPECT_EQ(cache.fetchImageNamed("late")->pixelWidth(), 5);
  auto encoded = FileManager::contentsAtPath(pathOf("late-jpeg"));
  ASSERT_TRUE(encoded);
  EXPECT_EQ(encoded->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(cache.fetchImageNamed("late-jpeg")->pixelWidth(), 7);

  // A name that could leave the folder writes nothing and waits for nothing.
  store(first, "../escaped");
  store(first, "");
  EXPECT_EQ(loop.loop().workInFlightCount(), 0u);
  EXPECT_FALSE(std::filesystem::exists(PennantImageCache::imageCacheDirectory() + "/../escaped"));
}

TEST_F(PennantImageCacheTest, ImagesAreStoredAsPngWhateverTheyCameAs) {
  cache.storeImageWithName(picture("jpeg"), "call");
  auto bytes = FileManager::contentsAtPath(pathOf("call"));
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST_F(PennantImageCacheTest, APngIsKeptAsItCameAndAnythingElseIsEncoded) {
  auto stored = [this](const testimages::Bytes& bytes, const std::string& name) {
    auto image = Image::imageWithData(std::span<const std::uint8_t>(bytes));
    EXPECT_NE(image, nullptr) << name;
    cache.storeImageWithName(image, name, std::span<const std::uint8_t>(bytes));
    auto file = FileManager::contentsAtPath(pathOf(name));
    return file ? testimages::Bytes(file->begin(), file->end()) : testimages::Bytes();
  };
  const auto checker = testimages::encode("png", 6, 4, testimages::checker);

  // A PNG with a comment no encoder of ours would write: kept byte for byte.
  const auto commented = testimages::withTextChunk(checker, "made by the ad server");
  EXPECT_EQ(stored(commented, "commented"), commented);
  const auto pixels = Image::imageWithData(std::span<const std::uint8_t>(checker))->rgbaPixels();
  ASSERT_NE(cache.fetchImageNamed("commented"), nullptr);
  EXPECT_EQ(cache.fetchImageNamed("commented")->rgbaPixels(), pixels);

  // A PNG padded far beyond its pixels is stored as a PNG of its picture.
  const auto padded = testimages::withTextChunk(checker, std::string(PennantImageCache::kMaximumPngOverheadBytes, 'x'));
  const auto compact = stored(padded, "padded");
  ASSERT_GT(compact.size(), 8u);
  EXPECT_LT(compact.size(), checker.size() + 1024);
  EXPECT_TRUE(std::equal(checker.begin(), checker.begin() + 8, compact.begin())) << "still a PNG";
  auto reread = Image::imageWithData(std::span<const std::uint8_t>(compact));
  ASSERT_NE(reread, nullptr);
  EXPECT_EQ(reread->rgbaPixels(), pixels);

  // JPEG and GIF bytes become PNG.
  const auto fromJpeg = stored(testimages::encode("jpeg", 6, 4, testimages::checker, false), "jpeg");
  ASSERT_GT(fromJpeg.size(), 8u);
  EXPECT_TRUE(std::equal(checker.begin(), checker.begin() + 8, fromJpeg.begin()));
  const auto gif = testimages::makeGif(2, 2, {{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}}, {0, 1, 2, 3});
  const auto fromGif = stored(gif, "gif");
  ASSERT_GT(fromGif.size(), 8u);
  EXPECT_TRUE(std::equal(checker.begin(), checker.begin() + 8, fromGif.begin()));
}

TEST_F(PennantImageCacheTest, MissingAndUndecodableFilesAreNotImages) {
  EXPECT_FALSE(cache.imageIsInCache("never-stored"));
  EXPECT_EQ(cache.fetchImageNamed("never-stored"), nullptr);
  FileManager::writeContentsAtomically(pathOf("garbage"), "this is no picture");
  EXPECT_FALSE(cache.imageIsInCache("garbage")) << "a fresh file that does not decode is no image";
  EXPECT_EQ(cache.fetchImageNamed("garbage"), nullptr);
  // Nor is a picture larger than any icon.
  auto big = testimages::encode("png", 400, 400, testimages::checker);
  FileManager::writeContentsAtomically(pathOf("big"), std::string(big.begin(), big.end()));
  EXPECT_FALSE(cache.imageIsInCache("big"));
}

TEST_F(PennantImageCacheTest, EachImageIsDecodedOnceWhileItsFileIsUnchanged) {
  auto image = picture();
  cache.storeImageWithName(image, "url");
  EXPECT_EQ(cache.fetchImageNamed("url"), image) << "the stored image is the decoded copy";
  EXPECT_TRUE(cache.imageIsInCache("url"));
  EXPECT_EQ(cache.fetchImageNamed("url"), image);

  // A file changed behind the cache's back is decoded anew.
  auto other = testimages::encode("png", 3, 3, testimages::checker);
  FileManager::writeContentsAtomically(pathOf("url"), std::string(other.begin(), other.end()));
  auto reread = cache.fetchImageNamed("url");
  ASSERT_NE(reread, nullptr);
  EXPECT_EQ(reread->pixelWidth(), 3);
  EXPECT_EQ(cache.fetchImageNamed("url"), reread);
}

TEST_F(PennantImageCacheTest, TheFolderIsBoundedAndTheOldestFilesGoFirst) {
  // Files stored over past refreshes, each a little older than the next,
  // together just over the bound.
  testing::AdServerFixture::clearImageCache();
  const std::string filler(8 * 1024, 'x');
  const int files = static_cast<int>(PennantImageCache::kMaximumTotalBytes / filler.size()) + 1;
  for (int i = 0; i < files; ++i) {
    const std::string name = "old" + std::to_string(i);
    FileManager::writeContentsAtomically(pathOf(name), filler, FileManager::Durability::Cache);
    FileManager::setModificationDateOfItemAtPath(pathOf(name), Date::now().dateByAddingTimeInterval(-10000 + i));
  }
  auto folderSize = [] {
    std::uintmax_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PennantImageCache::imageCacheDirectory()))
      total += entry.file_size();
    return total;
  };
  ASSERT_GT(folderSize(), PennantImageCache::kMaximumTotalBytes);

  // A server that names a new icon at every refresh.
  for (int refresh = 0; refresh < 30; ++refresh) {
    cache.storeImageWithName(picture(), "icon" + std::to_string(refresh));
    EXPECT_LE(folderSize(), PennantImageCache::kMaximumTotalBytes) << refresh;
  }
  EXPECT_FALSE(FileManager::fileExistsAtPath(pathOf("old0"))) << "the oldest went first";
  EXPECT_TRUE(FileManager::fileExistsAtPath(pathOf("old" + std::to_string(files - 1))));
  for (int refresh = 0; refresh < 30; ++refresh) EXPECT_TRUE(cache.imageIsInCache("icon" + std::to_string(refresh)));
}

TEST_F(PennantImageCacheTest, TheBoundHoldsWhenOthersChangeTheFolderBetweenStores) {
  auto folderSize = [] {
    std::uintmax_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PennantImageCache::imageCacheDirectory()))
      total += entry.file_size();
    return total;
  };
  const std::string filler(64 * 1024, 'x');
  const int fillers = static_cast<int>(PennantImageCache::kMaximumTotalBytes / filler.size()) + 2;
  auto fillFromOutside = [&](const std::string& prefix) {
    for (int i = 0; i < fillers; ++i) {
      FileManager::writeContentsAtomically(pathOf(prefix + std::to_string(i)), filler, FileManager::Durability::Cache);
      FileManager::setModificationDateOfItemAtPath(pathOf(prefix + std::to_string(i)),
                                                   Date::now().dateByAddingTimeInterval(-1000 + i));
    }
  };

  // Another instance fills the folder right after one of our stores.
  testing::AdServerFixture::clearImageCache();
  cache.storeImageWithName(picture(), "first");
  fillFromOutside("other");
  ASSERT_GT(folderSize(), PennantImageCache::kMaximumTotalBytes);
  cache.storeImageWithName(picture(), "second");
  EXPECT_LE(folderSize(), PennantImageCache::kMaximumTotalBytes);
  EXPECT_TRUE(cache.imageIsInCache("second"));

  // The folder is replaced by a new one, filled from outside: what was
  // known of the old one does not count.
  testing::AdServerFixture::clearImageCache();
  fillFromOutside("new");
  cache.storeImageWithName(picture(), "third");
  EXPECT_LE(folderSize(), PennantImageCache::kMaximumTotalBytes);
  EXPECT_FALSE(FileManager::fileExistsAtPath(pathOf("new0"))) << "the oldest went first";
  EXPECT_TRUE(cache.imageIsInCache("third"));
}

TEST_F(PennantImageCacheTest, NamesThatCouldLeaveTheFolderAreNeverStoredOrFound) {
  auto image = picture();
  std::string outside = testing::testHome() + "/Documents/pennant/escaped";
  for (std::string name : {std::string(""), std::string("."), std::string(".."), std::string("../escaped"),
                           std::string("a/b"), std::string("/etc/passwd"), std::string("nul\0byte", 8)}) {
    cache.storeImageWithName(image, name);
    EXPECT_FALSE(cache.imageIsInCache(name)) << name;
    EXPECT_EQ(cache.fetchImageNamed(name), nullptr) << name;
  }
  EXPECT_FALSE(FileManager::fileExistsAtPath(outside));
  EXPECT_FALSE(FileManager::fileExistsAtPath(PennantImageCache::imageCacheDirectory() + "/nul"));
  // Names with dots that stay inside are fine.
  cache.storeImageWithName(image, "..hidden.png");
  EXPECT_TRUE(cache.imageIsInCache("..hidden.png"));
}

}  // namespace
}  // namespace pennant

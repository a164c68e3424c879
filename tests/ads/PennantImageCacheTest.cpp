#include "ads/PennantImageCache.h"

#include <gtest/gtest.h>

#include <filesystem>

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
  cache.storeImageWithName(*picture(), "back");
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
  cache.storeImageWithName(*picture(), "forward");
  FileManager::setModificationDateOfItemAtPath(pathOf("forward"), Date::now().dateByAddingTimeInterval(-4000000));
  EXPECT_FALSE(cache.imageIsInCache("forward"));
  cache.storeImageWithName(*picture(), "forward");
  EXPECT_TRUE(cache.imageIsInCache("forward"));
}

TEST_F(PennantImageCacheTest, ImagesAreStoredAsPngWhateverTheyCameAs) {
  cache.storeImageWithName(*picture("jpeg"), "call");
  auto bytes = FileManager::contentsAtPath(pathOf("call"));
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST_F(PennantImageCacheTest, MissingAndUndecodableFilesAreNotImages) {
  EXPECT_FALSE(cache.imageIsInCache("never-stored"));
  EXPECT_EQ(cache.fetchImageNamed("never-stored"), nullptr);
  FileManager::writeContentsAtomically(pathOf("garbage"), "this is no picture");
  EXPECT_TRUE(cache.imageIsInCache("garbage")) << "freshness looks only at the file";
  EXPECT_EQ(cache.fetchImageNamed("garbage"), nullptr);
}

TEST_F(PennantImageCacheTest, NamesThatCouldLeaveTheFolderAreNeverStoredOrFound) {
  auto image = picture();
  std::string outside = testing::testHome() + "/Documents/pennant/escaped";
  for (std::string name : {std::string(""), std::string("."), std::string(".."), std::string("../escaped"),
                           std::string("a/b"), std::string("/etc/passwd"), std::string("nul\0byte", 8)}) {
    cache.storeImageWithName(*image, name);
    EXPECT_FALSE(cache.imageIsInCache(name)) << name;
    EXPECT_EQ(cache.fetchImageNamed(name), nullptr) << name;
  }
  EXPECT_FALSE(FileManager::fileExistsAtPath(outside));
  EXPECT_FALSE(FileManager::fileExistsAtPath(PennantImageCache::imageCacheDirectory() + "/nul"));
  // Names with dots that stay inside are fine.
  cache.storeImageWithName(*image, "..hidden.png");
  EXPECT_TRUE(cache.imageIsInCache("..hidden.png"));
}

}  // namespace
}  // namespace pennant

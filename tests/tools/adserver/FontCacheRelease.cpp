// Painting labels fills fontconfig's caches, which live until released. This
// test program draws nothing besides the server's pictures, so it releases
// them after the last test, as the pennant-adserver program does after
// painting; a sanitizer build then reports any real leak and nothing else.

#include <gtest/gtest.h>

#include "tools/adserver/PicturePainter.h"

namespace {

class FontCacheRelease : public ::testing::Environment {
 public:
  void TearDown() override { pennant::adserver::PicturePainter::releaseFontCaches(); }
};

[[maybe_unused]] ::testing::Environment* const kFontCacheRelease =
    ::testing::AddGlobalTestEnvironment(new FontCacheRelease);

}  // namespace

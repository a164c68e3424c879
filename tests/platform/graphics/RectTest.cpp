#include "platform/graphics/Rect.h"

#include <gtest/gtest.h>

namespace platform::graphics {
namespace {

TEST(Rect, EdgesAndHalfOpenHitTesting) {
  const Rect banner{{0, 432}, {320, 48}};
  EXPECT_EQ(banner.maxX(), 320);
  EXPECT_EQ(banner.maxY(), 480);
  EXPECT_EQ(banner.midY(), 456);
  EXPECT_TRUE(banner.containsPoint({0, 432}));
  EXPECT_TRUE(banner.containsPoint({319.5, 479.5}));
  // The far edges belong to whatever lies beyond.
  EXPECT_FALSE(banner.containsPoint({320, 440}));
  EXPECT_FALSE(banner.containsPoint({10, 480}));
  EXPECT_FALSE(banner.containsPoint({-0.1, 440}));
  EXPECT_FALSE((Rect{{5, 5}, {0, 0}}).containsPoint({5, 5}));
}

}  // namespace
}  // namespace platform::graphics

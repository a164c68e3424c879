#pragma once
// Helpers for the drawing tests: the app's bundle folder in the source tree
// (for its font rules) and pixel predicates over a whole image context.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "platform/graphics/FontConfiguration.h"
#include "platform/graphics/GraphicsContext.h"

namespace graphicstest {

using platform::graphics::GraphicsContext;
using Pixel = GraphicsContext::Pixel;

inline std::string sourceDir() {
  const char* dir = std::getenv("PENNANT_SOURCE_DIR");
  return dir != nullptr ? dir : ".";
}

inline std::string bundleDir() { return sourceDir() + "/assets"; }

inline void loadAppFonts() {
  ASSERT_TRUE(platform::graphics::FontConfiguration::ensureLoaded(bundleDir())) << bundleDir();
}

inline Pixel at(const GraphicsContext& context, int x, int y) {
  const auto p = context.pixelAt(x, y);
  EXPECT_TRUE(p.has_value()) << x << "," << y;
  return p.value_or(Pixel{});
}

// The bounding box, in pixels, of the pixels matching the predicate.
struct Box {
  int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
  bool empty() const { return maxX < 0; }
};

inline Box boxOf(const GraphicsContext& context, const std::function<bool(Pixel)>& match) {
  Box box;
  for (int y = 0; y < context.pixelHeight(); ++y) {
    for (int x = 0; x < context.pixelWidth(); ++x) {
      if (match(*context.pixelAt(x, y))) {
        box.minX = std::min(box.minX, x);
        box.minY = std::min(box.minY, y);
        box.maxX = std::max(box.maxX, x);
        box.maxY = std::max(box.maxY, y);
      }
    }
  }
  return box;
}

inline bool isInk(Pixel p) { return p.alpha > 0; }

}  // namespace graphicstest

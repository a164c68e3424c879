#pragma once
// A picture that the server paints at start instead of reading it from disk:
// where it is served, its size in pixels, the colour and shape of its body
// and a short label drawn over it. Icons and banners only need to be told
// apart on screen, so a coloured shape with a letter is all they are.

#include <cstdint>
#include <string>

namespace pennant::adserver {

struct PictureDescription {
  enum class Shape { Circle, Square, Rounded, Diamond, Triangle, Band };

  std::string path;           // "/static/...", the URL path it is served at
  int width = 0;              // 1 to 1024
  int height = 0;             // 1 to 1024
  std::uint32_t color = 0;    // 0xRRGGBB of the shape
  std::uint32_t labelColor = 0xFFFFFF;
  Shape shape = Shape::Rounded;
  std::string label;          // a letter or a short word, may be empty
};

}  // namespace pennant::adserver

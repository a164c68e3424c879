#pragma once
// A width and a height in points (one point is one pixel at scale 1).

namespace platform::graphics {

struct Size {
  double width = 0;
  double height = 0;

  bool operator==(const Size&) const = default;
};

}  // namespace platform::graphics

#pragma once
// A position in points, with the origin at the top left and y growing downwards.

namespace platform::graphics {

struct Point {
  double x = 0;
  double y = 0;

  bool operator==(const Point&) const = default;
};

}  // namespace platform::graphics

#pragma once
// An axis-aligned rectangle in points: an origin (top left) and a size. The
// size is expected to be non-negative; nothing here normalises it.

#include "platform/graphics/Point.h"
#include "platform/graphics/Size.h"

namespace platform::graphics {

struct Rect {
  Point origin;
  Size size;

  double minX() const { return origin.x; }
  double minY() const { return origin.y; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }
  double midX() const { return origin.x + size.width / 2; }
  double midY() const { return origin.y + size.height / 2; }

  // Half-open like the platform's hit testing: a point on the right or bottom
  // edge belongs to the neighbour, so adjacent views never both claim it.
  bool containsPoint(Point p) const {
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
  }

  bool operator==(const Rect&) const = default;
};

}  // namespace platform::graphics

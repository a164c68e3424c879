#pragma once
// A 2-D affine transform in the platform's layout: a point (x, y) maps to
// (a·x + c·y + tx, b·x + d·y + ty). A plain value, as views and layers pass
// transforms around; GraphicsContext::concat applies one to drawing.

#include <cmath>

namespace platform::graphics {

struct AffineTransform {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  static constexpr AffineTransform identity() { return AffineTransform{}; }
  static constexpr AffineTransform makeTranslation(double x, double y) { return {1, 0, 0, 1, x, y}; }
  static constexpr AffineTransform makeScale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static AffineTransform makeRotation(double angle) {
    return {std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), 0, 0};
  }

  bool operator==(const AffineTransform&) const = default;
};

}  // namespace platform::graphics

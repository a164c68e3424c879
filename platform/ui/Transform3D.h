#pragma once
// A layer transform. Only scaling about the layer's centre is modelled: that
// is all the banner's pulse and the controls use. `sz` is kept so that code
// written against three-dimensional scales reads naturally; it does not
// affect drawing. A plain value: copy it freely.

namespace platform::ui {

struct Transform3D {
  double sx = 1;
  double sy = 1;
  double sz = 1;

  static constexpr Transform3D identity() { return Transform3D{}; }
  static constexpr Transform3D makeScale(double sx, double sy, double sz) { return {sx, sy, sz}; }

  // Component-wise linear interpolation, t in [0, 1].
  static constexpr Transform3D interpolate(const Transform3D& from, const Transform3D& to, double t) {
    return {from.sx + (to.sx - from.sx) * t, from.sy + (to.sy - from.sy) * t,
            from.sz + (to.sz - from.sz) * t};
  }

  bool operator==(const Transform3D&) const = default;
};

// The name the drawing code of the ad banner uses for a scale transform.
constexpr Transform3D CATransform3DMakeScale(double sx, double sy, double sz) {
  return Transform3D::makeScale(sx, sy, sz);
}

}  // namespace platform::ui

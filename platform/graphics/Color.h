#pragma once
// An RGBA colour with components from 0 to 1, as the drawing code and the ad
// library's delegates pass colours around. A plain value: copy it freely.

namespace platform::graphics {

struct Color {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double alpha = 1.0;

  static constexpr Color colorWithRedGreenBlueAlpha(double r, double g, double b, double a) {
    return Color{r, g, b, a};
  }
  static constexpr Color colorWithWhiteAlpha(double white, double a) { return Color{white, white, white, a}; }
  // An opaque colour from 0-255 components, as drawing code picks them.
  static constexpr Color rgb(int r, int g, int b) { return Color{r / 255.0, g / 255.0, b / 255.0, 1.0}; }
  static constexpr Color whiteColor() { return Color{1.0, 1.0, 1.0, 1.0}; }
  static constexpr Color blackColor() { return Color{0.0, 0.0, 0.0, 1.0}; }
  static constexpr Color clearColor() { return Color{0.0, 0.0, 0.0, 0.0}; }

  // The same colour with its alpha replaced.
  constexpr Color colorWithAlphaComponent(double a) const { return Color{red, green, blue, a}; }

  bool operator==(const Color&) const = default;
};

}  // namespace platform::graphics

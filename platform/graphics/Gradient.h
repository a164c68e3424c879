#pragma once
// An immutable list of colours at locations from 0 to 1, as drawn by
// GraphicsContext::drawLinearGradient. Shared by std::shared_ptr; the
// drawing code builds one per use and drops it afterwards.

#include <memory>
#include <span>
#include <vector>

#include "platform/graphics/Color.h"

namespace platform::graphics {

class Gradient {
  struct Passkey {};

 public:
  struct Stop {
    Color color;
    double location = 0;
  };

  // One stop per colour. Without locations the colours are spread evenly
  // from 0 to 1 (a single colour sits at 0). Locations are clamped to
  // [0, 1]; stops are kept in the order given, as the platform does, so
  // locations ought to be ascending. nullptr when there are no colours, when
  // locations are given but their count differs from the colours', or when
  // a location is not a number.
  static std::shared_ptr<Gradient> gradientWithColors(std::span<const Color> colors,
                                                      std::span<const double> locations = {});

  const std::vector<Stop>& stops() const { return stops_; }

  // Public for std::make_shared only; use the factory.
  Gradient(Passkey, std::vector<Stop> stops);

 private:
  std::vector<Stop> stops_;
};

}  // namespace platform::graphics

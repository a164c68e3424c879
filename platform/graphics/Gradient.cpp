#include "platform/graphics/Gradient.h"

#include <algorithm>
#include <cmath>

namespace platform::graphics {

Gradient::Gradient(Passkey, std::vector<Stop> stops) : stops_(std::move(stops)) {}

std::shared_ptr<Gradient> Gradient::gradientWithColors(std::span<const Color> colors,
                                                       std::span<const double> locations) {
  if (colors.empty() || (!locations.empty() && locations.size() != colors.size())) {
    return nullptr;
  }
  std::vector<Stop> stops;
  stops.reserve(colors.size());
  for (std::size_t i = 0; i < colors.size(); ++i) {
    double location = 0;
    if (!locations.empty()) {
      if (std::isnan(locations[i])) {
        return nullptr;
      }
      location = std::clamp(locations[i], 0.0, 1.0);
    } else if (colors.size() > 1) {
      location = static_cast<double>(i) / static_cast<double>(colors.size() - 1);
    }
    stops.push_back(Stop{colors[i], location});
  }
  return std::make_shared<Gradient>(Passkey{}, std::move(stops));
}

}  // namespace platform::graphics

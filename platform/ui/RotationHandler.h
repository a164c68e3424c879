#pragma once
// What Application asks before it turns the interface: the top view
// controller (the navigation controller implements this) decides whether
// the new orientation is allowed and hears that the turn is coming.
// Application holds the handler weakly.

#include "platform/ui/InterfaceOrientation.h"

namespace platform::ui {

class RotationHandler {
 public:
  virtual ~RotationHandler() = default;
  virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) = 0;
  virtual void willRotateToInterfaceOrientationDuration(InterfaceOrientation orientation, double duration) = 0;
};

}  // namespace platform::ui

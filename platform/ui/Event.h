#pragma once
// The event a set of touches arrives with. The window builds one per touch
// delivery; handlers read it during the call only.

#include "platform/ui/Responder.h"

namespace platform::ui {

class View;

class Event {
 public:
  Event(TouchSet touches, double timestamp) : touches_(std::move(touches)), timestamp_(timestamp) {}

  const TouchSet& allTouches() const { return touches_; }
  // The touches that began in `view`.
  TouchSet touchesForView(const std::shared_ptr<View>& view) const;
  double timestamp() const { return timestamp_; }

 private:
  TouchSet touches_;
  double timestamp_;
};

}  // namespace platform::ui

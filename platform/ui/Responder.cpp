#include "platform/ui/Responder.h"

namespace platform::ui {

void Responder::touchesBeganWithEvent(const TouchSet& touches, Event& event) {
  if (auto next = nextResponder()) next->touchesBeganWithEvent(touches, event);
}

void Responder::touchesMovedWithEvent(const TouchSet& touches, Event& event) {
  if (auto next = nextResponder()) next->touchesMovedWithEvent(touches, event);
}

void Responder::touchesEndedWithEvent(const TouchSet& touches, Event& event) {
  if (auto next = nextResponder()) next->touchesEndedWithEvent(touches, event);
}

void Responder::touchesCancelledWithEvent(const TouchSet& touches, Event& event) {
  if (auto next = nextResponder()) next->touchesCancelledWithEvent(touches, event);
}

}  // namespace platform::ui

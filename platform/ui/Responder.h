#pragma once
// An object that takes part in touch handling: views, and the view
// controllers that own them. A touch is first offered to the view it began
// in; whatever a responder does not handle itself it passes on to
// nextResponder(), which for a view is its controller (when one is set) and
// otherwise its superview.
//
// How to use: override the touch methods you handle; call the base
// implementation (or nothing) for the rest. A controller class derives from
// Responder, answers nextResponder() with its view's superview, and sets
// itself as its view's delegate (View::setViewDelegate).
//
// Ownership: Responder holds nothing. It deliberately does not derive from
// enable_shared_from_this, so that View and the controllers can each have
// their own.

#include <memory>
#include <set>

namespace platform::ui {

class Event;
class Touch;

using TouchSet = std::set<std::shared_ptr<Touch>>;

class Responder {
 public:
  virtual ~Responder() = default;

  // The next object in the chain, or nullptr at its end.
  virtual std::shared_ptr<Responder> nextResponder() const { return nullptr; }

  // The defaults pass the touches to nextResponder(); at the end of the
  // chain they are dropped.
  virtual void touchesBeganWithEvent(const TouchSet& touches, Event& event);
  virtual void touchesMovedWithEvent(const TouchSet& touches, Event& event);
  virtual void touchesEndedWithEvent(const TouchSet& touches, Event& event);
  virtual void touchesCancelledWithEvent(const TouchSet& touches, Event& event);
};

}  // namespace platform::ui

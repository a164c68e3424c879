#pragma once
// The app's side of start-up: the front end creates the delegate named in
// the application main call, then tells it the application has finished
// launching; the delegate builds its window and makes it key and visible.
// The front end finds that window through Window::keyWindow() afterwards.
//
// Ownership: the front end owns the delegate for the life of the run; the
// delegate owns its window.

#include "platform/ui/Application.h"

namespace platform::shell {

class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  virtual void applicationDidFinishLaunching(ui::Application& application) = 0;
};

}  // namespace platform::shell

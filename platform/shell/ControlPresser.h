#pragma once
// Finds a control on the screen by its title and works it, for the script
// command `press "TITLE"`: the first visible button whose current title
// matches gets its touch-up-inside actions; failing that, a navigation bar
// button (left, right or back) with that title is tapped where the bar
// shows it. While an alert or action sheet shows, only its buttons can be
// pressed, each with a tap where it is, as a finger would; anything
// underneath is out of reach, as it is for a tap.

#include <memory>
#include <string>

#include "platform/ui/Window.h"

namespace platform::shell {

class ControlPresser {
 public:
  // False when nothing on the screen answers the title.
  static bool press(const std::shared_ptr<ui::Window>& window, const std::string& title);
};

}  // namespace platform::shell

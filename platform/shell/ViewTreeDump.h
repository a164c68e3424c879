#pragma once
// The window's view tree as JSON, for scripts and tests to look at what is
// on the screen without reading pixels:
//   {"class": "ImageView", "frame": [x, y, w, h], "tag": 0, "alpha": 0.5,
//    "hidden": false, "text": ..., "title": ..., "on": ..., "children": [...]}
// "class" is the C++ class name without namespaces; "frame" is where the
// view lies on the portrait screen, in points with the status bar
// included, whatever the orientation (the same space as script touches),
// after any pending layout has been resolved.
// Labels carry "text", buttons their current "title", switches "on", and
// navigation bars the "title" of their top item and the titles of the
// buttons they show ("left", "right", "back"). Alerts and action sheets
// carry "title" (null when none), "buttons" (titles in index order) and,
// for alerts, "message" (null when none). A view whose layer has sublayers
// lists them as "layers": {"frame" (on the screen, like views), "scale"
// ([x, y], the transform shown now, animations included), "hidden",
// "animations" (their keys, when any), "layers" (their own, when any)}.
// The window's overlays (a shown alert or sheet over its dimmed screen)
// follow its children as "overlays", front-most last. Web views carry the
// "url" of their page, its "title" and whether a page is "loading".

#include <memory>
#include <string>

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform::shell {

class ViewTreeDump {
 public:
  static std::string json(const std::shared_ptr<ui::Window>& window);
  // "platform::ui::ImageView" gives "ImageView".
  static std::string className(const ui::View& view);
  // The view's bounds on the portrait screen.
  static graphics::Rect screenFrame(const ui::View& view, ui::InterfaceOrientation orientation);
};

}  // namespace platform::shell

#pragma once
// A 44-point bar of buttons, usually along the bottom of a screen: its items
// are laid out from left to right, and flexible spaces share whatever width
// the other items leave free, which is how items are spread or pushed to
// the right edge.
//
// How to use:
//   auto toolbar = std::make_shared<Toolbar>();
//   toolbar->initWithFrame({{0, 416}, {320, 44}});
//   toolbar->setItemsAnimated({back, space, forward, space, reload}, false);
// Tapping an enabled item runs its action; disabled items are drawn at half
// opacity and ignore taps. The same item object may appear more than once
// (one flexible space reused), each occurrence being laid out on its own.
//
// Ownership: the toolbar shares its items. Main thread only.

#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/View.h"

namespace platform::ui {

class Toolbar : public View {
 public:
  static constexpr double kHeight = 44;

  int barStyle() const { return barStyle_; }
  void setBarStyle(int style) { barStyle_ = style; }
  const std::optional<graphics::Color>& tintColor() const { return tintColor_; }
  void setTintColor(std::optional<graphics::Color> tint) { tintColor_ = tint; }

  const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
  // Null entries are dropped. Items are replaced at once; there is no
  // animation between the old and new lists.
  void setItemsAnimated(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated);

  // Where each entry of items() is laid out, in the toolbar's coordinates.
  std::vector<graphics::Rect> itemFrames() const;

  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;
  void touchesBeganWithEvent(const TouchSet& touches, Event& event) override;
  void touchesMovedWithEvent(const TouchSet& touches, Event& event) override;
  void touchesEndedWithEvent(const TouchSet& touches, Event& event) override;
  void touchesCancelledWithEvent(const TouchSet& touches, Event& event) override;

 private:
  std::optional<std::size_t> itemAt(graphics::Point point) const;
  bool isInside(std::size_t index, graphics::Point point) const;

  int barStyle_ = 0;
  std::optional<graphics::Color> tintColor_;
  std::vector<std::shared_ptr<BarButtonItem>> items_;
  std::optional<std::size_t> pressed_;
  bool pressedInside_ = false;
};

}  // namespace platform::ui

#pragma once
// The bar at the top of a navigation stack (or standing alone, as the
// embedded browser's top bar): it shows the top item's title in the middle,
// its right button on the right and, on the left, either the item's left
// button or a back button that names the item below.
//
// How to use:
//   auto bar = std::make_shared<NavigationBar>();
//   bar->initWithFrame({{0, 0}, {320, 44}});
//   bar->setBarStyle(BarAppearance::kBarStyleBlack);
//   bar->pushNavigationItemAnimated(NavigationItem::initWithTitle("Page"), false);
// Tapping a button runs its item's action. Tapping the back button runs the
// back-button handler when one is set (a NavigationController sets it to
// pop its stack) and otherwise pops the bar's own top item.
//
// Ownership: the bar shares its items; the handler is owned and should
// capture its target weakly. Main thread only.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"

namespace platform::ui {

class NavigationBar : public View {
 public:
  static constexpr double kHeight = 44;
  static constexpr double kTitleFontSize = 20;
  static constexpr const char* kDefaultBackTitle = "Back";

  using BackButtonHandler = std::function<void(NavigationBar&)>;

  int barStyle() const { return barStyle_; }
  void setBarStyle(int style) { barStyle_ = style; }
  const std::optional<graphics::Color>& tintColor() const { return tintColor_; }
  void setTintColor(std::optional<graphics::Color> tint) { tintColor_ = tint; }

  const std::vector<std::shared_ptr<NavigationItem>>& items() const { return items_; }
  void setItemsAnimated(std::vector<std::shared_ptr<NavigationItem>> items, bool animated);
  // An item already on the bar, or nullptr, is not pushed again.
  void pushNavigationItemAnimated(std::shared_ptr<NavigationItem> item, bool animated);
  // nullptr when only one item (or none) is left: the bar keeps its root.
  std::shared_ptr<NavigationItem> popNavigationItemAnimated(bool animated);
  std::shared_ptr<NavigationItem> topItem() const;
  std::shared_ptr<NavigationItem> backItem() const;

  void setBackButtonHandler(BackButtonHandler handler) { backButtonHandler_ = std::move(handler); }

  // What the bar shows now, in its own coordinates: the back button's text
  // (nullopt when no back button is shown) and the buttons' frames.
  std::optional<std::string> backButtonTitle() const;
  std::optional<graphics::Rect> backButtonFrame() const;
  std::optional<graphics::Rect> leftButtonFrame() const;
  std::optional<graphics::Rect> rightButtonFrame() const;
  graphics::Rect titleFrame() const;

  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;
  void touchesBeganWithEvent(const TouchSet& touches, Event& event) override;
  void touchesMovedWithEvent(const TouchSet& touches, Event& event) override;
  void touchesEndedWithEvent(const TouchSet& touches, Event& event) override;
  void touchesCancelledWithEvent(const TouchSet& touches, Event& event) override;

 private:
  enum class Part { None, Back, Left, Right };
  struct Layout {
    std::optional<graphics::Rect> back, left, right;
    std::string backTitle;
    graphics::Rect title;
  };

  Layout layout() const;
  Part partAt(graphics::Point point) const;
  bool isInside(Part part, graphics::Point point) const;
  void fire(Part part);

  int barStyle_ = 0;
  std::optional<graphics::Color> tintColor_;
  std::vector<std::shared_ptr<NavigationItem>> items_;
  BackButtonHandler backButtonHandler_;
  Part pressed_ = Part::None;
  bool pressedInside_ = false;
};

}  // namespace platform::ui

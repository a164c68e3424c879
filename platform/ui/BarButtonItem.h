#pragma once
// A button on a navigation bar or a toolbar: a title, an image or one of the
// platform's system items, with an action that runs when it is tapped.
// Items are not views; the bar that shows them draws them and hit-tests
// them, so an item can sit on a bar, be replaced and be shown again.
//
// How to use:
//   std::weak_ptr<Screen> weak = self;
//   auto item = BarButtonItem::initWithTitleStyleTargetAction(
//       "Next", BarButtonItem::kStylePlain,
//       [weak](BarButtonItem&) { if (auto s = weak.lock()) s->showNext(); });
//   screen->navigationItem()->setRightBarButtonItem(item);
//
// Ownership: shared by the bars and navigation items that show it. The
// action is owned; it should capture its target weakly.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform::graphics {
class Image;
}

namespace platform::ui {

class BarButtonItem {
  struct Passkey {};

 public:
  using Action = std::function<void(BarButtonItem&)>;

  // Styles.
  static constexpr int kStylePlain = 0;
  static constexpr int kStyleBordered = 1;
  static constexpr int kStyleDone = 2;

  // System items, numbered as the platform numbers them.
  static constexpr int kSystemItemDone = 0;
  static constexpr int kSystemItemCancel = 1;
  static constexpr int kSystemItemFlexibleSpace = 5;
  static constexpr int kSystemItemFixedSpace = 6;
  static constexpr int kSystemItemAction = 9;
  static constexpr int kSystemItemRefresh = 13;
  static constexpr int kSystemItemStop = 14;

  static std::shared_ptr<BarButtonItem> initWithTitleStyleTargetAction(std::string title, int style, Action action);
  // Done and Cancel are text buttons (Done in the done style); action,
  // refresh and stop are icons; the two spaces are empty and only take part
  // in a toolbar's layout. Other codes are drawn as empty plain buttons.
  static std::shared_ptr<BarButtonItem> initWithBarButtonSystemItemTargetAction(int systemItem, Action action);
  static std::shared_ptr<BarButtonItem> initWithImageStyleTargetAction(std::shared_ptr<graphics::Image> image,
                                                                       int style, Action action);

  const std::string& title() const { return title_; }
  // Kept cut to one line's worth (graphics::TextLimit::kTitle).
  void setTitle(std::string_view title);
  const std::shared_ptr<graphics::Image>& image() const { return image_; }
  void setImage(std::shared_ptr<graphics::Image> image) { image_ = std::move(image); }
  int style() const { return style_; }
  void setStyle(int style) { style_ = style; }
  std::optional<int> systemItem() const { return systemItem_; }
  bool isSpace() const {
    return systemItem_ == kSystemItemFlexibleSpace || systemItem_ == kSystemItemFixedSpace;
  }

  // A disabled item is drawn faded and does not take taps.
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  // A width above 0 replaces the width the item's content would need.
  double width() const { return width_; }
  void setWidth(double width) { width_ = width > 0 ? width : 0; }
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }

  void setAction(Action action) { action_ = std::move(action); }
  bool hasAction() const { return static_cast<bool>(action_); }
  // Runs the action, if any, while the item is enabled.
  void sendAction();

  // Public for std::make_shared only; use the factories.
  explicit BarButtonItem(Passkey) {}

 private:
  std::string title_;
  std::shared_ptr<graphics::Image> image_;
  int style_ = kStylePlain;
  std::optional<int> systemItem_;
  bool enabled_ = true;
  double width_ = 0;
  int tag_ = 0;
  Action action_;
};

}  // namespace platform::ui

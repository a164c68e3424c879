#pragma once
// A push button of one of the platform's types: 0 custom (only its image
// and title), 1 rounded rectangle (white, grey border, blue bold title;
// blue when pressed), 4 dark info button (a small dark disc with a white
// "i"). Titles and images are kept per control state and fall back to the
// normal state's.
//
// How to use:
//   auto button = Button::buttonWithType(Button::kTypeRoundedRect);
//   button->setFrame({{15, 250}, {290, 50}});
//   button->setTitleForState("Donate to me!", Control::kStateNormal);
//   button->addTargetActionForControlEvents(action, Control::kEventTouchUpInside);
//
// The info button is drawn in its frame but takes touches in at least a
// 44 x 44 point area around its centre, because its drawing is too small
// for a finger.
//
// Ownership: owned by its superview like any view. Main thread only.

#include <map>
#include <memory>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/ui/Control.h"

namespace platform::graphics {
class Image;
}

namespace platform::ui {

class Button : public Control {
 public:
  static constexpr int kTypeCustom = 0;
  static constexpr int kTypeRoundedRect = 1;
  static constexpr int kTypeInfoLight = 3;
  static constexpr int kTypeInfoDark = 4;
  // The least touch area of the info buttons, in points on each side.
  static constexpr double kMinimumTouchSide = 44;

  // An unknown type makes a custom button. The frame starts empty, except
  // for the info buttons, which start at their natural 18 x 19 points.
  static std::shared_ptr<Button> buttonWithType(int type);

  int buttonType() const { return buttonType_; }

  // States are Control::kState... values (0 normal, 1 highlighted, 2
  // disabled, 4 selected).
  void setTitleForState(std::string title, unsigned state);
  // The state's own title, else the normal state's (empty when neither).
  std::string titleForState(unsigned state) const;
  std::string currentTitle() const { return titleForState(state()); }
  void setTitleColorForState(graphics::Color color, unsigned state);
  graphics::Color titleColorForState(unsigned state) const;
  void setImageForState(std::shared_ptr<graphics::Image> image, unsigned state);
  std::shared_ptr<graphics::Image> imageForState(unsigned state) const;

  bool pointInsideWithEvent(graphics::Point point, Event* event) const override;
  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;

 private:
  // The state used for lookups: highlighted and disabled win over selected.
  static unsigned lookupState(unsigned state);
  void drawRoundedRect(graphics::GraphicsContext& context) const;
  void drawInfo(graphics::GraphicsContext& context) const;
  void drawTitle(graphics::GraphicsContext& context, graphics::Color color) const;

  int buttonType_ = kTypeCustom;
  std::map<unsigned, std::string> titles_;
  std::map<unsigned, graphics::Color> titleColors_;
  std::map<unsigned, std::shared_ptr<graphics::Image>> images_;
};

}  // namespace platform::ui

#include "Classes/ButtonScreen.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"
#include "platform/ui/Touch.h"

namespace vorla {

using platform::Bundle;
using platform::graphics::Image;
using platform::graphics::Rect;
using platform::ui::ImageView;
using platform::ui::InterfaceOrientation;

namespace {

std::shared_ptr<Image> imageNamed(const std::string& name) {
  auto path = Bundle::mainBundle().pathForResourceOfType(name, "");
  return path ? Image::imageWithContentsOfFile(*path) : nullptr;
}

}  // namespace

std::shared_ptr<ImageView> ButtonScreen::buttonImageView(Rect frame, const std::string& imageName) {
  auto view = ImageView::initWithImage(imageNamed(imageName));
  view->setFrame(frame);
  view->setUserInteractionEnabled(true);
  return view;
}

std::shared_ptr<ImageView> ButtonScreen::pressedOverlay(Rect frame) {
  auto overlay = ImageView::initWithImage(imageNamed("Pressed.png"));
  overlay->setFrame(frame);
  overlay->setAlpha(kOverlayAlpha);
  overlay->setUserInteractionEnabled(false);
  return overlay;
}

std::shared_ptr<SoundEffect> ButtonScreen::soundNamed(const std::string& name) {
  auto path = Bundle::mainBundle().pathForResourceOfType(name, "wav");
  return SoundEffect::initWithContentsOfFile(path.value_or(std::string()));
}

void ButtonScreen::playPhrase(SoundEffect& sound) {
  if (platform::UserDefaults::standardUserDefaults().boolForKey(kShouldVibrateKey)) {
    sound.play();
    platform::log("Playing sound, vibrate...");
  } else {
    sound.noVibrate();
    platform::log("Playing sound, no vibrate...");
  }
}

std::shared_ptr<platform::ui::Button> ButtonScreen::addInfoButton(platform::ui::View& root,
                                                                  std::function<void()> action) {
  auto info = platform::ui::Button::buttonWithType(platform::ui::Button::kTypeInfoDark);
  info->setFrame({{290, 10}, {15, 15}});
  info->addTargetActionForControlEvents([action = std::move(action)](platform::ui::Control&) { action(); },
                                        platform::ui::Control::kEventTouchUpInside);
  root.addSubview(info);
  return info;
}

bool ButtonScreen::allowsOrientation(InterfaceOrientation orientation) {
  return orientation == InterfaceOrientation::Portrait || orientation == InterfaceOrientation::LandscapeRight ||
         orientation == InterfaceOrientation::LandscapeLeft;
}

std::shared_ptr<platform::ui::View> ButtonScreen::viewOfAnyTouch(const platform::ui::TouchSet& touches) {
  if (touches.empty() || !*touches.begin()) return nullptr;
  return (*touches.begin())->view();
}

}  // namespace vorla

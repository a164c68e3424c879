#pragma once
// What the three button screens do alike: the button image views, the
// pressed overlay, the phrase played as the vibrate preference says, the
// info button, and the rotations they allow. Each screen keeps its own
// fields and decides when to call these.

#include <functional>
#include <memory>
#include <string>

#include "Classes/SoundEffect.h"
#include "platform/graphics/Rect.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/InterfaceOrientation.h"
#include "platform/ui/Responder.h"

namespace vorla {

class ButtonScreen {
 public:
  // The preference the info screen writes and every press reads.
  static constexpr const char* kShouldVibrateKey = "shouldVibrate";
  static constexpr double kOverlayAlpha = 0.5;

  // An image view showing the bundle image `imageName`, scaled to `frame`,
  // that takes touches. A missing image leaves an empty (still touchable)
  // button rather than no screen at all.
  static std::shared_ptr<platform::ui::ImageView> buttonImageView(platform::graphics::Rect frame,
                                                                  const std::string& imageName);
  // "Pressed.png" at half opacity over `frame`. It takes no touches, so the
  // touch in progress stays with the button underneath.
  static std::shared_ptr<platform::ui::ImageView> pressedOverlay(platform::graphics::Rect frame);
  // The bundle's "<name>.wav"; a sound that is missing plays nothing.
  static std::shared_ptr<SoundEffect> soundNamed(const std::string& name);

  // Reads "shouldVibrate" now (absent reads NO), plays the phrase with or
  // without vibration and logs which.
  static void playPhrase(SoundEffect& sound);

  // The dark info button at (290, 10, 15, 15), added as the last child of
  // `root`; `action` runs on touch up inside.
  static std::shared_ptr<platform::ui::Button> addInfoButton(platform::ui::View& root,
                                                             std::function<void()> action);

  // Portrait and both landscapes; never upside down.
  static bool allowsOrientation(platform::ui::InterfaceOrientation orientation);

  // The view of one touch of the set (the platform's anyObject), or nullptr.
  static std::shared_ptr<platform::ui::View> viewOfAnyTouch(const platform::ui::TouchSet& touches);
};

}  // namespace vorla

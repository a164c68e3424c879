#pragma once
// The documented answers of a host delegate's optional methods, in one place:
// each function asks the delegate (which may be null, or gone) and falls back
// to the library's default when the method is not implemented or answers
// nothing. Ads, the banner and the modal controllers read their options here.

#include <memory>

#include "ads/PennantDelegate.h"
#include "platform/graphics/Color.h"

namespace pennant {

class PennantDelegateDefaults {
 public:
  static constexpr platform::graphics::Color kDefaultBackgroundColor =
      platform::graphics::Color::colorWithRedGreenBlueAlpha(0.443, 0.514, 0.631, 1.0);
  static constexpr platform::graphics::Color kDefaultTextColor = platform::graphics::Color::whiteColor();

  static platform::graphics::Color adBackgroundColor(PennantDelegate* delegate);
  static platform::graphics::Color adTextColor(PennantDelegate* delegate);
  static bool useGraySpinner(PennantDelegate* delegate);
  static bool mayAskForLocation(PennantDelegate* delegate);
  static bool useTestAd(PennantDelegate* delegate);
  static bool useEmbeddedWebView(PennantDelegate* delegate);
};

}  // namespace pennant

#pragma once
// The window a program hosting Pennant banners shows, and the run loop
// behind it, as far as a host needs them: where to put an ad view, and how
// to do something every so often (asking for a fresh ad, say). The host
// gets one from PennantHost when the window is up (see PennantHost.h).
//
// Ownership: the hosting entry point owns the window for the life of the
// program; the host keeps only a reference. The window owns the ad views
// shown on it; the host owns its ad views too (as PennantView says) and
// may drop them at any time. Main thread only: every callback of the
// library and of repeatEvery runs on it.

#include <functional>
#include <memory>

#include "ads/PennantView.h"
#include "platform/graphics/Rect.h"

namespace pennant {

class PennantHostWindow {
 public:
  virtual ~PennantHostWindow() = default;

  // The window's size in points: 320 x 480, of which the top 20 are the
  // status bar. A banner at the bottom has the frame {{0, 432}, {320, 48}}.
  virtual platform::graphics::Size size() const = 0;

  // Shows the ad view at `frame` (points, window coordinates) above all
  // else; showing it again moves it and brings it to the front.
  virtual void showAdView(const std::shared_ptr<PennantView>& adView, platform::graphics::Rect frame) = 0;
  // Takes the ad view off the window; nothing happens when it is not on it.
  virtual void removeAdView(const std::shared_ptr<PennantView>& adView) = 0;

  // Calls `action` every `seconds` (at least 0.1) on the main run loop until
  // the returned function is called, which stops it for good. Time is the
  // run loop's: real in the window, the script's in a headless run.
  virtual std::function<void()> repeatEvery(double seconds, std::function<void()> action) = 0;
};

}  // namespace pennant

#pragma once
// The view that shows one loaded ad inside the ad view. An image banner draws
// the ad's picture; a text ad draws a glossy background in the ad's colour,
// the advertiser's icon with bevelled rounded corners, and the text, with an
// "Ads by Pennant" line under short texts. The action icon at the right is not
// drawn but a layer of its own, so the click feedback can move it without
// redrawing the banner.
//
// The ad's text comes from the server: it is cut to what the banner can show
// (TextLimit::kBannerText) and laid out once per ad and size; every redraw
// draws the kept layout.
//
// Touches: a finger on the banner shades it (the touch highlight); a finger
// lifted inside it is a click, handed to the ad view's controller, which
// starts the click feedback (animateActionIconForClick): the action icon
// pulses and shrinks away, a spinner takes its place 0.3 s later, and 0.3 s
// after the controller reports the click's end (and never before the
// spinner has shown for 0.3 s) the spinner goes and the icon comes back.
// A second click while the feedback runs joins it: the feedback ends 0.3 s
// after the last of the clicks in flight has reported, and always ends with
// no spinner and exactly one icon layer. A click that reports its end
// before its feedback has started (a click URL that cannot even be loaded)
// still shows the whole feedback once, briefly.
//
// The ad controller creates one per loaded ad with the ad view's bounds,
// calls setAd once, tags it 1 and adds it to the ad view. Ownership: the
// banner owns its ad; the action icon's layer belongs to the view's layer
// tree (actionIconLayer_ is only a reference); the banner owns its spinner
// timers and cancels them when it goes.

#include <memory>
#include <optional>
#include <string>

#include "ads/PennantAd.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Point.h"
#include "platform/graphics/Size.h"
#include "platform/graphics/StringLayout.h"
#include "platform/ui/AnimationDelegate.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"

namespace pennant {

class PennantSingleAdView : public platform::ui::View, public platform::ui::AnimationDelegate {
 public:
  static constexpr const char* kPulseAnimationKey = "PennantPulseAnimation";
  // How long the spinner waits after the pulse, and lingers after the end.
  static constexpr double kSpinnerDelay = 0.3;

  static std::shared_ptr<PennantSingleAdView> create(platform::graphics::Rect frame);
  ~PennantSingleAdView() override;

  void initWithFrame(platform::graphics::Rect frame) override;

  const std::shared_ptr<PennantAd>& ad() const { return ad_; }
  // Takes the ad, removes every sublayer and makes the action icon's layer.
  // It does not ask for a redraw.
  void setAd(std::shared_ptr<PennantAd> ad);

  void drawRect(platform::graphics::GraphicsContext& context, platform::graphics::Rect rect) override;

  // The area a bevelled image occupies: one point more each way.
  static platform::graphics::Size sizeWithBevelsAndRoundedCornersForImage(
      const std::shared_ptr<platform::graphics::Image>& image);
  static void drawImageAtPointWithBevelsAndRoundedCornersOfRadius(platform::graphics::GraphicsContext& context,
                                                                  const std::shared_ptr<platform::graphics::Image>& image,
                                                                  platform::graphics::Point point, double radius);
  void drawShineBackgroundWithBaseColor(platform::graphics::GraphicsContext& context,
                                        platform::graphics::Color baseColor);

  const std::shared_ptr<platform::ui::Layer>& actionIconLayer() const { return actionIconLayer_; }

  // Touch tracking and the highlight.
  void touchesBeganWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  void touchesMovedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  void touchesEndedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  void touchesCancelledWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  bool touchIsInSelf(const platform::ui::Touch& touch) const;
  bool touched() const { return touched_; }
  void setTouched(bool touched);

  // The click feedback.
  void animateActionIconForClick();
  void animationDidStopFinished(const std::shared_ptr<platform::ui::KeyframeAnimation>& animation,
                                bool finished) override;
  void addSpinner(platform::Timer& timer);
  void removeSpinnerAndRestoreActionIcon();
  void removeSpinnerAndRestoreActionIconDelayed(platform::Timer& timer);
  bool isAnimatingForClick() const { return animatingForClick_; }

  // Where a text ad's parts go, in the banner's coordinates, with the laid
  // out text and line that are drawn there.
  struct TextAdLayout {
    platform::graphics::Point iconOrigin;
    double textX = 0;
    double textRight = 0;
    platform::graphics::Rect textRect;
    bool hasAdsByLine = false;
    std::string adsByText;
    platform::graphics::Rect adsByRect;
    std::shared_ptr<const platform::graphics::StringLayout> text;
    std::shared_ptr<const platform::graphics::StringLayout> adsByLine;
  };
  // Made at the first use for the ad and the banner's size, then kept.
  const TextAdLayout& textAdLayout() const;

 private:
  void setActionIcon(const std::shared_ptr<platform::graphics::Image>& image);
  void drawTextAd(platform::graphics::GraphicsContext& context);
  TextAdLayout makeTextAdLayout() const;
  static std::shared_ptr<platform::graphics::Font> textFont();
  static std::shared_ptr<platform::graphics::Font> adsByFont();
  static void cancelTimer(std::shared_ptr<platform::Timer>& timer);
  std::shared_ptr<PennantSingleAdView> self();
  void scheduleRemoveSpinnerTimer();

  std::shared_ptr<PennantAd> ad_;
  std::shared_ptr<platform::ui::Layer> actionIconLayer_;
  // The text ad's layout and the size it was made for.
  mutable std::optional<TextAdLayout> textAdLayout_;
  mutable platform::graphics::Size textAdLayoutSize_;
  // The click feedback's state.
  bool touched_ = false;
  bool animatingForClick_ = false;
  bool removeSpinnerRequested_ = false;
  std::shared_ptr<platform::Timer> removeSpinnerTimer_;
  std::shared_ptr<platform::Timer> addSpinnerTimer_;
  // A feedback runs from its pulse until the icon is back.
  bool feedbackRunning_ = false;
  // Clicks started minus clicks reported; below zero when a click reported
  // its end before its feedback started.
  int clicksInFlight_ = 0;
};

}  // namespace pennant

#pragma once
// The spinning wheel that shows work in progress: twelve spokes around a
// centre, one of them brightest, the brightness stepping round twelve times
// a second on the run loop's clock while it animates. Styles, numbered as
// on the platform: 0 large white (37 x 37 points), 1 white and 2 grey
// (both 20 x 20).
//
// How to use:
//   auto spinner = ActivityIndicatorView::initWithActivityIndicatorStyle(1);
//   spinner->setCenter({160, 22});
//   bar->addSubview(spinner);
//   spinner->startAnimating();
// A stopped indicator is hidden while hidesWhenStopped is on (the default),
// so a new one shows nothing until it is started.
//
// Ownership: owned by its superview like any view. Main thread only.

#include <memory>

#include "platform/ui/View.h"

namespace platform::ui {

class ActivityIndicatorView : public View {
 public:
  static constexpr int kStyleWhiteLarge = 0;
  static constexpr int kStyleWhite = 1;
  static constexpr int kStyleGray = 2;
  static constexpr int kSpokes = 12;
  static constexpr double kStepsPerSecond = 12;

  // An unknown style is drawn as white.
  static std::shared_ptr<ActivityIndicatorView> initWithActivityIndicatorStyle(int style);

  int activityIndicatorViewStyle() const { return style_; }
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const { return animating_; }
  bool hidesWhenStopped() const { return hidesWhenStopped_; }
  void setHidesWhenStopped(bool hides);

  // The brightest spoke at `now` (0 at twelve o'clock, then clockwise);
  // 0 while stopped.
  int currentStep(double now) const;

  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;

 private:
  int style_ = kStyleWhite;
  bool animating_ = false;
  bool hidesWhenStopped_ = true;
  double startTime_ = 0;
};

}  // namespace platform::ui

#pragma once
// The open animation blocks of View::beginAnimationsContext ...
// commitAnimations. View's static block methods forward here; views report
// the values they showed before a change made inside a block, and commit
// turns those reports into running animations.
//
// Ownership: the stack of open blocks is process-wide (main thread only)
// and holds views weakly, so a view released inside a block is simply left
// out. The did-stop callback is owned by the run loop from commit until it
// runs.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Rect.h"
#include "platform/ui/AnimationCurve.h"
#include "platform/ui/View.h"

namespace platform::ui {

class AnimationBlock {
 public:
  static constexpr double kDefaultDuration = 0.2;

  static void begin(std::string name, void* context);
  // The innermost open block, or nullptr outside any block.
  static AnimationBlock* current();
  // Closes the innermost block and starts its animations; nothing happens
  // when no block is open.
  static void commit();
  static std::size_t openBlockCount();

  void setDuration(double seconds) { duration_ = seconds > 0 ? seconds : 0; }
  void setCurve(AnimationCurve curve) { curve_ = curve; }
  void setDelegate(std::weak_ptr<void> delegate);
  void setDidStop(View::AnimationDidStop didStop) { didStop_ = std::move(didStop); }
  void setTransition(int transition, const std::shared_ptr<View>& view);

  // The value `view` showed before its first change in this block.
  void recordFrame(const std::shared_ptr<View>& view, graphics::Rect shownBefore);
  void recordAlpha(const std::shared_ptr<View>& view, double shownBefore);

  AnimationBlock(std::string name, void* context) : name_(std::move(name)), context_(context) {}

 private:
  struct Change {
    std::weak_ptr<View> view;
    const View* key;
    std::optional<graphics::Rect> frameFrom;
    std::optional<double> alphaFrom;
  };

  Change& changeFor(const std::shared_ptr<View>& view);
  void start();

  std::string name_;
  void* context_;
  double duration_ = kDefaultDuration;
  AnimationCurve curve_ = AnimationCurve::EaseInOut;
  bool hasDelegate_ = false;
  std::weak_ptr<void> delegate_;
  View::AnimationDidStop didStop_;
  std::vector<Change> changes_;
  std::weak_ptr<View> transitionView_;
  ViewTransition transition_;
};

}  // namespace platform::ui

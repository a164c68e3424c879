#pragma once
// A rectangle of content that the renderer composites: an optional image
// (contents) scaled into its frame, a scale transform about its centre, and
// sublayers on top. Every View has one root layer (View::layer()); the
// sublayers of that root layer are drawn above the view's own drawing and
// below its subviews, which is how the ad banner keeps its action icon
// apart from the drawing underneath.
//
// How to use:
//   auto icon = Layer::create();
//   icon->setFrame({{286, 9}, {30, 30}});
//   icon->setContents(image);
//   view->layer()->addSublayer(icon);
//   icon->addAnimationForKey(pulse, "PennantPulseAnimation");
//
// Ownership: a layer owns its sublayers; the superlayer is a weak link.
// Animations are copied when added and owned by the layer. Each animation's
// end is a delayed call on the run loop that was current when it was added;
// the delegate hears of every added animation exactly once: finished at the
// end of its duration, or not finished when it is removed, replaced or its
// layer is destroyed before that (then on the next turn of the loop, never
// from inside the call that removed it).

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Rect.h"
#include "platform/ui/KeyframeAnimation.h"
#include "platform/ui/Transform3D.h"

namespace platform::ui {

class Layer : public std::enable_shared_from_this<Layer> {
 public:
  static std::shared_ptr<Layer> create();
  Layer() = default;
  ~Layer();
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

  graphics::Rect frame() const { return frame_; }
  void setFrame(graphics::Rect frame) { frame_ = frame; }

  const std::shared_ptr<graphics::Image>& contents() const { return contents_; }
  void setContents(std::shared_ptr<graphics::Image> image) { contents_ = std::move(image); }

  // The model transform; the renderer shows an animation's value instead
  // while one is attached (see presentationTransform).
  Transform3D transform() const { return transform_; }
  void setTransform(Transform3D transform) { transform_ = transform; }

  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }
  double opacity() const { return opacity_; }
  void setOpacity(double opacity) { opacity_ = opacity; }

  const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
  std::shared_ptr<Layer> superlayer() const { return superlayer_.lock(); }
  // Adds on top; a layer that has another superlayer leaves it first.
  void addSublayer(const std::shared_ptr<Layer>& layer);
  void removeFromSuperlayer();
  // Replaces all sublayers (an empty list removes them all).
  void setSublayers(const std::vector<std::shared_ptr<Layer>>& layers);

  // Adds a copy of `animation` starting now; an animation already under
  // `key` is removed first (its delegate hears "not finished").
  void addAnimationForKey(const std::shared_ptr<KeyframeAnimation>& animation, const std::string& key);
  std::shared_ptr<KeyframeAnimation> animationForKey(const std::string& key) const;
  void removeAnimationForKey(const std::string& key);
  void removeAllAnimations();
  std::vector<std::string> animationKeys() const;

  // What the renderer shows at `time`: the value of the most recently added
  // "transform" animation that is still attached, else the model transform.
  Transform3D presentationTransform(double time) const;

 private:
  struct Running {
    std::shared_ptr<KeyframeAnimation> animation;
    RunLoop::CallbackId endCall = 0;  // 0 once the end has been reported
    unsigned long long order = 0;
  };

  void animationEnded(const std::string& key, const std::shared_ptr<KeyframeAnimation>& animation);
  void detach(Running& running);

  graphics::Rect frame_;
  std::shared_ptr<graphics::Image> contents_;
  Transform3D transform_;
  bool hidden_ = false;
  double opacity_ = 1.0;
  std::vector<std::shared_ptr<Layer>> sublayers_;
  std::weak_ptr<Layer> superlayer_;
  std::map<std::string, Running> animations_;
  unsigned long long nextOrder_ = 1;
  RunLoop* loop_ = nullptr;
  std::weak_ptr<void> loopAlive_;
};

}  // namespace platform::ui

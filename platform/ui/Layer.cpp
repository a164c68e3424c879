#include "platform/ui/Layer.h"

#include <algorithm>

namespace platform::ui {
namespace {

// Tells the delegate, on the next turn of the loop, that the animation was
// taken away before its end.
void reportUnfinished(RunLoop& loop, const std::shared_ptr<KeyframeAnimation>& animation) {
  loop.performSoon([animation] {
    if (auto delegate = animation->delegate()) delegate->animationDidStopFinished(animation, false);
  });
}

}  // namespace

std::shared_ptr<Layer> Layer::create() { return std::make_shared<Layer>(); }

Layer::~Layer() {
  for (auto& [key, running] : animations_) detach(running);
}

void Layer::addSublayer(const std::shared_ptr<Layer>& layer) {
  if (!layer || layer.get() == this) return;
  // Keep it alive while it moves from one superlayer to the other.
  auto keep = layer;
  layer->removeFromSuperlayer();
  sublayers_.push_back(layer);
  layer->superlayer_ = weak_from_this();
}

void Layer::removeFromSuperlayer() {
  auto parent = superlayer_.lock();
  superlayer_.reset();
  if (!parent) return;
  auto& list = parent->sublayers_;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [this](const std::shared_ptr<Layer>& l) { return l.get() == this; }),
             list.end());
}

void Layer::setSublayers(const std::vector<std::shared_ptr<Layer>>& layers) {
  auto old = std::move(sublayers_);
  sublayers_.clear();
  for (const auto& layer : old) layer->superlayer_.reset();
  for (const auto& layer : layers) addSublayer(layer);
}

void Layer::addAnimationForKey(const std::shared_ptr<KeyframeAnimation>& animation,
                               const std::string& key) {
  if (!animation) return;
  removeAnimationForKey(key);
  RunLoop& loop = RunLoop::current();
  loop_ = &loop;
  loopAlive_ = loop.lifetime();

  auto copy = std::make_shared<KeyframeAnimation>(*animation);
  copy->setBeginTime(loop.now());
  std::weak_ptr<Layer> weakSelf = weak_from_this();
  Running running;
  running.animation = copy;
  running.order = nextOrder_++;
  running.endCall = loop.performAt(copy->beginTime() + copy->effectiveDuration(), [weakSelf, key, copy] {
    if (auto self = weakSelf.lock()) self->animationEnded(key, copy);
  });
  animations_[key] = std::move(running);
}

void Layer::animationEnded(const std::string& key, const std::shared_ptr<KeyframeAnimation>& animation) {
  auto it = animations_.find(key);
  if (it == animations_.end() || it->second.animation != animation) return;
  it->second.endCall = 0;
  if (animation->isRemovedOnCompletion()) animations_.erase(it);
  // The delegate may change this layer (even drop it); nothing of it is
  // used after this call.
  if (auto delegate = animation->delegate()) delegate->animationDidStopFinished(animation, true);
}

void Layer::detach(Running& running) {
  if (running.endCall == 0 || loopAlive_.expired() || !loop_) return;
  loop_->cancelPerform(running.endCall);
  running.endCall = 0;
  reportUnfinished(*loop_, running.animation);
}

std::shared_ptr<KeyframeAnimation> Layer::animationForKey(const std::string& key) const {
  auto it = animations_.find(key);
  return it == animations_.end() ? nullptr : it->second.animation;
}

void Layer::removeAnimationForKey(const std::string& key) {
  auto it = animations_.find(key);
  if (it == animations_.end()) return;
  Running running = std::move(it->second);
  animations_.erase(it);
  detach(running);
}

void Layer::removeAllAnimations() {
  auto all = std::move(animations_);
  animations_.clear();
  for (auto& [key, running] : all) detach(running);
}

std::vector<std::string> Layer::animationKeys() const {
  std::vector<std::string> keys;
  for (const auto& [key, running] : animations_) keys.push_back(key);
  return keys;
}

Transform3D Layer::presentationTransform(double time) const {
  const Running* latest = nullptr;
  for (const auto& [key, running] : animations_) {
    if (running.animation->keyPath() != "transform") continue;
    if (!latest || running.order > latest->order) latest = &running;
  }
  if (!latest) return transform_;
  return latest->animation->valueAtTime(time, transform_);
}

}  // namespace platform::ui

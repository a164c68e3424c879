#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/AnimationBlock.h"
#include "platform/ui/Window.h"

namespace platform::ui {
namespace {

using graphics::Point;
using graphics::Rect;
using graphics::Size;

double lerp(double a, double b, double t) { return a + (b - a) * t; }

// One axis of autoresizing: the flexible parts among (leading margin, size,
// trailing margin) share the change of the superview's size in proportion
// to their current lengths, or equally when those are all zero.
void resizeAxis(double& origin, double& length, double oldSuper, double newSuper, bool flexLead,
                bool flexSize, bool flexTrail) {
  const double delta = newSuper - oldSuper;
  if (delta == 0 || !(flexLead || flexSize || flexTrail)) return;
  const double lead = origin;
  const double trail = oldSuper - origin - length;
  double total = 0;
  int count = 0;
  if (flexLead) total += std::max(lead, 0.0), ++count;
  if (flexSize) total += std::max(length, 0.0), ++count;
  if (flexTrail) total += std::max(trail, 0.0), ++count;
  auto share = [&](double part) { return total > 0 ? delta * std::max(part, 0.0) / total : delta / count; };
  if (flexLead) origin += share(lead);
  if (flexSize) length = std::max(0.0, length + share(length));
}

}  // namespace

std::shared_ptr<View> View::create(Rect frame) {
  auto view = std::make_shared<View>();
  view->initWithFrame(frame);
  return view;
}

View::View() : layer_(Layer::create()) {}

View::~View() {
  // Subviews outlive us only if someone else holds them; they must not
  // point at a dead superview meanwhile (the weak link already expires).
  for (auto& subview : subviews_) subview->superview_.reset();
}

void View::initWithFrame(Rect frame) {
  // A view that is only being made has nothing on screen to animate from,
  // even when it is made inside an animation block.
  frame_ = frame;
  layer_->setFrame(bounds());
  needsLayout_ = true;
}

void View::setFrame(Rect frame) {
  if (auto* block = AnimationBlock::current()) {
    if (auto self = weak_from_this().lock()) block->recordFrame(self, presentationFrame(RunLoop::current().now()));
  } else {
    // A change outside a block replaces any animation at once.
    frameAnimation_.reset();
  }
  const Size oldSize = frame_.size;
  frame_ = frame;
  layer_->setFrame(bounds());
  if (oldSize != frame.size) {
    needsLayout_ = true;
    needsDisplay_ = true;
    if (autoresizesSubviews_) {
      // Copy: a subview's setFrame may run code that edits our subviews.
      auto subviews = subviews_;
      for (auto& subview : subviews) subview->resizeWithOldSuperviewSize(oldSize);
    }
  }
}

void View::setBounds(Rect bounds) {
  const Point c = center();
  setFrame({{c.x - bounds.size.width / 2, c.y - bounds.size.height / 2}, bounds.size});
}

void View::setCenter(Point center) {
  setFrame({{center.x - frame_.size.width / 2, center.y - frame_.size.height / 2}, frame_.size});
}

void View::resizeWithOldSuperviewSize(Size oldSize) {
  auto parent = superview();
  if (!parent || autoresizingMask_ == kAutoresizingNone) return;
  const Size newSize = parent->frame_.size;
  const unsigned m = autoresizingMask_;
  Rect f = frame_;
  resizeAxis(f.origin.x, f.size.width, oldSize.width, newSize.width, m & kAutoresizingFlexibleLeftMargin,
             m & kAutoresizingFlexibleWidth, m & kAutoresizingFlexibleRightMargin);
  resizeAxis(f.origin.y, f.size.height, oldSize.height, newSize.height, m & kAutoresizingFlexibleTopMargin,
             m & kAutoresizingFlexibleHeight, m & kAutoresizingFlexibleBottomMargin);
  if (f != frame_) setFrame(f);
}

void View::setAlpha(double alpha) {
  alpha = std::clamp(std::isnan(alpha) ? 0.0 : alpha, 0.0, 1.0);
  if (auto* block = AnimationBlock::current()) {
    if (auto self = weak_from_this().lock()) block->recordAlpha(self, presentationAlpha(RunLoop::current().now()));
  } else {
    alphaAnimation_.reset();
  }
  alpha_ = alpha;
}

std::shared_ptr<View> View::viewWithTag(int tag) {
  if (tag_ == tag) return shared_from_this();
  for (const auto& subview : subviews_) {
    if (auto found = subview->viewWithTag(tag)) return found;
  }
  return nullptr;
}

std::shared_ptr<Window> View::window() const {
  std::shared_ptr<View> root;
  for (auto parent = superview(); parent; parent = parent->superview()) root = parent;
  if (!root) root = std::const_pointer_cast<View>(weak_from_this().lock());
  return std::dynamic_pointer_cast<Window>(root);
}

bool View::isDescendantOfView(const View* view) const {
  if (this == view) return true;
  for (auto parent = superview(); parent; parent = parent->superview()) {
    if (parent.get() == view) return true;
  }
  return false;
}

void View::addSubview(const std::shared_ptr<View>& view) {
  if (!view) return;
  attachSubview(view, subviews_.size());
}

void View::insertSubviewAtIndex(const std::shared_ptr<View>& view, std::size_t index) {
  if (!view) return;
  attachSubview(view, index);
}

void View::attachSubview(const std::shared_ptr<View>& view, std::size_t index) {
  if (isDescendantOfView(view.get())) return;  // would make a cycle
  auto keep = view;
  const auto oldWindow = view->window();
  if (view->superview().get() == this) {
    auto it = std::find(subviews_.begin(), subviews_.end(), view);
    const auto position = static_cast<std::size_t>(it - subviews_.begin());
    subviews_.erase(it);
    if (index > position) --index;
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(std::min(index, subviews_.size())), view);
    return;
  }
  view->removeFromSuperview();
  subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(std::min(index, subviews_.size())), view);
  view->superview_ = weak_from_this();
  view->didMoveToSuperview();
  if (view->window() != oldWindow) view->notifyMovedToWindow();
}

void View::removeFromSuperview() {
  auto parent = superview();
  if (!parent) return;
  // The superview's list may hold the last reference.
  auto self = shared_from_this();
  const auto oldWindow = window();
  auto& list = parent->subviews_;
  list.erase(std::remove(list.begin(), list.end(), self), list.end());
  superview_.reset();
  didMoveToSuperview();
  if (oldWindow) notifyMovedToWindow();
}

void View::notifyMovedToWindow() {
  didMoveToWindow();
  auto subviews = subviews_;
  for (auto& subview : subviews) subview->notifyMovedToWindow();
}

void View::bringSubviewToFront(const std::shared_ptr<View>& view) {
  auto it = std::find(subviews_.begin(), subviews_.end(), view);
  if (it == subviews_.end()) return;
  subviews_.erase(it);
  subviews_.push_back(view);
}

void View::sendSubviewToBack(const std::shared_ptr<View>& view) {
  auto it = std::find(subviews_.begin(), subviews_.end(), view);
  if (it == subviews_.end()) return;
  subviews_.erase(it);
  subviews_.insert(subviews_.begin(), view);
}

Point View::toRoot(Point point) const {
  // The root's own frame is not part of the root coordinates (a window's
  // coordinates start at its top-left corner).
  const View* v = this;
  std::shared_ptr<View> holder;
  while (auto parent = v->superview()) {
    point.x += v->frame_.origin.x;
    point.y += v->frame_.origin.y;
    holder = parent;
    v = holder.get();
  }
  return point;
}

Point View::fromRoot(Point point) const {
  const Point origin = toRoot({0, 0});
  return {point.x - origin.x, point.y - origin.y};
}

Point View::convertPointToView(Point point, const std::shared_ptr<const View>& other) const {
  const Point inRoot = toRoot(point);
  return other ? other->fromRoot(inRoot) : inRoot;
}

Point View::convertPointFromView(Point point, const std::shared_ptr<const View>& other) const {
  const Point inRoot = other ? other->toRoot(point) : point;
  return fromRoot(inRoot);
}

Rect View::convertRectToView(Rect rect, const std::shared_ptr<const View>& other) const {
  return {convertPointToView(rect.origin, other), rect.size};
}

Rect View::convertRectFromView(Rect rect, const std::shared_ptr<const View>& other) const {
  return {convertPointFromView(rect.origin, other), rect.size};
}

void View::drawRect(graphics::GraphicsContext&, Rect) {}

void View::layoutIfNeeded() {
  if (needsLayout_) {
    // Cleared first: a layoutSubviews that marks its own view again is laid
    // out on the next pass, not in an endless loop.
    needsLayout_ = false;
    layoutSubviews();
  }
  // Copy: a layoutSubviews below may add or remove views of this list.
  auto subviews = subviews_;
  for (const auto& subview : subviews) subview->layoutIfNeeded();
}

std::shared_ptr<View> View::hitTestWithEvent(Point point, Event* event) {
  if (hidden_ || alpha_ < 0.01 || !userInteractionEnabled_) return nullptr;
  if (!pointInsideWithEvent(point, event)) return nullptr;
  auto subviews = subviews_;
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
    const Point inSub{point.x - (*it)->frame_.origin.x, point.y - (*it)->frame_.origin.y};
    if (auto hit = (*it)->hitTestWithEvent(inSub, event)) return hit;
  }
  return shared_from_this();
}

bool View::pointInsideWithEvent(Point point, Event*) const { return bounds().containsPoint(point); }

std::shared_ptr<Responder> View::nextResponder() const {
  if (auto controller = viewDelegate_.lock()) return controller;
  return superview();
}

Rect View::presentationFrame(double now) const {
  if (!frameAnimation_ || frameAnimation_->isOver(now)) return frame_;
  const auto& a = *frameAnimation_;
  const double t = a.progress(now);
  return {{lerp(a.from.origin.x, a.to.origin.x, t), lerp(a.from.origin.y, a.to.origin.y, t)},
          {lerp(a.from.size.width, a.to.size.width, t), lerp(a.from.size.height, a.to.size.height, t)}};
}

double View::presentationAlpha(double now) const {
  if (!alphaAnimation_ || alphaAnimation_->isOver(now)) return alpha_;
  const auto& a = *alphaAnimation_;
  return lerp(a.from, a.to, a.progress(now));
}

const ViewTransition* View::transitionAtTime(double now) const {
  if (!transition_ || transition_->timing.isOver(now) || now < transition_->timing.start) return nullptr;
  return &*transition_;
}

void View::startFrameAnimation(Rect from, double start, double duration, AnimationCurve curve) {
  if (from == frame_ || duration <= 0) {
    frameAnimation_.reset();
    return;
  }
  frameAnimation_ = AnimatedValue<Rect>{from, frame_, start, duration, curve};
}

void View::startAlphaAnimation(double from, double start, double duration, AnimationCurve curve) {
  if (from == alpha_ || duration <= 0) {
    alphaAnimation_.reset();
    return;
  }
  alphaAnimation_ = AnimatedValue<double>{from, alpha_, start, duration, curve};
}

// The static block interface, forwarded to the innermost open block.
void View::beginAnimationsContext(std::string name, void* context) {
  AnimationBlock::begin(std::move(name), context);
}

void View::setAnimationDuration(double seconds) {
  if (auto* block = AnimationBlock::current()) block->setDuration(seconds);
}

void View::setAnimationCurve(AnimationCurve curve) {
  if (auto* block = AnimationBlock::current()) block->setCurve(curve);
}

void View::setAnimationDelegate(std::weak_ptr<void> delegate) {
  if (auto* block = AnimationBlock::current()) block->setDelegate(std::move(delegate));
}

void View::setAnimationDidStopSelector(AnimationDidStop didStop) {
  if (auto* block = AnimationBlock::current()) block->setDidStop(std::move(didStop));
}

void View::setAnimationTransitionForViewCache(int transition, const std::shared_ptr<View>& view, bool) {
  if (auto* block = AnimationBlock::current()) block->setTransition(transition, view);
}

void View::commitAnimations() { AnimationBlock::commit(); }

}  // namespace platform::ui

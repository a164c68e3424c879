#pragma once
// A rectangle of the screen that draws itself and takes touches; views nest
// in a tree under a Window, which the Renderer draws as a whole each frame.
//
// How to use:
//   auto v = View::create({{0, 15}, {320, 320}});  // or make_shared<Sub>() + initWithFrame()
//   v->setBackgroundColor(graphics::Color::whiteColor());
//   parent->addSubview(v);
// Subclasses override drawRect() to draw (the context is already translated
// to the view's top-left corner), the touch methods of Responder to take
// touches, and layoutSubviews() to place subviews after a size change.
// Animation blocks (beginAnimationsContext ... commitAnimations) animate
// frame, center and alpha changes made between the two calls.
//
// Ownership: a view owns its subviews (and its root layer); the superview
// and the view delegate (its controller) are weak links. Removing a view
// from its superview drops the superview's reference, so a view nobody else
// holds goes away then. Main thread only.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Rect.h"
#include "platform/ui/AnimatedValue.h"
#include "platform/ui/AnimationCurve.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Responder.h"
#include "platform/ui/ViewTransition.h"

namespace platform::graphics {
class GraphicsContext;
}

namespace platform::ui {

class Window;

class View : public Responder, public std::enable_shared_from_this<View> {
 public:
  // Autoresizing mask bits: which margins and sizes follow the superview
  // when its size changes.
  static constexpr unsigned kAutoresizingNone = 0;
  static constexpr unsigned kAutoresizingFlexibleLeftMargin = 1;
  static constexpr unsigned kAutoresizingFlexibleWidth = 2;
  static constexpr unsigned kAutoresizingFlexibleRightMargin = 4;
  static constexpr unsigned kAutoresizingFlexibleTopMargin = 8;
  static constexpr unsigned kAutoresizingFlexibleHeight = 16;
  static constexpr unsigned kAutoresizingFlexibleBottomMargin = 32;

  // The did-stop callback of an animation block: its name, whether it
  // finished, and the context given to beginAnimationsContext.
  using AnimationDidStop = std::function<void(const std::string& name, bool finished, void* context)>;

  static std::shared_ptr<View> create(graphics::Rect frame);
  View();
  ~View() override;
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  // Sets the frame; subclasses build their content here (shared_from_this
  // works, as the view is already owned by a shared_ptr).
  virtual void initWithFrame(graphics::Rect frame);

  // Geometry, in the superview's coordinates (frame, center) or the view's
  // own (bounds, whose origin is always 0, 0).
  graphics::Rect frame() const { return frame_; }
  void setFrame(graphics::Rect frame);
  graphics::Rect bounds() const { return {{0, 0}, frame_.size}; }
  // Keeps the centre; only the size of `bounds` is used.
  void setBounds(graphics::Rect bounds);
  graphics::Point center() const { return {frame_.midX(), frame_.midY()}; }
  void setCenter(graphics::Point center);

  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  // This view if it carries the tag, else the first match depth-first in
  // subview order; nullptr when none.
  std::shared_ptr<View> viewWithTag(int tag);

  // The tree.
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  std::shared_ptr<View> superview() const { return superview_.lock(); }
  // The window at the root of this view's tree (a window is its own).
  std::shared_ptr<Window> window() const;
  // On top of the others. Adding a subview again brings it to the front;
  // a view with another superview leaves it first. Adding a view to itself
  // or to one of its own descendants is refused (it would make a cycle).
  void addSubview(const std::shared_ptr<View>& view);
  void insertSubviewAtIndex(const std::shared_ptr<View>& view, std::size_t index);
  void removeFromSuperview();
  void bringSubviewToFront(const std::shared_ptr<View>& view);
  void sendSubviewToBack(const std::shared_ptr<View>& view);
  bool isDescendantOfView(const View* view) const;

  // Appearance.
  double alpha() const { return alpha_; }
  void setAlpha(double alpha);  // clamped to [0, 1]; animatable
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }
  // nullopt is a clear background: nothing is filled.
  const std::optional<graphics::Color>& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(std::optional<graphics::Color> color) { backgroundColor_ = color; }
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  bool clipsToBounds() const { return clipsToBounds_; }
  void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool autoresizes) { autoresizesSubviews_ = autoresizes; }

  // The view's root layer; its sublayers draw above drawRect and below the
  // subviews, at their frames in the view's coordinates.
  const std::shared_ptr<Layer>& layer() const { return layer_; }

  // Coordinate conversion between this view and `other`; nullptr means the
  // coordinates of the window (the root of this view's tree). Model frames
  // are used, not animated ones. Views in different trees are converted as
  // though their roots shared one coordinate space.
  graphics::Point convertPointToView(graphics::Point point, const std::shared_ptr<const View>& other) const;
  graphics::Point convertPointFromView(graphics::Point point, const std::shared_ptr<const View>& other) const;
  graphics::Rect convertRectToView(graphics::Rect rect, const std::shared_ptr<const View>& other) const;
  graphics::Rect convertRectFromView(graphics::Rect rect, const std::shared_ptr<const View>& other) const;

  // Drawing. Every frame redraws the whole tree, so setNeedsDisplay only
  // records the request (for inspection); drawRect is called on each render
  // with the current context translated to the view's origin.
  void setNeedsDisplay() { needsDisplay_ = true; }
  bool needsDisplay() const { return needsDisplay_; }
  void clearNeedsDisplay() { needsDisplay_ = false; }
  virtual void drawRect(graphics::GraphicsContext& context, graphics::Rect rect);

  // Layout: setNeedsLayout (or a size change) marks the view; the pending
  // layout is resolved before anything reads the tree's geometry: before
  // the window hit-tests a touch, before a render, a dump or a press by
  // title. layoutIfNeeded runs layoutSubviews on this view and then on every
  // marked view below it, parents before children, so frames a parent sets
  // are in place when its subviews lay out.
  void setNeedsLayout() { needsLayout_ = true; }
  void layoutIfNeeded();
  virtual void layoutSubviews() {}

  // Called after the view joined or left a superview / a window.
  virtual void didMoveToSuperview() {}
  virtual void didMoveToWindow() {}

  // Touches. hitTestWithEvent takes a point in this view's coordinates and
  // answers the deepest view that takes it: hidden views, views with alpha
  // below 0.01 and views with user interaction off are skipped with their
  // subtrees; later subviews are tried first.
  virtual std::shared_ptr<View> hitTestWithEvent(graphics::Point point, Event* event);
  virtual bool pointInsideWithEvent(graphics::Point point, Event* event) const;
  // The controller set as view delegate, else the superview.
  std::shared_ptr<Responder> nextResponder() const override;
  void setViewDelegate(std::weak_ptr<Responder> delegate) { viewDelegate_ = std::move(delegate); }
  std::shared_ptr<Responder> viewDelegate() const { return viewDelegate_.lock(); }

  // What the renderer shows at `now` on the run loop's clock.
  graphics::Rect presentationFrame(double now) const;
  double presentationAlpha(double now) const;
  // The flip running at `now`, or nullptr.
  const ViewTransition* transitionAtTime(double now) const;

  // Animation blocks. Between begin and commit, setFrame, setCenter and
  // setAlpha change the model at once and animate what is shown from the
  // value shown at that moment; commit starts the animations with the
  // block's duration (default 0.2 s) and curve (default ease-in-out) and
  // schedules the did-stop callback on the current run loop at commit time
  // plus the duration, with finished = true. The callback runs when it was
  // set, unless an animation delegate was set and has gone away since.
  // Blocks nest; each block keeps its own settings and its own callback.
  static void beginAnimationsContext(std::string name, void* context);
  static void setAnimationDuration(double seconds);
  static void setAnimationCurve(AnimationCurve curve);
  static void setAnimationDelegate(std::weak_ptr<void> delegate);
  static void setAnimationDidStopSelector(AnimationDidStop didStop);
  // Flips `view`'s content (1 from the left, 2 from the right): the look it
  // has now flips out and the look after the block's changes flips in.
  // `cache` is accepted and ignored: the old look is always captured.
  static void setAnimationTransitionForViewCache(int transition, const std::shared_ptr<View>& view,
                                                 bool cache);
  static void commitAnimations();

  // For the animation blocks: start showing an animation towards the
  // current model value.
  void startFrameAnimation(graphics::Rect from, double start, double duration, AnimationCurve curve);
  void startAlphaAnimation(double from, double start, double duration, AnimationCurve curve);
  void startTransition(ViewTransition transition) { transition_ = std::move(transition); }

 // Applies the autoresizing mask after the superview's size changed
  // from `oldSize` to its current size.
  void resizeWithOldSuperviewSize(graphics::Size oldSize);

 private:
  void attachSubview(const std::shared_ptr<View>& view, std::size_t index);
  void notifyMovedToWindow();
  graphics::Point toRoot(graphics::Point point) const;
  graphics::Point fromRoot(graphics::Point point) const;

  graphics::Rect frame_;
  double alpha_ = 1.0;
  bool hidden_ = false;
  std::optional<graphics::Color> backgroundColor_;
  bool opaque_ = true;
  bool clipsToBounds_ = false;
  bool userInteractionEnabled_ = true;
  unsigned autoresizingMask_ = kAutoresizingNone;
  bool autoresizesSubviews_ = true;
  int tag_ = 0;
  bool needsDisplay_ = true;
  bool needsLayout_ = false;
  std::vector<std::shared_ptr<View>> subviews_;
  std::weak_ptr<View> superview_;
  std::weak_ptr<Responder> viewDelegate_;
  std::shared_ptr<Layer> layer_;
  std::optional<AnimatedValue<graphics::Rect>> frameAnimation_;
  std::optional<AnimatedValue<double>> alphaAnimation_;
  std::optional<ViewTransition> transition_;
};

}  // namespace platform::ui

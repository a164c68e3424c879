#include "platform/ui/AnimationBlock.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"

namespace platform::ui {
namespace {

std::vector<std::unique_ptr<AnimationBlock>>& openBlocks() {
  static auto* blocks = new std::vector<std::unique_ptr<AnimationBlock>>();
  return *blocks;
}

}  // namespace

void AnimationBlock::begin(std::string name, void* context) {
  openBlocks().push_back(std::make_unique<AnimationBlock>(std::move(name), context));
}

AnimationBlock* AnimationBlock::current() {
  auto& blocks = openBlocks();
  return blocks.empty() ? nullptr : blocks.back().get();
}

std::size_t AnimationBlock::openBlockCount() { return openBlocks().size(); }

void AnimationBlock::commit() {
  auto& blocks = openBlocks();
  if (blocks.empty()) return;
  std::unique_ptr<AnimationBlock> block = std::move(blocks.back());
  blocks.pop_back();
  block->start();
}

void AnimationBlock::setDelegate(std::weak_ptr<void> delegate) {
  hasDelegate_ = true;
  delegate_ = std::move(delegate);
}

void AnimationBlock::setTransition(int transition, const std::shared_ptr<View>& view) {
  if (!view || transition <= 0 || transition > 4) return;
  transitionView_ = view;
  transition_ = ViewTransition{};
  transition_.transition = static_cast<AnimationTransition>(transition);
  transition_.size = view->bounds().size;
  // The look before the block's changes: rendered now, as later the tree
  // will already show the new state.
  transition_.before = Renderer::snapshotView(*view, Screen::mainScreen().scale(), RunLoop::current().now());
}

AnimationBlock::Change& AnimationBlock::changeFor(const std::shared_ptr<View>& view) {
  for (auto& change : changes_) {
    if (change.key == view.get() && !change.view.expired()) return change;
  }
  changes_.push_back(Change{view, view.get(), std::nullopt, std::nullopt});
  return changes_.back();
}

void AnimationBlock::recordFrame(const std::shared_ptr<View>& view, graphics::Rect shownBefore) {
  auto& change = changeFor(view);
  if (!change.frameFrom) change.frameFrom = shownBefore;
}

void AnimationBlock::recordAlpha(const std::shared_ptr<View>& view, double shownBefore) {
  auto& change = changeFor(view);
  if (!change.alphaFrom) change.alphaFrom = shownBefore;
}

void AnimationBlock::start() {
  RunLoop& loop = RunLoop::current();
  const double now = loop.now();
  for (const auto& change : changes_) {
    auto view = change.view.lock();
    if (!view) continue;
    if (change.frameFrom) view->startFrameAnimation(*change.frameFrom, now, duration_, curve_);
    if (change.alphaFrom) view->startAlphaAnimation(*change.alphaFrom, now, duration_, curve_);
  }
  if (auto view = transitionView_.lock()) {
    transition_.timing = AnimatedValue<double>{0.0, 1.0, now, duration_, curve_};
    view->startTransition(std::move(transition_));
  }
  // The callback runs even for a block that changed nothing: callers chain
  // their next step on it.
  if (!didStop_) return;
  loop.performAfterDelay(duration_, [name = name_, context = context_, hasDelegate = hasDelegate_,
                                     delegate = delegate_, didStop = std::move(didStop_)] {
    if (hasDelegate && delegate.expired()) return;
    // Holding the delegate keeps it alive while its callback runs.
    auto protector = delegate.lock();
    didStop(name, true, context);
  });
}

}  // namespace platform::ui

#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

using platform::graphics::Point;
using platform::graphics::Rect;
using platform::ui::View;
using platform::ui::Window;

namespace {

std::shared_ptr<View> makeView(double x, double y, double w, double h, int tag = 0) {
  auto view = View::create({{x, y}, {w, h}});
  view->setTag(tag);
  return view;
}

}  // namespace

TEST(ViewTreeTest, SubviewOrderFollowsAddInsertBringAndRemove) {
  auto parent = makeView(0, 0, 100, 100);
  auto a = makeView(0, 0, 10, 10, 1);
  auto b = makeView(0, 0, 10, 10, 2);
  auto c = makeView(0, 0, 10, 10, 3);
  parent->addSubview(a);
  parent->addSubview(b);
  parent->insertSubviewAtIndex(c, 0);
  ASSERT_EQ(parent->subviews().size(), 3u);
  EXPECT_EQ(parent->subviews()[0], c);
  EXPECT_EQ(parent->subviews()[2], b);

  // Adding a subview again brings it to the front instead of duplicating it.
  parent->addSubview(c);
  ASSERT_EQ(parent->subviews().size(), 3u);
  EXPECT_EQ(parent->subviews().back(), c);

  parent->bringSubviewToFront(a);
  EXPECT_EQ(parent->subviews().back(), a);

  b->removeFromSuperview();
  EXPECT_EQ(b->superview(), nullptr);
  ASSERT_EQ(parent->subviews().size(), 2u);
  EXPECT_EQ(parent->subviews()[0], c);
}

TEST(ViewTreeTest, MovingAViewToAnotherParentLeavesTheOldOne) {
  auto first = makeView(0, 0, 100, 100);
  auto second = makeView(0, 0, 100, 100);
  auto child = makeView(0, 0, 10, 10);
  first->addSubview(child);
  second->addSubview(child);
  EXPECT_TRUE(first->subviews().empty());
  EXPECT_EQ(child->superview(), second);
}

TEST(ViewTreeTest, CyclesAreRefused) {
  auto root = makeView(0, 0, 100, 100);
  auto child = makeView(0, 0, 50, 50);
  auto grandchild = makeView(0, 0, 10, 10);
  root->addSubview(child);
  child->addSubview(grandchild);
  grandchild->addSubview(root);
  root->addSubview(root);
  EXPECT_TRUE(grandchild->subviews().empty());
  EXPECT_EQ(root->superview(), nullptr);
  EXPECT_TRUE(root->isDescendantOfView(root.get()));
  EXPECT_TRUE(grandchild->isDescendantOfView(root.get()));
}

TEST(ViewTreeTest, RemovingFromSuperviewReleasesAViewNobodyElseHolds) {
  auto parent = makeView(0, 0, 100, 100);
  std::weak_ptr<View> weakChild;
  {
    auto child = makeView(0, 0, 10, 10);
    weakChild = child;
    parent->addSubview(child);
  }
  ASSERT_FALSE(weakChild.expired());
  weakChild.lock()->removeFromSuperview();
  EXPECT_TRUE(weakChild.expired());
}

TEST(ViewTreeTest, ViewWithTagSearchesSelfFirstThenDepthFirstInOrder) {
  auto root = makeView(0, 0, 100, 100, 7);
  auto first = makeView(0, 0, 10, 10, 1);
  auto deep = makeView(0, 0, 5, 5, 2);
  auto second = makeView(0, 0, 10, 10, 2);
  root->addSubview(first);
  first->addSubview(deep);
  root->addSubview(second);

  EXPECT_EQ(root->viewWithTag(7), root);
  // The tag-2 view inside the first subtree comes before the later sibling.
  EXPECT_EQ(root->viewWithTag(2), deep);
  EXPECT_EQ(root->viewWithTag(99), nullptr);
  // A view whose own tag matches answers itself even when a subview does too.
  deep->setTag(1);
  EXPECT_EQ(first->viewWithTag(1), first);
}

TEST(ViewTreeTest, ConvertRectBetweenNestedViewsAndTheWindow) {
  auto window = Window::create({{0, 0}, {320, 480}});
  auto navigation = makeView(0, 20, 320, 460);
  auto banner = makeView(0, 412, 320, 48);
  auto inner = makeView(10, 5, 30, 30);
  window->addSubview(navigation);
  navigation->addSubview(banner);
  banner->addSubview(inner);

  // The banner's frame converted from its superview to the window.
  EXPECT_EQ(navigation->convertRectToView(banner->frame(), nullptr), (Rect{{0, 432}, {320, 48}}));
  EXPECT_EQ(inner->convertRectToView(inner->bounds(), window), (Rect{{10, 437}, {30, 30}}));
  EXPECT_EQ(inner->convertPointToView({1, 2}, navigation), (Point{11, 419}));
  EXPECT_EQ(inner->convertPointFromView({11, 419}, navigation), (Point{1, 2}));
  EXPECT_EQ(navigation->convertRectFromView({{0, 0}, {5, 5}}, inner), (Rect{{10, 417}, {5, 5}}));
  EXPECT_EQ(inner->window(), window);
  EXPECT_EQ(window->window(), window);
}

TEST(ViewTreeTest, AutoresizingFollowsTheMaskWhenTheSuperviewResizes) {
  auto parent = makeView(0, 0, 320, 460);
  auto fill = makeView(0, 0, 320, 460);
  fill->setAutoresizingMask(View::kAutoresizingFlexibleWidth | View::kAutoresizingFlexibleHeight);
  auto pinnedBottomRight = makeView(300, 440, 10, 10);
  pinnedBottomRight->setAutoresizingMask(View::kAutoresizingFlexibleLeftMargin |
                                         View::kAutoresizingFlexibleTopMargin);
  auto fixed = makeView(5, 5, 10, 10);
  auto centred = makeView(110, 0, 100, 10);
  centred->setAutoresizingMask(View::kAutoresizingFlexibleLeftMargin | View::kAutoresizingFlexibleRightMargin);
  parent->addSubview(fill);
  parent->addSubview(pinnedBottomRight);
  parent->addSubview(fixed);
  parent->addSubview(centred);
  auto grandchild = makeView(0, 0, 320, 10);
  grandchild->setAutoresizingMask(View::kAutoresizingFlexibleWidth);
  fill->addSubview(grandchild);

  parent->setFrame({{0, 0}, {480, 300}});
  EXPECT_EQ(fill->frame(), (Rect{{0, 0}, {480, 300}}));
  EXPECT_EQ(pinnedBottomRight->frame(), (Rect{{460, 280}, {10, 10}}));
  EXPECT_EQ(fixed->frame(), (Rect{{5, 5}, {10, 10}}));
  EXPECT_EQ(centred->frame(), (Rect{{190, 0}, {100, 10}}));
  // Resizing cascades down the tree.
  EXPECT_EQ(grandchild->frame().size.width, 480);

  // Without autoresizesSubviews nothing follows.
  parent->setAutoresizesSubviews(false);
  parent->setFrame({{0, 0}, {320, 460}});
  EXPECT_EQ(fill->frame(), (Rect{{0, 0}, {480, 300}}));
}

TEST(ViewTreeTest, AutoresizingNeverMakesANegativeSize) {
  auto parent = makeView(0, 0, 100, 100);
  auto child = makeView(0, 0, 100, 100);
  child->setAutoresizingMask(View::kAutoresizingFlexibleWidth);
  parent->addSubview(child);
  parent->setFrame({{0, 0}, {0, 100}});
  EXPECT_EQ(child->frame().size.width, 0);
  // Growing again from zero: the width is the only flexible part and takes all.
  parent->setFrame({{0, 0}, {50, 100}});
  EXPECT_EQ(child->frame().size.width, 50);
}

TEST(ViewTreeTest, CenterAndBoundsKeepEachOtherInStep) {
  auto view = makeView(10, 20, 100, 50);
  EXPECT_EQ(view->center(), (Point{60, 45}));
  view->setCenter({0, 0});
  EXPECT_EQ(view->frame(), (Rect{{-50, -25}, {100, 50}}));
  view->setBounds({{0, 0}, {10, 10}});
  EXPECT_EQ(view->frame(), (Rect{{-5, -5}, {10, 10}}));
  EXPECT_EQ(view->bounds(), (Rect{{0, 0}, {10, 10}}));
}

TEST(ViewTreeTest, AlphaIsClampedAndWindowMovesAreReported) {
  struct Watcher : View {
    int windowMoves = 0;
    void didMoveToWindow() override { ++windowMoves; }
  };
  auto view = std::make_shared<Watcher>();
  view->initWithFrame({{0, 0}, {10, 10}});
  view->setAlpha(3);
  EXPECT_EQ(view->alpha(), 1);
  view->setAlpha(-1);
  EXPECT_EQ(view->alpha(), 0);

  auto window = Window::create({{0, 0}, {320, 480}});
  auto holder = makeView(0, 0, 50, 50);
  holder->addSubview(view);
  EXPECT_EQ(view->windowMoves, 0);
  window->addSubview(holder);
  EXPECT_EQ(view->windowMoves, 1);
  holder->removeFromSuperview();
  EXPECT_EQ(view->windowMoves, 2);
}

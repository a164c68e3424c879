#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ControlsTestSupport.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/BarAppearance.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Toolbar.h"

using controlstest::Pixel;
using controlstest::UiFixture;
using platform::graphics::GraphicsContext;
using platform::graphics::Rect;
using platform::ui::BarAppearance;
using platform::ui::BarButtonItem;
using platform::ui::NavigationBar;
using platform::ui::NavigationItem;
using platform::ui::Toolbar;

namespace {

class BarsTest : public UiFixture {
 protected:
  std::shared_ptr<NavigationBar> topBar() {
    auto bar = std::make_shared<NavigationBar>();
    bar->initWithFrame({{0, 20}, {320, 44}});
    window_->addSubview(bar);
    return bar;
  }
  std::shared_ptr<Toolbar> bottomBar() {
    auto bar = std::make_shared<Toolbar>();
    bar->initWithFrame({{0, 436}, {320, 44}});
    window_->addSubview(bar);
    return bar;
  }
  // The number of pixels in the rect (window coordinates) matching `match`.
  template <class Match>
  int count(const GraphicsContext& image, Rect r, Match match) {
    int n = 0;
    for (int x = static_cast<int>(r.minX()); x < static_cast<int>(r.maxX()); ++x) {
      for (int y = static_cast<int>(r.minY()); y < static_cast<int>(r.maxY()); ++y) n += match(pixel(image, x, y));
    }
    return n;
  }
  int white(const GraphicsContext& image, Rect r) {
    return count(image, r, [](Pixel p) { return isWhite(p); });
  }
};

Rect shifted(Rect r, double dy) { return {{r.minX(), r.minY() + dy}, r.size}; }

}  // namespace

TEST_F(BarsTest, AStandaloneBarPopsItsOwnItemsAndRunsItsButtons) {
  auto bar = topBar();
  int done = 0;
  auto item = NavigationItem::initWithTitle("");
  item->setLeftBarButtonItem(BarButtonItem::initWithBarButtonSystemItemTargetAction(
      BarButtonItem::kSystemItemDone, [&done](BarButtonItem&) { ++done; }));
  bar->pushNavigationItemAnimated(item, false);
  EXPECT_EQ(item->leftBarButtonItem()->title(), "Done");
  const Rect left = *bar->leftButtonFrame();
  tap({left.midX(), 20 + left.midY()});
  EXPECT_EQ(done, 1);

  // Disabled, it ignores the tap.
  item->leftBarButtonItem()->setEnabled(false);
  tap({left.midX(), 20 + left.midY()});
  EXPECT_EQ(done, 1);

  auto page = NavigationItem::initWithTitle("Page");
  bar->pushNavigationItemAnimated(page, false);
  bar->pushNavigationItemAnimated(page, false);
  EXPECT_EQ(bar->items().size(), 2u);
  const Rect back = *bar->backButtonFrame();
  tap({back.midX(), 20 + back.midY()});
  EXPECT_EQ(bar->topItem(), item);
  // The last item stays.
  EXPECT_EQ(bar->popNavigationItemAnimated(false), nullptr);
}

TEST_F(BarsTest, ABlackBarIsBlackWithAWhiteTitle) {
  auto bar = topBar();
  bar->setBarStyle(BarAppearance::kBarStyleBlack);
  bar->pushNavigationItemAnimated(NavigationItem::initWithTitle("Vorla Button"), false);
  auto image = render();
  const Rect title = shifted(bar->titleFrame(), 20);
  EXPECT_GT(title.size.width, 60);
  EXPECT_LT(std::abs(title.midX() - 160), 1.0);
  EXPECT_GT(white(*image, title), 30);
  // Away from the title the lower half is black.
  EXPECT_TRUE(isNearlyBlack(pixel(*image, 10, 20 + 36)));
  EXPECT_TRUE(isNearlyBlack(pixel(*image, 310, 20 + 30)));
  EXPECT_EQ(white(*image, {{0, 20}, {title.minX() - 2, 44}}), 0);

  // The default style is blue-grey, not black.
  bar->setBarStyle(BarAppearance::kBarStyleDefault);
  image = render();
  const auto p = pixel(*image, 10, 20 + 36);
  EXPECT_GT(p.blue, 120);
  EXPECT_GT(p.blue, p.red);
}

TEST_F(BarsTest, TitlesFromOutsideAreCutToALinesWorthBeforeTheyAreLaidOut) {
  auto bar = topBar();
  auto item = NavigationItem::initWithTitle(std::string(400000, 'W'));
  auto button = BarButtonItem::initWithTitleStyleTargetAction(std::string(400000, ' '), 0, nullptr);
  item->setRightBarButtonItem(button);
  EXPECT_LT(item->title().size(), 1000u);
  EXPECT_LT(button->title().size(), 1000u);
  item->setTitle("Page " + std::string(400000, 'x'));
  EXPECT_EQ(item->title().substr(0, 6), "Page x");
  EXPECT_LT(item->title().size(), 1000u);
  bar->pushNavigationItemAnimated(item, false);
  auto image = render();
  EXPECT_LE(bar->titleFrame().size.width, 320);
}

TEST_F(BarsTest, ToolbarSpacesShareTheFreeWidth) {
  auto bar = bottomBar();
  auto icon = GraphicsContext::imageContext(20, 20)->makeImage();
  auto space = BarButtonItem::initWithBarButtonSystemItemTargetAction(BarButtonItem::kSystemItemFlexibleSpace, nullptr);
  auto back = BarButtonItem::initWithImageStyleTargetAction(icon, BarButtonItem::kStylePlain, nullptr);
  auto forward = BarButtonItem::initWithImageStyleTargetAction(icon, BarButtonItem::kStylePlain, nullptr);
  auto reload = BarButtonItem::initWithBarButtonSystemItemTargetAction(BarButtonItem::kSystemItemRefresh, nullptr);
  auto action = BarButtonItem::initWithBarButtonSystemItemTargetAction(BarButtonItem::kSystemItemAction, nullptr);
  bar->setItemsAnimated({back, space, forward, space, reload, space, action, nullptr}, false);
  ASSERT_EQ(bar->items().size(), 7u);
  const auto frames = bar->itemFrames();
  EXPECT_EQ(frames[0].minX(), 6);
  EXPECT_DOUBLE_EQ(frames[6].maxX(), 314);
  EXPECT_GT(frames[1].size.width, 20);
  EXPECT_DOUBLE_EQ(frames[1].size.width, frames[3].size.width);
  EXPECT_DOUBLE_EQ(frames[3].size.width, frames[5].size.width);
  for (std::size_t i = 1; i < frames.size(); ++i) EXPECT_DOUBLE_EQ(frames[i].minX(), frames[i - 1].maxX());

  // Without a flexible space the items line up from the left.
  bar->setItemsAnimated({reload, action}, false);
  const auto packed = bar->itemFrames();
  EXPECT_EQ(packed[1].minX(), packed[0].maxX() + 10);
  EXPECT_LT(packed[1].maxX(), 100);
}

TEST_F(BarsTest, DisabledToolbarItemsAreFadedAndIgnoreTaps) {
  auto bar = bottomBar();
  int reloads = 0, stops = 0;
  auto reload = BarButtonItem::initWithBarButtonSystemItemTargetAction(BarButtonItem::kSystemItemRefresh,
                                                                       [&reloads](BarButtonItem&) { ++reloads; });
  auto stop = BarButtonItem::initWithBarButtonSystemItemTargetAction(BarButtonItem::kSystemItemStop,
                                                                     [&stops](BarButtonItem&) { ++stops; });
  bar->setItemsAnimated({reload, stop}, false);
  const auto frames = bar->itemFrames();
  tap({frames[0].midX(), 436 + frames[0].midY()});
  tap({frames[1].midX(), 436 + frames[1].midY()});
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(stops, 1);

  auto image = render();
  const int enabledInk = white(*image, shifted(frames[1], 436));
  EXPECT_GT(enabledInk, 10);
  stop->setEnabled(false);
  tap({frames[1].midX(), 436 + frames[1].midY()});
  EXPECT_EQ(stops, 1);
  image = render();
  EXPECT_EQ(white(*image, shifted(frames[1], 436)), 0);
  EXPECT_GT(white(*image, shifted(frames[0], 436)), 10);
}

TEST_F(BarsTest, SystemIconsDrawDistinctShapes) {
  std::vector<std::vector<bool>> shapes;
  for (int code : {BarButtonItem::kSystemItemAction, BarButtonItem::kSystemItemRefresh, BarButtonItem::kSystemItemStop}) {
    auto context = GraphicsContext::imageContext(20, 20);
    BarAppearance::drawSystemIcon(*context, code, {{0, 0}, {20, 20}});
    std::vector<bool> ink;
    int inked = 0;
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x) {
        ink.push_back(context->pixelAt(x, y)->alpha > 128);
        inked += ink.back();
      }
    }
    EXPECT_GT(inked, 15) << code;
    shapes.push_back(ink);
  }
  EXPECT_NE(shapes[0], shapes[1]);
  EXPECT_NE(shapes[1], shapes[2]);
  EXPECT_NE(shapes[0], shapes[2]);
}

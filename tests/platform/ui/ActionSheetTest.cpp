// Action sheets on a real window: the platform's order of indices, the
// slide up from the bottom, the looks of the three kinds of button, and the
// sheet's place after the interface turns.

#include <gtest/gtest.h>

#include "PopupTestSupport.h"
#include "platform/ui/Toolbar.h"

using controlstest::Pixel;
using platform::ui::InterfaceOrientation;
using platform::ui::Toolbar;
using namespace popuptest;

namespace {

int brightness(Pixel p) { return p.red + p.green + p.blue; }

class ActionSheetTest : public PopupFixture {
 protected:
  ActionSheetTest() {
    toolbar_ = std::make_shared<Toolbar>();
    toolbar_->initWithFrame({{0, 416}, {320, 44}});
    screen_->addSubview(toolbar_);
  }

  std::shared_ptr<ActionSheet> browserSheet() {
    return ActionSheet::create(std::nullopt, delegate_, "Cancel", std::nullopt, {"Launch Safari", "Email link"});
  }
  std::shared_ptr<ActionSheet> deleteSheet() {
    return ActionSheet::create("Delete this entry?", delegate_, "Cancel", "Delete", {"Keep"});
  }

  std::shared_ptr<Toolbar> toolbar_;
};

}  // namespace

TEST_F(ActionSheetTest, EachButtonReportsItsIndexInThePlatformsOrder) {
  auto sheet = browserSheet();
  EXPECT_EQ(sheet->buttonTitles(), (std::vector<std::string>{"Launch Safari", "Email link", "Cancel"}));
  EXPECT_EQ(sheet->cancelButtonIndex(), 2);
  EXPECT_EQ(sheet->destructiveButtonIndex(), PopupView::kNoButton);
  auto withDelete = deleteSheet();
  EXPECT_EQ(withDelete->buttonTitles(), (std::vector<std::string>{"Delete", "Keep", "Cancel"}));
  EXPECT_EQ(withDelete->destructiveButtonIndex(), 0);
  EXPECT_EQ(withDelete->cancelButtonIndex(), 2);

  for (const auto* title : {"Launch Safari", "Email link", "Cancel"}) {
    auto shown = browserSheet();
    shown->showFromToolbar(toolbar_);
    tapButton(*shown, title);
    EXPECT_FALSE(shown->isVisible());
  }
  for (const auto* title : {"Delete", "Keep"}) {
    auto shown = deleteSheet();
    shown->showInView(screen_);
    tapButton(*shown, title);
  }
  EXPECT_EQ(delegate_->presses, (std::vector<std::pair<std::string, int>>{
                                    {"", 0}, {"", 1}, {"", 2}, {"Delete this entry?", 0}, {"Delete this entry?", 1}}));
}

TEST_F(ActionSheetTest, SlidesUpFromTheBottomOverADimmedScreen) {
  auto sheet = deleteSheet();
  sheet->showFromToolbar(toolbar_);
  const double start = loop_.now();
  const Rect placed = sheet->frame();
  EXPECT_EQ(placed.maxY(), 480);
  EXPECT_EQ(placed.size.width, 320);
  EXPECT_EQ(sheet->presentationFrame(start).minY(), 480) << "starts just below the screen";
  const double halfway = sheet->presentationFrame(start + 0.15).minY();
  EXPECT_LT(halfway, 480);
  EXPECT_GT(halfway, placed.minY());
  settle();
  EXPECT_EQ(sheet->presentationFrame(loop_.now()), placed);

  auto image = render();
  const Pixel screen = pixel(*image, 40, 90);
  EXPECT_LT(brightness(screen), 3 * 200) << "dimmed";
  EXPECT_GT(brightness(screen), 3 * 80);
  EXPECT_LT(brightness(pixel(*image, 5, placed.minY() + 6)), 3 * 60) << "a dark panel";
  // Near the left end of each button, clear of its title.
  auto sample = [&](const std::string& title) {
    auto button = buttonTitled(*sheet, title);
    return pixel(*image, button->convertPointToView({14, 0}, nullptr).x, centreOf(*button).y);
  };
  const Pixel red = sample("Delete");
  EXPECT_GT(red.red, 170);
  EXPECT_GT(red.red, red.green + 100);
  const Pixel light = sample("Keep");
  EXPECT_GT(brightness(light), 3 * 200);
  const Pixel dark = sample("Cancel");
  EXPECT_LT(brightness(dark), 3 * 110);
  // Cancel is set apart from the others.
  const Rect keep = buttonTitled(*sheet, "Keep")->frame();
  const Rect cancel = buttonTitled(*sheet, "Cancel")->frame();
  const Rect destroy = buttonTitled(*sheet, "Delete")->frame();
  EXPECT_GT(cancel.minY() - keep.maxY(), keep.minY() - destroy.maxY());

  // Pressed, a button turns blue.
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, centreOf(*buttonTitled(*sheet, "Keep"))));
  image = render();
  const Pixel pressed = sample("Keep");
  EXPECT_GT(pressed.blue, pressed.red + 100);
  window_->sendTouch(TouchPhase::Cancelled, {0, 0});
  EXPECT_TRUE(delegate_->presses.empty());
}

TEST_F(ActionSheetTest, StaysAtTheBottomAcrossTheTurnedScreen) {
  auto sheet = browserSheet();
  sheet->showFromToolbar(toolbar_);
  settle();
  window_->setInterfaceOrientation(InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(sheet->frame().maxY(), 320);
  EXPECT_EQ(sheet->frame().size.width, 480);
  const Rect safari = buttonTitled(*sheet, "Launch Safari")->frame();
  EXPECT_NEAR(safari.midX(), 240, 1);
  tapButton(*sheet, "Email link");
  EXPECT_EQ(delegate_->presses.back().second, 1);
}

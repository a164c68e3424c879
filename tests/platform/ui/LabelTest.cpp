#include <gtest/gtest.h>

#include <memory>

#include "ControlsTestSupport.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/ui/Label.h"

using controlstest::UiFixture;
using platform::graphics::Color;
using platform::graphics::Font;
using platform::graphics::StringDrawing;
using platform::graphics::TextAlignment;
using platform::ui::Label;

namespace {

class LabelTest : public UiFixture {
 protected:
  std::shared_ptr<Label> label(const char* text, double size, bool shrinks) {
    auto l = std::make_shared<Label>();
    l->initWithFrame({{180, 15}, {125, 45}});
    l->setText(text);
    l->setFont(Font::fontWithNameSize("Helvetica", size));
    l->setAdjustsFontSizeToFitWidth(shrinks);
    return l;
  }
};

}  // namespace

TEST_F(LabelTest, DefaultsAreThePlatforms) {
  Label l;
  EXPECT_EQ(l.font()->pointSize(), 17);
  EXPECT_EQ(l.textColor(), Color::blackColor());
  EXPECT_EQ(l.backgroundColor(), Color::whiteColor());
  EXPECT_EQ(l.numberOfLines(), 1);
  EXPECT_FALSE(l.isUserInteractionEnabled());
  l.setFont(nullptr);
  EXPECT_EQ(l.font()->pointSize(), 17);
}

TEST_F(LabelTest, ShrinkToFitPicksASmallerFontForLongText) {
  auto shrinking = label("*This app has nothing to do", 24, true);
  const auto font = shrinking->fontForDrawing();
  EXPECT_LT(font->pointSize(), 24);
  EXPECT_LE(StringDrawing::sizeWithFont(shrinking->text(), *font).width, 125);

  // Short text keeps its size, and a label that does not shrink never does.
  EXPECT_EQ(label("6/2/2009", 24, true)->fontForDrawing()->pointSize(), 24);
  EXPECT_EQ(label("*This app has nothing to do", 24, false)->fontForDrawing()->pointSize(), 24);

  // Not below the minimum.
  shrinking->setMinimumFontSize(20);
  EXPECT_EQ(shrinking->fontForDrawing()->pointSize(), 20);
}

TEST_F(LabelTest, TextIsCentredVerticallyAndAligned) {
  auto backdrop = platform::ui::View::create({{0, 0}, {320, 480}});
  backdrop->setBackgroundColor(Color::whiteColor());
  window_->addSubview(backdrop);
  auto right = label("Version 3.0", 17, false);
  right->setBackgroundColor(Color::clearColor());
  right->setTextAlignment(TextAlignment::Right);
  right->setFrame({{180, 115}, {125, 45}});  // clear of the status bar
  window_->addSubview(right);
  auto image = render();
  const auto ink = [&](int x0, int x1, int y0, int y1) {
    int n = 0;
    for (int x = x0; x < x1; ++x) {
      for (int y = y0; y < y1; ++y) n += pixel(*image, x, y).red < 100 ? 1 : 0;
    }
    return n;
  };
  // Right-aligned: the ink is in the right part; centred: above and below
  // the middle line equally (within a few rows).
  EXPECT_EQ(ink(180, 220, 115, 160), 0);
  EXPECT_GT(ink(260, 305, 115, 160), 20);
  const auto rect = right->textRect();
  EXPECT_NEAR(rect.midY(), 22.5, 0.5);
  EXPECT_GT(ink(180, 305, static_cast<int>(115 + rect.minY()), static_cast<int>(115 + rect.maxY())), 20);
  EXPECT_EQ(ink(180, 305, 115, static_cast<int>(115 + rect.minY()) - 1), 0);
  EXPECT_EQ(ink(180, 305, static_cast<int>(115 + rect.maxY()) + 1, 160), 0);
}

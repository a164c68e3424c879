#include "platform/graphics/StringLayout.h"

#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/StringDrawing.h"

namespace platform::graphics {
namespace {

constexpr const char* kLongText =
    "Get the best deals on flights and hotels for your next trip, book now and save up to fifty "
    "percent on every booking made this week";

class StringLayoutTest : public testing::Test {
 protected:
  void SetUp() override { graphicstest::loadAppFonts(); }
  static std::vector<std::uint8_t> pixels(const GraphicsContext& context) { return context.pngData(); }
  std::shared_ptr<Font> bold13_ = Font::fontWithNameSize("Helvetica-Bold", 13);
  std::shared_ptr<Font> small_ = Font::fontWithNameSize("Helvetica", 9.5);
};

TEST_F(StringLayoutTest, MeasuresAndDrawsWhatStringDrawingDoesAtEveryScale) {
  const Size box{227, 48};
  auto wrapped = StringLayout::layoutWithFontConstrainedToSize(kLongText, *bold13_, box);
  auto line = StringLayout::layoutWithFont("Ads by Pennant", *small_);
  EXPECT_EQ(wrapped->size(), StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, box));
  EXPECT_EQ(line->size(), StringDrawing::sizeWithFont("Ads by Pennant", *small_));
  EXPECT_EQ(wrapped->lineCount(), 3) << "as many whole lines as fit in 48 points";

  for (double scale : {1.0, 2.0}) {
    auto drawn = GraphicsContext::imageContext(320, 48, scale);
    auto expected = GraphicsContext::imageContext(320, 48, scale);
    for (auto* context : {drawn.get(), expected.get()}) context->setFillColor(Color::blackColor());
    // The same layout drawn twice gives the same pixels as fresh drawing.
    wrapped->drawInRect(*drawn, {{10, 0}, wrapped->size()});
    wrapped->drawInRect(*drawn, {{10, 0}, wrapped->size()});
    line->drawInRect(*drawn, {{200, 36}, line->size()});
    StringDrawing::drawInRectWithFont(*expected, kLongText, {{10, 0}, wrapped->size()}, *bold13_);
    StringDrawing::drawInRectWithFont(*expected, kLongText, {{10, 0}, wrapped->size()}, *bold13_);
    StringDrawing::drawInRectWithFont(*expected, "Ads by Pennant", {{200, 36}, line->size()}, *small_);
    EXPECT_EQ(pixels(*drawn), pixels(*expected)) << "scale " << scale;
  }
}

}  // namespace
}  // namespace platform::graphics

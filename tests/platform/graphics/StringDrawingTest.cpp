#include "platform/graphics/StringDrawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"

namespace platform::graphics {
namespace {

using graphicstest::at;
using graphicstest::Box;
using graphicstest::boxOf;
using graphicstest::isInk;

constexpr const char* kLongText =
    "Get the best deals on flights and hotels for your next trip, book now and save up to fifty "
    "percent on every booking made this week";

class Text : public testing::Test {
 protected:
  void SetUp() override { graphicstest::loadAppFonts(); }
  std::shared_ptr<Font> bold13_ = Font::fontWithNameSize("Helvetica-Bold", 13);
};

// Sizes of recent texts are remembered: asking again, in another order and
// after more texts than are kept, must give what the first layout gave for
// exactly that font, width, height and line-break mode.
TEST_F(Text, MeasuringAgainGivesTheSameSizeForEveryFontAndConstraint) {
  struct Asked {
    std::string text;
    std::shared_ptr<Font> font;
    Size limit;
    LineBreakMode mode;
    Size answer;
  };
  const auto regular13 = Font::fontWithNameSize("Helvetica", 13);
  std::vector<Asked> asked;
  for (int n = 0; n < 40; ++n) {
    const std::string text = std::string(kLongText).substr(0, 20 + 3 * n);
    for (const auto& font : {bold13_, regular13, bold13_->fontWithSize(17)}) {
      for (const Size limit : {Size{120, 1000}, Size{240, 1000}, Size{240, 20}}) {
        for (const auto mode : {LineBreakMode::WordWrap, LineBreakMode::TailTruncation}) {
          asked.push_back({text, font, limit, mode, StringDrawing::sizeWithFontConstrainedToSize(text, *font, limit, mode)});
        }
      }
    }
  }
  // The parameters matter, so a remembered size under the wrong key shows.
  EXPECT_GT(asked[0].answer.width, 0);
  EXPECT_NE(StringDrawing::sizeWithFont(kLongText, *bold13_).width, StringDrawing::sizeWithFont(kLongText, *regular13).width);
  for (auto it = asked.rbegin(); it != asked.rend(); ++it) {
    EXPECT_EQ(StringDrawing::sizeWithFontConstrainedToSize(it->text, *it->font, it->limit, it->mode), it->answer)
        << it->text << " " << it->font->fontName() << " " << it->limit.width << "x" << it->limit.height;
  }
  std::size_t distinct = 0;
  for (std::size_t i = 1; i < asked.size(); ++i) distinct += !(asked[i].answer == asked[i - 1].answer);
  EXPECT_GT(distinct, asked.size() / 4);
}

TEST_F(Text, ASingleLineIsAboutTheFontSizeTallAndScalesWithIt) {
  const Size hello = StringDrawing::sizeWithFont("Hello", *bold13_);
  EXPECT_GE(hello.height, 13);
  EXPECT_LE(hello.height, 18);
  EXPECT_GT(hello.width, 20);
  EXPECT_LT(hello.width, 5 * 13);
  EXPECT_GT(StringDrawing::sizeWithFont("Hello world", *bold13_).width, hello.width);
  // Unhinted metrics: twice the size, twice the width, to the rounding.
  const Size twice = StringDrawing::sizeWithFont("Hello", *bold13_->fontWithSize(26));
  EXPECT_NEAR(twice.width, 2 * hello.width, 2);
  EXPECT_NEAR(twice.height, 2 * hello.height, 2);
  // Line breaks do not start new lines in a single-line measurement.
  EXPECT_EQ(StringDrawing::sizeWithFont("Hello\nworld", *bold13_).height, hello.height);
}

TEST_F(Text, EmptyTextMeasuresNothing) {
  EXPECT_EQ(StringDrawing::sizeWithFont("", *bold13_), (Size{0, 0}));
  EXPECT_EQ(StringDrawing::sizeWithFontConstrainedToSize("", *bold13_, {100, 100}), (Size{0, 0}));
}

TEST_F(Text, LongTextWrapsToSeveralLinesWithinTheWidth) {
  const double line = StringDrawing::sizeWithFont("Hello", *bold13_).height;
  const Size wrapped = StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {227, 1000});
  EXPECT_LE(wrapped.width, 227);
  EXPECT_GT(wrapped.width, 150);
  EXPECT_GE(wrapped.height, 3 * line - 1);
  const Size narrower = StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {120, 1000});
  EXPECT_LE(narrower.width, 120);
  EXPECT_GT(narrower.height, wrapped.height);
}

TEST_F(Text, WrapsAtWordBoundariesAndInsideOnlyWordsTooWideForTheLine) {
  const double aaaa = StringDrawing::sizeWithFont("aaaa", *bold13_).width;
  const double line = StringDrawing::sizeWithFont("aaaa", *bold13_).height;
  // Room for "aaaa b" but not "aaaa bb": the break comes at the space, so
  // the widest line is "aaaa" and the second is "bb".
  const double room = StringDrawing::sizeWithFont("aaaa b", *bold13_).width;
  const Size s = StringDrawing::sizeWithFontConstrainedToSize("aaaa bb", *bold13_, {room, 100});
  EXPECT_EQ(s.width, aaaa);
  EXPECT_NEAR(s.height, 2 * line, 1);
  // One word wider than the line is broken between characters.
  const Size word = StringDrawing::sizeWithFontConstrainedToSize("abcdefghijklmnop", *bold13_, {40, 100});
  EXPECT_LE(word.width, 40);
  EXPECT_GT(word.height, 2 * line);
}

TEST_F(Text, ConstrainedHeightKeepsWholeLinesOnly) {
  const Size full = StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {150, 1000});
  const Size capped = StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {150, 48});
  ASSERT_GT(full.height, 48);
  EXPECT_LE(capped.height, 48);
  // The capped height holds a whole number of lines: measuring within it
  // again gives the same, and one point less loses a whole line.
  EXPECT_EQ(StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {150, capped.height}), capped);
  const Size fewer = StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {150, capped.height - 1});
  const double line = StringDrawing::sizeWithFont("x", *bold13_).height;
  EXPECT_NEAR(capped.height - fewer.height, line, 1);
  // Less than one line: the first line, cut to the height.
  EXPECT_EQ(StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {150, 5}).height, 5);
}

TEST_F(Text, UnboundedAndNonsenseLimitsAreSafe) {
  const Size huge = StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {1e12, 1e12});
  EXPECT_EQ(huge, StringDrawing::sizeWithFont(kLongText, *bold13_));
  const Size none = StringDrawing::sizeWithFontConstrainedToSize("abc", *bold13_, {-5, std::nan("")});
  EXPECT_EQ(none.width, 0);
  EXPECT_EQ(none.height, 0);
}

TEST_F(Text, BytesThatAreNotUtf8AreReplacementCharacters) {
  const std::string broken = "\xff\xfe" "abc" + std::string(1, '\0') + "d\xc3";
  const std::string replaced = "\xEF\xBF\xBD\xEF\xBF\xBD" "abc\xEF\xBF\xBD" "d\xEF\xBF\xBD";
  EXPECT_EQ(StringDrawing::sizeWithFont(broken, *bold13_), StringDrawing::sizeWithFont(replaced, *bold13_));
  auto c = GraphicsContext::imageContext(100, 20);
  EXPECT_EQ(StringDrawing::drawAtPointWithFont(*c, broken, {0, 0}, *bold13_),
            StringDrawing::sizeWithFont(replaced, *bold13_));
}

TEST_F(Text, TruncationShortensTheLastLineThatFits) {
  const Size s = StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {150, 20},
                                                              LineBreakMode::TailTruncation);
  EXPECT_EQ(s.height, StringDrawing::sizeWithFont("x", *bold13_).height);
  EXPECT_LE(s.width, 150);
  EXPECT_GT(s.width, 100);
  const Size clipped =
      StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {150, 100}, LineBreakMode::Clip);
  EXPECT_EQ(clipped.width, 150) << "clipping does not wrap";
  EXPECT_EQ(clipped.height, StringDrawing::sizeWithFont("x", *bold13_).height);
}

TEST_F(Text, DrawInRectUsesTheFillColourAndStaysInsideTheMeasuredBox) {
  // The banner's text area: measured within (227, 48), drawn into the
  // measured box centred vertically.
  auto c = GraphicsContext::imageContext(320, 48, 2);
  const Size measured = StringDrawing::sizeWithFontConstrainedToSize(kLongText, *bold13_, {227, 48});
  const Rect box{{51, (48 - measured.height) / 2}, measured};
  c->setFillColor(Color{1, 0, 0, 1});
  EXPECT_EQ(StringDrawing::drawInRectWithFont(*c, kLongText, box, *bold13_), measured);
  const Box ink = boxOf(*c, isInk);
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.minX, 51 * 2);
  EXPECT_LE(ink.minX, 53 * 2) << "left-aligned";
  EXPECT_LE(ink.maxX, static_cast<int>(box.maxX() * 2) + 1);
  EXPECT_GE(ink.minY, static_cast<int>(box.minY() * 2));
  EXPECT_LE(ink.maxY, static_cast<int>(box.maxY() * 2));
  EXPECT_GT(ink.maxY, static_cast<int>((box.maxY() - 16) * 2)) << "the last line was drawn";
  const Box notRed = boxOf(*c, [](auto p) { return p.alpha > 0 && (p.green > 0 || p.blue > 0 || p.red < 200); });
  EXPECT_TRUE(notRed.empty());
}

TEST_F(Text, DrawInRectCutsOffLinesBelowTheRect) {
  auto c = GraphicsContext::imageContext(200, 100);
  const double line = StringDrawing::sizeWithFont("x", *bold13_).height;
  const Size drawn = StringDrawing::drawInRectWithFont(*c, kLongText, {{0, 10}, {150, line + 5}}, *bold13_);
  EXPECT_EQ(drawn.height, line);
  const Box ink = boxOf(*c, isInk);
  EXPECT_LT(ink.maxY, 10 + line);
  EXPECT_GE(ink.minY, 10);
}

TEST_F(Text, DrawInRectAlignsEachLineWithinTheWidth) {
  auto font = Font::fontWithNameSize("Marker Felt", 24);
  for (const LineBreakMode mode : {LineBreakMode::WordWrap, LineBreakMode::Clip}) {
    auto left = GraphicsContext::imageContext(200, 40);
    auto centre = GraphicsContext::imageContext(200, 40);
    auto right = GraphicsContext::imageContext(200, 40);
    const Rect rect{{20, 5}, {160, 30}};
    StringDrawing::drawInRectWithFont(*left, "6/2/2009", rect, *font, mode, TextAlignment::Left);
    StringDrawing::drawInRectWithFont(*centre, "6/2/2009", rect, *font, mode, TextAlignment::Center);
    StringDrawing::drawInRectWithFont(*right, "6/2/2009", rect, *font, mode, TextAlignment::Right);
    const Box l = boxOf(*left, isInk), c = boxOf(*centre, isInk), r = boxOf(*right, isInk);
    EXPECT_NEAR(l.minX, 20, 3);
    EXPECT_NEAR(r.maxX, 180, 3);
    EXPECT_NEAR((c.minX + c.maxX) / 2.0, 100, 3);
    EXPECT_EQ(l.maxX - l.minX, r.maxX - r.minX);
  }
}

TEST_F(Text, DrawAtPointDrawsOneLineFromThePointAndScalesWithTheContext) {
  auto one = GraphicsContext::imageContext(120, 30, 1);
  auto two = GraphicsContext::imageContext(120, 30, 2);
  const Size size = StringDrawing::drawAtPointWithFont(*one, "Ads by Pennant", {10, 5}, *bold13_);
  EXPECT_EQ(StringDrawing::drawAtPointWithFont(*two, "Ads by Pennant", {10, 5}, *bold13_), size);
  EXPECT_EQ(size, StringDrawing::sizeWithFont("Ads by Pennant", *bold13_));
  const Box a = boxOf(*one, isInk), b = boxOf(*two, isInk);
  EXPECT_NEAR(a.minX, 10, 2);
  EXPECT_GE(a.minY, 5);
  EXPECT_LE(a.maxY, 5 + size.height);
  EXPECT_NEAR(b.maxX - b.minX, 2 * (a.maxX - a.minX), 3);
  EXPECT_NEAR(b.maxY - b.minY, 2 * (a.maxY - a.minY), 3);
  // Drawing honours the context's alpha.
  auto faded = GraphicsContext::imageContext(120, 30);
  faded->setAlpha(0.5);
  StringDrawing::drawAtPointWithFont(*faded, "Ads by Pennant", {10, 5}, *bold13_);
  int darkest = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 120; ++x) {
      darkest = std::max<int>(darkest, at(*faded, x, y).alpha);
    }
  }
  EXPECT_NEAR(darkest, 128, 2);
}

TEST_F(Text, ShrinkToFitFindsTheLargestSizeThatFitsTheWidth) {
  auto font = Font::fontWithNameSize("Marker Felt", 36);
  double actual = 0;
  const Size s = StringDrawing::sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(
      "Vorla Button", *font, 8, &actual, 125, LineBreakMode::TailTruncation);
  EXPECT_LT(actual, 36);
  EXPECT_GT(actual, 8);
  EXPECT_LE(s.width, 125);
  EXPECT_EQ(s, StringDrawing::sizeWithFont("Vorla Button", *font->fontWithSize(actual)));
  EXPECT_GT(StringDrawing::sizeWithFont("Vorla Button", *font->fontWithSize(actual * 1.03)).width, 125)
      << "not much smaller than needed";

  // Text that fits keeps its size.
  StringDrawing::sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode("6/2/2009", *font->fontWithSize(24), 8,
                                                                           &actual, 125, LineBreakMode::Clip);
  EXPECT_EQ(actual, 24);
}

TEST_F(Text, ShrinkToFitStopsAtTheMinimumAndTruncates) {
  auto font = Font::fontWithNameSize("Marker Felt", 24);
  double actual = 0;
  const Size s = StringDrawing::sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(
      kLongText, *font, 8, &actual, 125, LineBreakMode::TailTruncation);
  EXPECT_EQ(actual, 8);
  EXPECT_LE(s.width, 125);
  EXPECT_EQ(s.height, StringDrawing::sizeWithFont("x", *font->fontWithSize(8)).height);
  // A minimum above the font's size does not grow the text.
  StringDrawing::sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(kLongText, *font, 40, &actual, 125,
                                                                           LineBreakMode::Clip);
  EXPECT_EQ(actual, 24);
}

}  // namespace
}  // namespace platform::graphics

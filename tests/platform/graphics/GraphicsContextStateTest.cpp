#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "GraphicsTestSupport.h"
#include "TestImages.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace platform::graphics {
namespace {

using graphicstest::at;
using graphicstest::Pixel;

constexpr Pixel kBlack{0, 0, 0, 255};
constexpr Pixel kRed{255, 0, 0, 255};
constexpr Pixel kClear{0, 0, 0, 0};

TEST(ImageContext, RefusesUnsupportedScalesAndSizes) {
  EXPECT_FALSE(GraphicsContext::imageContext(10, 10, 3));
  EXPECT_FALSE(GraphicsContext::imageContext(10, 10, 1.5));
  EXPECT_FALSE(GraphicsContext::imageContext(0, 10));
  EXPECT_FALSE(GraphicsContext::imageContext(10, -1));
  EXPECT_FALSE(GraphicsContext::imageContext(GraphicsContext::kMaxImageSide + 1, 1));
  EXPECT_FALSE(GraphicsContext::contextWithCairo(nullptr));
}

TEST(ImageContext, ScaleTwoHasTwoPixelsPerPoint) {
  auto c = GraphicsContext::imageContext(30, 20, 2);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->pixelWidth(), 60);
  EXPECT_EQ(c->pixelHeight(), 40);
  EXPECT_EQ(at(*c, 0, 0), kClear);
  c->fillRect({{1, 1}, {1, 1}});
  EXPECT_EQ(at(*c, 2, 2), kBlack);
  EXPECT_EQ(at(*c, 3, 3), kBlack);
  EXPECT_EQ(at(*c, 4, 4), kClear);
  EXPECT_FALSE(c->pixelAt(60, 0));
  EXPECT_FALSE(c->pixelAt(-1, 0));
}

TEST(ImageContext, WrapsACairoContextOwnedElsewhere) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_t* cairo = cairo_create(surface);
  auto c = GraphicsContext::contextWithCairo(cairo);
  cairo_destroy(cairo);  // the wrapper keeps its own reference
  ASSERT_TRUE(c);
  c->fillRect({{0, 0}, {4, 4}});
  EXPECT_EQ(at(*c, 1, 1), kBlack);
  c.reset();
  cairo_surface_flush(surface);
  EXPECT_EQ(reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface))[0], 0xFF000000u);
  cairo_surface_destroy(surface);
}

TEST(CurrentContext, IsTheLastPushedAndPoppingTooOftenIsHarmless) {
  EXPECT_FALSE(GraphicsContext::currentContext());
  auto outer = GraphicsContext::imageContext(1, 1);
  auto inner = GraphicsContext::imageContext(1, 1);
  GraphicsContext::pushContext(outer);
  GraphicsContext::pushContext(inner);
  EXPECT_EQ(GraphicsContext::currentContext(), inner);
  GraphicsContext::popContext();
  EXPECT_EQ(GraphicsContext::currentContext(), outer);
  GraphicsContext::popContext();
  GraphicsContext::popContext();
  EXPECT_FALSE(GraphicsContext::currentContext());
}

TEST(GState, RestoreBringsBackColoursClipAlphaAndLineWidthButNotThePath) {
  auto c = GraphicsContext::imageContext(20, 20);
  c->setFillColor(Color{1, 0, 0, 1});
  c->moveToPoint(1, 1);
  c->saveGState();
  c->setFillColor(Color{0, 0, 1, 1});
  c->setAlpha(0.25);
  c->clipToRect({{0, 0}, {5, 5}});
  c->addLineToPoint(7, 7);
  c->restoreGState();
  EXPECT_EQ(c->fillColor(), (Color{1, 0, 0, 1}));
  EXPECT_EQ(c->alpha(), 1);
  EXPECT_EQ(c->currentPoint(), (Point{7, 7})) << "the path is not part of the state";
  c->beginPath();
  c->fillRect({{0, 0}, {20, 20}});
  EXPECT_EQ(at(*c, 15, 15), kRed) << "the clip was restored";
}

TEST(GState, UnbalancedRestoreIsIgnoredAndDrawingGoesOn) {
  auto c = GraphicsContext::imageContext(10, 10);
  c->restoreGState();
  c->restoreGState();
  c->fillRect({{0, 0}, {10, 10}});
  EXPECT_EQ(cairo_status(c->cairoContext()), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(at(*c, 5, 5), kBlack);
}

TEST(Alpha, MultipliesFillsStrokesAndImages) {
  auto c = GraphicsContext::imageContext(20, 10);
  c->setFillColor(Color::whiteColor());
  c->fillRect({{0, 0}, {20, 10}});
  c->setAlpha(0.5);
  c->setFillColor(Color::blackColor());
  c->fillRect({{0, 0}, {10, 10}});
  auto black = Image::imageWithData(
      testimages::encode("png", 10, 10, [](int, int) { return testimages::Rgba{0, 0, 0, 255}; }));
  c->drawImageAtPoint(black, {10, 0});
  EXPECT_NEAR(at(*c, 5, 5).red, 128, 1);
  EXPECT_NEAR(at(*c, 15, 5).red, 128, 1);
  c->setAlpha(7);  // clamped to 1
  c->fillRect({{0, 0}, {1, 1}});
  EXPECT_EQ(at(*c, 0, 0), kBlack);
}

TEST(TransparencyLayer, FadesOverlappingDrawingAsOne) {
  // Without a layer the overlap of two half-transparent rects is darker;
  // inside a layer the group is composited once, so the overlap is not.
  auto c = GraphicsContext::imageContext(30, 10);
  c->setFillColor(Color::whiteColor());
  c->fillRect({{0, 0}, {30, 10}});
  c->setFillColor(Color::blackColor());
  c->setAlpha(0.5);
  c->beginTransparencyLayer();
  EXPECT_EQ(c->alpha(), 1);
  c->fillRect({{0, 0}, {20, 10}});
  c->fillRect({{10, 0}, {20, 10}});
  c->endTransparencyLayer();
  EXPECT_EQ(c->alpha(), 0.5);
  EXPECT_NEAR(at(*c, 5, 5).red, 128, 1);
  EXPECT_EQ(at(*c, 15, 5), at(*c, 5, 5));
  EXPECT_EQ(at(*c, 25, 5), at(*c, 5, 5));
}

TEST(TransparencyLayer, EndsStatesLeftOpenInsideAndIgnoresAnUnmatchedEnd) {
  auto c = GraphicsContext::imageContext(10, 10);
  c->endTransparencyLayer();
  c->beginTransparencyLayer();
  c->saveGState();
  c->setFillColor(Color{1, 0, 0, 1});
  c->clipToRect({{0, 0}, {1, 1}});
  c->restoreGState();
  c->saveGState();  // left open
  c->restoreGState();
  c->saveGState();
  c->setFillColor(Color{0, 0, 1, 1});
  c->endTransparencyLayer();
  EXPECT_EQ(c->fillColor(), Color::blackColor());
  c->fillRect({{0, 0}, {10, 10}});
  EXPECT_EQ(cairo_status(c->cairoContext()), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(at(*c, 5, 5), kBlack);
}

TEST(Transforms, MoveScaleAndRotateLaterDrawing) {
  auto c = GraphicsContext::imageContext(40, 40);
  c->saveGState();
  c->translate(10, 20);
  c->scale(2, 3);
  c->fillRect({{0, 0}, {2, 2}});  // lands on (10, 20)-(14, 26)
  c->restoreGState();
  EXPECT_EQ(at(*c, 10, 20), kBlack);
  EXPECT_EQ(at(*c, 13, 25), kBlack);
  EXPECT_EQ(at(*c, 14, 25), kClear);
  EXPECT_EQ(at(*c, 13, 26), kClear);

  c->saveGState();
  c->concat(AffineTransform::makeTranslation(30, 0));
  c->rotate(std::numbers::pi / 2);  // x now points down
  c->fillRect({{0, 0}, {8, 2}});    // lands on (28, 0)-(30, 8)
  c->restoreGState();
  EXPECT_EQ(at(*c, 28, 7), kBlack);
  EXPECT_EQ(at(*c, 30, 7), kClear);
}

TEST(Transforms, SingularOrNonFiniteTransformsAreNotApplied) {
  auto c = GraphicsContext::imageContext(10, 10);
  c->scale(0, 0);
  c->concat(AffineTransform{1, 2, 2, 4, 0, 0});
  c->translate(NAN, 1);
  c->rotate(INFINITY);
  c->fillRect({{1, 1}, {1, 1}});
  EXPECT_EQ(cairo_status(c->cairoContext()), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(at(*c, 1, 1), kBlack);
  EXPECT_EQ(at(*c, 2, 2), kClear);
}

// A 2 x 2 picture: red, green / blue, white.
std::shared_ptr<Image> quadrants() {
  return Image::imageWithData(testimages::encode("png", 2, 2, [](int x, int y) {
    static const testimages::Rgba colours[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255},
                                                {255, 255, 255, 255}};
    return colours[y * 2 + x];
  }));
}

TEST(Images, AtPointDrawsAtNaturalSize) {
  auto image = quadrants();
  ASSERT_TRUE(image);
  auto c = GraphicsContext::imageContext(6, 6, 2);
  c->drawImageAtPoint(image, {1, 2});
  EXPECT_EQ(at(*c, 2, 4), kRed);
  EXPECT_EQ(at(*c, 5, 7), (Pixel{255, 255, 255, 255}));
  EXPECT_EQ(at(*c, 1, 4), kClear);
  EXPECT_EQ(at(*c, 6, 8), kClear);
}

TEST(Images, InRectScalesToFillItExactly) {
  auto image = quadrants();
  auto c = GraphicsContext::imageContext(30, 30);
  c->moveToPoint(3, 3);
  c->drawImageInRect(image, {{5, 5}, {20, 10}});
  EXPECT_EQ(c->currentPoint(), (Point{3, 3})) << "drawing an image keeps the path";
  EXPECT_EQ(at(*c, 6, 6), kRed);
  EXPECT_EQ(at(*c, 23, 6), (Pixel{0, 255, 0, 255}));
  EXPECT_EQ(at(*c, 6, 13), (Pixel{0, 0, 255, 255}));
  EXPECT_EQ(at(*c, 24, 14), (Pixel{255, 255, 255, 255})) << "the edge stays opaque";
  EXPECT_EQ(at(*c, 4, 4), kClear);
  EXPECT_EQ(at(*c, 25, 10), kClear);
  EXPECT_EQ(at(*c, 10, 15), kClear);
}

TEST(Images, NullImagesAndEmptyRectsDrawNothing) {
  auto c = GraphicsContext::imageContext(4, 4);
  c->drawImageAtPoint(nullptr, {0, 0});
  c->drawImageInRect(quadrants(), {{0, 0}, {0, 4}});
  c->drawImageInRect(quadrants(), {{0, 0}, {-4, 4}});
  c->drawImageInRect(quadrants(), {{NAN, 0}, {4, 4}});
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(at(*c, x, y), kClear);
    }
  }
}

TEST(Output, PngAndImageSnapshotsHoldTheDrawing) {
  auto c = GraphicsContext::imageContext(4, 3, 2);
  c->setFillColor(Color{1, 0, 0, 1});
  c->fillRect({{0, 0}, {2, 3}});
  auto snapshot = c->makeImage();
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->size(), (Size{8, 6}));
  EXPECT_EQ(snapshot->argb32PixelAt(3, 5), 0xFFFF0000u);
  EXPECT_EQ(snapshot->argb32PixelAt(4, 5), 0u);

  const auto path = std::filesystem::temp_directory_path() / ("gc-" + std::to_string(getpid()) + ".png");
  ASSERT_TRUE(c->writePNG(path.string()));
  auto fromFile = Image::imageWithContentsOfFile(path.string());
  std::filesystem::remove(path);
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(fromFile->pngData(), snapshot->pngData());
}

TEST(Output, WritingToAnUnwritablePlaceFails) {
  auto c = GraphicsContext::imageContext(2, 2);
  EXPECT_FALSE(c->writePNG("/nonexistent-folder/x/out.png"));
  // A context over a surface that is not an image has no pixels to give.
  cairo_surface_t* recording = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
  cairo_t* cairo = cairo_create(recording);
  auto other = GraphicsContext::contextWithCairo(cairo);
  cairo_destroy(cairo);
  cairo_surface_destroy(recording);
  ASSERT_TRUE(other);
  EXPECT_TRUE(other->pngData().empty());
  EXPECT_FALSE(other->writePNG("/tmp/never-written.png"));
  EXPECT_FALSE(other->pixelAt(0, 0));
  EXPECT_FALSE(other->makeImage());
}

}  // namespace
}  // namespace platform::graphics

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

using platform::RunLoop;
using platform::SimulatedClock;
using platform::graphics::Color;
using platform::graphics::GraphicsContext;
using platform::graphics::Image;
using platform::graphics::Rect;
using platform::ui::CATransform3DMakeScale;
using platform::ui::InterfaceOrientation;
using platform::ui::Layer;
using platform::ui::Renderer;
using platform::ui::View;
using platform::ui::Window;
using Pixel = GraphicsContext::Pixel;

namespace {

constexpr Color kRed{1, 0, 0, 1};
constexpr Color kBlue{0, 0, 1, 1};
constexpr Pixel kRedPixel{255, 0, 0, 255};
constexpr Pixel kBluePixel{0, 0, 255, 255};
constexpr Pixel kWhitePixel{255, 255, 255, 255};
constexpr Pixel kBlackPixel{0, 0, 0, 255};

// Fills its bounds with a colour in drawRect, as a control draws itself.
class PaintedView : public View {
 public:
  Color paint{0, 1, 0, 1};
  void drawRect(GraphicsContext& context, Rect rect) override {
    context.setFillColor(paint);
    context.fillRect(rect);
  }
};

std::shared_ptr<Image> solidImage(Color color, int size) {
  auto context = GraphicsContext::imageContext(size, size);
  context->setFillColor(color);
  context->fillRect({{0, 0}, {static_cast<double>(size), static_cast<double>(size)}});
  return context->makeImage();
}

class RendererTest : public ::testing::Test {
 protected:
  RendererTest() {
    loop_.makeCurrent();
    window_ = Window::create({{0, 0}, {320, 480}});
    content_ = View::create({{0, 20}, {320, 460}});
    content_->setBackgroundColor(Color::whiteColor());
    window_->addSubview(content_);
    window_->makeKeyAndVisible();
  }

  std::shared_ptr<View> addColoured(Rect frame, Color color) {
    auto view = View::create(frame);
    view->setBackgroundColor(color);
    content_->addSubview(view);
    return view;
  }

  Pixel at(const std::shared_ptr<GraphicsContext>& image, int x, int y) {
    auto pixel = image->pixelAt(x, y);
    EXPECT_TRUE(pixel.has_value()) << x << "," << y;
    return pixel.value_or(Pixel{});
  }

  RunLoop loop_{std::make_shared<SimulatedClock>()};
  std::shared_ptr<Window> window_;
  std::shared_ptr<View> content_;
};

}  // namespace

TEST_F(RendererTest, ViewsPaintTheirFramesAndTheStatusBarIsOnTop) {
  addColoured({{10, 20}, {50, 50}}, kRed);  // window (10, 40) to (60, 90)
  auto image = Renderer(window_, 1).render();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixelWidth(), 320);
  EXPECT_EQ(image->pixelHeight(), 480);
  EXPECT_EQ(at(image, 10, 40), kRedPixel);
  EXPECT_EQ(at(image, 59, 89), kRedPixel);
  EXPECT_EQ(at(image, 60, 89), kWhitePixel);
  EXPECT_EQ(at(image, 9, 40), kWhitePixel);
  EXPECT_EQ(at(image, 2, 2), kBlackPixel);
  EXPECT_EQ(at(image, 318, 18), kBlackPixel);

  // The time text is light on the black bar, near its middle.
  int light = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 120; x < 200; ++x) light += at(image, x, y).red > 200 ? 1 : 0;
  }
  EXPECT_GT(light, 20);

  // Overlays cover everything, the status bar included.
  auto overlay = View::create({});
  overlay->addSubview(View::create({{0, 0}, {320, 30}}));
  overlay->subviews()[0]->setBackgroundColor(kBlue);
  window_->addOverlayView(overlay);
  image = Renderer(window_, 1).render();
  EXPECT_EQ(at(image, 2, 2), kBluePixel);
  EXPECT_EQ(at(image, 160, 10), kBluePixel);
  EXPECT_EQ(at(image, 10, 40), kRedPixel);
}

TEST_F(RendererTest, AlphaBlendsAndHiddenOrTransparentViewsDrawNothing) {
  auto half = addColoured({{0, 0}, {100, 100}}, kRed);
  half->setAlpha(0.5);
  // The subtree fades as one: a child inside does not show the parent through.
  auto child = View::create({{50, 0}, {50, 50}});
  child->setBackgroundColor(kBlue);
  half->addSubview(child);
  auto hidden = addColoured({{200, 0}, {50, 50}}, kRed);
  hidden->setHidden(true);
  auto invisible = addColoured({{200, 100}, {50, 50}}, kRed);
  invisible->setAlpha(0);

  auto image = Renderer(window_, 1).render();
  const Pixel blended = at(image, 10, 90);
  EXPECT_EQ(blended.red, 255);
  EXPECT_NEAR(blended.green, 128, 1);
  EXPECT_NEAR(blended.blue, 128, 1);
  const Pixel childPixel = at(image, 60, 30);
  EXPECT_NEAR(childPixel.red, 128, 1);
  EXPECT_NEAR(childPixel.green, 128, 1);
  EXPECT_EQ(childPixel.blue, 255);
  EXPECT_EQ(at(image, 220, 30), kWhitePixel);
  EXPECT_EQ(at(image, 220, 130), kWhitePixel);
}

TEST_F(RendererTest, LayersDrawAboveTheViewsDrawingAndBelowItsSubviews) {
  auto painted = std::make_shared<PaintedView>();
  painted->initWithFrame({{0, 0}, {320, 48}});
  content_->addSubview(painted);
  auto icon = Layer::create();
  icon->setFrame({{286, 9}, {30, 30}});
  icon->setContents(solidImage(kBlue, 10));
  painted->layer()->addSublayer(icon);
  auto cover = View::create({{300, 0}, {20, 48}});
  cover->setBackgroundColor(kRed);
  painted->addSubview(cover);

  auto image = Renderer(window_, 1).render();
  EXPECT_EQ(at(image, 10, 30), (Pixel{0, 255, 0, 255}));   // drawRect
  EXPECT_EQ(at(image, 287, 30), kBluePixel);               // the layer, its image stretched
  EXPECT_EQ(at(image, 299, 58), kBluePixel);
  EXPECT_EQ(at(image, 305, 40), kRedPixel);                // the subview over the layer
  EXPECT_EQ(at(image, 290, 27), (Pixel{0, 255, 0, 255}));  // above the layer's frame

  // A scale about the layer's centre (301, 24 in the view) shrinks it in place.
  cover->removeFromSuperview();
  icon->setTransform(CATransform3DMakeScale(0.5, 0.5, 1));
  image = Renderer(window_, 1).render();
  EXPECT_EQ(at(image, 290, 30), (Pixel{0, 255, 0, 255}));
  EXPECT_EQ(at(image, 300, 44), kBluePixel);
  EXPECT_EQ(at(image, 294, 37), kBluePixel);  // the scaled icon spans 293.5 to 308.5
  EXPECT_EQ(at(image, 292, 36), (Pixel{0, 255, 0, 255}));
}

TEST_F(RendererTest, AnimatedValuesAreSampledAtTheRenderTime) {
  auto view = addColoured({{0, 100}, {100, 100}}, kRed);
  view->setAlpha(0);
  View::beginAnimationsContext("fade", nullptr);
  view->setAlpha(1);
  View::setAnimationCurve(platform::ui::AnimationCurve::Linear);
  View::commitAnimations();
  Renderer renderer(window_, 1);
  EXPECT_EQ(at(renderer.render(), 50, 150), kWhitePixel);
  loop_.advanceBy(0.1);
  EXPECT_NEAR(at(renderer.render(), 50, 150).green, 128, 1);
  EXPECT_EQ(at(renderer.renderAtTime(10), 50, 150), kRedPixel);
}

TEST_F(RendererTest, AFlipShowsTheOldContentNarrowingThenTheNewWidening) {
  auto adView = View::create({{0, 412}, {320, 48}});
  content_->addSubview(adView);
  auto oldBanner = View::create(adView->bounds());
  oldBanner->setBackgroundColor(kRed);
  adView->addSubview(oldBanner);
  auto newBanner = View::create(adView->bounds());
  newBanner->setBackgroundColor(kBlue);

  View::beginAnimationsContext("newPennantAd", nullptr);
  View::setAnimationDuration(0.7);
  View::setAnimationCurve(platform::ui::AnimationCurve::Linear);
  View::setAnimationTransitionForViewCache(2, adView, true);
  adView->addSubview(newBanner);
  oldBanner->removeFromSuperview();
  View::commitAnimations();

  Renderer renderer(window_, 1);
  const int y = 432 + 24;
  // At a quarter of the flip the content is cos(pi/4) = 71 % wide about its centre.
  auto image = renderer.renderAtTime(0.175);
  EXPECT_EQ(at(image, 160, y), kRedPixel);
  EXPECT_EQ(at(image, 60, y), kRedPixel);
  EXPECT_EQ(at(image, 40, y), kWhitePixel);
  image = renderer.renderAtTime(0.525);
  EXPECT_EQ(at(image, 160, y), kBluePixel);
  EXPECT_EQ(at(image, 40, y), kWhitePixel);
  image = renderer.renderAtTime(0.7);
  EXPECT_EQ(at(image, 2, y), kBluePixel);
}

TEST_F(RendererTest, ClippingOnlyWhereAsked) {
  auto parent = addColoured({{0, 0}, {50, 50}}, kBlue);
  auto child = View::create({{40, 0}, {40, 10}});
  child->setBackgroundColor(kRed);
  parent->addSubview(child);
  Renderer renderer(window_, 1);
  EXPECT_EQ(at(renderer.render(), 70, 25), kRedPixel);
  parent->setClipsToBounds(true);
  EXPECT_EQ(at(renderer.render(), 70, 25), kWhitePixel);
  EXPECT_EQ(at(renderer.render(), 45, 25), kRedPixel);
}

TEST_F(RendererTest, LandscapeContentIsTurnedOntoThePortraitScreen) {
  window_->setInterfaceOrientation(InterfaceOrientation::LandscapeRight);
  ASSERT_EQ(content_->frame(), (Rect{{0, 20}, {480, 300}}));
  addColoured({{0, 0}, {100, 50}}, kRed);  // content (0, 20) to (100, 70)
  auto image = Renderer(window_, 1).render();
  // Content point (x, y) lands on screen point (320 - y, x).
  EXPECT_EQ(at(image, 320 - 45, 50), kRedPixel);
  EXPECT_EQ(at(image, 320 - 45, 110), kWhitePixel);
  // The status bar runs along the screen's right edge.
  EXPECT_EQ(at(image, 315, 5), kBlackPixel);
  EXPECT_EQ(at(image, 315, 470), kBlackPixel);
  EXPECT_EQ(at(image, 295, 470), kWhitePixel);

  window_->setInterfaceOrientation(InterfaceOrientation::LandscapeLeft);
  image = Renderer(window_, 1).render();
  // Content point (x, y) lands on screen point (y, 480 - x).
  EXPECT_EQ(at(image, 45, 480 - 50), kRedPixel);
  EXPECT_EQ(at(image, 5, 200), kBlackPixel);
}

TEST_F(RendererTest, ScaleTwoDoublesThePixelsAndScreenshotsAreWritten) {
  addColoured({{10, 20}, {50, 50}}, kRed);
  Renderer renderer(window_, 2);
  auto image = renderer.render();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixelWidth(), 640);
  EXPECT_EQ(at(image, 21, 81), kRedPixel);
  EXPECT_EQ(at(image, 19, 81), kWhitePixel);

  const auto path = std::filesystem::temp_directory_path() /
                    ("ui-screenshot-" + std::to_string(::getpid()) + ".png");
  ASSERT_TRUE(renderer.screenshotPNG(path.string()));
  auto decoded = Image::imageWithContentsOfFile(path.string());
  std::filesystem::remove(path);
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->pixelWidth(), 640);
  EXPECT_EQ(decoded->pixelHeight(), 960);
  EXPECT_FALSE(renderer.screenshotPNG("/nonexistent-folder/shot.png"));
}

TEST_F(RendererTest, AGoneWindowRendersABlackScreenWithTheStatusBar) {
  Renderer renderer(window_, 1);
  window_.reset();
  content_.reset();
  auto image = renderer.render();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(at(image, 160, 300), kBlackPixel);
}

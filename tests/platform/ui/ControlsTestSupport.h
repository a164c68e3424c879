#pragma once
// Helpers for the controller and control tests: a run loop on a simulated
// clock made current for the test, a window in which to tap, and renders
// of the window to read pixels from.

#include <gtest/gtest.h>

#include <memory>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace controlstest {

using platform::graphics::GraphicsContext;
using platform::graphics::Point;
using Pixel = GraphicsContext::Pixel;

// A simulated-clock loop, current for the fixture's lifetime, and a shown
// window of the screen's size.
class UiFixture : public ::testing::Test {
 protected:
  UiFixture() : loop_(std::make_shared<platform::SimulatedClock>(100.0)) {
    loop_.makeCurrent();
    window_ = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
    window_->makeKeyAndVisible();
  }

  void tap(Point point) {
    ASSERT_TRUE(window_->sendTouch(platform::ui::TouchPhase::Began, point));
    ASSERT_TRUE(window_->sendTouch(platform::ui::TouchPhase::Ended, point));
  }

  std::shared_ptr<GraphicsContext> render() {
    auto image = platform::ui::Renderer(window_, 1).renderAtTime(loop_.now());
    EXPECT_NE(image, nullptr);
    return image;
  }

  static Pixel pixel(const GraphicsContext& image, double x, double y) {
    const auto p = image.pixelAt(static_cast<int>(x), static_cast<int>(y));
    EXPECT_TRUE(p.has_value()) << x << "," << y;
    return p.value_or(Pixel{});
  }
  static bool isWhite(Pixel p) { return p.red > 225 && p.green > 225 && p.blue > 225; }
  static bool isBlue(Pixel p) { return p.blue > 150 && p.blue > p.red + 70; }
  static bool isNearlyBlack(Pixel p) { return p.red < 40 && p.green < 40 && p.blue < 40; }

  platform::RunLoop loop_;
  std::shared_ptr<platform::ui::Window> window_;
};

}  // namespace controlstest

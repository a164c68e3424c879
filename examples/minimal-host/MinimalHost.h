#pragma once
// The host's side of its one banner: the publisher identifier, its own
// colours and keywords, no embedded browser (web clicks go to the system's
// browser), and a fresh ad every minute once the first has arrived.
//
// Ownership: main keeps the host alive; the host owns its ad view; the
// library refers to the host without owning it.

#include <pennant/PennantDelegate.h>
#include <pennant/PennantHostWindow.h>
#include <pennant/PennantView.h>

#include <functional>
#include <memory>

class MinimalHost : public pennant::PennantDelegate, public std::enable_shared_from_this<MinimalHost> {
 public:
  static constexpr double kRefreshSeconds = 60.0;

  explicit MinimalHost(pennant::PennantHostWindow& window) : window_(window) {}
  ~MinimalHost() override;

  // Asks for the banner; it is shown when its first ad has arrived.
  void start();

  std::optional<std::string> publisherId() override { return "c7e41a9b3d0f5e2"; }
  std::optional<platform::graphics::Color> adBackgroundColor() override {
    return platform::graphics::Color::rgb(0x1d, 0x4e, 0x2b);  // forest green
  }
  std::optional<platform::graphics::Color> adTextColor() override {
    return platform::graphics::Color::rgb(0xf5, 0xd0, 0x4c);  // mustard
  }
  std::optional<std::string> keywords() override { return "coffee bakery"; }
  std::optional<bool> useEmbeddedWebView() override { return false; }

  void didReceiveAd(const std::shared_ptr<pennant::PennantView>& adView) override;
  void didFailToReceiveAd(const std::shared_ptr<pennant::PennantView>& adView) override;

 private:
  pennant::PennantHostWindow& window_;
  std::shared_ptr<pennant::PennantView> adView_;
  std::function<void()> stopRefreshing_;
};

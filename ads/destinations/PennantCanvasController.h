#pragma once
// The canvas: a modal presentation whose content is a fixed-size web view
// (320 by 295 points, centred on the backdrop) showing the ad's rich
// content through the canvas page and its bridge (PennantCanvasWebView).
// The page starts loading while the backdrop grows; the page closes the
// canvas itself ("closecanvas"), or a tap on the backdrop does, and a page
// that fails or lacks the bridge closes it at once.
//
//   auto canvas = PennantCanvasController::init();
//   canvas->setPennantDelegate(host);
//   canvas->presentCanvasFromViewUrlTitle(adView, canvasURL, ad->userString());
//
// Ownership: as every modal controller (see PennantModalController); the
// canvas web view is the modal view, owned until the fade-out ends, and
// reaches this controller only weakly.

#include <memory>
#include <string>

#include "ads/destinations/PennantCanvasWebView.h"
#include "ads/destinations/PennantModalController.h"
#include "platform/foundation/Url.h"

namespace pennant {

class PennantCanvasController : public PennantModalController {
  struct Passkey {};

 public:
  static constexpr double kCanvasWidth = 320;
  static constexpr double kCanvasHeight = 295;

  static std::shared_ptr<PennantCanvasController> init();
  explicit PennantCanvasController(Passkey);

  void presentCanvasFromViewUrlTitle(const std::shared_ptr<PennantView>& adView,
                                     const std::shared_ptr<const platform::Url>& url, const std::string& title);

  std::shared_ptr<PennantCanvasWebView> canvasWebView() const {
    return std::dynamic_pointer_cast<PennantCanvasWebView>(modalView());
  }
};

}  // namespace pennant

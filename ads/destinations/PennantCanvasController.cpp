#include "ads/destinations/PennantCanvasController.h"

#include "platform/ui/Screen.h"

namespace pennant {

std::shared_ptr<PennantCanvasController> PennantCanvasController::init() {
  return std::make_shared<PennantCanvasController>(Passkey{});
}

PennantCanvasController::PennantCanvasController(Passkey)
    : PennantModalController("canvas", &PennantDelegate::willPresentModalCanvas,
                             &PennantDelegate::didDismissModalCanvas) {}

void PennantCanvasController::presentCanvasFromViewUrlTitle(const std::shared_ptr<PennantView>& adView,
                                                             const std::shared_ptr<const platform::Url>& url,
                                                             const std::string& title) {
  const auto size = platform::ui::Screen::mainScreen().applicationFrame().size;
  auto canvas = PennantCanvasWebView::create(
      {{(size.width - kCanvasWidth) * 0.5, (size.height - kCanvasHeight) * 0.5}, {kCanvasWidth, kCanvasHeight}});
  setModalView(canvas);

  std::weak_ptr<PennantModalController> weak = weak_from_this();
  canvas->setController(weak);
  canvas->setDismissSelector([weak] {
    if (auto self = weak.lock()) self->dismissModal();
  });
  canvas->setCanvasUrl(url);
  canvas->setCanvasTitle(title);
  canvas->startLoadingCanvas();

  presentModalFromView(adView);
}

}  // namespace pennant

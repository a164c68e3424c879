#include "ads/PennantView.h"

#include "ads/PennantVersion.h"
#include "ads/PennantViewInternal.h"

namespace pennant {

std::shared_ptr<PennantView> PennantView::requestAdWithDelegate(const std::shared_ptr<PennantDelegate>& delegate) {
  // A transparent banner-sized view that keeps its size when its
  // superview changes.
  auto view = PennantViewInternal::create({{0, 0}, {320, 48}});
  view->setAutoresizingMask(view->autoresizingMask() & ~(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight));
  view->setBackgroundColor(std::nullopt);
  // The controller, owned by the view alone, starts the first request.
  auto controller = PennantController::create();
  controller->setView(view);
  controller->setDelegate(delegate);
  view->setController(controller);
  controller->startFirstAdRequest();
  return view;
}

std::string PennantView::version() { return kPennantVersion; }

void PennantView::requestFreshAd() {
  if (auto* internal = dynamic_cast<PennantViewInternal*>(this)) {
    if (internal->controller()) internal->controller()->requestFreshAd();
  }
}

std::shared_ptr<PennantViewInternal> PennantViewInternal::create(platform::graphics::Rect frame) {
  auto view = std::make_shared<PennantViewInternal>();
  view->initWithFrame(frame);
  return view;
}

}  // namespace pennant

#include "platform/ui/NavigationView.h"

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"

namespace platform::ui {

std::shared_ptr<NavigationView> NavigationView::create(graphics::Rect frame, std::shared_ptr<NavigationBar> bar,
                                                       std::weak_ptr<NavigationController> controller) {
  auto view = std::make_shared<NavigationView>();
  view->initWithFrame(frame);
  view->controller_ = std::move(controller);
  view->bar_ = std::move(bar);
  view->content_ = View::create(view->contentBounds());
  view->content_->setClipsToBounds(true);
  view->addSubview(view->content_);
  view->addSubview(view->bar_);
  view->layoutSubviews();
  return view;
}

graphics::Rect NavigationView::contentBounds() const {
  const graphics::Size size = bounds().size;
  const double top = std::min(size.height, NavigationBar::kHeight);
  return {{0, 0}, {size.width, size.height - top}};
}

void NavigationView::layoutSubviews() {
  const graphics::Size size = bounds().size;
  bar_->setFrame({{0, 0}, {size.width, std::min(size.height, NavigationBar::kHeight)}});
  content_->setFrame({{0, bar_->frame().maxY()}, contentBounds().size});
  if (auto top = topView_.lock(); top && top->superview() == content_) top->setFrame(contentBounds());
}

void NavigationView::didMoveToWindow() {
  if (!window()) return;
  if (auto controller = controller_.lock()) Application::sharedApplication().setRotationHandler(controller);
}

}  // namespace platform::ui

#include "platform/ui/ImageView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace platform::ui {

ImageView::ImageView() { setUserInteractionEnabled(false); }

std::shared_ptr<ImageView> ImageView::initWithImage(std::shared_ptr<graphics::Image> image) {
  auto view = std::make_shared<ImageView>();
  const graphics::Size size = image ? image->size() : graphics::Size{0, 0};
  view->initWithFrame({{0, 0}, size});
  view->image_ = std::move(image);
  return view;
}

void ImageView::setImage(std::shared_ptr<graphics::Image> image) {
  image_ = std::move(image);
  setNeedsDisplay();
}

void ImageView::drawRect(graphics::GraphicsContext& context, graphics::Rect) {
  if (image_) context.drawImageInRect(image_, bounds());
}

}  // namespace platform::ui

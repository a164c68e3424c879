#pragma once
// A view that shows an image scaled to fill its bounds. As on the
// platform, it does not take touches until user interaction is turned on;
// until then a touch on it goes to the view behind.
//
// How to use:
//   auto button = ImageView::initWithImage(Image::imageWithContentsOfFile(path));
//   button->setFrame({{0, 15}, {320, 320}});
//   button->setUserInteractionEnabled(true);
//
// Ownership: shares its image; owned by its superview like any view.

#include <memory>

#include "platform/ui/View.h"

namespace platform::graphics {
class Image;
}

namespace platform::ui {

class ImageView : public View {
 public:
  ImageView();

  // Framed at the image's size at the origin (empty for a null image).
  static std::shared_ptr<ImageView> initWithImage(std::shared_ptr<graphics::Image> image);

  const std::shared_ptr<graphics::Image>& image() const { return image_; }
  void setImage(std::shared_ptr<graphics::Image> image);

  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;

 private:
  std::shared_ptr<graphics::Image> image_;
};

}  // namespace platform::ui

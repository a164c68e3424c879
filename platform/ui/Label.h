#pragma once
// A view that shows a piece of text: one line by default, vertically
// centred in its bounds and aligned left, centred or right within its
// width. With adjustsFontSizeToFitWidth a single line that is too wide is
// drawn in a smaller size of the font, down to minimumFontSize; what still
// does not fit is cut as lineBreakMode says (an ellipsis at the end by
// default).
//
// How to use:
//   auto label = std::make_shared<Label>();
//   label->initWithFrame({{180, 15}, {125, 45}});
//   label->setText("Hello");
//   label->setFont(graphics::Font::fontWithNameSize("Marker Felt", 36));
//   label->setBackgroundColor(graphics::Color::clearColor());
//   label->setAdjustsFontSizeToFitWidth(true);
//
// Defaults, as on the platform: Helvetica 17, black text, white
// background, user interaction off (touches go to the view behind).
// Ownership: owned by its superview like any view. Main thread only.

#include <memory>
#include <string>

#include "platform/graphics/Font.h"
#include "platform/graphics/TextAttributes.h"
#include "platform/ui/View.h"

namespace platform::ui {

class Label : public View {
 public:
  static constexpr double kDefaultFontSize = 17;

  Label();

  const std::string& text() const { return text_; }
  void setText(std::string text);
  // Never nullptr; setting nullptr restores the default font.
  std::shared_ptr<graphics::Font> font() const { return font_; }
  void setFont(std::shared_ptr<graphics::Font> font);
  graphics::Color textColor() const { return textColor_; }
  void setTextColor(graphics::Color color);
  graphics::TextAlignment textAlignment() const { return textAlignment_; }
  void setTextAlignment(graphics::TextAlignment alignment);
  graphics::LineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(graphics::LineBreakMode mode);
  // 1 by default; 0 shows as many lines as the height holds.
  int numberOfLines() const { return numberOfLines_; }
  void setNumberOfLines(int lines);
  // Applies to single-line labels only.
  bool adjustsFontSizeToFitWidth() const { return adjustsFontSizeToFitWidth_; }
  void setAdjustsFontSizeToFitWidth(bool adjusts);
  double minimumFontSize() const { return minimumFontSize_; }
  void setMinimumFontSize(double size);

  // The font the text is drawn with now: the label's font, or the smaller
  // size of it that shrink-to-fit chose for the current text and width.
  std::shared_ptr<graphics::Font> fontForDrawing() const;
  // Where the text goes in the bounds (its lines' box, vertically centred).
  graphics::Rect textRect() const;

  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;

 private:
  std::string text_;
  std::shared_ptr<graphics::Font> font_;
  graphics::Color textColor_ = graphics::Color::blackColor();
  graphics::TextAlignment textAlignment_ = graphics::TextAlignment::Left;
  graphics::LineBreakMode lineBreakMode_ = graphics::LineBreakMode::TailTruncation;
  int numberOfLines_ = 1;
  bool adjustsFontSizeToFitWidth_ = false;
  double minimumFontSize_ = 0;
};

}  // namespace platform::ui

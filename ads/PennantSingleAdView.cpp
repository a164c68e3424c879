#include "ads/PennantSingleAdView.h"

#include <cmath>
#include <numbers>

#include "ads/PennantLocalizer.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/StringLayout.h"
#include "platform/graphics/TextLimit.h"

namespace pennant {

using platform::graphics::Color;
using platform::graphics::GraphicsContext;
using platform::graphics::Image;
using platform::graphics::Point;
using platform::graphics::Rect;
using platform::graphics::Size;
using platform::graphics::StringLayout;
using platform::graphics::TextLimit;

namespace {

// Texts up to two lines tall leave room for the "Ads by Pennant" line.
constexpr double kMaximumHeightWithAdsByLine = 24;

Size sizeOf(const std::shared_ptr<Image>& image) { return image ? image->size() : Size{0, 0}; }

}  // namespace

std::shared_ptr<PennantSingleAdView> PennantSingleAdView::create(Rect frame) {
  auto view = std::make_shared<PennantSingleAdView>();
  view->initWithFrame(frame);
  return view;
}

void PennantSingleAdView::initWithFrame(Rect frame) {
  View::initWithFrame(frame);
  setOpaque(true);
}

PennantSingleAdView::~PennantSingleAdView() {
  cancelTimer(addSpinnerTimer_);
  cancelTimer(removeSpinnerTimer_);
}

void PennantSingleAdView::cancelTimer(std::shared_ptr<platform::Timer>& timer) {
  if (timer) timer->invalidate();
  timer.reset();
}

void PennantSingleAdView::setAd(std::shared_ptr<PennantAd> ad) {
  ad_ = std::move(ad);
  textAdLayout_.reset();
  layer()->setSublayers({});
  setActionIcon(ad_ ? ad_->actionImage() : nullptr);
}

void PennantSingleAdView::setActionIcon(const std::shared_ptr<Image>& image) {
  // Right-aligned 4 points from the edge, centred vertically, natural size.
  Size icon = sizeOf(image);
  Size bounds = this->bounds().size;
  auto iconLayer = platform::ui::Layer::create();
  iconLayer->setFrame({{bounds.width - 4 - icon.width, (bounds.height - icon.height) / 2}, icon});
  iconLayer->setContents(image);
  layer()->addSublayer(iconLayer);
  actionIconLayer_ = iconLayer;
}

Size PennantSingleAdView::sizeWithBevelsAndRoundedCornersForImage(const std::shared_ptr<Image>& image) {
  Size size = sizeOf(image);
  return {size.width + 1, size.height + 1};
}

void PennantSingleAdView::drawImageAtPointWithBevelsAndRoundedCornersOfRadius(GraphicsContext& context,
                                                                            const std::shared_ptr<Image>& image,
                                                                            Point point, double radius) {
  const double w = sizeOf(image).width;
  const double h = sizeOf(image).height;
  const double x = point.x;
  const double y = point.y;
  constexpr double pi = std::numbers::pi;

  // The image, clipped to a rounded rectangle half a point inside.
  context.saveGState();
  const double left = x + 0.5, top = y + 0.5, right = left + w, bottom = top + h, k = radius + 0.5;
  context.moveToPoint(left, top + k);
  context.addArcToPoint(left, bottom, left + k, bottom, k);
  context.addArcToPoint(right, bottom, right, bottom - k, k);
  context.addArcToPoint(right, top, right - k, top, k);
  context.addArcToPoint(left, top, left, top + k, k);
  context.clip();
  if (image) context.drawImageAtPoint(image, {x, y});
  context.restoreGState();

  // The bevel: dark on the top-left, light on the bottom-right, as if lit
  // from above.
  const double r = radius;
  const double L = x + 0.25, T = y + 0.25, R = x + w + 0.75, B = y + h + 0.75;
  const Color dark = Color::colorWithWhiteAlpha(0.4, 1.0);
  const Color light = Color::colorWithWhiteAlpha(0.937, 1.0);
  context.setLineWidth(0.5);

  context.setStrokeColor(dark);
  context.moveToPoint(L, B - r);
  context.addArcToPoint(L, T, L + r, T, r);
  context.addArc(R - r, T + r, r, 3 * pi / 2, 7 * pi / 4, 0);
  context.strokePath();

  context.setStrokeColor(light);
  context.addArc(R - r, T + r, r, 7 * pi / 4, 2 * pi, 0);
  context.addArcToPoint(R, B, R - r, B, r);
  context.addArc(L + r, B - r, r, pi / 2, 3 * pi / 4, 0);
  context.strokePath();

  context.setStrokeColor(dark);
  context.addArc(L + r, B - r, r, 3 * pi / 4, pi, 0);
  context.strokePath();
}

void PennantSingleAdView::drawShineBackgroundWithBaseColor(GraphicsContext& context, Color baseColor) {
  const Size size = bounds().size;
  const Color colors[] = {baseColor.colorWithAlphaComponent(0.5), baseColor};
  const double locations[] = {0.0, 1.0};
  auto gradient = platform::graphics::Gradient::gradientWithColors(colors, locations);
  context.setFillColor(Color::whiteColor());
  context.fillRect({{0, 0}, size});
  if (gradient) {
    context.drawLinearGradient(*gradient, {size.width / 2, 0}, {size.width / 2, 0.4375 * size.height},
                               platform::graphics::kGradientDrawsAfterEndLocation);
  }
}

void PennantSingleAdView::drawRect(GraphicsContext& context, Rect /*rect*/) {
  if (!ad_ || !ad_->readyForDisplay()) return;
  // An image banner is its picture, unscaled.
  if (ad_->medium() == PennantAd::Medium::Banner) {
    if (ad_->userImage()) context.drawImageAtPoint(ad_->userImage(), {0, 0});
    ad_->loadAccountingPixel();
    return;
  }
  drawShineBackgroundWithBaseColor(context, ad_->backgroundColor());
  // Any other medium shows the background alone.
  if (ad_->medium() != PennantAd::Medium::Text) return;
  drawTextAd(context);
}

const PennantSingleAdView::TextAdLayout& PennantSingleAdView::textAdLayout() const {
  if (!textAdLayout_ || textAdLayoutSize_ != bounds().size) {
    textAdLayout_ = makeTextAdLayout();
    textAdLayoutSize_ = bounds().size;
  }
  return *textAdLayout_;
}

PennantSingleAdView::TextAdLayout PennantSingleAdView::makeTextAdLayout() const {
  TextAdLayout layout;
  const double W = bounds().size.width;
  const double H = bounds().size.height;
  // The icon at the left, centred vertically.
  const Size s = sizeWithBevelsAndRoundedCornersForImage(ad_->userImage());
  layout.iconOrigin = {4, (H - s.height) / 2};
  // The text area between the icon and the action icon.
  layout.textX = s.width + 4 + 8;
  layout.textRight = W - 4 - sizeOf(ad_->actionImage()).width - 8;
  const double availableWidth = layout.textRight - layout.textX;
  const std::string text = TextLimit::kBannerText.apply(ad_->text().value_or(""));
  layout.text = StringLayout::layoutWithFontConstrainedToSize(text, *textFont(), {availableWidth, H});
  const Size measured = layout.text->size();
  // Short texts get the "Ads by Pennant" line under them.
  layout.hasAdsByLine = measured.height <= kMaximumHeightWithAdsByLine;
  Size line{0, 0};
  double blockHeight = measured.height;
  if (layout.hasAdsByLine) {
    layout.adsByText = PennantLocalizer::sharedLocalizer().localizedStringForKey("Ads by Pennant");
    layout.adsByLine = StringLayout::layoutWithFont(layout.adsByText, *adsByFont());
    line = layout.adsByLine->size();
    blockHeight = measured.height + 4 + line.height;
  }
  // The block is centred vertically; text taller than the banner was
  // measured within its height, so this is never negative.
  const double textY = (H - blockHeight) / 2;
  layout.textRect = {{layout.textX, textY}, measured};
  if (layout.hasAdsByLine) layout.adsByRect = {{layout.textRight - line.width, textY + measured.height + 4}, line};
  return layout;
}

std::shared_ptr<platform::graphics::Font> PennantSingleAdView::textFont() {
  static const auto font = platform::graphics::Font::fontWithNameSize("Helvetica-Bold", 13);
  return font;
}

std::shared_ptr<platform::graphics::Font> PennantSingleAdView::adsByFont() {
  static const auto font = platform::graphics::Font::fontWithNameSize("Helvetica", 9.5);
  return font;
}

void PennantSingleAdView::drawTextAd(GraphicsContext& context) {
  const TextAdLayout& layout = textAdLayout();
  drawImageAtPointWithBevelsAndRoundedCornersOfRadius(context, ad_->userImage(), layout.iconOrigin, 6.5);
  // The text wraps within its width, left-aligned; the line is right-aligned
  // to the text area, 4 points below the text.
  context.setFillColor(ad_->textColor());
  layout.text->drawInRect(context, layout.textRect);
  if (layout.hasAdsByLine) layout.adsByLine->drawInRect(context, layout.adsByRect);
}

}  // namespace pennant

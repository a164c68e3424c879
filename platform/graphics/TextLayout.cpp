#include "platform/graphics/TextLayout.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/graphics/Font.h"
#include "platform/graphics/SetAsidePath.h"

namespace platform::graphics {

namespace {

// Rounding errors of Pango units must not drop a line that fits exactly.
constexpr double kFitTolerance = 1e-6;

double points(int pangoUnits) { return static_cast<double>(pangoUnits) / PANGO_SCALE; }

// Points to Pango units for a width or height limit: a negative or NaN limit
// counts as 0, a huge one (callers pass large numbers for "unbounded") as
// the largest Pango can take.
int pangoUnits(double limit) {
  if (!(limit > 0)) {
    return 0;
  }
  return static_cast<int>(std::min(limit * PANGO_SCALE, static_cast<double>(INT_MAX / 2)));
}

double nonNegative(double limit) { return limit > 0 ? limit : 0; }

PangoEllipsizeMode ellipsizeMode(LineBreakMode mode) {
  switch (mode) {
    case LineBreakMode::HeadTruncation:
      return PANGO_ELLIPSIZE_START;
    case LineBreakMode::TailTruncation:
      return PANGO_ELLIPSIZE_END;
    case LineBreakMode::MiddleTruncation:
      return PANGO_ELLIPSIZE_MIDDLE;
    default:
      return PANGO_ELLIPSIZE_NONE;
  }
}

PangoAlignment pangoAlignment(TextAlignment alignment) {
  switch (alignment) {
    case TextAlignment::Center:
      return PANGO_ALIGN_CENTER;
    case TextAlignment::Right:
      return PANGO_ALIGN_RIGHT;
    default:
      return PANGO_ALIGN_LEFT;
  }
}

}  // namespace

TextLayout::TextLayout(PangoContext* context, std::string_view text, const Font& font,
                       const Constraints& constraints)
    : layout_(pango_layout_new(context)), alignment_(constraints.alignment) {
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  pango_layout_set_text(layout_, valid, -1);
  g_free(valid);
  pango_layout_set_font_description(layout_, font.pangoDescription());
  pango_layout_set_alignment(layout_, pangoAlignment(constraints.alignment));
  pango_layout_set_single_paragraph_mode(layout_, constraints.singleLine);

  // Pango stacks lines by their fonts' ascent and descent only; the font's
  // line gap (0.2 em for the Helvetica clone) is added to every line here,
  // half above and half below the glyphs, so lines have the platform's
  // spacing (16 points for 13-point Helvetica) and centred text stays centred.
  PangoFontMetrics* metrics = pango_context_get_metrics(context, font.pangoDescription(), nullptr);
  const int ascent = pango_font_metrics_get_ascent(metrics);
  const int descent = pango_font_metrics_get_descent(metrics);
  const double gap = std::max(0.0, points(pango_font_metrics_get_height(metrics) - ascent - descent));
  const double lineHeight = points(ascent + descent) + gap;
  pango_font_metrics_unref(metrics);

  const LineBreakMode mode = constraints.lineBreakMode;
  const PangoEllipsizeMode ellipsize = ellipsizeMode(mode);
  if (constraints.width && mode != LineBreakMode::Clip) {
    wrapped_ = true;
    pango_layout_set_width(layout_, pangoUnits(*constraints.width));
    pango_layout_set_wrap(layout_, mode == LineBreakMode::CharacterWrap ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout_, ellipsize);
    // With truncation, Pango shows as many lines as it is told and puts the
    // ellipsis into the last of them; without a height, one per paragraph.
    if (ellipsize != PANGO_ELLIPSIZE_NONE) {
      int lines = 1;
      if (constraints.height && lineHeight > 0) {
        lines = static_cast<int>(std::clamp(std::floor((*constraints.height + kFitTolerance) / lineHeight), 1.0, 1e6));
      }
      pango_layout_set_height(layout_, -lines);
    }
  }

  if (text.empty()) {
    return;
  }
  PangoLayoutIter* iter = pango_layout_get_iter(layout_);
  do {
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    const double top = points(logical.y) + static_cast<double>(lines_.size()) * gap;
    const Line line{pango_layout_iter_get_line_readonly(iter), points(logical.x), top,
                    top + points(logical.height) + gap,
                    top + gap / 2 + points(pango_layout_iter_get_baseline(iter) - logical.y), points(logical.width)};
    if (!lines_.empty() && constraints.height && line.bottom > *constraints.height + kFitTolerance) {
      break;
    }
    lines_.push_back(line);
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);

  double width = 0;
  for (const Line& line : lines_) {
    width = std::max(width, line.width);
  }
  size_ = Size{std::ceil(width - kFitTolerance), std::ceil(lines_.back().bottom - kFitTolerance)};
  if (constraints.width) {
    size_.width = std::min(size_.width, nonNegative(*constraints.width));
  }
  if (constraints.height) {
    size_.height = std::min(size_.height, nonNegative(*constraints.height));
  }
}

TextLayout::~TextLayout() { g_object_unref(layout_); }

void TextLayout::draw(cairo_t* cairo, Rect box) const {
  if (lines_.empty()) {
    return;
  }
  // A wrapped layout is as wide as the box and Pango aligns each line in
  // it; an unwrapped one is as wide as its widest line, which is aligned here.
  double offset = 0;
  if (!wrapped_) {
    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    const double slack = box.size.width - points(logical.width);
    offset = alignment_ == TextAlignment::Center ? slack / 2 : alignment_ == TextAlignment::Right ? slack : 0;
  }
  SetAsidePath path(cairo);
  cairo_save(cairo);
  // Cut off below and above the box only: glyphs may overhang it sideways a
  // little (italics, tight boxes from the measurement).
  const double margin = box.size.width + 1e4;
  cairo_rectangle(cairo, box.origin.x - margin, box.origin.y, box.size.width + 2 * margin, box.size.height);
  cairo_clip(cairo);
  for (const Line& line : lines_) {
    cairo_move_to(cairo, box.origin.x + offset + line.x, box.origin.y + line.baseline);
    pango_cairo_show_layout_line(cairo, line.line);
  }
  cairo_restore(cairo);
}

}  // namespace platform::graphics

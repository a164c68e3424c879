#pragma once
// The drawing context the views and the ad banner draw into: a thin wrapper of
// a Cairo context with the platform's operations, names and semantics.
//
// How to use: make one over a fresh image surface (imageContext) or over a
// Cairo context someone else owns (contextWithCairo), then build paths and
// draw. Coordinates are points with the origin at the top left and y growing
// downwards; an image context of scale 2 has two pixels per point and the
// code that draws into it never sees the difference. A view's drawing code
// finds its context with currentContext(); the renderer pushes the context
// before it asks a view to draw and pops it afterwards.
//
// Ownership: the context is shared by std::shared_ptr and holds its own
// reference on the Cairo context and surface. Images being drawn are kept
// alive by the surface that wraps their pixels for as long as Cairo needs it.
//
// Semantics kept from the platform, where Cairo differs:
// - The current path is not part of the graphics state; stroking, filling
//   and clipping empty it, while fillRect, clipToRect and the image and
//   gradient operations leave a path under construction untouched.
// - Stroke and fill colours are separate and saved with the state, as is the
//   global alpha, which every later drawing operation is multiplied by.
// - An unbalanced restoreGState or endTransparencyLayer is ignored instead of
//   putting the Cairo context into its permanent error state.
// Main thread only.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Point.h"
#include "platform/graphics/Rect.h"

namespace platform::graphics {

class Gradient;
class Image;

// Options of drawLinearGradient, to be or-ed together.
enum GradientDrawingOptions : unsigned {
  kGradientDrawsBeforeStartLocation = 1,
  kGradientDrawsAfterEndLocation = 2,
};

class GraphicsContext {
  struct Passkey {};

 public:
  // Image contexts larger than this many points on a side are refused.
  static constexpr int kMaxImageSide = 8192;

  // One pixel read back, colour not premultiplied.
  struct Pixel {
    std::uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const Pixel&) const = default;
  };

  // A transparent width x height point image at scale 1 or 2; nullptr for any
  // other scale, a side below 1 or above kMaxImageSide, or when Cairo cannot
  // allocate the surface.
  static std::shared_ptr<GraphicsContext> imageContext(int width, int height, double scale = 1);
  // Draws into a Cairo context owned elsewhere (the window's); takes a
  // reference of its own. nullptr for a null or failed context.
  static std::shared_ptr<GraphicsContext> contextWithCairo(cairo_t* cairo);

  // The context views draw into: the last one pushed and not yet popped, or
  // nullptr. Popping an empty stack does nothing.
  static std::shared_ptr<GraphicsContext> currentContext();
  static void pushContext(std::shared_ptr<GraphicsContext> context);
  static void popContext();

  // Graphics state: clip, transform, line width, colours, alpha.
  void saveGState();
  void restoreGState();

  // Path construction.
  void moveToPoint(double x, double y);
  void addLineToPoint(double x, double y);
  // A line towards (x1, y1), then an arc of `radius` tangent to the lines
  // current→(x1, y1) and (x1, y1)→(x2, y2); the arc's end becomes the current
  // point. Collinear points or a radius ≤ 0 give a straight line to (x1, y1).
  // Without a current point this only moves to (x1, y1).
  void addArcToPoint(double x1, double y1, double x2, double y2, double radius);
  // A line from the current point, if any, to the arc's start, then the arc.
  // clockwise 0: the angle increases along the arc (clockwise on screen, as
  // y points down); any other value: it decreases.
  void addArc(double x, double y, double radius, double startAngle, double endAngle, int clockwise);
  void addRect(Rect rect);
  void closePath();
  void beginPath();
  std::optional<Point> currentPoint() const;

  // Path painting; each empties the path. Fills use the non-zero winding rule.
  void strokePath();
  void fillPath();
  void eoFillPath();
  void clip();
  void clipToRect(Rect rect);
  void fillRect(Rect rect);
  void strokeRect(Rect rect);

  void setLineWidth(double width);
  void setStrokeColor(Color color);
  void setFillColor(Color color);
  Color strokeColor() const { return states_.back().stroke; }
  Color fillColor() const { return states_.back().fill; }
  // Multiplies every later drawing operation's opacity, clamped to [0, 1].
  void setAlpha(double alpha);
  double alpha() const { return states_.back().alpha; }

  // Draws everything until endTransparencyLayer into an offscreen group and
  // then composites the group with the alpha in force at the beginning: the
  // way a translucent view and its subviews fade as one. Inside the layer
  // the alpha starts again at 1. Layers nest with saveGState/restoreGState;
  // states saved inside a layer and not restored are restored by its end.
  void beginTransparencyLayer();
  void endTransparencyLayer();

  // Paints the gradient along start→end across the clipping area. Before the
  // start and past the end nothing is painted unless the options ask for the
  // first or last colour to continue there. A start equal to the end paints
  // nothing, as there is no direction to paint along.
  void drawLinearGradient(const Gradient& gradient, Point start, Point end, unsigned options);

  // The image at its natural size with its top-left corner at the point.
  void drawImageAtPoint(const std::shared_ptr<Image>& image, Point point);
  // The image scaled to fill the rectangle. A null image or empty rect draws nothing.
  void drawImageInRect(const std::shared_ptr<Image>& image, Rect rect);

  // The current transformation, applied to later drawing.
  void translate(double tx, double ty);
  void scale(double sx, double sy);
  void rotate(double angle);
  void concat(const AffineTransform& transform);

  // The Cairo context underneath, for text drawing and the renderer. Code
  // that changes its state must save and restore around the change.
  cairo_t* cairoContext() const { return cairo_; }

  // Image contexts only (everything below answers empty otherwise).
  double scaleFactor() const { return scale_; }
  int pixelWidth() const;
  int pixelHeight() const;
  // The pixel at device (pixel) coordinates, or nullopt outside the image.
  std::optional<Pixel> pixelAt(int x, int y) const;
  std::vector<std::uint8_t> pngData() const;
  [[nodiscard]] bool writePNG(const std::string& path) const;
  // The drawing as an Image, one image pixel per device pixel.
  std::shared_ptr<Image> makeImage() const;

  GraphicsContext(Passkey, cairo_t* cairo, double scale);
  ~GraphicsContext();
  GraphicsContext(const GraphicsContext&) = delete;
  GraphicsContext& operator=(const GraphicsContext&) = delete;

 private:
  struct State {
    Color stroke = Color::blackColor();
    Color fill = Color::blackColor();
    double alpha = 1;
    // Set on the state a transparency layer opened: the alpha to composite
    // the layer with when it ends.
    std::optional<double> layerAlpha;
  };

  void setSource(Color color) const;
  cairo_surface_t* imageSurface() const;

  cairo_t* cairo_;
  double scale_;
  std::vector<State> states_;
};

}  // namespace platform::graphics

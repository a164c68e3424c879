#pragma once
// A typeface at a size, named as on the platform: PostScript-like names such
// as "Helvetica-Bold" or "MarkerFelt-Wide", or family names such as
// "Marker Felt". The name is split into a family and a weight and slant,
// which fontconfig then matches through the app's font map (see
// FontConfiguration): "Helvetica" is drawn with Nimbus Sans, "Marker Felt"
// with the casual face of the app's font rules. Sizes are in points.
//
// Immutable and shared by std::shared_ptr.

#include <pango/pango.h>

#include <memory>
#include <string>
#include <string_view>

namespace platform::graphics {

class Font {
  struct Passkey {};

 public:
  // Sizes above this are refused: nothing on a phone screen needs them, and
  // the glyph rasteriser's memory grows with the square of the size.
  static constexpr double kMaxPointSize = 1000;

  // nullptr for an empty name, or a size that is not a number in (0, kMaxPointSize].
  static std::shared_ptr<Font> fontWithNameSize(std::string_view fontName, double fontSize);
  // The platform's system fonts, Helvetica and Helvetica Bold.
  static std::shared_ptr<Font> systemFontOfSize(double fontSize);
  static std::shared_ptr<Font> boldSystemFontOfSize(double fontSize);

  // The same face at another size; nullptr for a size refused as above.
  std::shared_ptr<Font> fontWithSize(double fontSize) const;

  // The name as given, and what it was parsed into.
  const std::string& fontName() const { return fontName_; }
  const std::string& familyName() const { return familyName_; }
  double pointSize() const { return pointSize_; }
  bool isBold() const { return weight_ >= PANGO_WEIGHT_SEMIBOLD; }
  bool isItalic() const { return style_ != PANGO_STYLE_NORMAL; }

  // The family the font system actually draws this font with.
  std::string resolvedFamilyName() const;

  // Owned by the font.
  const PangoFontDescription* pangoDescription() const { return description_; }

  // Public for std::make_shared only; use the factories.
  Font(Passkey, std::string fontName, std::string familyName, PangoWeight weight, PangoStyle style,
       double pointSize);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

 private:
  std::string fontName_;
  std::string familyName_;
  PangoWeight weight_;
  PangoStyle style_;
  double pointSize_;
  PangoFontDescription* description_;
};

}  // namespace platform::graphics

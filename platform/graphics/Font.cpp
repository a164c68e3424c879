#include "platform/graphics/Font.h"

#include <array>
#include <cctype>
#include <cmath>

#include "platform/graphics/FontConfiguration.h"

namespace platform::graphics {

namespace {

struct Face {
  std::string_view suffix;
  PangoWeight weight;
  PangoStyle style;
};

// The style part of PostScript names ("Helvetica-BoldOblique").
constexpr std::array<Face, 11> kFaces = {{
    {"Bold", PANGO_WEIGHT_BOLD, PANGO_STYLE_NORMAL},
    {"Oblique", PANGO_WEIGHT_NORMAL, PANGO_STYLE_OBLIQUE},
    {"Italic", PANGO_WEIGHT_NORMAL, PANGO_STYLE_ITALIC},
    {"BoldOblique", PANGO_WEIGHT_BOLD, PANGO_STYLE_OBLIQUE},
    {"BoldItalic", PANGO_WEIGHT_BOLD, PANGO_STYLE_ITALIC},
    {"Light", PANGO_WEIGHT_LIGHT, PANGO_STYLE_NORMAL},
    {"Medium", PANGO_WEIGHT_MEDIUM, PANGO_STYLE_NORMAL},
    {"Roman", PANGO_WEIGHT_NORMAL, PANGO_STYLE_NORMAL},
    {"Regular", PANGO_WEIGHT_NORMAL, PANGO_STYLE_NORMAL},
    // Marker Felt comes as Thin, its regular face (the one the plain family
    // name gives), and Wide, its heavy one.
    {"Thin", PANGO_WEIGHT_NORMAL, PANGO_STYLE_NORMAL},
    {"Wide", PANGO_WEIGHT_BOLD, PANGO_STYLE_NORMAL},
}};

// "MarkerFelt" → "Marker Felt": PostScript names drop the spaces of the
// family name, and fontconfig knows families by their spaced names.
std::string spacedFamily(std::string_view name) {
  if (name.find(' ') != std::string_view::npos) {
    return std::string(name);
  }
  std::string family;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (i > 0 && std::isupper(c) && std::islower(static_cast<unsigned char>(name[i - 1]))) {
      family.push_back(' ');
    }
    family.push_back(name[i]);
  }
  return family;
}

bool acceptableSize(double size) { return std::isfinite(size) && size > 0 && size <= Font::kMaxPointSize; }

}  // namespace

Font::Font(Passkey, std::string fontName, std::string familyName, PangoWeight weight, PangoStyle style,
           double pointSize)
    : fontName_(std::move(fontName)),
      familyName_(std::move(familyName)),
      weight_(weight),
      style_(style),
      pointSize_(pointSize),
      description_(pango_font_description_new()) {
  pango_font_description_set_family(description_, familyName_.c_str());
  pango_font_description_set_weight(description_, weight_);
  pango_font_description_set_style(description_, style_);
  // Absolute: the size is in device units of the layout, which are points.
  pango_font_description_set_absolute_size(description_, pointSize_ * PANGO_SCALE);
}

Font::~Font() { pango_font_description_free(description_); }

std::shared_ptr<Font> Font::fontWithNameSize(std::string_view fontName, double fontSize) {
  if (fontName.empty() || fontName.find('\0') != std::string_view::npos || !acceptableSize(fontSize)) {
    return nullptr;
  }
  std::string_view family = fontName;
  PangoWeight weight = PANGO_WEIGHT_NORMAL;
  PangoStyle style = PANGO_STYLE_NORMAL;
  if (const auto dash = fontName.rfind('-'); dash != std::string_view::npos && dash > 0) {
    const std::string_view suffix = fontName.substr(dash + 1);
    for (const Face& face : kFaces) {
      if (face.suffix == suffix) {
        family = fontName.substr(0, dash);
        weight = face.weight;
        style = face.style;
        break;
      }
    }
  }
  return std::make_shared<Font>(Passkey{}, std::string(fontName), spacedFamily(family), weight, style, fontSize);
}

std::shared_ptr<Font> Font::systemFontOfSize(double fontSize) { return fontWithNameSize("Helvetica", fontSize); }

std::shared_ptr<Font> Font::boldSystemFontOfSize(double fontSize) {
  return fontWithNameSize("Helvetica-Bold", fontSize);
}

std::shared_ptr<Font> Font::fontWithSize(double fontSize) const {
  if (!acceptableSize(fontSize)) {
    return nullptr;
  }
  return std::make_shared<Font>(Passkey{}, fontName_, familyName_, weight_, style_, fontSize);
}

std::string Font::resolvedFamilyName() const {
  PangoContext* context = FontConfiguration::createContext();
  PangoFont* font = pango_font_map_load_font(FontConfiguration::fontMap(), context, description_);
  std::string family;
  if (font != nullptr) {
    PangoFontDescription* actual = pango_font_describe(font);
    if (const char* name = pango_font_description_get_family(actual)) {
      family = name;
    }
    pango_font_description_free(actual);
    g_object_unref(font);
  }
  g_object_unref(context);
  return family;
}

}  // namespace platform::graphics

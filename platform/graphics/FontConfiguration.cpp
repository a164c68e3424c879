#include "platform/graphics/FontConfiguration.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <filesystem>
#include <system_error>

#include "platform/foundation/Log.h"

namespace platform::graphics {

namespace {

constexpr double kPointsPerInch = 72;

struct FontSystem {
  PangoFontMap* fontMap = nullptr;
  std::string rulesFile;
};

FontSystem& fontSystem() {
  static FontSystem* system = [] {
    auto* made = new FontSystem();
    made->fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(made->fontMap), kPointsPerInch);
    return made;
  }();
  return *system;
}

}  // namespace

bool FontConfiguration::ensureLoaded(const std::string& bundleDir) {
  FontSystem& system = fontSystem();
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(bundleDir) / kRulesFile, error);
  if (!error && path.string() == system.rulesFile) {
    return true;
  }
  // Fontconfig would read every file of a folder given in place of a file,
  // and resolves relative names against its own folders: only an absolute
  // path of a regular file is handed over.
  if (error || !std::filesystem::is_regular_file(path, error)) {
    platform::log("Font rules not found: " + path.string());
    return false;
  }
  FcConfig* config = FcInitLoadConfig();
  if (config == nullptr) {
    platform::log("Cannot read the system font configuration");
    return false;
  }
  const auto* file = reinterpret_cast<const FcChar8*>(path.c_str());
  if (!FcConfigParseAndLoad(config, file, FcTrue) || !FcConfigBuildFonts(config)) {
    FcConfigDestroy(config);
    platform::log("Cannot load the font rules in " + path.string());
    return false;
  }
  // The font map takes its own reference and drops the cached fonts of the
  // previous configuration.
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(system.fontMap), config);
  FcConfigDestroy(config);
  system.rulesFile = path.string();
  return true;
}

std::string FontConfiguration::loadedRulesFile() { return fontSystem().rulesFile; }

PangoFontMap* FontConfiguration::fontMap() { return fontSystem().fontMap; }

PangoContext* FontConfiguration::createContext() {
  PangoContext* context = pango_font_map_create_context(fontMap());
  applyTextSettings(context);
  return context;
}

void FontConfiguration::applyTextSettings(PangoContext* context) {
  cairo_font_options_t* options = cairo_font_options_create();
  // Hinted metrics would snap advances to whole device pixels, so the same
  // text would measure differently at scale 1 and 2.
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_cairo_context_set_resolution(context, kPointsPerInch);
  pango_context_set_round_glyph_positions(context, FALSE);
}

}  // namespace platform::graphics

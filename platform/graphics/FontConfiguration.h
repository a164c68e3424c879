#pragma once
// The font system behind Font and StringDrawing: one Pango font map for all
// of the app's text, set up for 1 point = 1 pixel at scale 1 (72 dpi, hint
// metrics off, unrounded glyph positions) so that text measures the same at
// every scale and the same when measured as when drawn.
//
// How to use: call ensureLoaded(bundleDir) once at start-up, before the
// first text is measured, with the app's resource folder. It adds the app's
// own font rules in <bundleDir>/fonts/fonts.conf (such as the "Marker Felt"
// alias) to a private copy of the system's fontconfig configuration, used by
// this font map only: nothing outside the app changes. Until it succeeds,
// text uses the system's configuration alone.
//
// Ownership: the font map and its configuration live until the process ends.
// Main thread only.

#include <pango/pango.h>

#include <string>

namespace platform::graphics {

class FontConfiguration {
 public:
  // Where the app's font rules live, relative to the bundle folder.
  static constexpr const char* kRulesFile = "fonts/fonts.conf";

  // Loads <bundleDir>/fonts/fonts.conf on top of the system's configuration
  // and makes the result the font map's. Loading the file that is already in
  // force does nothing and succeeds. False (and a log line) when the file is
  // missing, is not a regular file or does not parse; the configuration in
  // force then stays as it was.
  [[nodiscard]] static bool ensureLoaded(const std::string& bundleDir);

  // The absolute path of the rules file in force, or empty before any loaded.
  static std::string loadedRulesFile();

  // The app's font map (not to be unreferenced).
  static PangoFontMap* fontMap();
  // A new Pango context over the font map with the app's text settings. The
  // caller owns it (g_object_unref).
  static PangoContext* createContext();
  // Applies the app's text settings to a context made elsewhere, e.g. after
  // pango_cairo_update_context.
  static void applyTextSettings(PangoContext* context);
};

}  // namespace platform::graphics

#pragma once
// Paints a PictureDescription into PNG bytes with Cairo: the shape in its colour,
// with a lighter top half so that it reads as a glossy button, and the label
// centred over it in bold, shrunk until it fits. The result depends only on
// the PictureDescription and the installed fonts, so the same inventory gives the same
// pictures on every start.
//
// Label drawing goes through fontconfig, whose caches live until released.
// releaseFontCaches() frees them and cairo's static data, so a sanitizer
// build sees no leaks at exit. It must only run while nothing else in the
// process uses cairo or fontconfig (pango included), so the server never
// calls it itself: the pennant-adserver program does, once the server is
// created, and so does the server's own test program at its end. A process
// that embeds the server next to other drawing code must not.

#include <optional>
#include <string>

#include "tools/adserver/PictureDescription.h"

namespace pennant::adserver {

class PicturePainter {
 public:
  // nullopt when Cairo cannot make the surface or write the PNG.
  static std::optional<std::string> paintPng(const PictureDescription& picture);
  static void releaseFontCaches();
};

}  // namespace pennant::adserver

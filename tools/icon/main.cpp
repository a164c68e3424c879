// make-icon: draws the app's icon at one size from its button picture, for
// the desktop's icon theme (share/icons/hicolor/<size>x<size>/apps). The
// picture is scaled to fit the square, keeping its shape, on a transparent
// background. Run by the build; not installed.
//
//   make-icon SOURCE.png SIZE OUT.png

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace {

constexpr int kSmallestSize = 16;
constexpr int kLargestSize = 1024;

int usage() {
  std::fputs("usage: make-icon SOURCE.png SIZE OUT.png\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return usage();
  const std::string sizeText = argv[2];
  int size = 0;
  const auto [end, error] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
  if (error != std::errc() || end != sizeText.data() + sizeText.size() || size < kSmallestSize ||
      size > kLargestSize) {
    return usage();
  }
  auto picture = platform::graphics::Image::imageWithContentsOfFile(argv[1]);
  if (!picture) {
    std::fprintf(stderr, "make-icon: %s is not a PNG picture\n", argv[1]);
    return 1;
  }
  const auto pictureSize = picture->size();
  const double scale = std::min(size / pictureSize.width, size / pictureSize.height);
  const double width = pictureSize.width * scale, height = pictureSize.height * scale;
  auto context = platform::graphics::GraphicsContext::imageContext(size, size);
  if (!context) return 1;
  context->drawImageInRect(picture, {{(size - width) / 2, (size - height) / 2}, {width, height}});
  if (!context->writePNG(argv[3])) {
    std::fprintf(stderr, "make-icon: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}

#pragma once
// The media type of a picture, told from its first bytes rather than from
// what a server claims, so that a stored entry names the format it really
// holds.

#include <string>
#include <string_view>

namespace platform::addressbook {

class ImageMediaType {
 public:
  // "image/png", "image/jpeg", "image/gif", "image/webp", "image/bmp",
  // "image/tiff", or "application/octet-stream" for anything else.
  static std::string sniff(std::string_view bytes);
};

}  // namespace platform::addressbook

#include "platform/addressbook/ImageMediaType.h"

namespace platform::addressbook {

namespace {

struct Signature {
  std::string_view prefix;
  const char* mediaType;
};

constexpr Signature kSignatures[] = {
    {std::string_view("\x89PNG\r\n\x1a\n", 8), "image/png"},
    {std::string_view("\xff\xd8\xff", 3), "image/jpeg"},
    {"GIF87a", "image/gif"},
    {"GIF89a", "image/gif"},
    {"BM", "image/bmp"},
    {std::string_view("II*\0", 4), "image/tiff"},
    {std::string_view("MM\0*", 4), "image/tiff"},
};

constexpr std::size_t kWebPTagOffset = 8;

}  // namespace

std::string ImageMediaType::sniff(std::string_view bytes) {
  // WebP is a RIFF container whose form type says WEBP.
  if (bytes.size() >= kWebPTagOffset + 4 && bytes.substr(0, 4) == "RIFF" && bytes.substr(kWebPTagOffset, 4) == "WEBP") {
    return "image/webp";
  }
  for (const auto& signature : kSignatures) {
    if (bytes.substr(0, signature.prefix.size()) == signature.prefix) {
      return signature.mediaType;
    }
  }
  return "application/octet-stream";
}

}  // namespace platform::addressbook

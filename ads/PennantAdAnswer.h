#pragma once
// What the ad library reads from the ad server's answer to an ad request: the
// keys it looks at, the picture's URL and the acceptance rule. Reading has no
// side effects, so the ad object and pennant-inspect share it.
//
// Values are expected to be text; a key whose value is of another type is
// treated as absent.

#include <optional>
#include <string>

#include "ads/PennantAdMedium.h"
#include "json/ByteScanner.h"

namespace pennant {

struct PennantAdAnswer {
  std::optional<std::string> text;             // "text"
  std::optional<std::string> action;           // "6"
  std::optional<std::string> actionImageName;  // "18", else a copy of the action
  std::optional<std::string> userString;       // "8"
  std::optional<std::string> clickUrl;         // "url"
  std::optional<std::string> jsonpUrl;         // "jsonp_url"
  // Whether the answer names a picture: "banner" (an image banner), else
  // "204" (a text ad).
  bool hasImage = false;
  // The picture's URL: "banner" as it is, else the static-media host
  // followed by "204". nullopt when there is no picture, and when "204" is
  // not a path on that host: the ad is accepted and its picture download
  // fails for want of a URL.
  std::optional<std::string> imageUrl;
  PennantAdMedium medium = PennantAdMedium::Text;
  // Image banners only, and never the empty string.
  std::optional<std::string> accountingPixelUrl;  // "cpm_url"
  std::optional<std::string> trackingPixelUrl;    // "tracking_pixel"

  // Bytes that are not a JSON object read like an object without keys.
  static PennantAdAnswer answerWithData(const json::ByteScanner::Data& data);

  // An action, its icon, a click URL and a picture, and a text unless the
  // ad is an image banner.
  bool isAccepted() const {
    return action && actionImageName && clickUrl && hasImage && (text || medium == PennantAdMedium::Banner);
  }
};

}  // namespace pennant

#pragma once
// What the ad library reads from the ad server's answer to a click: the
// destination, the acquisition URL for the call and contact offers, and the
// contact object. Reading has no side effects, so the ad object and
// pennant-inspect share it.
//
// Values of another type than expected: a "redirect_url" that is present
// but not a string (a number, a list, an object, null) makes the answer
// unusable and the click fails; text that is no URL gives no destination.
// An "acquisition_url" that is not a string, and a "contact" that is not an
// object, count as absent.

#include <memory>
#include <optional>
#include <string>

#include "json/ByteScanner.h"
#include "json/Value.h"
#include "platform/foundation/Url.h"

namespace pennant {

struct PennantClickAnswer {
  // An empty body, or a "redirect_url" that is not text: the click fails.
  bool failed = false;
  // The "redirect_url" text as sent, and the URL made from it (null when
  // the text is not a URL or there was none).
  std::optional<std::string> redirectText;
  std::shared_ptr<const platform::Url> destination;
  std::optional<std::string> acquisitionURL;
  // The parsed answer, which keeps `contact` alive; null when the body is
  // not a JSON object.
  std::shared_ptr<const json::Value> document;
  const json::Value* contact = nullptr;

  static PennantClickAnswer answerWithData(const json::ByteScanner::Data& data);
};

}  // namespace pennant

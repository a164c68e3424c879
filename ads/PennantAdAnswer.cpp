#include "ads/PennantAdAnswer.h"

#include "ads/PennantAdServer.h"
#include "json/JSONDeserializer.h"

namespace pennant {

PennantAdAnswer PennantAdAnswer::answerWithData(const json::ByteScanner::Data& data) {
  PennantAdAnswer answer;
  if (!data || data->empty()) return answer;
  // One reader per thread, kept: every answer after the first reuses the
  // memory of the one before, which is let go before this returns.
  thread_local const auto reader = json::JSONDeserializer::deserializer();
  auto object = reader->deserializeAsDictionaryError(data, nullptr);
  auto read = [&object](std::string_view key) -> std::optional<std::string> {
    return object ? object->stringForKey(key) : std::nullopt;
  };
  answer.text = read("text");
  answer.action = read("6");
  answer.actionImageName = read("18");
  if (!answer.actionImageName) answer.actionImageName = answer.action;
  answer.userString = read("8");
  answer.clickUrl = read("url");
  answer.jsonpUrl = read("jsonp_url");
  if (auto banner = read("banner")) {
    answer.hasImage = true;
    answer.imageUrl = banner;
    answer.medium = PennantAdMedium::Banner;
  } else if (auto path = read("204")) {
    answer.hasImage = true;
    answer.imageUrl = PennantAdServer::textAdImageURL(*path);
    answer.medium = PennantAdMedium::Text;
  }
  if (answer.medium == PennantAdMedium::Banner) {
    auto cpm = read("cpm_url");
    if (cpm && !cpm->empty()) answer.accountingPixelUrl = cpm;
    auto tracking = read("tracking_pixel");
    if (tracking && !tracking->empty()) answer.trackingPixelUrl = tracking;
  }
  return answer;
}

}  // namespace pennant

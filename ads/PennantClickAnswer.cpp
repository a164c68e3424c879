#include "ads/PennantClickAnswer.h"

#include "json/JSONDeserializer.h"

namespace pennant {

PennantClickAnswer PennantClickAnswer::answerWithData(const json::ByteScanner::Data& data) {
  PennantClickAnswer answer;
  if (!data || data->empty()) {
    answer.failed = true;
    return answer;
  }
  // Bytes that are not a JSON object read like an object without keys.
  answer.document = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(data, nullptr);
  if (!answer.document) return answer;
  if (const json::Value* redirect = answer.document->objectForKey("redirect_url")) {
    if (!redirect->isString()) {
      answer.failed = true;
      return answer;
    }
    answer.redirectText = redirect->stringValue();
    if (answer.redirectText) answer.destination = platform::Url::URLWithString(*answer.redirectText);
  }
  answer.acquisitionURL = answer.document->stringForKey("acquisition_url");
  answer.contact = answer.document->dictionaryForKey("contact");
  return answer;
}

}  // namespace pennant

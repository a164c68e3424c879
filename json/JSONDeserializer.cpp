#include "json/JSONDeserializer.h"

#include "json/JSONScanner.h"

namespace json {

namespace {

bool reportMissingData(const ByteScanner::Data& data, platform::Error* error) {
  if (data && !data->empty()) return false;
  if (error) *error = platform::Error{std::string(kJSONReaderErrorDomain), -1, ""};
  return true;
}

}  // namespace

std::shared_ptr<JSONDeserializer> JSONDeserializer::deserializer() { return std::make_shared<JSONDeserializer>(); }

std::shared_ptr<const Value> JSONDeserializer::deserializeAsDictionaryError(const ByteScanner::Data& data,
                                                                            platform::Error* error) {
  if (reportMissingData(data, error)) return nullptr;
  // The scanner lives for this call only, so it needs no shared ownership.
  JSONScanner scanner;
  scanner.setData(data);
  std::shared_ptr<const Value> dictionary;
  if (!scanner.scanJSONDictionaryError(&dictionary, error)) return nullptr;
  return dictionary;
}

std::shared_ptr<const Value> JSONDeserializer::deserializeError(const ByteScanner::Data& data,
                                                                platform::Error* error) {
  if (reportMissingData(data, error)) return nullptr;
  JSONScanner scanner;
  scanner.setData(data);
  std::shared_ptr<const Value> value;
  if (!scanner.scanJSONObjectError(&value, error)) return nullptr;
  return value;
}

}  // namespace json

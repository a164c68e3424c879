#pragma once
// Reads a whole JSON text into a tree of Values. Stateless: every call makes
// its own JSONScanner, so one deserializer may serve any number of calls.
//
// Results are std::shared_ptr<const Value> that own the parsed document
// (nullptr when nothing was read). Empty or null data fails with the
// reader's own error: domain kJSONReaderErrorDomain, code -1, no description.
// Every other failure carries the scanner's error (JSONScannerErrorDomain).

#include <memory>
#include <string_view>

#include "json/DeserializerProtocol.h"

namespace json {

inline constexpr std::string_view kJSONReaderErrorDomain = "JSONReaderErrorDomain";

class JSONDeserializer : public DeserializerProtocol {
 public:
  static std::shared_ptr<JSONDeserializer> deserializer();

  // A dictionary that starts at the very first byte (no whitespace first);
  // whatever follows its closing brace is not looked at.
  std::shared_ptr<const Value> deserializeAsDictionaryError(const ByteScanner::Data& data,
                                                            platform::Error* error) override;
  // Any value, after optional leading whitespace.
  std::shared_ptr<const Value> deserializeError(const ByteScanner::Data& data, platform::Error* error);
};

}  // namespace json

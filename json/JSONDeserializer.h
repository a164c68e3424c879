#pragma once
// Reads a whole JSON text into a tree of Values.
//
// How to use it: one-shot, JSONDeserializer::deserializer()->deserialize…;
// or keep a deserializer and give it one text after another: each parse
// then reuses the memory of the previous one, provided the caller has
// dropped every value of that previous parse by then (while any is held,
// the next parse simply takes fresh memory). A deserializer is for one
// thread at a time; its values may go to any thread.
//
// Results are std::shared_ptr<const Value> that own the parsed document
// (nullptr when nothing was read). They hold the document through a lease
// of their own, so a weak_ptr to a value expires with that parse's values
// and can never observe a later parse in the reused memory. Empty or null
// data fails with the reader's own error: domain kJSONReaderErrorDomain,
// code -1, no description. Every other failure carries the scanner's error
// (JSONScannerErrorDomain).

#include <memory>
#include <string_view>

#include "json/DeserializerProtocol.h"
#include "json/Document.h"

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

 private:
  std::shared_ptr<const Value> read(const ByteScanner::Data& data, bool dictionaryOnly, platform::Error* error);
  // The document of the last parse, reset for the next one when no value
  // of it is held any more.
  Document& documentForNextParse();

  std::shared_ptr<Document> document_;
};

}  // namespace json

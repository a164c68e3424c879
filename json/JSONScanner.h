#pragma once
// The JSON rules on top of ByteScanner: values, dictionaries, arrays, string
// and number constants.
//
// How to use it: JSONScanner::scannerWithData(data) converts UTF-16 and
// UTF-32 input to UTF-8 (see TextEncoding; input that fails to decode leaves
// the scanner empty), then the scanJSON* operations read values. Each takes
// a place for the result and a place for an error, either of which may be
// null. On failure the result place is untouched (the value scan alone
// stores nullptr there), the error place receives the error of the
// outermost container that failed, and a failed dictionary, array or string
// scan puts the cursor back where it began.
//
// Ownership: values are built in a Document shared by all values scanned
// from the same buffer; each result pointer keeps that document, and with it
// the input buffer, alive. A scanner is for one thread and one parse.
// Every value is written once, into its final place in the document's
// arena (see Arena for how containers of unknown size manage that).
//
// Leniencies that callers rely on: trailing commas, control characters
// inside strings, bytes after the value, a plus-signed exponent ending the
// number before the "+". Containers nest at most kMaximumDepth levels; a
// deeper one is a value that could not be scanned.

#include <memory>
#include <string>
#include <string_view>

#include "json/ByteScanner.h"
#include "json/Document.h"
#include "json/Value.h"
#include "platform/foundation/Error.h"

namespace json {

class JSONDeserializer;

inline constexpr std::string_view kJSONScannerErrorDomain = "JSONScannerErrorDomain";

class JSONScanner : public ByteScanner {
 public:
  using ValuePtr = std::shared_ptr<const Value>;

  // The top-level container is level 1; a container at level 513 fails.
  static constexpr std::size_t kMaximumDepth = 512;

  JSONScanner();
  ~JSONScanner() override;

  static std::shared_ptr<JSONScanner> scannerWithData(Data data);

  void setData(Data data) override;

  bool scanJSONObjectError(ValuePtr* object, platform::Error* error);
  bool scanJSONDictionaryError(ValuePtr* dictionary, platform::Error* error);
  bool scanJSONArrayError(ValuePtr* array, platform::Error* error);
  bool scanJSONStringConstantError(ValuePtr* string, platform::Error* error);
  bool scanJSONNumberConstantError(ValuePtr* number, platform::Error* error);
  // The run up to the next double quote or backslash (or the end), decoded
  // as UTF-8; an empty run fails.
  bool scanNotQuoteCharactersIntoString(std::optional<std::string>* string);

  // The error that the scanner reports for a code, for tests and tools.
  static platform::Error errorWithCode(int code);

 private:
  // JSONDeserializer reads straight into a document it keeps (readRoot).
  friend class JSONDeserializer;

  // The root value at the cursor, built in `document`, which the caller
  // keeps alive; nullptr on failure. dictionaryOnly: the dictionary scan
  // rather than the value scan.
  const Value* readRoot(Document& document, bool dictionaryOnly, platform::Error* error);

  bool scanValueInto(Value& out, platform::Error* error);
  bool scanDictionaryInto(Value& out, platform::Error* error);
  bool scanArrayInto(Value& out, platform::Error* error);
  bool scanStringInto(Value& out, platform::Error* error);
  // The string scan for a cursor already past any whitespace; a failure
  // puts the cursor back to location.
  bool scanQuotedStringInto(Value& out, const std::uint8_t* location, platform::Error* error);
  // The rest of a string constant from p, the first byte after runStart
  // that is a quote, a backslash or not ASCII. Out of line: the short
  // ASCII strings that make up most documents never get here.
  [[gnu::noinline]] bool finishStringInto(Value& out, const std::uint8_t* runStart, const std::uint8_t* p,
                                          const std::uint8_t* location, platform::Error* error);
  bool scanEscapedStringInto(Value& out, const std::uint8_t* runStart, const std::uint8_t* backslash,
                             const std::uint8_t* location, platform::Error* error);
  bool scanNumberInto(Value& out, platform::Error* error);
  bool scanLiteral(std::string_view literal, Value value, Value& out);

  // Makes the scanner's own document ready for the public scans.
  void prepareDocument();
  ValuePtr share(const Value& value);
  [[gnu::cold]] bool fail(const std::uint8_t* location, int code, platform::Error* error);

  // The document of the public scans, made on the first one.
  std::shared_ptr<Document> document_;
  // Where values go during a scan: document_'s arena or readRoot's.
  Arena* arena_ = nullptr;
  std::size_t depth_ = 0;
};

}  // namespace json

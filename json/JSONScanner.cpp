#include "json/JSONScanner.h"

#include <cstring>

#include "json/DictionaryMembers.h"
#include "json/StringRun.h"
#include "json/TextEncoding.h"
#include "json/Utf8.h"

namespace json {

namespace {

const char* messageForCode(int code) {
  switch (code) {
    case -1: return "Could not scan dictionary. Dictionary that does not start with '{' character.";
    case -2: return "Could not scan dictionary. Failed to scan a key.";
    case -3: return "Could not scan dictionary. Key was not terminated with a ':' character.";
    case -4: return "Could not scan dictionary. Failed to scan a value.";
    case -5: return "Could not scan dictionary. Key value pairs not delimited with a ',' character.";
    case -7: return "Could not scan array. Array that does not start with '[' character.";
    case -8: return "Could not scan array. Could not scan a value.";
    case -9: return "Could not scan array. Array not terminated by a ']' character.";
    case -11: return "Could not scan string constant. String not started by a '\"' character.";
    case -12: return "Could not scan string constant. Unicode character could not be decoded.";
    case -13: return "Could not scan string constant. Unknown escape code.";
    case -14: return "Could not scan number constant.";
    case -15: return "Could not scan string constant. String not terminated by a '\"' character.";
    case -16: return "Could not scan string constant. String contains bytes that are not valid UTF-8.";
    default: return "";
  }
}

}  // namespace

JSONScanner::JSONScanner() = default;

JSONScanner::~JSONScanner() = default;

std::shared_ptr<JSONScanner> JSONScanner::scannerWithData(Data data) {
  auto scanner = std::make_shared<JSONScanner>();
  scanner->setData(std::move(data));
  return scanner;
}

void JSONScanner::setData(Data data) {
  const Data previous = data_;
  if (data && data != data_) {
    const auto encoding = TextEncoding::detect(data->data(), data->size());
    if (encoding != TextEncoding::Encoding::UTF8) {
      auto utf8 = TextEncoding::toUtf8(data->data(), data->size(), encoding);
      data = utf8 ? std::make_shared<const std::vector<std::uint8_t>>(std::move(*utf8)) : nullptr;
    }
  }
  ByteScanner::setData(std::move(data));
  if (data_ != previous) document_.reset();
}

platform::Error JSONScanner::errorWithCode(int code) {
  return platform::Error{std::string(kJSONScannerErrorDomain), code, messageForCode(code)};
}

bool JSONScanner::fail(const std::uint8_t* location, int code, platform::Error* error) {
  current_ = location;
  if (error) *error = errorWithCode(code);
  return false;
}

void JSONScanner::prepareDocument() {
  if (!document_) document_ = std::make_shared<Document>(data_);
  arena_ = &document_->arena();
}

JSONScanner::ValuePtr JSONScanner::share(const Value& value) {
  Value* stored = arena_->allocateOne<Value>();
  *stored = value;
  return ValuePtr(document_, stored);
}

const Value* JSONScanner::readRoot(Document& document, bool dictionaryOnly, platform::Error* error) {
  document.setSource(data_);
  arena_ = &document.arena();
  Value root;
  const bool scanned = dictionaryOnly ? scanDictionaryInto(root, error) : scanValueInto(root, error);
  if (!scanned) return nullptr;
  Value* stored = arena_->allocateOne<Value>();
  *stored = root;
  return stored;
}

bool JSONScanner::scanJSONObjectError(ValuePtr* object, platform::Error* error) {
  prepareDocument();
  Value value;
  if (!scanValueInto(value, error)) {
    if (object) *object = nullptr;
    return false;
  }
  if (object) *object = share(value);
  return true;
}

bool JSONScanner::scanJSONDictionaryError(ValuePtr* dictionary, platform::Error* error) {
  prepareDocument();
  Value value;
  if (!scanDictionaryInto(value, error)) return false;
  if (dictionary) *dictionary = share(value);
  return true;
}

bool JSONScanner::scanJSONArrayError(ValuePtr* array, platform::Error* error) {
  prepareDocument();
  Value value;
  if (!scanArrayInto(value, error)) return false;
  if (array) *array = share(value);
  return true;
}

bool JSONScanner::scanJSONStringConstantError(ValuePtr* string, platform::Error* error) {
  prepareDocument();
  Value value;
  if (!scanStringInto(value, error)) return false;
  if (string) *string = share(value);
  return true;
}

bool JSONScanner::scanJSONNumberConstantError(ValuePtr* number, platform::Error* error) {
  prepareDocument();
  Value value;
  if (!scanNumberInto(value, error)) return false;
  if (number) *number = share(value);
  return true;
}

bool JSONScanner::scanValueInto(Value& out, platform::Error* error) {
  skipWhitespace();
  if (current_ >= end_) return false;
  switch (*current_) {
    case '{': return scanDictionaryInto(out, error);
    case '[': return scanArrayInto(out, error);
    case '"': return scanQuotedStringInto(out, current_, error);
    case '\'': return fail(current_, -11, error);
    case '-': case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9': return scanNumberInto(out, error);
    case 't': return scanLiteral("true", Value::makeBoolean(true), out);
    case 'f': return scanLiteral("false", Value::makeBoolean(false), out);
    case 'n': return scanLiteral("null", Value(), out);
    default: return false;
  }
}

bool JSONScanner::scanLiteral(std::string_view literal, Value value, Value& out) {
  if (static_cast<std::size_t>(end_ - current_) < literal.size() ||
      std::memcmp(current_, literal.data(), literal.size()) != 0) {
    return false;
  }
  current_ += literal.size();
  out = value;
  return true;
}

bool JSONScanner::scanNumberInto(Value& out, platform::Error* error) {
  double value = 0;
  const std::uint8_t* runEnd = numberRunEnd(value);
  if (runEnd == current_) return fail(current_, -14, error);
  out = Value::makeNumber(value);
  current_ = runEnd;
  return true;
}

bool JSONScanner::scanDictionaryInto(Value& out, platform::Error* error) {
  const std::uint8_t* const start = current_;
  if (current_ >= end_ || *current_ != '{') return fail(start, -1, error);
  // Too deep: not scanned at all, so the enclosing container reports.
  if (depth_ >= kMaximumDepth) return false;
  ++current_;
  ++depth_;
  // Members go straight into this depth's lane; a failure leaves them
  // uncommitted, which releases them.
  Arena::Run<Member> members(*arena_, depth_);
  DictionaryMembers keys;
  auto failWith = [&](int code) {
    --depth_;
    return fail(start, code, error);
  };
  while (currentCharacter() != '}') {
    skipWhitespace();
    if (currentCharacter() == '}') break;
    Member* member = members.push();
    // The whitespace before the key is already behind the cursor.
    if (!scanQuotedStringInto(member->key, current_, error)) return failWith(-2);
    keys.noteKey(members.begin(), members.size() - 1);
    skipWhitespace();
    if (!scanCharacter(u':')) return failWith(-3);
    if (!scanValueInto(member->value, error)) return failWith(-4);
    skipWhitespace();
    if (scanCharacter(u',')) {
      skipWhitespace();
      if (currentCharacter() == '}') break;
      continue;
    }
    if (currentCharacter() == '}') break;
    return failWith(-5);
  }
  ++current_;  // the closing brace
  --depth_;
  std::size_t kept = members.size();
  bool sorted = false;
  if (keys.needsDeduplication(kept)) {
    const auto deduplicated = DictionaryMembers::deduplicate(members.begin(), kept);
    kept = deduplicated.count;
    sorted = deduplicated.sortedByKey;
  }
  out = Value::makeDictionary(kept > 0 ? members.commit(kept) : nullptr, kept, sorted);
  return true;
}

bool JSONScanner::scanArrayInto(Value& out, platform::Error* error) {
  const std::uint8_t* const start = current_;
  if (current_ >= end_ || *current_ != '[') return fail(start, -7, error);
  if (depth_ >= kMaximumDepth) return false;
  ++current_;
  ++depth_;
  Arena::Run<Value> elements(*arena_, depth_);
  skipWhitespace();
  while (currentCharacter() != ']') {
    if (!scanValueInto(*elements.push(), error)) {
      --depth_;
      return fail(start, -8, error);
    }
    skipWhitespace();
    if (scanCharacter(u',')) {
      skipWhitespace();
      continue;
    }
    skipWhitespace();
    if (currentCharacter() == ']') break;
    --depth_;
    return fail(start, -9, error);
  }
  skipWhitespace();
  ++current_;  // the closing bracket
  --depth_;
  const std::size_t count = elements.size();
  out = Value::makeArray(count > 0 ? elements.commit(count) : nullptr, count);
  return true;
}

}  // namespace json

namespace json {

namespace {

int hexValue(std::uint8_t b) {
  if (b >= '0' && b <= '9') return b - '0';
  if (b >= 'a' && b <= 'f') return b - 'a' + 10;
  if (b >= 'A' && b <= 'F') return b - 'A' + 10;
  return -1;
}

// A character from one escape takes at most four bytes of UTF-8.
constexpr std::size_t kLongestEscapedCharacter = 4;

// Four hex digits at p (all before end) as one code unit, or -1.
long fourHexDigits(const std::uint8_t* p, const std::uint8_t* end) {
  if (end - p < 4) return -1;
  long unit = 0;
  for (int i = 0; i < 4; ++i) {
    const int digit = hexValue(p[i]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

}  // namespace

bool JSONScanner::scanNotQuoteCharactersIntoString(std::optional<std::string>* string) {
  const std::uint8_t* p = current_;
  while (p < end_ && *p != '"' && *p != '\\') ++p;
  if (p == current_) return false;
  if (string) *string = Utf8::decode(current_, p);
  current_ = p;
  return true;
}

bool JSONScanner::scanStringInto(Value& out, platform::Error* error) {
  const std::uint8_t* const location = current_;
  skipWhitespace();
  if (current_ >= end_ || *current_ != '"') return fail(location, -11, error);
  return scanQuotedStringInto(out, location, error);
}

bool JSONScanner::scanQuotedStringInto(Value& out, const std::uint8_t* location, platform::Error* error) {
  if (current_ >= end_ || *current_ != '"') return fail(location, -11, error);
  const std::uint8_t* const runStart = current_ + 1;
  const std::uint8_t* const p = StringRun::findSpecial(runStart, end_);
  if (p < end_ && *p == '"') {
    // Plain ASCII without escapes, the usual key: the input bytes themselves.
    out = Value::makeString(reinterpret_cast<const char*>(runStart), static_cast<std::size_t>(p - runStart));
    current_ = p + 1;
    return true;
  }
  return finishStringInto(out, runStart, p, location, error);
}

bool JSONScanner::finishStringInto(Value& out, const std::uint8_t* runStart, const std::uint8_t* p,
                                   const std::uint8_t* location, platform::Error* error) {
  for (;;) {
    if (p >= end_) return fail(location, -15, error);
    if (*p == '"') {
      // No escapes: the string is the input bytes themselves.
      out = Value::makeString(reinterpret_cast<const char*>(runStart), static_cast<std::size_t>(p - runStart));
      current_ = p + 1;
      return true;
    }
    if (*p == '\\') return scanEscapedStringInto(out, runStart, p, location, error);
    p = Utf8::sequenceEnd(p, end_);
    if (p == nullptr) return fail(location, -16, error);
    p = StringRun::findSpecial(p, end_);
  }
}

bool JSONScanner::scanEscapedStringInto(Value& out, const std::uint8_t* runStart, const std::uint8_t* backslash,
                                        const std::uint8_t* location, platform::Error* error) {
  // The unescaped text is written straight into the arena; a failure leaves
  // it uncommitted.
  Arena::Run<char> text(*arena_, Arena::kLooseLane);
  auto append = [&text](const std::uint8_t* from, const std::uint8_t* to) {
    const auto size = static_cast<std::size_t>(to - from);
    if (size == 0) return;  // a fresh lane has no memory to point at yet
    text.reserve(size);
    std::memcpy(text.end(), from, size);
    text.advance(size);
  };
  append(runStart, backslash);
  const std::uint8_t* p = backslash;
  for (;;) {
    ++p;  // the backslash
    // Like scanCharacter: at the end the escape reads as 0 and is unknown.
    const std::uint8_t code = p < end_ ? *p++ : 0;
    text.reserve(kLongestEscapedCharacter);
    char* written = text.end();
    switch (code) {
      case 'b': *written++ = '\b'; break;
      case 'f': *written++ = '\f'; break;
      case 'n': *written++ = '\n'; break;
      case 'r': *written++ = '\r'; break;
      case 't': *written++ = '\t'; break;
      case '"':
      case '/':
      case '\\': *written++ = static_cast<char>(code); break;
      case 'u': {
        char32_t unit = 0;
        for (int i = 0; i < 4; ++i) {
          const int digit = hexValue(p < end_ ? *p++ : 0);
          if (digit < 0) return fail(location, -12, error);
          unit = unit * 16 + static_cast<char32_t>(digit);
        }
        // A high surrogate directly followed by a low one is one character;
        // anything else keeps the unit as it is (a lone surrogate).
        if (unit >= 0xD800 && unit <= 0xDBFF && end_ - p >= 6 && p[0] == '\\' && p[1] == 'u') {
          const long low = fourHexDigits(p + 2, end_);
          if (low >= 0xDC00 && low <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00);
            p += 6;
          }
        }
        written = Utf8::writeCodePoint(written, unit);
        break;
      }
      default: return fail(location, -13, error);
    }
    text.advance(static_cast<std::size_t>(written - text.end()));
    const std::uint8_t* run = p;
    for (;;) {
      p = StringRun::findSpecial(p, end_);
      if (p >= end_) return fail(location, -15, error);
      if (*p == '"' || *p == '\\') break;
      p = Utf8::sequenceEnd(p, end_);
      if (p == nullptr) return fail(location, -16, error);
    }
    append(run, p);
    if (*p == '"') break;
  }
  const std::size_t size = text.size();
  out = Value::makeString(text.commit(size), size);
  current_ = p + 1;
  return true;
}

}  // namespace json

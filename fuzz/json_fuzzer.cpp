// Fuzzes the JSON reader through both of its entry points and checks what
// must hold for any input: a failed dictionary read always says why, the two
// entry points agree on a dictionary, and the canonical form of a result
// reads back to the same canonical form. A deserializer kept from input to
// input reads each one again in reused memory and must agree with a fresh
// one, while a result it handed out earlier, still held, stays unchanged.
// The byte scanner's steps run over the same bytes to catch reads outside
// the buffer.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "json/ByteScanner.h"
#include "json/CanonicalWriter.h"
#include "json/JSONDeserializer.h"

namespace {

// The reader takes no "+" in an exponent and no "inf", so numbers that the
// canonical form writes that way (from 1e21 up) cannot read back.
bool allNumbersReadBack(const json::Value& value) {
  if (value.isNumber()) return std::fabs(*value.numberValue()) < 1e21;
  for (const auto& element : value.elements()) {
    if (!allNumbersReadBack(element)) return false;
  }
  for (const auto& member : value.members()) {
    if (!allNumbersReadBack(member.value)) return false;
  }
  return true;
}

void check(bool condition) {
  if (!condition) std::abort();
}

// Reads with the kept deserializer. Every other result is held until the
// next input, so that parses alternate between fresh and reused memory.
void exerciseReuse(const json::ByteScanner::Data& data, const std::shared_ptr<const json::Value>& fresh) {
  static const auto kept = json::JSONDeserializer::deserializer();
  static std::shared_ptr<const json::Value> held;
  static std::string heldCanonical;
  static unsigned long inputs = 0;

  const auto reused = kept->deserializeError(data, nullptr);
  check((reused != nullptr) == (fresh != nullptr));
  if (reused) check(json::CanonicalWriter::canonicalForm(*reused) == json::CanonicalWriter::canonicalForm(*fresh));
  if (held) check(json::CanonicalWriter::canonicalForm(*held) == heldCanonical);
  held = ++inputs % 2 == 0 ? reused : nullptr;
  heldCanonical = held ? json::CanonicalWriter::canonicalForm(*held) : std::string();
}

void exerciseByteScanner(const json::ByteScanner::Data& data) {
  auto scanner = json::ByteScanner::scannerWithData(data);
  json::CharacterSet letters;
  letters.addCharactersInString("abcdefghijklmnopqrstuvwxyz\"{}[],:");
  std::optional<std::string> text;
  double number = 0;
  while (!scanner->isAtEnd()) {
    const std::size_t before = scanner->scanLocation();
    scanner->skipWhitespace();
    scanner->scanNumber(&number);
    scanner->scanCharactersFromSetIntoString(letters, &text);
    scanner->scanUpToStringIntoString("\"", &text);
    scanner->scanUTF8StringIntoString("true", &text);
    if (scanner->scanLocation() == before) scanner->scanCharacter();
    check(scanner->scanLocation() <= data->size());
  }
  check(scanner->remainingString().has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const auto data = std::make_shared<const std::vector<std::uint8_t>>(bytes, bytes + size);
  auto deserializer = json::JSONDeserializer::deserializer();

  platform::Error error;
  const auto dictionary = deserializer->deserializeAsDictionaryError(data, &error);
  check(dictionary ? dictionary->isDictionary() : !error.domain.empty());
  check((deserializer->deserializeAsDictionaryError(data, nullptr) != nullptr) == (dictionary != nullptr));

  const auto value = deserializer->deserializeError(data, nullptr);
  if (dictionary) {
    check(value && json::CanonicalWriter::canonicalForm(*value) == json::CanonicalWriter::canonicalForm(*dictionary));
  }
  if (value && allNumbersReadBack(*value)) {
    const std::string canonical = json::CanonicalWriter::canonicalForm(*value);
    const auto reread = deserializer->deserializeError(json::ByteScanner::dataWithBytes(canonical), nullptr);
    check(reread && json::CanonicalWriter::canonicalForm(*reread) == canonical);
  }
  exerciseReuse(data, value);
  exerciseByteScanner(data);
  return 0;
}

#include "json/JSONDeserializer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "json/CanonicalWriter.h"
#include "json/JSONScanner.h"

namespace json {
namespace {

using namespace std::string_literals;

std::shared_ptr<const Value> dictionaryOf(std::string_view text, platform::Error* error = nullptr) {
  return JSONDeserializer::deserializer()->deserializeAsDictionaryError(ByteScanner::dataWithBytes(text), error);
}

std::shared_ptr<const Value> anyOf(std::string_view text, platform::Error* error = nullptr) {
  return JSONDeserializer::deserializer()->deserializeError(ByteScanner::dataWithBytes(text), error);
}

// The text in UTF-16 or UTF-32, code unit by code unit (ASCII input only).
std::string widen(std::string_view ascii, int width, bool bigEndian) {
  std::string out;
  for (char c : ascii) {
    std::string unit(static_cast<std::size_t>(width), '\0');
    unit[bigEndian ? unit.size() - 1 : 0] = c;
    out += unit;
  }
  return out;
}

TEST(JSONDeserializerEntry, EmptyOrMissingData) {
  platform::Error error;
  EXPECT_EQ(dictionaryOf("", &error), nullptr);
  EXPECT_EQ(error, (platform::Error{"JSONReaderErrorDomain", -1, ""}));
  error = {};
  EXPECT_EQ(JSONDeserializer::deserializer()->deserializeError(nullptr, &error), nullptr);
  EXPECT_EQ(error.code, -1);
  EXPECT_EQ(error.domain, kJSONReaderErrorDomain);
  EXPECT_EQ(JSONDeserializer::deserializer()->deserializeAsDictionaryError(nullptr, nullptr), nullptr);
}

TEST(JSONDeserializerEntry, DictionaryMustStartAtTheFirstByte) {
  platform::Error error;
  EXPECT_EQ(dictionaryOf(" {\"a\":1}", &error), nullptr);
  EXPECT_EQ(error.code, -1);
  EXPECT_EQ(error.domain, "JSONScannerErrorDomain");
  const auto any = anyOf(" {\"a\":1}");
  ASSERT_NE(any, nullptr);
  EXPECT_EQ(any->numberForKey("a"), 1.0);
  EXPECT_EQ(dictionaryOf("[1]"), nullptr);
  ASSERT_NE(anyOf(" [1]"), nullptr);
  EXPECT_TRUE(anyOf(" [1]")->isArray());
}

TEST(JSONDeserializerEntry, BytesAfterTheDictionaryAreIgnored) {
  const auto dictionary = dictionaryOf("{\"a\":1}\x00\xff trailing"s);
  ASSERT_NE(dictionary, nullptr);
  EXPECT_EQ(CanonicalWriter::canonicalForm(*dictionary), "{\"a\":1}");
}

TEST(JSONDeserializerEntry, OutermostErrorWins) {
  platform::Error error;
  EXPECT_EQ(dictionaryOf("{\"a\":[1,{\"b\":\"\\q\"}]}", &error), nullptr);
  EXPECT_EQ(error.code, -4);
  EXPECT_EQ(anyOf("[{\"a\":[1,2 3]}]", &error), nullptr);
  EXPECT_EQ(error.code, -8);
  EXPECT_EQ(error.description, "Could not scan array. Could not scan a value.");
}

TEST(JSONDeserializerEncodings, WideEncodingsReadLikeUtf8) {
  const std::string text = "{\"a\":[true,null,\"x\"]}";
  const std::string expected = "{\"a\":[true,null,\"x\"]}";
  for (int width : {2, 4}) {
    for (bool bigEndian : {false, true}) {
      const auto dictionary = dictionaryOf(widen(text, width, bigEndian));
      ASSERT_NE(dictionary, nullptr) << width << bigEndian;
      EXPECT_EQ(CanonicalWriter::canonicalForm(*dictionary), expected);
    }
  }
}

TEST(JSONDeserializerEncodings, NonAsciiAndSurrogatePairsInUtf16) {
  // {"é":"😀"} in UTF-16 LE: the emoji is a surrogate pair in the input.
  const std::string utf16le = "{\0\"\0\xe9\0\"\0:\0\"\0\x3d\xd8\x00\xde\"\0}\0"s;
  const auto dictionary = dictionaryOf(utf16le);
  ASSERT_NE(dictionary, nullptr);
  EXPECT_EQ(dictionary->stringForKey("\xc3\xa9"), "\xf0\x9f\x98\x80");
}

TEST(JSONDeserializerEncodings, FailedDecodingLeavesAnEmptyScanner) {
  const std::vector<std::string> broken = {
      "{\0\"\0\x00\xdc\"\0"s,        // UTF-16 LE with a lone low surrogate
      "{\0\"\0a"s,                   // UTF-16 LE with an odd length
      "\0\0\0{\0\0\0"s,              // UTF-32 BE cut short
      "{\0\0\0\0\0\x11\0"s,          // UTF-32 LE beyond U+10FFFF
      "\0\0\0{\0\0\xd8\0"s,          // UTF-32 BE surrogate
  };
  for (const auto& bytes : broken) {
    auto scanner = JSONScanner::scannerWithData(ByteScanner::dataWithBytes(bytes));
    EXPECT_EQ(scanner->data(), nullptr);
    EXPECT_TRUE(scanner->isAtEnd());
    platform::Error error;
    EXPECT_EQ(dictionaryOf(bytes, &error), nullptr);
    EXPECT_EQ(error.code, -1);
  }
}

TEST(JSONDeserializerEncodings, ShortOrUnmatchedPatternsAreUtf8) {
  EXPECT_NE(anyOf("1"), nullptr);
  EXPECT_EQ(anyOf("[1]")->size(), 1u);
  // x 00 x x is no pattern: UTF-8, and the zero byte is no value.
  platform::Error error;
  EXPECT_EQ(anyOf("[\0 1]"s, &error), nullptr);
  EXPECT_EQ(error.code, -8);
  // The same UTF-8 buffer held twice keeps the cursor; wide input converts.
  const auto data = ByteScanner::dataWithBytes("{}  ");
  auto scanner = JSONScanner::scannerWithData(data);
  scanner->setScanLocation(2);
  scanner->setData(data);
  EXPECT_EQ(scanner->scanLocation(), 2u);
  EXPECT_EQ(scanner->data(), data);
  scanner->setData(ByteScanner::dataWithBytes("[\0]\0"s));
  EXPECT_EQ(scanner->data()->size(), 2u);
}

TEST(JSONDeserializerStrings, SurrogatePairEscapesEqualTheLiteralCharacter) {
  const auto escaped = anyOf("\"\\ud83d\\ude00\"");
  const auto literal = anyOf("\"\xf0\x9f\x98\x80\"");
  ASSERT_NE(escaped, nullptr);
  EXPECT_EQ(escaped->wtf8(), literal->wtf8());
  EXPECT_EQ(escaped->utf16(), u"\U0001F600");
}

TEST(JSONDeserializerStrings, LoneSurrogatesKeepTheirCodeUnits) {
  const auto value = anyOf("[\"\\ud83d\", \"\\ude00\\ud83d\", \"\\ud83d\\u0041\", \"a\\udbff\\udfffb\"]");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->at(0)->wtf8(), "\xed\xa0\xbd");
  EXPECT_EQ(value->at(0)->utf16(), std::u16string(1, char16_t{0xD83D}));
  EXPECT_EQ(value->at(0)->stringValue(), "\xef\xbf\xbd");  // U+FFFD for the rest of the system
  EXPECT_EQ(value->at(1)->utf16(), (std::u16string{char16_t{0xDE00}, char16_t{0xD83D}}));
  EXPECT_EQ(value->at(1)->stringValue(), "\xef\xbf\xbd\xef\xbf\xbd");
  EXPECT_EQ(value->at(2)->utf16(), (std::u16string{char16_t{0xD83D}, u'A'}));
  EXPECT_EQ(value->at(3)->wtf8(), "a\xf4\x8f\xbf\xbf" "b");
}

TEST(JSONDeserializerDictionaries, LaterDuplicateKeyWins) {
  const auto small = dictionaryOf("{\"a\":1,\"b\":2,\"a\":3}");
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->size(), 2u);
  EXPECT_EQ(small->numberForKey("a"), 3.0);

  // Same length, first and last byte: alike at a glance, still distinct.
  const auto alike = dictionaryOf(R"({"axb":1,"ayb":2,"axb":3,"":4,"":5})");
  ASSERT_NE(alike, nullptr);
  EXPECT_EQ(alike->size(), 3u);
  EXPECT_EQ(alike->numberForKey("axb"), 3.0);
  EXPECT_EQ(alike->numberForKey("ayb"), 2.0);
  EXPECT_EQ(alike->numberForKey(""), 5.0);

  // Up to the most keys kept in document order, each of them repeated last.
  for (int count = 2; count <= 16; ++count) {
    for (int repeated = 0; repeated < count; ++repeated) {
      std::string members;
      for (int i = 0; i < count; ++i) members += "\"key" + std::to_string(i) + "\":" + std::to_string(i) + ",";
      const auto dictionary = dictionaryOf("{" + members + "\"key" + std::to_string(repeated) + "\":-1}");
      ASSERT_NE(dictionary, nullptr);
      ASSERT_EQ(dictionary->size(), static_cast<std::size_t>(count));
      ASSERT_EQ(dictionary->numberForKey("key" + std::to_string(repeated)), -1.0) << count << " " << repeated;
      ASSERT_EQ(dictionary->numberForKey("key" + std::to_string((repeated + 1) % count)), (repeated + 1) % count);
    }
  }

  std::string text = "{";
  for (int i = 0; i < 100; ++i) text += "\"k" + std::to_string(i % 40) + "\":" + std::to_string(i) + ",";
  text += "\"\\u006b7\":-1}";  // "k7" written with an escape is the same key
  const auto large = dictionaryOf(text);
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(large->size(), 40u);
  EXPECT_EQ(large->numberForKey("k7"), -1.0);
  EXPECT_EQ(large->numberForKey("k0"), 80.0);
  EXPECT_EQ(large->numberForKey("k39"), 79.0);
  EXPECT_EQ(large->objectForKey("k40"), nullptr);
}

TEST(JSONDeserializerDictionaries, HugeObjectsStayFast) {
  constexpr int kKeys = 300'000;
  std::string text = "{";
  for (int i = 0; i < kKeys; ++i) text += "\"key" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  text += "\"key12345\":\"last\"}";
  const auto start = std::chrono::steady_clock::now();
  const auto dictionary = dictionaryOf(text);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_NE(dictionary, nullptr);
  EXPECT_EQ(dictionary->size(), static_cast<std::size_t>(kKeys));
  EXPECT_EQ(dictionary->stringForKey("key12345"), "last");
  EXPECT_EQ(dictionary->numberForKey("key299999"), 299999.0);
  // Pairwise de-duplication would take minutes here.
  EXPECT_LT(elapsed, std::chrono::seconds(10));
}

TEST(JSONDeserializerReuse, MemoryIsReusedOnlyOnceTheValuesAreDropped) {
  auto deserializer = JSONDeserializer::deserializer();
  const auto data = ByteScanner::dataWithBytes(R"({"list":[1,{"s":"a\nb"}],"t":"x"})");
  const Value* firstRoot = nullptr;
  {
    const auto first = deserializer->deserializeAsDictionaryError(data, nullptr);
    ASSERT_NE(first, nullptr);
    firstRoot = first.get();
  }
  // Nothing of the first parse is held: the second lands where it was.
  const auto second = deserializer->deserializeAsDictionaryError(data, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second.get(), firstRoot);
  // Held: the next parse takes fresh memory and the held one stays as it is.
  const auto third = deserializer->deserializeAsDictionaryError(ByteScanner::dataWithBytes(R"({"t":"other"})"), nullptr);
  ASSERT_NE(third, nullptr);
  EXPECT_NE(third.get(), second.get());
  EXPECT_EQ(CanonicalWriter::canonicalForm(*second), R"({"list":[1,{"s":"a\u000ab"}],"t":"x"})");
  EXPECT_EQ(third->stringForKey("t"), "other");
}

TEST(JSONDeserializerReuse, AWeakPointerNeverSeesALaterParse) {
  auto deserializer = JSONDeserializer::deserializer();
  std::weak_ptr<const Value> weak;
  std::weak_ptr<const Value> weakChild;
  {
    const auto value = deserializer->deserializeError(ByteScanner::dataWithBytes(R"({"a":"first"})"), nullptr);
    weak = value;
    weakChild = std::shared_ptr<const Value>(value, value->objectForKey("a"));
  }
  EXPECT_TRUE(weak.expired());
  const auto later = deserializer->deserializeError(ByteScanner::dataWithBytes(R"({"a":"later"})"), nullptr);
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(weak.lock(), nullptr);
  EXPECT_EQ(weakChild.lock(), nullptr);
}

std::string itemsDocument(const std::string& label) {
  std::string text = "{\"items\":[";
  for (int i = 0; i < 2000; ++i) text += "{\"n\":" + std::to_string(i) + ",\"s\":\"\\u00e9" + label + "\"},";
  return text + "0]}";
}

TEST(JSONDeserializerReuse, ValuesHeldAndDroppedOnAnotherThread) {
  auto deserializer = JSONDeserializer::deserializer();
  for (int round = 0; round < 5; ++round) {
    auto value = deserializer->deserializeAsDictionaryError(ByteScanner::dataWithBytes(itemsDocument("held")), nullptr);
    ASSERT_NE(value, nullptr);
    // The reader thread holds the value while this thread parses on; the
    // parses must not land in its memory, and its drop at the end must
    // hand the memory back safely.
    std::thread reader([held = std::move(value)] {
      for (int pass = 0; pass < 20; ++pass) {
        for (const Value& item : held->arrayForKey("items")->elements().first(2000)) {
          ASSERT_EQ(item.stringForKey("s"), "\xc3\xa9held");
        }
      }
    });
    for (int i = 0; i < 5; ++i) {
      const auto other = deserializer->deserializeAsDictionaryError(ByteScanner::dataWithBytes(itemsDocument("other")),
                                                                     nullptr);
      ASSERT_NE(other, nullptr);
    }
    reader.join();
  }
}

TEST(JSONDeserializerReuse, AFailedParseSpoilsNeitherTheHeldNorTheNext) {
  auto deserializer = JSONDeserializer::deserializer();
  const auto held = deserializer->deserializeError(ByteScanner::dataWithBytes(R"(["k\u00e9p",[1,2]])"), nullptr);
  platform::Error error;
  EXPECT_EQ(deserializer->deserializeAsDictionaryError(ByteScanner::dataWithBytes(R"({"a":[1,"\u00e9",{"b":]})"), &error),
            nullptr);
  EXPECT_EQ(error.code, -4);
  EXPECT_EQ(deserializer->deserializeAsDictionaryError(ByteScanner::dataWithBytes(""), &error), nullptr);
  EXPECT_EQ(error.domain, kJSONReaderErrorDomain);
  const auto next = deserializer->deserializeAsDictionaryError(ByteScanner::dataWithBytes(R"({"a":[1,"\u00e9"]})"), &error);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(CanonicalWriter::canonicalForm(*next), "{\"a\":[1,\"\\u00e9\"]}");
  EXPECT_EQ(CanonicalWriter::canonicalForm(*held), "[\"k\\u00e9p\",[1,2]]");
}

}  // namespace
}  // namespace json

#include "json/JSONScanner.h"

#include <gtest/gtest.h>

#include <string>

#include "json/CanonicalWriter.h"

namespace json {
namespace {

using namespace std::string_literals;

std::shared_ptr<JSONScanner> scannerFor(std::string_view text) {
  return JSONScanner::scannerWithData(ByteScanner::dataWithBytes(text));
}

struct Failure {
  int code;
  std::size_t location;
};

// Runs the value scan and returns the stored error code and the cursor.
Failure valueFailure(std::string_view text) {
  auto scanner = scannerFor(text);
  platform::Error error;
  JSONScanner::ValuePtr value = std::make_shared<const Value>();
  EXPECT_FALSE(scanner->scanJSONObjectError(&value, &error)) << text;
  EXPECT_EQ(value, nullptr) << "the value scan stores null on failure";
  if (!error.domain.empty()) {
    EXPECT_EQ(error.domain, "JSONScannerErrorDomain");
    EXPECT_EQ(error, JSONScanner::errorWithCode(error.code));
  }
  return {error.code, scanner->scanLocation()};
}

std::string canonical(std::string_view text) {
  auto scanner = scannerFor(text);
  JSONScanner::ValuePtr value;
  platform::Error error;
  EXPECT_TRUE(scanner->scanJSONObjectError(&value, &error)) << text << ": " << error.description;
  return value ? CanonicalWriter::canonicalForm(*value) : "<none>";
}

TEST(JSONScannerErrors, TheTable) {
  EXPECT_EQ(JSONScanner::errorWithCode(-1).description,
            "Could not scan dictionary. Dictionary that does not start with '{' character.");
  EXPECT_EQ(JSONScanner::errorWithCode(-7).description,
            "Could not scan array. Array that does not start with '[' character.");
  EXPECT_EQ(JSONScanner::errorWithCode(-11).description,
            "Could not scan string constant. String not started by a '\"' character.");
  EXPECT_EQ(JSONScanner::errorWithCode(-15).description,
            "Could not scan string constant. String not terminated by a '\"' character.");
  EXPECT_EQ(JSONScanner::errorWithCode(-16).description,
            "Could not scan string constant. String contains bytes that are not valid UTF-8.");
}

TEST(JSONScannerErrors, DictionaryCodesRestoreTheCursor) {
  // Each starts after two spaces: the value scan skips them, the dictionary
  // scan then fails and puts the cursor back on its "{".
  for (const auto& [text, code] : std::vector<std::pair<std::string, int>>{
           {"  {'a':1}", -2}, {"  {\"a\" 1}", -3}, {"  {\"a\":tru}", -4}, {"  {\"a\":1 \"b\":2}", -5},
           {"  {\"a\":{\"b\":}}", -4}, {"  {\"a\":1", -5}, {"  {", -2}, {"  {\"a\":", -4}, {"  {1:2}", -2}}) {
    const auto failure = valueFailure(text);
    EXPECT_EQ(failure.code, code) << text;
    EXPECT_EQ(failure.location, 2u) << text;
  }
}

TEST(JSONScannerErrors, ArrayCodesRestoreTheCursor) {
  for (const auto& [text, code] : std::vector<std::pair<std::string, int>>{
           {" [,1]", -8}, {" [1e+5]", -9}, {" [.5]", -8}, {" [+1]", -8}, {" [1 2]", -9}, {" [1,", -8},
           {" [1", -9}, {" [trueish]", -9}, {" [{\"a\" 1}]", -8}, {" [\"\\x\"]", -8}}) {
    const auto failure = valueFailure(text);
    EXPECT_EQ(failure.code, code) << text;
    EXPECT_EQ(failure.location, 1u) << text;
  }
}

TEST(JSONScannerErrors, StringCodesRestoreTheCursor) {
  for (const auto& [text, code] : std::vector<std::pair<std::string, int>>{
           {" 'a'", -11}, {" \"\\u00g0\"", -12}, {" \"\\u12", -12}, {" \"\\x\"", -13}, {" \"ab\\", -13},
           {" \"abc", -15}, {" \"ab\\n", -15}, {" \"", -15}, {" \"\xff\"", -16}, {" \"ok\\n\xc3\"", -16},
           {" \"\xed\xa0\x80\"", -16}, {" \"\xc0\x80\"", -16}}) {
    const auto failure = valueFailure(text);
    EXPECT_EQ(failure.code, code) << text;
    EXPECT_EQ(failure.location, 1u) << "the value scan's own whitespace stays skipped: " << text;
    // Called directly, the string scan restores the place before the space.
    auto scanner = scannerFor(text);
    platform::Error error;
    EXPECT_FALSE(scanner->scanJSONStringConstantError(nullptr, &error));
    EXPECT_EQ(error.code, code) << text;
    EXPECT_EQ(scanner->scanLocation(), 0u) << text;
  }
}

TEST(JSONScannerErrors, DirectScansReportTheirOwnCodes) {
  platform::Error error;
  JSONScanner::ValuePtr out;
  EXPECT_FALSE(scannerFor("[1]")->scanJSONDictionaryError(&out, &error));
  EXPECT_EQ(error.code, -1);
  EXPECT_FALSE(scannerFor("{}")->scanJSONArrayError(&out, &error));
  EXPECT_EQ(error.code, -7);
  EXPECT_FALSE(scannerFor("x")->scanJSONNumberConstantError(&out, &error));
  EXPECT_EQ(error.code, -14);
  EXPECT_FALSE(scannerFor("x")->scanJSONStringConstantError(&out, &error));
  EXPECT_EQ(error.code, -11);
  EXPECT_EQ(out, nullptr);
  EXPECT_FALSE(scannerFor("[")->scanJSONArrayError(nullptr, nullptr));  // no places at all
}

TEST(JSONScannerErrors, NoValueStoresNoError) {
  for (const auto& text : {"", "   ", "x", ".5", "+1", "nul", "'"}) {
    auto scanner = scannerFor(text);
    platform::Error error;
    const bool scanned = scanner->scanJSONObjectError(nullptr, &error);
    EXPECT_FALSE(scanned) << text;
    if (text != "'"s) {
      EXPECT_TRUE(error.domain.empty()) << text;
    }
  }
  auto scanner = scannerFor("  x");
  EXPECT_FALSE(scanner->scanJSONObjectError(nullptr, nullptr));
  EXPECT_EQ(scanner->scanLocation(), 2u) << "left after the skipped whitespace";
}

TEST(JSONScannerValues, LenientRules) {
  EXPECT_EQ(canonical("{\"a\":1,}"), "{\"a\":1}");
  EXPECT_EQ(canonical("[1,2,]"), "[1,2]");
  EXPECT_EQ(canonical("{ }"), "{}");
  EXPECT_EQ(canonical("[ ]"), "[]");
  EXPECT_EQ(canonical("{\"a\":1}garbage"), "{\"a\":1}");
  EXPECT_EQ(canonical("[\"tab\there\x01\"]"), "[\"tab\\u0009here\\u0001\"]");
  EXPECT_EQ(canonical("trueish"), "true");
  EXPECT_EQ(canonical("[1e5, 1-2, 1.2.3, -0]"), "[100000,1,1.2,-0]");
  EXPECT_EQ(canonical("{\"a\":null,\"b\":true,\"c\":false}"), "{\"a\":null,\"b\":true,\"c\":false}");
}

TEST(JSONScannerValues, EscapesDecode) {
  EXPECT_EQ(canonical("\"\\u00e9\""), "\"\\u00e9\"");
  EXPECT_EQ(canonical("\"\\/\""), "\"/\"");
  EXPECT_EQ(canonical("\"\\b\\f\\n\\r\\t\\\"\\\\\""), "\"\\u0008\\u000c\\u000a\\u000d\\u0009\\\"\\\\\"");
  EXPECT_EQ(canonical("\"a\\u0000b\""), "\"a\\u0000b\"");
  EXPECT_EQ(canonical("\"\\u00C9t\\u00e9\""), "\"\\u00c9t\\u00e9\"");
}

TEST(JSONScannerValues, StringScanLeavesTheCursorAfterTheQuote) {
  auto scanner = scannerFor("  \"ab\\nc\"x");
  JSONScanner::ValuePtr string;
  ASSERT_TRUE(scanner->scanJSONStringConstantError(&string, nullptr));
  EXPECT_EQ(string->wtf8(), "ab\nc");
  EXPECT_EQ(scanner->currentCharacter(), 'x');
}

TEST(JSONScannerValues, NotQuoteCharacters) {
  auto scanner = scannerFor("ab\xc3\xa9\\\"");
  std::optional<std::string> run;
  EXPECT_TRUE(scanner->scanNotQuoteCharactersIntoString(&run));
  EXPECT_EQ(run, "ab\xc3\xa9");
  EXPECT_FALSE(scanner->scanNotQuoteCharactersIntoString(&run));  // on the backslash
  scanner->scanCharacter();
  EXPECT_FALSE(scanner->scanNotQuoteCharactersIntoString(&run));  // on the quote
  auto invalid = scannerFor("\xff");
  EXPECT_TRUE(invalid->scanNotQuoteCharactersIntoString(&run));
  EXPECT_EQ(run, std::nullopt);
  EXPECT_TRUE(invalid->isAtEnd());
}

TEST(JSONScannerValues, ScannerOutlivedByItsValues) {
  JSONScanner::ValuePtr dictionary;
  {
    auto scanner = scannerFor("{\"plain\":\"text\",\"escaped\":\"a\\nb\",\"list\":[1,\"x\"]}");
    ASSERT_TRUE(scanner->scanJSONDictionaryError(&dictionary, nullptr));
  }
  EXPECT_EQ(dictionary->stringForKey("plain"), "text");
  EXPECT_EQ(dictionary->stringForKey("escaped"), "a\nb");
  EXPECT_EQ(dictionary->arrayForKey("list")->at(1)->wtf8(), "x");
}

TEST(JSONScannerNesting, FiveHundredTwelveLevelsAndNoMore) {
  const std::string arrays512 = std::string(512, '[') + std::string(512, ']');
  EXPECT_EQ(canonical(arrays512), arrays512);
  const auto tooDeep = valueFailure(std::string(513, '[') + std::string(513, ']'));
  EXPECT_EQ(tooDeep.code, -8);
  EXPECT_EQ(tooDeep.location, 0u);

  std::string dicts512;
  for (int i = 0; i < 511; ++i) dicts512 += "{\"a\":";
  dicts512 += "{}" + std::string(511, '}');
  EXPECT_EQ(canonical(dicts512), dicts512);
  const auto deepDicts = valueFailure("{\"a\":" + dicts512 + "}");
  EXPECT_EQ(deepDicts.code, -4);
  EXPECT_EQ(deepDicts.location, 0u);
}

TEST(JSONScannerNesting, MillionOpenBracketsDoNotOverflowTheStack) {
  const auto failure = valueFailure(std::string(1'000'000, '[') + "{" + std::string(1'000'000, '{'));
  EXPECT_EQ(failure.code, -8);
  EXPECT_EQ(failure.location, 0u);
}

TEST(JSONScannerNesting, DepthIsRecountedAfterEachContainer) {
  // Many siblings at depth 511 must not add up towards the limit.
  std::string text = std::string(510, '[');
  for (int i = 0; i < 600; ++i) text += "[[]],";
  text += std::string(510, ']');
  auto scanner = scannerFor(text);
  EXPECT_TRUE(scanner->scanJSONObjectError(nullptr, nullptr));
}

}  // namespace
}  // namespace json

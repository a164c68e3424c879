#include "json/CanonicalWriter.h"

#include <gtest/gtest.h>

#include <limits>

#include "json/JSONDeserializer.h"

namespace json {
namespace {

std::string canonicalOf(std::string_view text) {
  auto value = JSONDeserializer::deserializer()->deserializeError(ByteScanner::dataWithBytes(text), nullptr);
  EXPECT_NE(value, nullptr) << text;
  return value ? CanonicalWriter::canonicalForm(*value) : "";
}

std::string number(double d) {
  std::string out;
  CanonicalWriter::appendNumber(out, d);
  return out;
}

TEST(CanonicalWriterForm, SortedKeysNoSpaces) {
  EXPECT_EQ(canonicalOf(" { \"b\" : [ 1 , { } ] , \"a\" : null , \"B\" : true , \"\xc3\xa9\" : false } "),
            "{\"B\":true,\"a\":null,\"b\":[1,{}],\"\\u00e9\":false}");
}

TEST(CanonicalWriterForm, StringEscapes) {
  EXPECT_EQ(canonicalOf(R"("q\"b\\s/")"), R"("q\"b\\s/")");
  EXPECT_EQ(canonicalOf("\"\x01\x1f \x7f~\""), "\"\\u0001\\u001f \\u007f~\"");
  EXPECT_EQ(canonicalOf("\"\xf0\x9f\x98\x80\""), "\"\\ud83d\\ude00\"");
  EXPECT_EQ(canonicalOf("\"\\ud800\""), "\"\\ud800\"");
  EXPECT_EQ(canonicalOf("\"\xe2\x82\xac\""), "\"\\u20ac\"");
  std::string plain;
  CanonicalWriter::appendString(plain, "k\xc2\xa0");
  EXPECT_EQ(plain, "\"k\\u00a0\"");
}

TEST(CanonicalWriterForm, ShortestNumbers) {
  EXPECT_EQ(number(100000), "100000");
  EXPECT_EQ(number(0.1), "0.1");
  EXPECT_EQ(number(-0.25), "-0.25");
  EXPECT_EQ(number(1e21), "1e+21");
  EXPECT_EQ(number(1e20), "100000000000000000000");
  EXPECT_EQ(number(1.5e-7), "1.5e-07");
  EXPECT_EQ(number(0.000001), "0.000001");
  EXPECT_EQ(number(-1e300), "-1e+300");
  EXPECT_EQ(number(-0.0), "-0");
  EXPECT_EQ(number(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(canonicalOf("[1e400,-1e400,12345678901234567890]"), "[inf,-inf,12345678901234567168]");
}

TEST(CanonicalWriterForm, ReadsBackToItself) {
  const std::string text =
      R"({"a":[1,-2.5,1e-7,"x\u0000y","\ud83d\ude00\udc00"],"b":{"c":{"d":[[],{}]}},"e":"\u00e9\u20ac"})";
  const std::string once = canonicalOf(text);
  EXPECT_EQ(canonicalOf(once), once);
}

}  // namespace
}  // namespace json

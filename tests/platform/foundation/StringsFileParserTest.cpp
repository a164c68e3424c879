#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/StringsFileParser.h"

namespace platform {
namespace {

using Dictionary = PropertyListValue::Dictionary;
using Array = PropertyListValue::Array;

std::string stringFor(const std::optional<PropertyListValue>& dictionary, const std::string& key) {
  if (!dictionary) {
    return "<no plist>";
  }
  const PropertyListValue* value = dictionary->objectForKey(key);
  return value != nullptr && value->asString() != nullptr ? *value->asString() : "<absent>";
}

TEST(StringsFileParserTest, StringsFileForm) {
  const auto strings = StringsFileParser::parse(
      "/* Banner */\n"
      "\"Ads by Pennant\" = \"Anuncios de Pennant\";\n"
      "// Alerts\n"
      "\"Call %@?\" = \"\\U00bfLlamar a %@?\";\n"
      "Cancel = Cancelar ;\n"
      "\"Ok\";\n"
      "'single' = 'quoted \"text\"';\n");
  ASSERT_TRUE(strings);
  ASSERT_TRUE(strings->asDictionary());
  EXPECT_EQ(strings->asDictionary()->size(), 5u);
  EXPECT_EQ(stringFor(strings, "Ads by Pennant"), "Anuncios de Pennant");
  EXPECT_EQ(stringFor(strings, "Call %@?"), "\xC2\xBFLlamar a %@?");
  EXPECT_EQ(stringFor(strings, "Cancel"), "Cancelar");
  EXPECT_EQ(stringFor(strings, "Ok"), "Ok");
  EXPECT_EQ(stringFor(strings, "single"), "quoted \"text\"");
}

TEST(StringsFileParserTest, EscapesInQuotedStrings) {
  const auto strings = StringsFileParser::parse(
      "a = \"tab\\tnew\\nquote\\\" back\\\\ cr\\r\";\n"
      "u = \"\\u20AC \\U00e9 \\ud83d\\ude00\";\n"
      "o = \"\\101\\60\\351\";\n"
      "other = \"\\q\\'\";\n"
      "raw = \"line one\nline two\";\n");
  ASSERT_TRUE(strings);
  EXPECT_EQ(stringFor(strings, "a"), "tab\tnew\nquote\" back\\ cr\r");
  EXPECT_EQ(stringFor(strings, "u"), "\xE2\x82\xAC \xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(stringFor(strings, "o"), "A0\xC3\xA9");
  EXPECT_EQ(stringFor(strings, "other"), "q'");
  EXPECT_EQ(stringFor(strings, "raw"), "line one\nline two");
}

TEST(StringsFileParserTest, OldStyleValues) {
  const auto value = StringsFileParser::parse(
      "{ name = Vorla; list = ( one, \"two words\", (nested), {} , ); blob = <0fA1 20>;\n"
      "  inner = { k = v; }; last = x }");
  ASSERT_TRUE(value);
  PropertyListValue::Dictionary expected;
  expected["name"] = "Vorla";
  expected["list"] = Array{"one", "two words", Array{"nested"}, Dictionary{}};
  expected["blob"] = PropertyListValue::Data{0x0F, 0xA1, 0x20};
  expected["inner"] = Dictionary{{"k", "v"}};
  expected["last"] = "x";
  EXPECT_EQ(*value, PropertyListValue(expected));

  EXPECT_EQ(StringsFileParser::parse("( )"), PropertyListValue(Array{}));
  EXPECT_EQ(StringsFileParser::parse("  \"alone\"  // note"), PropertyListValue("alone"));
  EXPECT_EQ(StringsFileParser::parse("a=b;a=c;"), PropertyListValue(Dictionary{{"a", "c"}}));
  EXPECT_EQ(StringsFileParser::parse("<>"), PropertyListValue(PropertyListValue::Data{}));
}

TEST(StringsFileParserTest, MalformedTextGivesNothing) {
  for (const char* bad : {
           "", "   ", "/* only a comment */", "// line comment", "/* unterminated",
           "\"unterminated", "a = \"b\"", "a = b; c", "a = ;", "= b;", "a b;", "{ a = b; ",
           "{ a = b c }", "( a b )", "( a, ", "(", "{", ")", "}", "<0g>", "<abc>", "<00",
           "a = b;;", "\"a\" = \"b\"; trailing", "\"\\", "a = \"\\u\";", "a = \"\\uZZ\";",
           "a = \"\\ud800\";", "a = \"\\udc00\";", "a = \"\\ud800\\u0041\";", "a = \"\\400\";",
           "{ a = b; } extra", "a = { k = v; ", "#bad = x;"}) {
    EXPECT_FALSE(StringsFileParser::parse(bad)) << bad;
  }
}

TEST(StringsFileParserTest, DeepNestingIsRefusedWithoutCrashing) {
  const int levels = 200000;
  EXPECT_FALSE(StringsFileParser::parse(std::string(levels, '(') + std::string(levels, ')')));
  std::string dictionaries;
  for (int i = 0; i < levels; ++i) {
    dictionaries += "{a=";
  }
  EXPECT_FALSE(StringsFileParser::parse(dictionaries));

  // Up to the limit is fine.
  const int allowed = StringsFileParser::kMaxDepth;
  EXPECT_TRUE(StringsFileParser::parse(std::string(allowed, '(') + std::string(allowed, ')')));
  EXPECT_FALSE(
      StringsFileParser::parse(std::string(allowed + 1, '(') + std::string(allowed + 1, ')')));
}

}  // namespace
}  // namespace platform

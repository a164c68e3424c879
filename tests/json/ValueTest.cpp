#include "json/Value.h"

#include <gtest/gtest.h>

#include "json/JSONDeserializer.h"

namespace json {
namespace {

std::shared_ptr<const Value> read(std::string_view text) {
  auto value = JSONDeserializer::deserializer()->deserializeError(ByteScanner::dataWithBytes(text), nullptr);
  EXPECT_NE(value, nullptr) << text;
  return value;
}

TEST(ValueReading, AbsentNullAndWrongTypes) {
  const auto ad = read(R"({"text":"Hi","18":1,"flag":true,"none":null,"sub":{"x":2},"list":[1,"a"]})");
  EXPECT_TRUE(ad->isDictionary());
  EXPECT_EQ(ad->size(), 6u);
  EXPECT_EQ(ad->objectForKey("missing"), nullptr);
  ASSERT_NE(ad->objectForKey("none"), nullptr);
  EXPECT_TRUE(ad->objectForKey("none")->isNull());
  EXPECT_EQ(ad->stringForKey("none"), std::nullopt);
  EXPECT_EQ(ad->stringForKey("text"), "Hi");
  EXPECT_EQ(ad->stringForKey("18"), std::nullopt);
  EXPECT_EQ(ad->numberForKey("18"), 1.0);
  EXPECT_EQ(ad->numberForKey("flag"), std::nullopt) << "a boolean is not a number";
  EXPECT_EQ(ad->boolForKey("flag"), true);
  EXPECT_EQ(ad->boolForKey("18"), std::nullopt) << "a number is not a boolean";
  EXPECT_EQ(ad->dictionaryForKey("list"), nullptr);
  EXPECT_EQ(ad->arrayForKey("sub"), nullptr);
  ASSERT_NE(ad->dictionaryForKey("sub"), nullptr);
  EXPECT_EQ(ad->dictionaryForKey("sub")->numberForKey("x"), 2.0);
  ASSERT_NE(ad->arrayForKey("list"), nullptr);
  EXPECT_EQ(ad->arrayForKey("list")->size(), 2u);
}

TEST(ValueReading, NonContainersReadAsEmpty) {
  const auto number = read("42");
  EXPECT_EQ(number->size(), 0u);
  EXPECT_TRUE(number->elements().empty());
  EXPECT_TRUE(number->members().empty());
  EXPECT_EQ(number->objectForKey("a"), nullptr);
  EXPECT_EQ(number->at(0), nullptr);
  EXPECT_EQ(number->wtf8(), "");
  EXPECT_EQ(number->stringValue(), std::nullopt);
  const auto array = read("[\"a\"]");
  EXPECT_EQ(array->at(1), nullptr);
  EXPECT_EQ(array->stringForKey("a"), std::nullopt);
  const Value null;
  EXPECT_TRUE(null.isNull());
  EXPECT_EQ(null.boolValue(), std::nullopt);
}

TEST(ValueReading, IterationInDocumentOrderAndAllMembers) {
  const auto array = read("[3,1,2]");
  std::vector<double> numbers;
  for (const Value& element : array->elements()) numbers.push_back(*element.numberValue());
  EXPECT_EQ(numbers, (std::vector<double>{3, 1, 2}));

  const auto dictionary = read(R"({"b":1,"a":2,"c":3})");
  double sum = 0;
  std::vector<std::string> keys;
  for (const Member& member : dictionary->members()) {
    keys.emplace_back(member.key.wtf8());
    sum += *member.value.numberValue();
  }
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(sum, 6);
}

TEST(ValueReading, KeysMatchByUtf8Bytes) {
  const auto dictionary = read(R"({"caf\u00e9":1,"\ud83d\ude00":2})");
  EXPECT_EQ(dictionary->numberForKey("caf\xc3\xa9"), 1.0);
  EXPECT_EQ(dictionary->numberForKey("\xf0\x9f\x98\x80"), 2.0);
  EXPECT_EQ(dictionary->numberForKey("cafe"), std::nullopt);
}

TEST(ValueReading, ChildPointersLiveAsLongAsTheRoot) {
  const Value* child = nullptr;
  std::shared_ptr<const Value> root;
  {
    auto data = ByteScanner::dataWithBytes(R"({"url":"http://example.com/a"})");
    root = JSONDeserializer::deserializer()->deserializeAsDictionaryError(data, nullptr);
    child = root->objectForKey("url");
  }  // the caller's buffer reference is gone; the document keeps its own
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->wtf8(), "http://example.com/a");
}

}  // namespace
}  // namespace json

#include "tools/adserver/QueryString.h"

#include <gtest/gtest.h>

using pennant::adserver::QueryString;

namespace {

TEST(QueryStringTest, SplitsDecodesAndKeepsOrder) {
  const auto query = QueryString::parse("b=2&a=%41%62&c=x=y&d=");
  const std::vector<QueryString::Pair> expected = {{"b", "2"}, {"a", "Ab"}, {"c", "x=y"}, {"d", ""}};
  EXPECT_EQ(query.pairs(), expected);
}

TEST(QueryStringTest, KeepsPlusAndMalformedEscapesAsWritten) {
  EXPECT_EQ(QueryString::percentDecode("a+b"), "a+b");
  EXPECT_EQ(QueryString::percentDecode("100%"), "100%");
  EXPECT_EQ(QueryString::percentDecode("%zz%4"), "%zz%4");
  EXPECT_EQ(QueryString::percentDecode("%e2%82%ac"), "\xe2\x82\xac");
}

TEST(QueryStringTest, TheLastValueOfANameWins) {
  const auto query = QueryString::parse("s=one&&s=two&flag");
  EXPECT_EQ(query.value("s"), "two");
  EXPECT_EQ(query.value("flag"), "");
  EXPECT_EQ(query.value("none"), std::nullopt);
}

TEST(QueryStringTest, TakesTheQueryOutOfATarget) {
  EXPECT_EQ(QueryString::queryOfTarget("/ad_source.php?s=1&f=jsonp"), "s=1&f=jsonp");
  EXPECT_EQ(QueryString::queryOfTarget("/ad_source.php?"), "");
  EXPECT_EQ(QueryString::queryOfTarget("/ad_source.php"), "");
  EXPECT_EQ(QueryString::queryOfTarget("/p?a=1#frag"), "a=1");
}

}  // namespace

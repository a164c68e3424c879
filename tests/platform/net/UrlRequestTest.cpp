#include "platform/net/UrlRequest.h"

#include <gtest/gtest.h>

using platform::net::UrlRequest;

TEST(UrlRequestTest, DefaultsToSixtySecondsAndNoHeaders) {
  UrlRequest request("http://example.test/");
  EXPECT_DOUBLE_EQ(request.timeoutInterval(), 60.0);
  EXPECT_TRUE(request.allHTTPHeaderFields().empty());
}

TEST(UrlRequestTest, SettingAHeaderAgainReplacesItWhateverTheCase) {
  UrlRequest request("http://example.test/");
  ASSERT_TRUE(request.setValueForHTTPHeaderField("one", "USER-AGENT"));
  ASSERT_TRUE(request.setValueForHTTPHeaderField("two", "User-Agent"));
  ASSERT_TRUE(request.setValueForHTTPHeaderField("", "X-Empty"));
  ASSERT_EQ(request.allHTTPHeaderFields().size(), 2u);
  EXPECT_EQ(request.valueForHTTPHeaderField("user-agent"), "two");
  EXPECT_EQ(request.allHTTPHeaderFields()[0].first, "USER-AGENT");
}

TEST(UrlRequestTest, RefusesHeadersThatCouldSmuggleLines) {
  UrlRequest request("http://example.test/");
  EXPECT_FALSE(request.setValueForHTTPHeaderField("id\r\nX-Evil: 1", "X-PENNANT-ISU"));
  EXPECT_FALSE(request.setValueForHTTPHeaderField("id\n", "X-PENNANT-ISU"));
  EXPECT_FALSE(request.setValueForHTTPHeaderField(std::string("a\0b", 3), "X-PENNANT-ISU"));
  EXPECT_FALSE(request.setValueForHTTPHeaderField("v", "Bad Name"));
  EXPECT_FALSE(request.setValueForHTTPHeaderField("v", "Name:"));
  EXPECT_FALSE(request.setValueForHTTPHeaderField("v", ""));
  EXPECT_TRUE(request.allHTTPHeaderFields().empty());
}

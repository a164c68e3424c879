#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/Url.h"

namespace platform {
namespace {

TEST(UrlTest, SplitsAnHttpUrl) {
  const auto url = Url::URLWithString(
      "http://user@ads.example.test:8080/ad_source.php?s=abc&l=en&k=a%20b#top");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->scheme(), "http");
  EXPECT_EQ(url->user(), "user");
  EXPECT_EQ(url->host(), "ads.example.test");
  EXPECT_EQ(url->port(), 8080);
  EXPECT_EQ(url->path(), "/ad_source.php");
  EXPECT_EQ(url->query(), "s=abc&l=en&k=a%20b");
  EXPECT_EQ(url->fragment(), "top");
  EXPECT_FALSE(url->isFileURL());
  EXPECT_EQ(url->absoluteString(),
            "http://user@ads.example.test:8080/ad_source.php?s=abc&l=en&k=a%20b#top");
}

TEST(UrlTest, PartsThatAreAbsent) {
  const auto url = Url::URLWithString("https://example.test");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->host(), "example.test");
  EXPECT_FALSE(url->port());
  EXPECT_EQ(url->path(), "");
  EXPECT_FALSE(url->query());
  EXPECT_FALSE(url->fragment());

  const auto emptyQuery = Url::URLWithString("http://h/ad_source.php?");
  ASSERT_TRUE(emptyQuery);
  EXPECT_EQ(emptyQuery->query(), "");

  const auto tel = Url::URLWithString("tel:+15551234567");
  ASSERT_TRUE(tel);
  EXPECT_EQ(tel->scheme(), "tel");
  EXPECT_FALSE(tel->host());
  EXPECT_EQ(tel->path(), "+15551234567");
}

TEST(UrlTest, Ipv6HostsAndEmptyPort) {
  const auto url = Url::URLWithString("http://[::1]:5000/x");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->host(), "::1");
  EXPECT_EQ(url->port(), 5000);
  const auto noPort = Url::URLWithString("http://host:/x");
  ASSERT_TRUE(noPort);
  EXPECT_FALSE(noPort->port());
}

TEST(UrlTest, RejectsTextThatIsNotAUrl) {
  for (const char* bad : {"", "no scheme", "/just/a/path", ":nothing", "1http://x", "ht tp://x",
                          "http://a b/", "http://x/ spaced", "http://x/\n", "http://x/\x7F",
                          "http://x/\"q\"", "http://x/<a>", "http://x/{a}", "http://x/a|b",
                          "http://x/a\\b", "http://x/^", "http://x/`", "http://x/%", "http://x/%4",
                          "http://x/%zz", "http://x/#a#b", "http://x:port/", "http://x:99999/",
                          "http://x:123456/", "http://[::1/", "http://[::1]junk/",
                          "http://x]/", "http://x/\xC3\xB3"}) {
    EXPECT_FALSE(Url::URLWithString(bad)) << bad;
  }
}

TEST(UrlTest, FileUrls) {
  const auto file = Url::fileURLWithPathIsDirectory("/tmp/a b/c?#.png", false);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->isFileURL());
  EXPECT_EQ(file->absoluteString(), "file:///tmp/a%20b/c%3F%23.png");
  EXPECT_EQ(file->path(), "/tmp/a b/c?#.png");
  EXPECT_FALSE(file->query());

  const auto folder = Url::fileURLWithPathIsDirectory("/tmp/dir", true);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->absoluteString(), "file:///tmp/dir/");

  const auto relative = Url::fileURLWithPathIsDirectory("relative.txt", false);
  ASSERT_TRUE(relative);
  EXPECT_EQ(relative->path().front(), '/');
  EXPECT_TRUE(relative->path().ends_with("/relative.txt"));

  const auto utf8 = Url::fileURLWithPathIsDirectory("/tmp/Bot\xC3\xB3n", false);
  ASSERT_TRUE(utf8);
  EXPECT_EQ(utf8->absoluteString(), "file:///tmp/Bot%C3%B3n");
  EXPECT_EQ(utf8->path(), "/tmp/Bot\xC3\xB3n");
  EXPECT_TRUE(Url::URLWithString("FILE:///x")->isFileURL());
  // An escape that does not decode to UTF-8 leaves the path as written.
  EXPECT_EQ(Url::URLWithString("file:///a%FFb")->path(), "/a%FFb");
}

}  // namespace
}  // namespace platform

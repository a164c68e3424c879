// A mailto: URL read back the way a mail program reads it (RFC 6068): the
// header fields split at "&", each name and value split at the first "=",
// the value percent-decoded. Every subject and body must come back whole.

#include <gtest/gtest.h>

#include <map>

#include "platform/foundation/MailtoURL.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/foundation/Url.h"

namespace platform {
namespace {

std::map<std::string, std::string> headerFields(const std::string& mailto) {
  std::map<std::string, std::string> fields;
  const auto question = mailto.find('?');
  if (question == std::string::npos) return fields;
  std::string_view rest = std::string_view(mailto).substr(question + 1);
  while (!rest.empty()) {
    const auto ampersand = rest.find('&');
    const std::string_view field = rest.substr(0, ampersand);
    const auto equals = field.find('=');
    const auto name = std::string(field.substr(0, equals));
    const auto value = equals == std::string_view::npos ? std::string_view() : field.substr(equals + 1);
    fields[name] = PercentEscapes::removingPercentEscapes(value, StringEncoding::UTF8).value_or("<undecodable>");
    if (ampersand == std::string_view::npos) break;
    rest.remove_prefix(ampersand + 1);
  }
  return fields;
}

TEST(MailtoURLTest, SubjectAndBodyArriveWholeWhateverTheyHold) {
  const std::vector<std::pair<std::string, std::string>> messages = {
      {"Shoes & Socks", "http://stride.example/shop?item=3&size=42#top"},
      {"subject=evil&bcc=victim@example.org", "a?b=c&d"},
      {"100% + more, really; (yes): 'quoted' \"double\"", "http://x.example/a%20b+c"},
      {"Two\r\nlines\tand a tab", ""},
      {"Caf\xC3\xA9 \xE2\x80\x93 \xF0\x9F\x91\x9F", "http://xn--caf-dma.example/\xC3\xA9"},
      {"", "/path/with/slashes#frag?"},
  };
  for (const auto& [subject, body] : messages) {
    const std::string mailto = MailtoURL::withSubjectBody(subject, body);
    EXPECT_TRUE(mailto.starts_with("mailto:?subject=")) << mailto;
    EXPECT_TRUE(Url::URLWithString(mailto)) << "not a URL: " << mailto;
    const auto fields = headerFields(mailto);
    EXPECT_EQ(fields.size(), 2u) << mailto;
    EXPECT_EQ(fields.count("subject") ? fields.at("subject") : "<none>", subject) << mailto;
    EXPECT_EQ(fields.count("body") ? fields.at("body") : "<none>", body) << mailto;
    // Nothing a reader could take for a space or another field.
    EXPECT_EQ(mailto.find('+'), std::string::npos) << mailto;
    EXPECT_EQ(mailto.find('#'), std::string::npos) << mailto;
  }
}

}  // namespace
}  // namespace platform

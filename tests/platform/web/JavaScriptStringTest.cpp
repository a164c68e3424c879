// Text handed to a page as a JavaScript string literal, checked by the page
// itself: whatever the text holds, the script sees exactly that text (and
// U+FFFD for bytes that are not UTF-8), in a script run by the app and
// inside a page's own <script> element alike.

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/foundation/JavaScriptString.h"
#include "tests/platform/web/WebTestSupport.h"

namespace webtest {
namespace {

using platform::JavaScriptString;

// Each text, and what the page must see.
const std::vector<std::pair<std::string, std::string>> kTexts = {
    {"it's", "it's"},
    {"'); document.title = ('escaped", "'); document.title = ('escaped"},
    {"\"double\" and \\back\\slash\\", "\"double\" and \\back\\slash\\"},
    {"line\nbreak\r\tand\x7F", "line\nbreak\r\tand\x7F"},
    {std::string("nul\0inside\0", 11), std::string("nul\0inside\0", 11)},
    {"separators \xE2\x80\xA8 and \xE2\x80\xA9 end", "separators \xE2\x80\xA8 and \xE2\x80\xA9 end"},
    {"</script><script>document.title='owned'</script>", "</script><script>document.title='owned'</script>"},
    {"<!-- <script>", "<!-- <script>"},
    {"Caf\xC3\xA9 \xF0\x9F\x91\x9F", "Caf\xC3\xA9 \xF0\x9F\x91\x9F"},
    {"broken \xC3 and \xED\xA0\x80 here", "broken \xEF\xBF\xBD and \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD here"},
    {"${template} `tick`", "${template} `tick`"},
    {"", ""},
};

// The expected text rebuilt in the page from its bytes, by another road.
std::string decodedInPage(const std::string& utf8) {
  std::string escaped;
  char hex[4];
  for (unsigned char c : utf8) {
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    escaped += hex;
  }
  return "decodeURIComponent('" + escaped + "')";
}

class JavaScriptStringTest : public WebViewFixture {
 protected:
  void SetUp() override {
    server_.server.Get("/blank", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Blank", ""), "text/html");
    });
    server_.server.Get("/inline", [](const httplib::Request& req, httplib::Response& res) {
      const auto& text = kTexts.at(std::stoul(req.get_param_value("n"))).first;
      res.set_content("<!DOCTYPE html><html><head><title>Inline</title><script>var value = " +
                          JavaScriptString::literal(text) + ";</script></head><body></body></html>",
                      "text/html");
    });
    server_.start();
    web_ = makeWebView();
  }
  std::string eval(const std::string& script) { return web_->stringByEvaluatingJavaScriptFromString(script); }

  std::shared_ptr<WebView> web_;
};

TEST_F(JavaScriptStringTest, ThePageReceivesExactlyTheText) {
  load(*web_, server_.url("/blank"));
  for (const auto& [text, seen] : kTexts) {
    const std::string literal = JavaScriptString::literal(text);
    EXPECT_EQ(eval("(" + literal + ") === " + decodedInPage(seen) + " ? 'same' : 'differs'"), "same") << literal;
    EXPECT_EQ(eval("document.title"), "Blank") << literal;
  }
  for (std::size_t n = 0; n < kTexts.size(); ++n) {
    load(*web_, server_.url("/inline?n=" + std::to_string(n)));
    const std::string& seen = kTexts[n].second;
    EXPECT_EQ(eval("typeof value === 'string' && value === " + decodedInPage(seen) + " ? 'same' : 'differs'"), "same")
        << JavaScriptString::literal(kTexts[n].first);
    EXPECT_EQ(eval("document.title"), "Inline") << kTexts[n].first;
  }
}

}  // namespace
}  // namespace webtest

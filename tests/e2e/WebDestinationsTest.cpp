// A tap on a "url" or "canvas" banner in the app, against the bundled ad
// server: the embedded browser and the canvas over the app, their modal
// chain in the journal, the browser's links of every rule and its action
// sheet, the canvas bridge and its commands, real page pixels in the
// screenshots.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/foundation/PercentEscapes.h"
#include "tests/e2e/AdServerProcess.h"
#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

const char* kTapBanner = "down 160 456\nup 160 456\n";

// The field `name` of a journal line, when it is a string.
std::string field(const Event& event, const std::string& name) {
  const std::string key = "\"" + name + "\":\"";
  const auto start = event.line.find(key);
  if (start == std::string::npos) return "";
  const auto from = start + key.size();
  return event.line.substr(from, event.line.find('"', from) - from);
}

class WebDestinations : public ::testing::Test {
 protected:
  RunResult run(const AdServerProcess& server, const std::string& script) {
    std::vector<std::string> extra;
    for (const auto& argument : server.hostArguments()) extra.push_back(argument);
    auto result = AppRun::headless(dir_.path() + "/home", script, extra);
    EXPECT_EQ(result.status, 0) << result.stderrText;
    return result;
  }
  static std::vector<std::string> modal(const RunResult& run) {
    std::vector<std::string> steps;
    for (const auto& e : run.ofType("modal")) steps.push_back(field(e, "kind") + " " + field(e, "event"));
    return steps;
  }
  static std::vector<std::string> linkRules(const RunResult& run) {
    std::vector<std::string> rules;
    for (const auto& e : run.ofType("link-rule")) rules.push_back(field(e, "decision") + " " + e.url);
    return rules;
  }
  static std::vector<std::string> opened(const RunResult& run) {
    std::vector<std::string> urls;
    for (const auto& e : run.ofType("open-url")) urls.push_back(e.url);
    return urls;
  }
  static std::vector<std::string> evals(const RunResult& run) {
    std::vector<std::string> results;
    for (const auto& e : run.ofType("web-eval")) results.push_back(field(e, "result"));
    return results;
  }

  TempDir dir_;
};

TEST_F(WebDestinations, AURLBannerOpensThePageInTheEmbeddedBrowser) {
  AdServerProcess server(dir_.path(), "tools/adserver/inventory", "", {"--only-action", "url"});
  const std::string landing = server.url() + "/static/landing/shoes.html";
  auto result = run(server, std::string("wait 1\n") + kTapBanner +
                                "wait 0.3\nscreenshot growing\nwait 0.4\nwait-web\nscreenshot browser\nviews browser\n"
                                "web-eval \"document.getElementById('sizes').click(); 1\"\nwait-web\n"
                                "web-eval \"document.title\"\n"
                                "tap 20 458\nwait-web\n"
                                "web-eval \"document.getElementById('map').click(); 1\"\nwait-web\n"
                                "web-eval \"document.getElementById('video').click(); 1\"\nwait-web\n"
                                "web-eval \"document.getElementById('mail').click(); 1\"\nwait-web\n"
                                "web-eval \"document.getElementById('call').click(); 1\"\nwait-web\n"
                                "web-eval \"location.href = 'file:///etc/passwd'; 1\"\nwait-web\n"
                                "tap 300 458\nwait 0.5\npress \"Email link\"\nwait 0.5\n"
                                "tap 160 300\npress \"Done\"\nwait 0.1\ntap 30 42\nwait 1\nviews after\n");
  for (const auto& line : result.logLines()) EXPECT_EQ(line.find("error"), std::string::npos) << line;
  EXPECT_TRUE(result.ofType("alert").empty());
  EXPECT_EQ(modal(result), (std::vector<std::string>{"browser will-present", "browser presented",
                                                    "browser dismiss-requested", "browser dismiss-requested",
                                                    "browser dismissed"}));
  const auto rules = linkRules(result);
  const std::vector<std::string> expected = {
      "load " + landing,
      "load " + server.url() + "/static/landing/shoes-sizes.html",
      "load " + landing,
      "system http://maps.google.com/maps?q=Stride+Shoes+Springfield",
      "system http://www.youtube.com/watch?v=stride2009",
      "system mailto:hello@stride-shoes.example?subject=Sizes",
      "system tel:+15555550142",
  };
  ASSERT_GE(rules.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(rules.begin(), rules.begin() + expected.size()), expected);
  // The local file is refused, by the rules or before them by the engine.
  for (std::size_t i = expected.size(); i < rules.size(); ++i) EXPECT_EQ(rules[i], "refuse file:///etc/passwd");
  EXPECT_EQ(evals(result)[1], "Stride Shoes: sizes");

  const auto urls = opened(result);
  ASSERT_EQ(urls.size(), 5u);
  EXPECT_EQ(urls[3], "tel:+15555550142");
  // Email link on the page shown: the body holds the page's URL, escaped
  // as a mailto field.
  const std::string mailPrefix = "mailto:?subject=Stride%20Shoes&body=";
  ASSERT_EQ(urls[4].rfind(mailPrefix, 0), 0u) << urls[4];
  EXPECT_EQ(platform::PercentEscapes::removingPercentEscapes(urls[4].substr(mailPrefix.size()),
                                                             platform::StringEncoding::UTF8),
            landing);

  // The page shows over the app with its bars; nothing remains afterwards.
  const std::string browser = result.file("browser.json");
  EXPECT_NE(browser.find("PennantModalBackground"), std::string::npos);
  EXPECT_NE(browser.find("\"title\":\"Stride Shoes\""), std::string::npos) << browser.substr(0, 2000);
  EXPECT_EQ(result.file("after.json").find("PennantModalBackground"), std::string::npos);
  auto shot = result.screenshot("browser");
  ASSERT_TRUE(shot);
  const Rgb page = pixelAt(*shot, 300, 250);  // the page's teal
  EXPECT_TRUE(page.g > 120 && page.r < 40) << page.r << "," << page.g << "," << page.b;
  auto growing = result.screenshot("growing");
  ASSERT_TRUE(growing);
  EXPECT_TRUE(isNearlyBlack(pixelAt(*growing, 160, 460)) || pixelAt(*growing, 160, 460).brightness() < 200);
}

TEST_F(WebDestinations, ACanvasBannerOpensTheCanvasWithItsBridge) {
  AdServerProcess server(dir_.path(), "tools/adserver/inventory", "", {"--only-action", "canvas"});
  auto result = run(server, std::string("wait 1\n") + kTapBanner +
                                "wait 0.7\nwait-web\nscreenshot canvas\nviews canvas\n"
                                "web-eval \"document.getElementById('title').textContent\"\n"
                                "web-eval \"document.getElementById('content').getAttribute('src')\"\n"
                                "web-eval \"document.getElementById('launch').click(); 1\"\nwait-web\n"
                                "web-eval \"document.getElementById('close').click(); 1\"\nwait-web\n"
                                "tap 160 440\n"
                                "wait 1.5\nviews after\n");
  for (const auto& line : result.logLines()) EXPECT_EQ(line.find("error"), std::string::npos) << line;
  EXPECT_TRUE(result.ofType("alert").empty());
  const auto values = evals(result);
  ASSERT_EQ(values.size(), 4u);
  const std::string title = values[0];
  EXPECT_TRUE(title == "Island Getaways" || title == "Riverside Playhouse") << title;
  const std::string content = server.url() + (title == "Island Getaways" ? "/static/canvas/travel.html"
                                                                          : "/static/canvas/theatre.html");
  EXPECT_EQ(values[1], content + "#sdk");
  EXPECT_EQ(opened(result), std::vector<std::string>{content});
  // The page's close link, then a tap on the backdrop below the canvas
  // while it goes: one dismissal.
  EXPECT_EQ(modal(result), (std::vector<std::string>{"canvas will-present", "canvas presented",
                                                    "canvas dismiss-requested", "canvas dismiss-requested",
                                                    "canvas dismissed"}));
  EXPECT_TRUE(linkRules(result).empty());
  EXPECT_NE(result.file("canvas.json").find("PennantCanvasWebView"), std::string::npos);
  EXPECT_EQ(result.file("after.json").find("PennantModalBackground"), std::string::npos);
  auto shot = result.screenshot("canvas");
  ASSERT_TRUE(shot);
  EXPECT_TRUE(isNearlyBlack(pixelAt(*shot, 160, 110)) || pixelAt(*shot, 160, 110).brightness() < 200);
}

}  // namespace
}  // namespace e2e

// A whole program with a web view (web-test-app), driven headless by a
// script as automation drives the app: web-eval and wait-web, the "web"
// and "web-eval" journal lines, the view dump and screenshots with the
// page, and the engine's display: a private Xvfb when none is set, and a
// clear failure of every load when there is no Xvfb either.

#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "json/ByteScanner.h"
#include "json/JSONDeserializer.h"
#include "tests/e2e/AppRun.h"
#include "tests/platform/web/RawTcpServer.h"
#include "tests/platform/web/WebTestSupport.h"

namespace webtest {
namespace {

namespace fs = std::filesystem;

// Sets (or, with nullptr, removes) an environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// One journal line's fields.
struct Line {
  std::shared_ptr<const json::Value> value;
  std::string text(const char* key) const { return value ? value->stringForKey(key).value_or("") : ""; }
  std::optional<double> number(const char* key) const { return value ? value->numberForKey(key) : std::nullopt; }
};

std::vector<Line> linesOfType(const e2e::RunResult& run, const std::string& type) {
  std::vector<Line> lines;
  for (const auto& event : run.ofType(type)) {
    auto data = json::ByteScanner::dataWithBytes(event.line);
    lines.push_back({json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(data, nullptr)});
  }
  return lines;
}

// The first view of class `name` in a view dump, depth first.
const json::Value* findView(const json::Value* node, const std::string& name) {
  if (!node) return nullptr;
  if (node->stringForKey("class") == name) return node;
  if (const auto* children = node->arrayForKey("children")) {
    for (const auto& child : children->elements()) {
      if (const auto* found = findView(&child, name)) return found;
    }
  }
  return nullptr;
}

// Xvfb servers that pick their own display, as the web view starts them,
// and that carry `marker` in their environment (they inherit the app's): a
// test on a shared machine counts only the servers of the app it started,
// not those of other test runs coming and going meanwhile.
std::set<int> privateXServers(const std::string& marker) {
  std::set<int> pids;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in(entry.path() / "cmdline");
    std::string cmdline((std::istreambuf_iterator<char>(in)), {});
    if (cmdline.find("Xvfb") == std::string::npos || cmdline.find("-displayfd") == std::string::npos) continue;
    std::ifstream environment(entry.path() / "environ");
    std::string variables((std::istreambuf_iterator<char>(environment)), {});
    if (variables.find(marker) != std::string::npos) pids.insert(std::stoi(name));
  }
  return pids;
}

class WebAppRun : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.server.set_keep_alive_max_count(1);
    server_.server.Get("/start", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Start", "<a id='next' href='/second'>next</a>", "#ff0000"), "text/html");
    });
    server_.server.Get("/second", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Second", "second", "#00ff00"), "text/html");
    });
    server_.start();
  }

  e2e::RunResult run(const std::string& script) {
    return e2e::AppRun::headless(home_.path() + "/home", script, {}, webtest::webTestApp());
  }

  nettest::LoopbackServer server_;
  e2e::TempDir home_;
};

TEST_F(WebAppRun, ScriptsEvaluateWaitDumpAndPhotographThePage) {
  ScopedEnv url("WEB_TEST_URL", server_.url("/start").c_str());
  auto result = run(
      "views first\n"
      "web-eval \"document.title\"\n"
      "web-eval \"document.getElementById('next').click()\"\n"
      "wait-web\n"
      "views second\n"
      "screenshot page\n"
      "web-eval \"document.title + ' ' + (1 + 1)\"\n");
  ASSERT_EQ(result.status, 0) << result.stderrText;

  std::vector<std::string> web;
  for (const auto& line : linesOfType(result, "web")) {
    web.push_back(line.text("event") + " " + line.text("url") +
                  (line.number("code") ? " " + std::to_string(static_cast<int>(*line.number("code"))) : ""));
  }
  EXPECT_EQ(web, (std::vector<std::string>{"start " + server_.url("/start"), "finish " + server_.url("/start"),
                                           "start " + server_.url("/second"), "finish " + server_.url("/second")}));
  std::vector<std::string> results;
  for (const auto& line : linesOfType(result, "web-eval")) results.push_back(line.text("result"));
  EXPECT_EQ(results, (std::vector<std::string>{"Start", "", "Second 2"}));

  for (const auto& [name, url, title] : {std::tuple{"first.json", "/start", "Start"}, {"second.json", "/second", "Second"}}) {
    auto data = json::ByteScanner::dataWithBytes(result.file(name));
    auto tree = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(data, nullptr);
    const auto* view = findView(tree.get(), "WebView");
    ASSERT_NE(view, nullptr) << name;
    EXPECT_EQ(view->stringForKey("url"), server_.url(url));
    EXPECT_EQ(view->stringForKey("title"), title);
    EXPECT_EQ(view->boolForKey("loading"), false);
  }

  auto shot = result.screenshot("page");
  ASSERT_NE(shot, nullptr);
  const auto pagePixel = e2e::pixelAt(*shot, 160, 300);
  EXPECT_TRUE(pagePixel.g > 200 && pagePixel.r < 50 && pagePixel.b < 50) << pagePixel.r << "," << pagePixel.g;
  const auto barPixel = e2e::pixelAt(*shot, 160, 40);
  EXPECT_TRUE(barPixel.b > 100 && barPixel.g < 50) << "the bar above the web view";
}

TEST_F(WebAppRun, FailedLoadsAreJournalledWithTheirCode) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(RawTcpServer::closedPort()) + "/";
  ScopedEnv url("WEB_TEST_URL", refused.c_str());
  auto result = run("views tree\n");
  ASSERT_EQ(result.status, 0) << result.stderrText;
  auto web = linesOfType(result, "web");
  ASSERT_EQ(web.size(), 2u);
  EXPECT_EQ(web[1].text("event"), "fail");
  EXPECT_EQ(web[1].text("url"), refused);
  EXPECT_EQ(web[1].number("code"), -1004);
}

TEST_F(WebAppRun, WebEvalWithoutAWebViewStopsTheRunAtItsLine) {
  ScopedEnv url("WEB_TEST_URL", nullptr);
  auto result = run("wait-web\nweb-eval \"1\"\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.stderrText.find("line 2: no web view on the screen"), std::string::npos) << result.stderrText;
}

TEST_F(WebAppRun, WithoutADisplayTheAppStartsItsOwnXvfbAndStopsItAtExit) {
  // The page's URL names this test's own server port, so it marks the app's Xvfb.
  const std::string marker = "WEB_TEST_URL=" + server_.url("/start");
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv url("WEB_TEST_URL", server_.url("/start").c_str());
  auto result = run("web-eval \"document.title\"\n");
  ASSERT_EQ(result.status, 0) << result.stderrText;
  const auto logs = result.logLines();
  EXPECT_NE(std::find(logs.begin(), logs.end(), "WebView: no display was set; started a private X server (Xvfb)"),
            logs.end());
  ASSERT_EQ(linesOfType(result, "web-eval").size(), 1u);
  EXPECT_EQ(linesOfType(result, "web-eval")[0].text("result"), "Start");
  EXPECT_TRUE(privateXServers(marker).empty());  // none left behind
}

TEST_F(WebAppRun, WithoutAnyDisplayEveryLoadFailsWithTheReason) {
  e2e::TempDir emptyPath;
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv path("PATH", emptyPath.path().c_str());
  ScopedEnv url("WEB_TEST_URL", server_.url("/start").c_str());
  auto result = run("web-eval \"document.title\"\nscreenshot blank\n");
  ASSERT_EQ(result.status, 0) << result.stderrText;
  auto web = linesOfType(result, "web");
  ASSERT_EQ(web.size(), 1u);
  EXPECT_EQ(web[0].text("event"), "fail");
  EXPECT_EQ(web[0].number("code"), -1);
  const std::string reason = "WebView: cannot load " + server_.url("/start") +
                             ": no display: DISPLAY is not set and Xvfb is not installed (package xvfb)";
  const auto logs = result.logLines();
  EXPECT_NE(std::find(logs.begin(), logs.end(), reason), logs.end());
  EXPECT_EQ(linesOfType(result, "web-eval")[0].text("result"), "");
}

}  // namespace
}  // namespace webtest

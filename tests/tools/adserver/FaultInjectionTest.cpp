// Faults on demand: each kind is seen by a real client over loopback, set
// through the control endpoint as a test or script would.

#include <httplib.h>

#include <chrono>

#include "tests/tools/adserver/AdServerTestSupport.h"

using namespace adservertest;

namespace {

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = startSampleServer();
    ASSERT_NE(server_, nullptr);
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
  }

  void addFault(const std::string& json) {
    auto result = client_->Post("/__faults", json, "application/json");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200) << result->body;
  }

  int statusOf(const std::string& target) {
    auto result = client_->Get(target.c_str());
    return result ? result->status : -1;
  }

  std::unique_ptr<pennant::adserver::AdServer> server_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(FaultInjectionTest, StatusFaultReplacesTheAnswerOnItsPathOnly) {
  addFault(R"({"path": "/ad_source.php", "status": 500})");
  auto result = client_->Get("/ad_source.php?s=pub");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 500);
  EXPECT_EQ(result->body, "{}");
  EXPECT_EQ(statusOf("/click/coffee-short"), 200);
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 500) << "a fault without count stays until cleared";

  addFault(R"({"path": "/click/coffee-short", "status": 200, "body": "not json"})");
  result = client_->Get("/click/coffee-short");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->body, "not json");
}

TEST_F(FaultInjectionTest, CountLimitedFaultsExpire) {
  addFault(R"({"path": "/ad_source.php", "status": 503, "count": 2})");
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 503);
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 503);
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 200);
  auto listed = client_->Get("/__faults");
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->body, "[]");
}

TEST_F(FaultInjectionTest, RulesApplyInOrderAndAStarMatchesAPrefix) {
  addFault(R"([{"path": "/static/iphone/img/call.png", "status": 404, "count": 1},
               {"path": "/static/*", "status": 502}])");
  EXPECT_EQ(statusOf("/static/iphone/img/call.png"), 404);
  EXPECT_EQ(statusOf("/static/iphone/img/call.png"), 502);
  EXPECT_EQ(statusOf("/static/iphone/canvas.html"), 502);
  EXPECT_EQ(statusOf("/click/coffee-short"), 200);
  auto listed = client_->Get("/__faults");
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->body, R"([{"path":"/static/*","status":502,"body":"{}"}])");
}

TEST_F(FaultInjectionTest, DeleteClearsEveryFault) {
  addFault(R"([{"status": 500}, {"path": "/pixel/x", "reset": true}])");
  EXPECT_EQ(statusOf("/acquire/1"), 500);
  auto cleared = client_->Delete("/__faults");
  ASSERT_TRUE(cleared);
  EXPECT_EQ(cleared->status, 200);
  EXPECT_EQ(statusOf("/acquire/1"), 200);
  EXPECT_EQ(statusOf("/pixel/x"), 200);
}

TEST_F(FaultInjectionTest, DelayHoldsTheAnswerBack) {
  addFault(R"({"path": "/click/pizza-call", "delay": 0.4, "count": 1})");
  const auto start = std::chrono::steady_clock::now();
  auto result = client_->Get("/click/pizza-call");
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_NE(result->body.find("tel:"), std::string::npos);
  EXPECT_GE(elapsed, 0.4);
  const auto again = std::chrono::steady_clock::now();
  EXPECT_EQ(statusOf("/click/pizza-call"), 200);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - again).count(), 0.4);
}

TEST_F(FaultInjectionTest, DelayCombinesWithAStatus) {
  addFault(R"({"path": "/ad_source.php", "delay": 0.3, "status": 500, "count": 1})");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 500);
  EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.3);
}

TEST_F(FaultInjectionTest, StoppingTheServerCutsADelayShort) {
  addFault(R"({"delay": 30})");
  std::thread request([port = server_->port()] { rawGet(port, "/acquire/1", 40); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const auto start = std::chrono::steady_clock::now();
  server_->stop();
  request.join();
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
}

TEST_F(FaultInjectionTest, ResetClosesTheConnectionWithoutAnAnswer) {
  addFault(R"({"path": "/ad_source.php", "reset": true, "count": 1})");
  const RawReply reply = rawGet(server_->port(), "/ad_source.php?s=pub");
  EXPECT_FALSE(reply.timedOut);
  EXPECT_EQ(reply.bytes, "");
  // A full client sees a failed request, not an HTTP status.
  addFault(R"({"path": "/ad_source.php", "reset": true, "count": 1})");
  httplib::Client fresh("127.0.0.1", server_->port());
  auto result = fresh.Get("/ad_source.php?s=pub");
  EXPECT_FALSE(result);
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 200);
}

TEST_F(FaultInjectionTest, TruncateAnnouncesMoreThanItSends) {
  addFault(R"({"path": "/static/banners/shoes.png", "truncate": true, "count": 1})");
  const RawReply reply = rawGet(server_->port(), "/static/banners/shoes.png");
  EXPECT_FALSE(reply.timedOut);
  ASSERT_EQ(reply.bytes.rfind("HTTP/1.1 200", 0), 0u) << reply.bytes.substr(0, 40);
  const long announced = rawContentLength(reply.bytes);
  const std::string body = rawBody(reply.bytes);
  EXPECT_GT(announced, 100);
  EXPECT_EQ(static_cast<long>(body.size()), announced / 2);
  EXPECT_EQ(body.substr(1, 3), "PNG");

  const RawReply whole = rawGet(server_->port(), "/static/banners/shoes.png");
  EXPECT_EQ(static_cast<long>(rawBody(whole.bytes).size()), announced);
  EXPECT_EQ(rawBody(whole.bytes).substr(0, body.size()), body);
}

TEST_F(FaultInjectionTest, GarbageKeepsTheStatusAndScramblesTheBody) {
  addFault(R"({"path": "/ad_source.php", "garbage": true})");
  auto first = client_->Get("/ad_source.php?s=pub");
  auto second = client_->Get("/ad_source.php?s=pub");
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_EQ(first->status, 200);
  EXPECT_EQ(first->body.size(), 512u);
  EXPECT_NE(first->body, second->body);
  EXPECT_EQ(first->body.find("jsonp_url"), std::string::npos);
}

TEST_F(FaultInjectionTest, RedirectSendsTheClientToTheGivenTargetWithTheBaseFilledIn) {
  addFault(R"([{"path": "/click/coffee-short", "redirect": "{{base}}/click/coffee-short"},
               {"path": "/pixel/a", "redirect": "file:///etc/passwd", "count": 1}])");
  const RawReply loop = rawGet(server_->port(), "/click/coffee-short");
  ASSERT_EQ(loop.bytes.rfind("HTTP/1.1 302", 0), 0u) << loop.bytes.substr(0, 40);
  EXPECT_NE(loop.bytes.find("Location: " + server_->baseUrl() + "/click/coffee-short\r\n"), std::string::npos)
      << loop.bytes;
  const RawReply local = rawGet(server_->port(), "/pixel/a");
  EXPECT_NE(local.bytes.find("Location: file:///etc/passwd\r\n"), std::string::npos) << local.bytes;
  EXPECT_EQ(statusOf("/pixel/a"), 200);
}

TEST_F(FaultInjectionTest, FloodStreamsTheAnnouncedLengthOfFiller) {
  // Far more than the chunk the server keeps, and not a multiple of it.
  constexpr long kBytes = 3 * 1024 * 1024 + 17;
  addFault(R"({"path": "/pixel/big", "flood": 3145745, "count": 1})");
  long received = 0;
  bool onlyFiller = true;
  auto result = client_->Get("/pixel/big", [&](const char* data, std::size_t length) {
    received += static_cast<long>(length);
    onlyFiller = onlyFiller && std::string_view(data, length).find_first_not_of('x') == std::string_view::npos;
    return true;
  });
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(received, kBytes);
  EXPECT_TRUE(onlyFiller);
  EXPECT_EQ(result->get_header_value("Content-Length"), std::to_string(kBytes));
}

TEST_F(FaultInjectionTest, CutSendsAShorterBodyThatLooksComplete) {
  addFault(R"({"path": "/static/banners/shoes.png", "cut": true, "count": 1})");
  auto cut = client_->Get("/static/banners/shoes.png");
  auto whole = client_->Get("/static/banners/shoes.png");
  ASSERT_TRUE(cut);
  ASSERT_TRUE(whole);
  EXPECT_EQ(cut->status, 200);
  EXPECT_EQ(cut->body.size(), whole->body.size() / 2);
  EXPECT_EQ(whole->body.substr(0, cut->body.size()), cut->body);
}

TEST_F(FaultInjectionTest, AfterLetsTheFirstRequestsThrough) {
  addFault(R"({"path": "/ad_source.php", "status": 500, "after": 2, "count": 1})");
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 200);
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 200);
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 500);
  EXPECT_EQ(statusOf("/ad_source.php?s=pub"), 200);
}

TEST_F(FaultInjectionTest, BadFaultsAreRefusedAndInstallNothing) {
  for (const char* body : {"", "not json", "42", R"({"status": 42})", R"({"status": 500.5})",
                           R"({"status": "500"})", R"({"reset": true, "status": 500})",
                           R"({"truncate": true, "garbage": true})", R"({"path": "ad_source.php", "status": 500})",
                           R"({"delay": -1})", R"({"delay": 601})", R"({"count": 0, "status": 500})",
                           R"({"count": 1.5, "status": 500})", R"({"reset": "yes"})", R"({"path": "/x"})",
                           R"({"body": "x"})", R"({"status": 500, "body": 3})", R"({"stauts": 500})",
                           R"([{"status": 500}, {"reset": 1}])", R"({"redirect": ""})",
                           R"({"redirect": "http://a/\r\nSet-Cookie: x"})", R"({"redirect": "/x", "status": 302})",
                           R"({"flood": 0})", R"({"flood": 1e12})", R"({"cut": true, "garbage": true})",
                           R"({"after": -1, "status": 500})", R"({"after": 1})"}) {
    auto result = client_->Post("/__faults", body, "application/json");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 400) << body;
    EXPECT_NE(result->body.find("\"error\""), std::string::npos) << body;
  }
  auto listed = client_->Get("/__faults");
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->body, "[]");
  auto put = client_->Put("/__faults", "{}", "application/json");
  ASSERT_TRUE(put);
  EXPECT_EQ(put->status, 405);
}

TEST_F(FaultInjectionTest, TheControlEndpointIsNeverFaulted) {
  addFault(R"({"status": 500})");
  auto listed = client_->Get("/__faults");
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->status, 200);
  auto cleared = client_->Delete("/__faults");
  ASSERT_TRUE(cleared);
  EXPECT_EQ(cleared->status, 200);
}

TEST(FaultConfigurationTest, FaultsGivenAtCreationApplyFromTheFirstRequest) {
  std::string error;
  auto rules = pennant::adserver::FaultInjector::rulesFromJsonText(
      R"([{"path": "/ad_source.php", "status": 500, "count": 1}])", &error);
  ASSERT_TRUE(rules) << error;
  pennant::adserver::AdServer::Configuration configuration;
  configuration.inventoryDirectory = sampleInventory();
  configuration.faults = *rules;
  auto server = startServer(configuration);
  ASSERT_NE(server, nullptr);
  httplib::Client client("127.0.0.1", server->port());
  auto first = client.Get("/ad_source.php?s=pub");
  auto second = client.Get("/ad_source.php?s=pub");
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_EQ(first->status, 500);
  EXPECT_EQ(second->status, 200);
}

}  // namespace

#include "platform/net/UrlConnection.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

#include <strings.h>

#include "platform/foundation/SimulatedClock.h"
#include "tests/platform/net/LoopbackServer.h"

using nettest::LoopbackServer;
using nettest::RecordingDelegate;
using nettest::spinUntil;
using platform::RunLoop;
using platform::net::UrlConnection;
using platform::net::UrlRequest;

namespace {

class UrlConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& s = server_.server;
    s.Get("/ok", [](const httplib::Request&, httplib::Response& res) { res.set_content("hello body", "text/plain"); });
    s.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("not here", "text/plain");
    });
    s.Get("/redirect", [](const httplib::Request&, httplib::Response& res) {
      res.status = 302;
      res.set_header("Location", "/final");
      res.set_content("redirect body that must not survive", "text/plain");
    });
    s.Get("/final", [](const httplib::Request&, httplib::Response& res) { res.set_content("final body", "text/plain"); });
    s.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
      res.status = 302;
      res.set_header("Location", "file:///etc/passwd");
    });
    s.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      res.set_content("too late", "text/plain");
    });
    s.Get("/big", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(4 << 20, 'x'), "application/octet-stream");
    });
    s.Get("/headers", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const auto& [name, value] : req.headers) seenHeaders_.emplace(name, value);
      res.set_content("ok", "text/plain");
    });
    s.Get("/port", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content(std::to_string(req.remote_port), "text/plain");
    });
    s.Get("/overlap", [this](const httplib::Request& req, httplib::Response& res) {
      const int now = ++active_;
      int seen = maxActive_.load();
      while (now > seen && !maxActive_.compare_exchange_weak(seen, now)) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      --active_;
      res.set_content("answer " + req.get_param_value("n"), "text/plain");
    });
    server_.start();
    loop_.makeCurrent();
  }

  std::shared_ptr<RecordingDelegate> load(const std::string& url, double timeout = 60.0) {
    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->loop = &loop_;
    connection_ = UrlConnection::connectionWithRequestDelegate(UrlRequest(url, timeout), delegate, loop_);
    EXPECT_NE(connection_, nullptr);
    return delegate;
  }

  // The server goes last: the loop closes its kept-alive sockets first, so
  // the server's workers need not wait for them to time out.
  LoopbackServer server_;
  RunLoop loop_;
  std::shared_ptr<UrlConnection> connection_;
  std::mutex mutex_;
  std::multimap<std::string, std::string> seenHeaders_;
  std::atomic<int> active_{0};
  std::atomic<int> maxActive_{0};
};

int unusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);  // nothing listens there any more
  return ntohs(address.sin_port);
}

}  // namespace

TEST_F(UrlConnectionTest, OkResponseDeliversStatusHeadersAndBody) {
  auto delegate = load(server_.url("/ok"));
  EXPECT_EQ(delegate->callbacks(), 0);  // nothing is reported from inside the factory
  EXPECT_TRUE(connection_->isLoading());
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }));
  EXPECT_TRUE(delegate->finished);
  EXPECT_EQ(delegate->statuses, std::vector<int>{200});
  EXPECT_EQ(delegate->body, "hello body");
  EXPECT_FALSE(connection_->isLoading());
  EXPECT_EQ(loop_.workInFlightCount(), 0u);
}

TEST_F(UrlConnectionTest, ErrorStatusIsReportedWithItsBodyAndStillFinishes) {
  auto delegate = load(server_.url("/missing"));
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }));
  EXPECT_EQ(delegate->statuses, std::vector<int>{404});
  EXPECT_EQ(delegate->body, "not here");
  EXPECT_TRUE(delegate->finished);
}

TEST_F(UrlConnectionTest, RedirectReportsEachResponseAndOnlyTheFinalBodyRemains) {
  auto delegate = load(server_.url("/redirect"));
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }));
  EXPECT_TRUE(delegate->finished);
  EXPECT_EQ(delegate->statuses, (std::vector<int>{302, 200}));
  EXPECT_EQ(delegate->responseUrls.back(), server_.url("/final"));
  EXPECT_EQ(delegate->body, "final body");
}

TEST_F(UrlConnectionTest, RedirectToANonWebSchemeFails) {
  auto delegate = load(server_.url("/to-file"));
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }));
  ASSERT_TRUE(delegate->error.has_value());
  EXPECT_EQ(delegate->error->domain, UrlConnection::kErrorDomain);
  EXPECT_EQ(delegate->error->code, -1002);
  EXPECT_EQ(delegate->body.find("root:"), std::string::npos);
}

TEST_F(UrlConnectionTest, OriginBoundHeadersStayWithTheirOriginAndTheBodyOfAHopIsDropped) {
  LoopbackServer other;
  std::multimap<std::string, std::string> otherHeaders;
  other.server.Get("/headers", [&](const httplib::Request& req, httplib::Response& res) {
    otherHeaders.insert(req.headers.begin(), req.headers.end());
    res.set_content("elsewhere", "text/plain");
  });
  other.start();
  server_.server.Get("/away", [&](const httplib::Request&, httplib::Response& res) {
    res.status = 303;
    res.set_header("Location", other.url("/headers"));
    res.set_content("hop body", "text/plain");
  });
  server_.server.Get("/here", [](const httplib::Request&, httplib::Response& res) {
    res.status = 308;
    res.set_header("Location", "/headers");
  });
  for (const char* path : {"/here", "/away"}) {
    UrlRequest request(server_.url(path));
    request.setValueForOriginBoundHTTPHeaderField("secret", "X-Device");
    request.setValueForHTTPHeaderField("agent", "X-Agent");
    auto delegate = std::make_shared<RecordingDelegate>();
    connection_ = UrlConnection::connectionWithRequestDelegate(request, delegate, loop_);
    ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }));
    EXPECT_TRUE(delegate->finished) << path;
    EXPECT_EQ(delegate->dataCalls, 1) << "only the last response's body arrives";
  }
  std::lock_guard<std::mutex> lock(mutex_);
  EXPECT_EQ(seenHeaders_.count("X-Device"), 1u) << "a redirect on the same origin keeps it";
  EXPECT_EQ(otherHeaders.count("X-Device"), 0u);
  EXPECT_EQ(otherHeaders.count("X-Agent"), 1u);
}

TEST_F(UrlConnectionTest, EndlessRedirectsFail) {
  server_.server.Get("/loop", [](const httplib::Request&, httplib::Response& res) {
    res.status = 302;
    res.set_header("Location", "/loop");
  });
  auto delegate = load(server_.url("/loop"));
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }));
  ASSERT_TRUE(delegate->error.has_value());
  EXPECT_EQ(delegate->error->code, -1007);
  EXPECT_EQ(delegate->statuses.size(), 17u) << "the first answer and sixteen redirects";
}

TEST_F(UrlConnectionTest, RefusedConnectionFails) {
  auto delegate = load("http://127.0.0.1:" + std::to_string(unusedPort()) + "/ok");
  EXPECT_EQ(delegate->callbacks(), 0);
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }));
  ASSERT_TRUE(delegate->error.has_value());
  EXPECT_FALSE(delegate->finished);
  EXPECT_EQ(delegate->error->code, -1004);
  EXPECT_FALSE(delegate->error->description.empty());
}

TEST_F(UrlConnectionTest, SlowServerTimesOut) {
  auto delegate = load(server_.url("/slow"), 0.3);
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }, 5.0));
  ASSERT_TRUE(delegate->error.has_value());
  EXPECT_EQ(delegate->error->code, -1001);
  EXPECT_TRUE(delegate->statuses.empty());
}

TEST_F(UrlConnectionTest, CancelBeforeAnyCallbackSilencesTheConnection) {
  auto delegate = load(server_.url("/ok"));
  std::weak_ptr<RecordingDelegate> weakDelegate = delegate;
  connection_->cancel();
  connection_->cancel();
  delegate.reset();
  EXPECT_TRUE(weakDelegate.expired());  // the connection let go of its delegate
  loop_.performAfterDelay(0.3, [this] { loop_.stop(); });
  loop_.run();
  EXPECT_EQ(loop_.workInFlightCount(), 0u);
}

TEST_F(UrlConnectionTest, CancelFromInsideTheResponseCallbackStopsEverything) {
  auto delegate = load(server_.url("/big"));
  delegate->onResponse = [](UrlConnection& c) { c.cancel(); };
  ASSERT_TRUE(spinUntil(loop_, [&] { return !delegate->statuses.empty(); }));
  spinUntil(loop_, [] { return false; }, 0.3);
  EXPECT_EQ(delegate->statuses.size(), 1u);
  EXPECT_EQ(delegate->dataCalls, 0);
  EXPECT_FALSE(delegate->done());
}

TEST_F(UrlConnectionTest, CancelFromInsideADataCallbackAndDroppingTheConnection) {
  auto delegate = load(server_.url("/big"));
  std::weak_ptr<UrlConnection> weak = connection_;
  delegate->onData = [this](UrlConnection& c) {
    c.cancel();
    connection_.reset();  // the last outside reference goes while the callback runs
  };
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->dataCalls > 0; }));
  spinUntil(loop_, [] { return false; }, 0.3);
  EXPECT_EQ(delegate->dataCalls, 1);
  EXPECT_FALSE(delegate->done());
  EXPECT_TRUE(weak.expired());
}

TEST_F(UrlConnectionTest, LoadingConnectionKeepsItselfAliveWithoutOutsideReferences) {
  auto delegate = load(server_.url("/ok"));
  std::weak_ptr<UrlConnection> weak = connection_;
  connection_.reset();
  ASSERT_FALSE(weak.expired());
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }));
  EXPECT_EQ(delegate->body, "hello body");
  EXPECT_TRUE(weak.expired());
}

TEST_F(UrlConnectionTest, HeadersAreSentAsGivenAndNoCacheHeadersAreAdded) {
  UrlRequest request(server_.url("/headers"));
  ASSERT_TRUE(request.setValueForHTTPHeaderField("Mozilla/5.0 (Test; U) (Pennant-iSDK-20090402)", "USER-AGENT"));
  ASSERT_TRUE(request.setValueForHTTPHeaderField("device-1234", "X-PENNANT-ISU"));
  auto delegate = std::make_shared<RecordingDelegate>();
  connection_ = UrlConnection::connectionWithRequestDelegate(request, delegate, loop_);
  ASSERT_NE(connection_, nullptr);
  ASSERT_TRUE(spinUntil(loop_, [&] { return delegate->done(); }));
  std::lock_guard<std::mutex> lock(mutex_);
  auto value = [&](const std::string& name) {
    auto found = seenHeaders_.find(name);
    return found == seenHeaders_.end() ? std::string("<absent>") : found->second;
  };
  auto count = [&](const std::string& name) {
    return std::count_if(seenHeaders_.begin(), seenHeaders_.end(),
                         [&](const auto& header) { return ::strcasecmp(header.first.c_str(), name.c_str()) == 0; });
  };
  // Sent as given: the name keeps its spelling, and curl adds no agent of its own.
  EXPECT_EQ(value("USER-AGENT"), "Mozilla/5.0 (Test; U) (Pennant-iSDK-20090402)");
  EXPECT_EQ(count("user-agent"), 1);
  EXPECT_EQ(value("X-PENNANT-ISU"), "device-1234");
  for (const char* name : {"Cache-Control", "Pragma", "If-Modified-Since", "If-None-Match"}) {
    EXPECT_EQ(count(name), 0) << name;
  }
}

TEST_F(UrlConnectionTest, TwoConcurrentConnectionsRunAtTheSameTime) {
  auto first = load(server_.url("/overlap?n=1"));
  auto firstConnection = connection_;
  auto second = load(server_.url("/overlap?n=2"));
  ASSERT_TRUE(spinUntil(loop_, [&] { return first->done() && second->done(); }));
  EXPECT_EQ(first->body, "answer 1");
  EXPECT_EQ(second->body, "answer 2");
  EXPECT_EQ(maxActive_.load(), 2);
}

TEST_F(UrlConnectionTest, SequentialConnectionsReuseTheKeptAliveSocket) {
  auto first = load(server_.url("/port"));
  ASSERT_TRUE(spinUntil(loop_, [&] { return first->done(); }));
  auto second = load(server_.url("/port"));
  ASSERT_TRUE(spinUntil(loop_, [&] { return second->done(); }));
  ASSERT_FALSE(first->body.empty());
  EXPECT_EQ(first->body, second->body);
}

TEST_F(UrlConnectionTest, LoadStartedFromTheFinishCallbackCompletes) {
  auto first = load(server_.url("/ok"));
  std::shared_ptr<RecordingDelegate> second = std::make_shared<RecordingDelegate>();
  first->onEnd = [&](UrlConnection&) {
    connection_ = UrlConnection::connectionWithRequestDelegate(UrlRequest(server_.url("/final")), second, loop_);
  };
  ASSERT_TRUE(spinUntil(loop_, [&] { return second->done(); }));
  EXPECT_EQ(second->body, "final body");
}

TEST_F(UrlConnectionTest, UnusableUrlsGiveNoConnection) {
  auto delegate = std::make_shared<RecordingDelegate>();
  for (const char* url : {"", "not a url", "ftp://127.0.0.1/file", "file:///etc/passwd", "http://[::1"}) {
    EXPECT_EQ(UrlConnection::connectionWithRequestDelegate(UrlRequest(url), delegate, loop_), nullptr) << url;
  }
  EXPECT_EQ(delegate->callbacks(), 0);
}

TEST(UrlConnectionSimulatedTimeTest, LoopbackDownloadTakesNoSimulatedTime) {
  LoopbackServer server;
  server.server.Get("/ok", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // real time passes...
    res.set_content("body", "text/plain");
  });
  server.start();
  RunLoop loop{std::make_shared<platform::SimulatedClock>()};
  double timerAt = -1;
  loop.performAfterDelay(5.0, [&] { timerAt = loop.now(); });
  auto delegate = std::make_shared<RecordingDelegate>();
  delegate->loop = &loop;
  auto connection = UrlConnection::connectionWithRequestDelegate(UrlRequest(server.url("/ok")), delegate, loop);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(loop.workInFlightCount(), 1u);
  loop.advanceBy(10);
  EXPECT_TRUE(delegate->finished);
  EXPECT_EQ(delegate->body, "body");
  EXPECT_DOUBLE_EQ(delegate->finishedAt, 0.0);  // ...but no simulated time does
  EXPECT_DOUBLE_EQ(timerAt, 5.0);
}

TEST(UrlConnectionLifetimeTest, DestroyingTheLoopCancelsLoadsSilently) {
  LoopbackServer server;
  server.server.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    res.set_content("late", "text/plain");
  });
  server.start();
  auto delegate = std::make_shared<RecordingDelegate>();
  std::weak_ptr<UrlConnection> weak;
  {
    RunLoop loop;
    weak = UrlConnection::connectionWithRequestDelegate(UrlRequest(server.url("/slow")), delegate, loop);
    ASSERT_FALSE(weak.expired());
    loop.runOnce(0.05);
  }
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(delegate->callbacks(), 0);
}

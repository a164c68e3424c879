// Every load error the web view can be made to meet on loopback, with the
// code its delegate receives: refused connections, a server that stalls
// past the request's time-out, resets, cuts its answer short, an unknown
// host, an untrusted certificate, schemes the engine cannot load, and
// downloads, which are refused.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/platform/web/RawTcpServer.h"
#include "tests/platform/web/SelfSignedCertificate.h"
#include "tests/platform/web/WebTestSupport.h"

namespace webtest {
namespace {

class WebViewErrors : public WebViewFixture {
 protected:
  // Loads `url` (with `timeout`) and returns the failure's code, or 0 when
  // the load finished.
  int failureCode(const std::string& url, double timeout = WebRequest::kDefaultTimeoutInterval) {
    delegate_->events.clear();
    delegate_->errors.clear();
    if (!web_) web_ = makeWebView();
    web_->loadRequest(WebRequest(url, WebRequest::CachePolicy::UseProtocolCachePolicy, timeout));
    EXPECT_TRUE(spinUntil([&] { return delegate_->ended(); })) << url;
    EXPECT_FALSE(web_->isLoading()) << url;
    return delegate_->errors.empty() ? 0 : delegate_->errors.back().code;
  }

  std::shared_ptr<WebView> web_;
};

TEST_F(WebViewErrors, ConnectionFailuresGetThePlatformsCodes) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(RawTcpServer::closedPort()) + "/";
  EXPECT_EQ(failureCode(refused), -1004);
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + refused + " 5", "start", "fail -1004"}));

  RawTcpServer resetting([](int fd) { RawTcpServer::resetConnection(fd); });
  EXPECT_EQ(failureCode(resetting.url()), -1005);

  RawTcpServer cutShort([](int fd) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000\r\n\r\n<html>";
    ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
  });
  EXPECT_EQ(failureCode(cutShort.url()), -1005);

  EXPECT_EQ(failureCode("http://no-such-host.invalid/"), -1003);
  // The engine refuses some ports outright and shows an empty page instead.
  EXPECT_EQ(failureCode("http://127.0.0.1:9/"), 103);
}

TEST_F(WebViewErrors, AServerThatStallsPastTheTimeOutFailsWithTimedOut) {
  RawTcpServer stalling([](int) { std::this_thread::sleep_for(std::chrono::milliseconds(2500)); });
  const auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(failureCode(stalling.url(), 1.0), -1001);
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  EXPECT_GE(took, 1.0);
  EXPECT_LT(took, 2.4);
  EXPECT_EQ(delegate_->count("fail -1001"), 1);  // the engine's own cancel is not reported again
  spinUntil([] { return false; }, 0.3);
  EXPECT_EQ(delegate_->errors.size(), 1u);
}

TEST_F(WebViewErrors, AnUntrustedCertificateIsASecurityFailure) {
  SelfSignedCertificate certificate;
  httplib::SSLServer tls(certificate.certificate(), certificate.key());
  tls.Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_content(page("TLS", "tls"), "text/html"); });
  const int port = tls.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { tls.listen_after_bind(); });
  while (!tls.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(failureCode("https://127.0.0.1:" + std::to_string(port) + "/"), -1202);
  tls.stop();
  thread.join();
}

TEST_F(WebViewErrors, SchemesTheEngineCannotLoadAreUnsupported) {
  EXPECT_EQ(failureCode("gopher://127.0.0.1/"), -1002);
  EXPECT_EQ(failureCode("ftp://127.0.0.1/"), -1002);
}

TEST_F(WebViewErrors, DownloadsAreRefused) {
  server_.server.Get("/archive.zip", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("PK\x03\x04", "application/zip");
  });
  server_.server.Get("/attached", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Disposition", "attachment; filename=page.html");
    res.set_content(page("Attached", "a"), "text/html");
  });
  server_.start();
  EXPECT_EQ(failureCode(server_.url("/archive.zip")), 102);
  EXPECT_EQ(delegate_->errors.back().domain, "WebKitErrorDomain");
  EXPECT_EQ(failureCode(server_.url("/attached")), 102);
}

}  // namespace
}  // namespace webtest

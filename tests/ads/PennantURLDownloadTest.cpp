#include "ads/PennantURLDownload.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <regex>

#include "AdsTestSupport.h"
#include "platform/foundation/Device.h"

namespace pennant {
namespace {

using testing::LoopbackServer;
using testing::TestLoop;

// Stands in for an ad: records which callback ran and what it saw.
class Recorder {
 public:
  void succeeded(const std::shared_ptr<PennantURLDownload>& download) {
    ++successes;
    auto data = download->data();
    body = data ? std::string(data->begin(), data->end()) : "";
  }
  void failed(const std::shared_ptr<PennantURLDownload>& download) {
    ++failures;
    code = download->error() ? download->error()->code : 0;
    domain = download->error() ? download->error()->domain : "";
  }
  bool done() const { return successes + failures > 0; }

  int successes = 0;
  int failures = 0;
  int code = 0;
  std::string domain;
  std::string body;
};

class PennantURLDownloadTest : public ::testing::Test {
 protected:
  std::shared_ptr<PennantURLDownload> makeDownload() {
    auto download = PennantURLDownload::create();
    download->setSuccessSelector(PennantURLDownload::selector(recorder, &Recorder::succeeded));
    download->setFailureSelector(PennantURLDownload::selector(recorder, &Recorder::failed));
    download->setDelegate(recorder);
    return download;
  }
  void runUntilDone() {
    loop.runUntil([this] { return recorder->done(); });
  }

  TestLoop loop;
  LoopbackServer server;
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST(PennantURLDownloadUserAgent, FollowsTheLibraryFormat) {
  EXPECT_EQ(PennantURLDownload::userAgentWith("M", "S", "2.2.1", "H1,2", "en_US"),
            "Mozilla/5.0 (M; U; CPU S 2_2_1 like Mac OS X; HW H1,2; en_us) AppleWebKit/525.18.1 "
            "(KHTML, like Gecko) (Pennant-iSDK-20090402)");
}

TEST(PennantURLDownloadUserAgent, DescribesThisMachine) {
  testing::testHome();
  auto& device = platform::Device::currentDevice();
  struct utsname names {};
  ASSERT_EQ(uname(&names), 0);
  std::string version = device.systemVersion();
  std::replace(version.begin(), version.end(), '.', '_');
  const std::string& agent = PennantURLDownload::userAgent();
  EXPECT_NE(agent.find("(" + device.model() + "; U; CPU " + device.systemName() + " " + version + " like Mac OS X; HW " +
                       names.machine + "; "),
            std::string::npos)
      << agent;
  EXPECT_TRUE(std::regex_search(agent, std::regex("; [a-z_]+\\) AppleWebKit/525\\.18\\.1 \\(KHTML, like Gecko\\) "
                                                  "\\(Pennant-iSDK-20090402\\)$")))
      << agent;
}

TEST_F(PennantURLDownloadTest, DeliversTheBodyWithTheLibraryHeaders) {
  server.server().Get("/ad", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("{\"text\":\"hi\"}", "application/json");
  });
  auto download = makeDownload();
  download->setIdentifier("userImage");
  download->loadContentsOfURLAtString("  \n" + server.url("/ad") + " \t");
  EXPECT_EQ(download->targetURL(), server.url("/ad"));
  runUntilDone();

  EXPECT_EQ(recorder->successes, 1);
  EXPECT_EQ(recorder->failures, 0);
  EXPECT_EQ(recorder->body, "{\"text\":\"hi\"}");
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].path, "/ad");
  auto agent = requests[0].headers.find("USER-AGENT");
  ASSERT_NE(agent, requests[0].headers.end());
  EXPECT_EQ(agent->second, PennantURLDownload::userAgent());
  auto isu = requests[0].headers.find("X-PENNANT-ISU");
  ASSERT_NE(isu, requests[0].headers.end());
  EXPECT_EQ(isu->second, *platform::Device::currentDevice().uniqueIdentifier());
}

TEST_F(PennantURLDownloadTest, SendsNoIdentifierHeaderWithoutADeviceIdentifier) {
  server.server().Get("/p", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("", "text/plain");
  });
  auto& device = platform::Device::currentDevice();
  auto saved = device.uniqueIdentifier();
  device.setUniqueIdentifier(std::nullopt);
  auto download = makeDownload();
  download->loadContentsOfURLAtString(server.url("/p"));
  runUntilDone();
  device.setUniqueIdentifier(saved);

  EXPECT_EQ(recorder->successes, 1);
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].headers.count("USER-AGENT"));
  EXPECT_FALSE(requests[0].headers.count("X-PENNANT-ISU"));
}

TEST_F(PennantURLDownloadTest, AnHttpErrorFailsWithMinusThreeEvenWithABody) {
  server.server().Get("/missing", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("not here", "text/plain");
  });
  auto download = makeDownload();
  download->loadContentsOfURLAtString(server.url("/missing"));
  runUntilDone();
  EXPECT_EQ(recorder->successes, 0);
  EXPECT_EQ(recorder->failures, 1);
  EXPECT_EQ(recorder->code, -3);
  EXPECT_EQ(recorder->domain, "kPennantURLDownloadErrorDomain");
}

TEST_F(PennantURLDownloadTest, StatusesBelow400AreSuccess) {
  server.server().Get("/created", [](const httplib::Request&, httplib::Response& response) {
    response.status = 203;
    response.set_content("partial", "text/plain");
  });
  auto download = makeDownload();
  download->loadContentsOfURLAtString(server.url("/created"));
  runUntilDone();
  EXPECT_EQ(recorder->successes, 1);
  EXPECT_EQ(recorder->body, "partial");
}

TEST_F(PennantURLDownloadTest, ARedirectKeepsOnlyTheFinalBody) {
  server.server().Get("/old", [](const httplib::Request&, httplib::Response& response) {
    response.status = 302;
    response.set_header("Location", "/new");
    response.set_content("moved away", "text/plain");
  });
  server.server().Get("/new", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("final", "text/plain");
  });
  auto download = makeDownload();
  download->loadContentsOfURLAtString(server.url("/old"));
  runUntilDone();
  EXPECT_EQ(recorder->successes, 1);
  EXPECT_EQ(recorder->body, "final");
  EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(PennantURLDownloadTest, TheDeviceIdentifierNeverFollowsARedirectToAnotherOrigin) {
  // The media host redirects, first on itself, then to another port (another
  // origin, as another host would be), which redirects back.
  LoopbackServer other;
  const std::string home = server.url("");
  const std::string away = other.url("");
  server.server().Get("/start", [](const httplib::Request&, httplib::Response& response) {
    response.status = 301;
    response.set_header("Location", "/step");
  });
  server.server().Get("/step", [away](const httplib::Request&, httplib::Response& response) {
    response.status = 302;
    response.set_header("Location", away + "/elsewhere");
  });
  other.server().Get("/elsewhere", [home](const httplib::Request&, httplib::Response& response) {
    response.status = 307;
    response.set_header("Location", home + "/back");
  });
  server.server().Get("/back", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("arrived", "text/plain");
  });
  auto download = makeDownload();
  download->loadContentsOfURLAtString(server.url("/start"));
  runUntilDone();
  EXPECT_EQ(recorder->successes, 1);
  EXPECT_EQ(recorder->body, "arrived");

  ASSERT_EQ(other.requests().size(), 1u);
  EXPECT_EQ(other.requests()[0].headers.count("X-PENNANT-ISU"), 0u);
  EXPECT_EQ(other.requests()[0].headers.count("USER-AGENT"), 1u) << "only the identifier is held back";
  ASSERT_EQ(server.requests().size(), 3u);
  for (const auto& request : server.requests()) {
    EXPECT_EQ(request.headers.count("X-PENNANT-ISU"), 1u) << request.path << ": the host it was meant for";
  }
}

TEST_F(PennantURLDownloadTest, ARefusedConnectionFailsWithMinusFour) {
  auto download = makeDownload();
  download->loadContentsOfURLAtString("http://127.0.0.1:" + std::to_string(testing::closedPort()) + "/ad");
  runUntilDone();
  EXPECT_EQ(recorder->failures, 1);
  EXPECT_EQ(recorder->code, -4);
}

TEST_F(PennantURLDownloadTest, ATimeOutFailsWithMinusFour) {
  server.server().Get("/slow", [](const httplib::Request&, httplib::Response& response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    response.set_content("late", "text/plain");
  });
  auto download = makeDownload();
  download->setTimeoutInterval(0.3);
  download->loadContentsOfURLAtString(server.url("/slow"));
  runUntilDone();
  EXPECT_EQ(recorder->successes, 0);
  EXPECT_EQ(recorder->failures, 1);
  EXPECT_EQ(recorder->code, -4);
}

TEST_F(PennantURLDownloadTest, ANullTextFailsWithMinusOneBeforeTheCallReturns) {
  auto download = makeDownload();
  download->loadContentsOfURLAtString(std::nullopt);
  EXPECT_EQ(recorder->failures, 1);
  EXPECT_EQ(recorder->code, -1);
}

TEST_F(PennantURLDownloadTest, TextThatIsNoUrlGetsNoConnection) {
  for (const char* text : {"", "not a url", "ftp://127.0.0.1/file", "http://exa mple.com/"}) {
    recorder = std::make_shared<Recorder>();
    auto download = makeDownload();
    download->loadContentsOfURLAtString(std::string(text));
    EXPECT_EQ(recorder->failures, 1) << text;
    EXPECT_EQ(recorder->code, -2) << text;
  }
}

TEST_F(PennantURLDownloadTest, CancelDuringALoadSilencesItAndDropsTheBody) {
  server.server().Get("/slow", [](const httplib::Request&, httplib::Response& response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    response.set_content("late", "text/plain");
  });
  auto download = makeDownload();
  download->loadContentsOfURLAtString(server.url("/slow"));
  loop.loop().runOnce(0.05);
  download->cancel();
  EXPECT_EQ(download->data(), nullptr);
  loop.runUntil([] { return false; });
  EXPECT_EQ(recorder->successes + recorder->failures, 0);
}

TEST_F(PennantURLDownloadTest, ASecondLoadReplacesTheFirstSilently) {
  server.server().Get("/first", [](const httplib::Request&, httplib::Response& response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    response.set_content("first", "text/plain");
  });
  server.server().Get("/second", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("second", "text/plain");
  });
  auto download = makeDownload();
  download->loadContentsOfURLAtString(server.url("/first"));
  download->loadContentsOfURLAtString(server.url("/second"));
  loop.runUntil([] { return false; });
  EXPECT_EQ(recorder->successes, 1);
  EXPECT_EQ(recorder->failures, 0);
  EXPECT_EQ(recorder->body, "second");
  EXPECT_EQ(download->targetURL(), server.url("/second"));
}

TEST_F(PennantURLDownloadTest, AnOversizedBodyFailsInsteadOfGrowingWithoutBound) {
  server.server().Get("/huge", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(PennantURLDownload::kMaximumBodyLength + 1, 'x'), "text/plain");
  });
  auto download = makeDownload();
  download->loadContentsOfURLAtString(server.url("/huge"));
  runUntilDone();
  EXPECT_EQ(recorder->successes, 0);
  EXPECT_EQ(recorder->code, -4);
}

TEST_F(PennantURLDownloadTest, AGoneDelegateHearsNothingAndTheDelegateMayDropTheDownload) {
  server.server().Get("/a", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("a", "text/plain");
  });
  // The delegate drops its only reference from inside the callback.
  struct Owner {
    std::shared_ptr<PennantURLDownload> download;
    int calls = 0;
    void done(const std::shared_ptr<PennantURLDownload>&) {
      ++calls;
      download.reset();
    }
  };
  auto owner = std::make_shared<Owner>();
  owner->download = PennantURLDownload::create();
  owner->download->setSuccessSelector(PennantURLDownload::selector(owner, &Owner::done));
  owner->download->setFailureSelector(PennantURLDownload::selector(owner, &Owner::done));
  owner->download->setDelegate(owner);
  owner->download->loadContentsOfURLAtString(server.url("/a"));
  loop.runUntil([&] { return owner->calls > 0; });
  EXPECT_EQ(owner->calls, 1);
  EXPECT_EQ(owner->download, nullptr);

  auto orphan = makeDownload();
  orphan->loadContentsOfURLAtString(server.url("/a"));
  recorder.reset();
  loop.runUntil([] { return false; });  // nothing to call: must not crash
}

TEST_F(PennantURLDownloadTest, DescribesItself) {
  auto download = makeDownload();
  download->setIdentifier("back");
  download->setTargetURL("http://x/y");
  EXPECT_TRUE(std::regex_match(download->description(),
                               std::regex("<PennantURLDownload 0x[0-9a-f]+ identifier:back url:http://x/y>")));
}

}  // namespace
}  // namespace pennant

namespace pennant {
namespace {

// A click's download follows the ad's own downloads to the same server. A
// new connection for it costs about as much as the whole click on a fast
// network, so it must ride the connection the ad's downloads left open, as
// the server sees it: every request from the same client port.
TEST(PennantURLDownloadConnections, DownloadsOneAfterAnotherReuseTheKeptAliveConnection) {
  httplib::Server server;
  std::mutex mutex;
  std::vector<int> clientPorts;
  server.Get("/.*", [&](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard lock(mutex);
    clientPorts.push_back(request.remote_port);
    response.set_content("{}", "application/json");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread serving([&] { server.listen_after_bind(); });
  {
    // The loop goes first: its connections close, so the server can stop.
    testing::TestLoop loop;
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    for (const std::string path : {"/ad_source.php", "/images/action-call.png", "/click/pizza-call"}) {
      auto recorder = std::make_shared<Recorder>();
      auto download = PennantURLDownload::create();
      download->setSuccessSelector(PennantURLDownload::selector(recorder, &Recorder::succeeded));
      download->setFailureSelector(PennantURLDownload::selector(recorder, &Recorder::failed));
      download->setDelegate(recorder);
      download->loadContentsOfURLAtString(base + path);
      loop.runUntil([&] { return recorder->done(); });
      // No ASSERT here: the server's thread must be joined.
      EXPECT_EQ(recorder->successes, 1) << path;
    }
  }
  server.stop();
  serving.join();
  ASSERT_EQ(clientPorts.size(), 3u);
  EXPECT_EQ(clientPorts[1], clientPorts[0]);
  EXPECT_EQ(clientPorts[2], clientPorts[0]);
}

}  // namespace
}  // namespace pennant

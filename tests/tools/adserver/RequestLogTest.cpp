// The request log as a client's requests leave it: one JSON object per line,
// with the decoded parameters and the headers as sent.

#include <httplib.h>

#include <sstream>

#include "json/JSONDeserializer.h"
#include "tests/tools/adserver/AdServerTestSupport.h"
#include "tools/adserver/RequestLog.h"

using namespace adservertest;

namespace {

std::vector<std::shared_ptr<const json::Value>> logLines(const std::filesystem::path& file) {
  std::vector<std::shared_ptr<const json::Value>> lines;
  std::istringstream in(readFile(file));
  std::string line;
  while (std::getline(in, line)) {
    auto value = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(
        json::ByteScanner::dataWithBytes(line), nullptr);
    EXPECT_NE(value, nullptr) << line;
    lines.push_back(value);
  }
  return lines;
}

class RequestLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    logFile_ = dir_.path() / "requests.jsonl";
    server_ = startSampleServer(logFile_.string());
    ASSERT_NE(server_, nullptr);
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
  }

  TempDir dir_;
  std::filesystem::path logFile_;
  std::unique_ptr<pennant::adserver::AdServer> server_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(RequestLogTest, AnAdRequestIsLoggedWithItsParametersAndHeaders) {
  const httplib::Headers headers = {{"USER-AGENT", "Vorla Button/1.0 (Pennant 20090402; en_US)"},
                                    {"X-PENNANT-ISU", "0123abcd"}};
  auto result = client_->Get(
      "/ad_source.php?s=pub%20one&f=jsonp&v=20090402-iSDK-5096df531ccfaf53&d[coord]=37.1,-122.2"
      "&d%5Bdob%5D=19750309&k=red+shoes&search=a%26b",
      headers);
  ASSERT_TRUE(result);
  // The line is written before the answer leaves, so it is there already.
  auto lines = logLines(logFile_);
  ASSERT_EQ(lines.size(), 1u);
  const json::Value& line = *lines[0];
  EXPECT_EQ(line.stringForKey("method"), "GET");
  EXPECT_EQ(line.stringForKey("path"), "/ad_source.php");
  EXPECT_EQ(line.numberForKey("status"), 200);
  EXPECT_GE(line.numberForKey("t").value_or(-1), 0.0);
  EXPECT_FALSE(line.objectForKey("fault"));
  const json::Value* query = line.dictionaryForKey("query");
  ASSERT_TRUE(query);
  EXPECT_EQ(query->stringForKey("s"), "pub one");
  EXPECT_EQ(query->stringForKey("f"), "jsonp");
  EXPECT_EQ(query->stringForKey("v"), "20090402-iSDK-5096df531ccfaf53");
  EXPECT_EQ(query->stringForKey("d[coord]"), "37.1,-122.2");
  EXPECT_EQ(query->stringForKey("d[dob]"), "19750309");
  EXPECT_EQ(query->stringForKey("k"), "red+shoes") << "the library never writes a space as +";
  EXPECT_EQ(query->stringForKey("search"), "a&b");
  const json::Value* logged = line.dictionaryForKey("headers");
  ASSERT_TRUE(logged);
  EXPECT_EQ(logged->stringForKey("USER-AGENT"), "Vorla Button/1.0 (Pennant 20090402; en_US)");
  EXPECT_EQ(logged->stringForKey("X-PENNANT-ISU"), "0123abcd");
  EXPECT_FALSE(logged->objectForKey("REMOTE_ADDR")) << "cpp-httplib's own entries were not sent";
}

TEST_F(RequestLogTest, RepeatedNamesBecomeArraysAndBarePiecesEmptyValues) {
  ASSERT_TRUE(client_->Get("/ad_source.php?s=pub&k=one&k=two&k=three&flag&&=x"));
  auto lines = logLines(logFile_);
  ASSERT_EQ(lines.size(), 1u);
  const json::Value* query = lines[0]->dictionaryForKey("query");
  ASSERT_TRUE(query);
  const json::Value* k = query->arrayForKey("k");
  ASSERT_TRUE(k);
  ASSERT_EQ(k->size(), 3u);
  EXPECT_EQ(k->at(0)->stringValue(), "one");
  EXPECT_EQ(k->at(2)->stringValue(), "three");
  EXPECT_EQ(query->stringForKey("flag"), "");
  EXPECT_EQ(query->stringForKey(""), "x");
}

TEST_F(RequestLogTest, EveryRequestIsLoggedInOrderWithItsStatusAndFault) {
  ASSERT_TRUE(client_->Get("/ad_source.php"));
  ASSERT_TRUE(client_->Get("/nothing-here"));
  ASSERT_TRUE(client_->Post("/__faults", R"({"path": "/pixel/p", "status": 503, "count": 1})", "application/json"));
  ASSERT_TRUE(client_->Get("/pixel/p"));
  ASSERT_TRUE(client_->Post("/__faults", R"({"path": "/acquire/a", "reset": true, "count": 1})", "application/json"));
  httplib::Client fresh("127.0.0.1", server_->port());
  EXPECT_FALSE(fresh.Get("/acquire/a"));
  ASSERT_TRUE(client_->Delete("/__faults"));

  auto lines = logLines(logFile_);
  ASSERT_EQ(lines.size(), 4u) << "control requests are not logged";
  EXPECT_EQ(lines[0]->numberForKey("status"), 400);
  EXPECT_EQ(lines[1]->stringForKey("path"), "/nothing-here");
  EXPECT_EQ(lines[1]->numberForKey("status"), 404);
  EXPECT_EQ(lines[2]->numberForKey("status"), 503);
  EXPECT_EQ(lines[2]->stringForKey("fault"), "status");
  EXPECT_EQ(lines[3]->stringForKey("fault"), "reset");
  ASSERT_TRUE(lines[3]->objectForKey("status"));
  EXPECT_TRUE(lines[3]->objectForKey("status")->isNull());
  EXPECT_LE(lines[0]->numberForKey("t"), lines[3]->numberForKey("t"));
}

TEST(RequestLogFileTest, AnUnwritableLogFailsTheStart) {
  TempDir dir;
  std::string error;
  EXPECT_EQ(pennant::adserver::RequestLog::openFile((dir.path() / "missing" / "log.jsonl").string(), &error), nullptr);
  EXPECT_NE(error.find("missing"), std::string::npos);

  pennant::adserver::AdServer::Configuration configuration;
  configuration.inventoryDirectory = sampleInventory();
  configuration.logFile = (dir.path() / "missing" / "log.jsonl").string();
  EXPECT_EQ(pennant::adserver::AdServer::create(configuration, &error), nullptr);
}

TEST(RequestLogFileTest, AnExistingLogIsAppendedTo) {
  TempDir dir;
  const auto file = dir.path() / "log.jsonl";
  writeFile(file, "{\"earlier\":true}\n");
  {
    auto log = pennant::adserver::RequestLog::openFile(file.string(), nullptr);
    ASSERT_NE(log, nullptr);
    pennant::adserver::RequestLog::Entry entry;
    entry.method = "GET";
    entry.path = "/p\"q";
    entry.headers = {{"Accept", "a"}, {"Accept", "b"}};
    entry.status = 200;
    log->write(entry);
  }
  auto lines = logLines(file);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0]->boolForKey("earlier"));
  EXPECT_EQ(lines[1]->stringForKey("path"), "/p\"q");
  EXPECT_EQ(lines[1]->dictionaryForKey("headers")->stringForKey("Accept"), "a, b");
}

}  // namespace

// The pennant-adserver program itself, run as a separate process.

#include <fcntl.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "tests/tools/adserver/AdServerTestSupport.h"
#include "tools/adserver/CommandLine.h"

extern char** environ;

using namespace adservertest;

namespace {

std::string binaryPath() {
  const char* dir = std::getenv("PENNANT_BINARY_DIR");
  return std::string(dir ? dir : ".") + "/tools/adserver/pennant-adserver";
}

// One run of the program with stdout and stderr captured.
class ServerProcess {
 public:
  explicit ServerProcess(const std::vector<std::string>& arguments) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<std::string> all = {binaryPath()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~ServerProcess() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }

  bool started() const { return pid_ > 0; }

  // The first line on stdout, waiting up to the timeout.
  std::string readLine(int timeoutMs = 10000) {
    std::string line;
    char c = 0;
    while (true) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, timeoutMs) <= 0) break;
      if (::read(out_, &c, 1) != 1 || c == '\n') break;
      line.push_back(c);
    }
    return line;
  }

  std::string readErrors() {
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(err_, buffer, sizeof(buffer))) > 0) text.append(buffer, static_cast<std::size_t>(n));
    return text;
  }

  std::string readAll() {
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(out_, buffer, sizeof(buffer))) > 0) text.append(buffer, static_cast<std::size_t>(n));
    return text;
  }

  // Sends the signal (if any) and returns the exit status: -1 for a death by
  // signal, -2 when the process had not ended after ten seconds (it is
  // killed then, so a wrong outcome fails the test instead of hanging it).
  int finish(int signal = 0) {
    if (signal) ::kill(pid_, signal);
    int status = 0;
    for (int waited = 0; ::waitpid(pid_, &status, WNOHANG) == 0; waited += 10) {
      if (waited >= 10000) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        exited_ = true;
        return -2;
      }
      ::usleep(10000);
    }
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool exited_ = false;
};

int portFromLine(const std::string& line) {
  const std::string prefix = "listening on http://127.0.0.1:";
  if (line.rfind(prefix, 0) != 0) return -1;
  return std::stoi(line.substr(prefix.size()));
}

TEST(AdServerBinaryTest, StartsOnAFreePortPrintsItAndStopsOnSigterm) {
  TempDir dir;
  const auto log = dir.path() / "log.jsonl";
  ServerProcess process({"--port", "0", "--inventory", sampleInventory().string(), "--log", log.string()});
  ASSERT_TRUE(process.started()) << binaryPath();
  const std::string line = process.readLine();
  const int port = portFromLine(line);
  ASSERT_GT(port, 0) << "first line: " << line;

  httplib::Client client("127.0.0.1", port);
  auto ad = client.Get("/ad_source.php?s=pub");
  ASSERT_TRUE(ad);
  EXPECT_EQ(ad->status, 200);
  EXPECT_NE(ad->body.find("http://127.0.0.1:" + std::to_string(port) + "/click/"), std::string::npos);
  EXPECT_NE(readFile(log).find("\"path\":\"/ad_source.php\""), std::string::npos);
  EXPECT_EQ(process.finish(SIGTERM), 0);
}

TEST(AdServerBinaryTest, InstallsTheFaultsFileAtStart) {
  TempDir dir;
  writeFile(dir.path() / "faults.json", R"([{"path": "/ad_source.php", "status": 503, "count": 1}])");
  ServerProcess process({"--inventory", sampleInventory().string(), "--faults", (dir.path() / "faults.json").string()});
  ASSERT_TRUE(process.started());
  const int port = portFromLine(process.readLine());
  ASSERT_GT(port, 0);
  httplib::Client client("127.0.0.1", port);
  auto first = client.Get("/ad_source.php?s=pub");
  auto second = client.Get("/ad_source.php?s=pub");
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_EQ(first->status, 503);
  EXPECT_EQ(second->status, 200);
  EXPECT_EQ(process.finish(SIGINT), 0);
}

TEST(AdServerBinaryTest, WrongCommandLinesExitWith2AndStartFailuresWith1) {
  TempDir dir;
  writeFile(dir.path() / "bad-faults.json", R"({"nonsense": 1})");
  const std::vector<std::vector<std::string>> usageErrors = {
      {"--port"}, {"--port", "http"}, {"--port", "70000"}, {"--bogus"},
      {"--faults", (dir.path() / "none.json").string()}, {"--faults", (dir.path() / "bad-faults.json").string()}};
  for (const auto& arguments : usageErrors) {
    ServerProcess process(arguments);
    ASSERT_TRUE(process.started());
    EXPECT_EQ(process.finish(), 2) << arguments[0];
    EXPECT_NE(process.readErrors().find("usage:"), std::string::npos) << arguments[0];
  }
  const std::vector<std::vector<std::string>> startErrors = {
      {"--host", "0.0.0.0"}, {"--host", "192.168.1.1"}, {"--inventory", (dir.path() / "nothing").string()}};
  for (const auto& arguments : startErrors) {
    ServerProcess process(arguments);
    ASSERT_TRUE(process.started());
    EXPECT_EQ(process.finish(), 1) << arguments[1];
    EXPECT_NE(process.readErrors().find("pennant-adserver: "), std::string::npos);
  }
}

TEST(AdServerBinaryTest, APortInUseIsReported) {
  auto holder = startSampleServer();
  ASSERT_NE(holder, nullptr);
  ServerProcess process({"--port", std::to_string(holder->port())});
  ASSERT_TRUE(process.started());
  EXPECT_EQ(process.finish(), 1);
  EXPECT_NE(process.readErrors().find("cannot listen"), std::string::npos);
}

TEST(AdServerBinaryTest, HelpDescribesEveryFlag) {
  ServerProcess process({"--help"});
  ASSERT_TRUE(process.started());
  EXPECT_EQ(process.finish(), 0);
  const std::string text = process.readAll();
  for (const char* flag : {"--port", "--inventory", "--log", "--host", "--faults", "--only-action", "PENNANT_ADSERVER_PORT"}) {
    EXPECT_NE(text.find(flag), std::string::npos) << flag;
  }
}

const char* fakeEnvironment(const char* name) {
  if (std::string(name) == "PENNANT_ADSERVER_PORT") return "8123";
  if (std::string(name) == "PENNANT_ADSERVER_HOST") return "127.0.0.2";
  return nullptr;
}

TEST(CommandLineTest, FlagsWinOverEnvironmentVariables) {
  using pennant::adserver::CommandLine;
  auto fromEnvironment = CommandLine::parse({}, fakeEnvironment, "/default");
  ASSERT_TRUE(fromEnvironment.configuration) << fromEnvironment.error;
  EXPECT_EQ(fromEnvironment.configuration->port, 8123);
  EXPECT_EQ(fromEnvironment.configuration->host, "127.0.0.2");
  EXPECT_EQ(fromEnvironment.configuration->inventoryDirectory, "/default");
  EXPECT_EQ(fromEnvironment.configuration->logFile, "");

  auto fromFlags = CommandLine::parse({"--port", "0", "--host", "::1", "--inventory", "/inv", "--log", "/l"},
                                      fakeEnvironment, "/default");
  ASSERT_TRUE(fromFlags.configuration) << fromFlags.error;
  EXPECT_EQ(fromFlags.configuration->port, 0);
  EXPECT_EQ(fromFlags.configuration->host, "::1");
  EXPECT_EQ(fromFlags.configuration->inventoryDirectory, "/inv");
  EXPECT_EQ(fromFlags.configuration->logFile, "/l");

  auto noInventory = CommandLine::parse({}, [](const char*) -> const char* { return nullptr; }, "");
  EXPECT_FALSE(noInventory.configuration);
  EXPECT_NE(noInventory.error.find("inventory"), std::string::npos);
}

TEST(CommandLineTest, OnlyLoopbackHostsAreAccepted) {
  using pennant::adserver::AdServer;
  for (const char* host : {"127.0.0.1", "127.1.2.3", "::1", "localhost"}) EXPECT_TRUE(AdServer::isLoopbackHost(host)) << host;
  for (const char* host : {"0.0.0.0", "10.0.0.1", "128.0.0.1", "::", "example.com", ""}) {
    EXPECT_FALSE(AdServer::isLoopbackHost(host)) << host;
  }
}

}  // namespace

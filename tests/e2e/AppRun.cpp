#include "tests/e2e/AppRun.h"

#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "json/ByteScanner.h"
#include "json/JSONDeserializer.h"

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

Event parseEvent(const std::string& line) {
  Event event;
  event.line = line;
  auto data = json::ByteScanner::dataWithBytes(line);
  auto value = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(data, nullptr);
  EXPECT_NE(value, nullptr) << "not a JSON object: " << line;
  if (!value) return event;
  event.t = value->numberForKey("t").value_or(-1);
  event.type = value->stringForKey("type").value_or("");
  event.text = value->stringForKey("text").value_or("");
  event.file = value->stringForKey("file").value_or("");
  event.vibrate = value->boolForKey("vibrate").value_or(false);
  event.url = value->stringForKey("url").value_or("");
  event.key = value->stringForKey("key").value_or("");
  if (const auto* v = value->objectForKey("value")) event.boolValue = v->boolValue();
  if (const auto* stack = value->arrayForKey("stack")) {
    for (const auto& title : stack->elements()) event.stack.push_back(title.stringValue().value_or("?"));
  }
  return event;
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "vorla-e2e-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  EXPECT_NE(made, nullptr);
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string AppRun::program() {
  const char* path = std::getenv("VORLA_BUTTON");
  return path ? path : "vorla-button";
}

RunResult AppRun::raw(const std::vector<std::string>& arguments, const std::string& outDir,
                      const std::string& programPath) {
  RunResult result;
  result.outDir = outDir;
  const std::string errPath = (fs::temp_directory_path() / ("vorla-e2e-stderr-" + std::to_string(::getpid()))).string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> args = {programPath.empty() ? program() : programPath};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(spawned, 0) << "cannot start " << args[0];
  if (spawned != 0) return result;
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.stderrText = readFile(errPath);
  ::unlink(errPath.c_str());
  return result;
}

RunResult AppRun::headless(const std::string& home, const std::string& script,
                           const std::vector<std::string>& extra, const std::string& programPath) {
  static int counter = 0;
  const std::string outDir = home + "-out-" + std::to_string(++counter);
  const std::string scriptPath = outDir + ".script";
  std::ofstream(scriptPath) << script;
  std::vector<std::string> args = {"--headless", "--script",    scriptPath,  "--out", outDir,
                                   "--home",     home,          "--device-id", "e2e-device"};
  // Without an ad server of the test's own, ads go to a port where nothing
  // listens: the banner's first ad fails at once, whatever runs on this
  // machine. Only the app hosts the ad library, whose flags these are.
  if (programPath.empty() || programPath == program()) {
    args.insert(args.end(), {"--request-host", "http://127.0.0.1:1", "--media-host", "http://127.0.0.1:1"});
  }
  args.insert(args.end(), extra.begin(), extra.end());
  auto result = raw(args, outDir, programPath);
  std::ifstream journal(outDir + "/events.jsonl");
  for (std::string line; std::getline(journal, line);) {
    if (!line.empty()) result.events.push_back(parseEvent(line));
  }
  return result;
}

std::vector<Event> RunResult::ofType(const std::string& type) const {
  std::vector<Event> found;
  for (const auto& e : events) {
    if (e.type == type) found.push_back(e);
  }
  return found;
}

std::vector<std::string> RunResult::logLines() const {
  std::vector<std::string> lines;
  for (const auto& e : ofType("log"))
    if (e.text.rfind("Pennant: ", 0) != 0) lines.push_back(e.text);
  return lines;
}

std::vector<std::string> RunResult::adLogLines() const {
  std::vector<std::string> lines;
  for (const auto& e : ofType("log"))
    if (e.text.rfind("Pennant: ", 0) == 0) lines.push_back(e.text);
  return lines;
}

std::vector<std::string> RunResult::lastStack() const {
  auto navigation = ofType("navigation");
  return navigation.empty() ? std::vector<std::string>{} : navigation.back().stack;
}

std::shared_ptr<platform::graphics::Image> RunResult::screenshot(const std::string& name) const {
  auto image = platform::graphics::Image::imageWithContentsOfFile(outDir + "/" + name + ".png");
  EXPECT_NE(image, nullptr) << "no screenshot " << name;
  return image;
}

std::string RunResult::file(const std::string& name) const { return readFile(outDir + "/" + name); }

Rgb pixelAt(const platform::graphics::Image& image, int x, int y) {
  const std::uint32_t argb = image.argb32PixelAt(x, y);
  return {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF)};
}

bool isNearlyBlack(Rgb p) { return p.r < 50 && p.g < 50 && p.b < 50; }

}  // namespace e2e

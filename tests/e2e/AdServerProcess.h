#pragma once
// The bundled ad server as a child process for whole-app runs: started on a
// free loopback port with an inventory (and optionally faults), its request
// log read back as JSON lines, stopped when the object goes.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace e2e {

class AdServerProcess {
 public:
  // `inventory` relative to the source tree (or an absolute path);
  // `faultsJson` an array of fault rules installed at start, or empty;
  // `extraArguments` more flags for the server.
  AdServerProcess(const std::string& folder, const std::string& inventory, const std::string& faultsJson = "",
                  const std::vector<std::string>& extraArguments = {}) {
    const char* binary = std::getenv("PENNANT_ADSERVER");
    const char* source = std::getenv("PENNANT_SOURCE_DIR");
    if (!binary || !source) return;
    logPath_ = folder + "/requests.jsonl";
    const std::string outPath = folder + "/server.out";
    const std::string inventoryPath = inventory.front() == '/' ? inventory : std::string(source) + "/" + inventory;
    std::vector<std::string> args = {binary, "--port", "0", "--inventory", inventoryPath, "--log", logPath_};
    args.insert(args.end(), extraArguments.begin(), extraArguments.end());
    if (!faultsJson.empty()) {
      std::ofstream(folder + "/faults.json") << faultsJson;
      args.insert(args.end(), {"--faults", folder + "/faults.json"});
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    // The first line says where it listens.
    for (int i = 0; i < 200 && pid_ && url_.empty(); ++i) {
      std::ifstream out(outPath);
      std::string line;
      if (std::getline(out, line) && line.rfind("listening on ", 0) == 0) url_ = line.substr(13);
      if (url_.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~AdServerProcess() {
    if (pid_) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  AdServerProcess(const AdServerProcess&) = delete;
  AdServerProcess& operator=(const AdServerProcess&) = delete;

  // "http://127.0.0.1:PORT", or empty when the server did not start.
  const std::string& url() const { return url_; }
  std::vector<std::string> hostArguments() const { return {"--request-host", url_, "--media-host", url_}; }
  std::vector<std::string> logLines() const {
    std::vector<std::string> lines;
    std::ifstream log(logPath_);
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
  }

 private:
  pid_t pid_ = 0;
  std::string url_;
  std::string logPath_;
};

}  // namespace e2e

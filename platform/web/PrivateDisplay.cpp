#include "platform/web/PrivateDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <linux/close_range.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/foundation/Log.h"

namespace platform::web {

pid_t PrivateDisplay::pid_ = 0;
std::string PrivateDisplay::display_;

namespace {

constexpr const char* kProgram = "Xvfb";
constexpr const char* kScreen = "1280x1024x24";
// Where marking inherited descriptors one by one stops, on kernels without
// close_range.
constexpr long kMaxDescriptorsToMark = 65536;

void stopAtExit() { PrivateDisplay::stop(); }

// The display number Xvfb writes to `fd` once it accepts connections, or
// -1 when it exits or stays silent past the time-out.
int readDisplayNumber(int fd, double timeoutSeconds) {
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return -1;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[32];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return -1;  // the server exited before it was ready
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.find('\n') != std::string::npos) break;
  }
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  return end != text.c_str() && number >= 0 ? static_cast<int>(number) : -1;
}

bool waitForExit(pid_t pid, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  do {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

}  // namespace

std::string PrivateDisplay::findProgram(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    start = end + 1;
    if (dir.empty()) continue;
    const std::string candidate = dir + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

std::string PrivateDisplay::start() {
  if (isRunning()) return "";
  const std::string program = findProgram(kProgram);
  if (program.empty()) {
    return "no display: DISPLAY is not set and Xvfb is not installed (package xvfb)";
  }
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return "no display: cannot create a pipe for Xvfb";
  const std::string fdText = std::to_string(pipeFds[1]);
  // -noreset: the server would otherwise start over whenever its last
  // client leaves, refusing whoever connects meanwhile.
  std::vector<std::string> args = {program, "-displayfd", fdText, "-nolisten", "tcp", "-noreset", "-screen", "0", kScreen};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  const long openMax = std::min(::sysconf(_SC_OPEN_MAX), kMaxDescriptorsToMark);

  const pid_t child = ::fork();
  if (child == 0) {
    // Only async-signal-safe calls from here on. The server dies with us,
    // and its chatter stays out of our output.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (devNull >= 0) {
      ::dup2(devNull, STDIN_FILENO);
      ::dup2(devNull, STDOUT_FILENO);
      ::dup2(devNull, STDERR_FILENO);
    }
    // Whatever else the process has open (a server's listening socket,
    // say) must not live on in the X server.
    if (::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC) != 0) {
      for (long fd = 3; fd < openMax; ++fd) ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    }
    ::fcntl(pipeFds[1], F_SETFD, 0);  // the one descriptor Xvfb inherits
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  if (devNull >= 0) ::close(devNull);
  if (child < 0) {
    ::close(pipeFds[0]);
    return "no display: cannot start Xvfb";
  }
  const int number = readDisplayNumber(pipeFds[0], kStartTimeout);
  ::close(pipeFds[0]);
  if (number < 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return "no display: Xvfb did not start";
  }
  pid_ = child;
  display_ = ":" + std::to_string(number);
  ::setenv("DISPLAY", display_.c_str(), 1);
  static const bool registered = [] { return std::atexit(stopAtExit) == 0; }();
  (void)registered;
  log("WebView: no display was set; started a private X server (Xvfb)");
  return "";
}

void PrivateDisplay::stop() {
  if (!isRunning()) return;
  const pid_t pid = pid_;
  pid_ = 0;
  display_.clear();
  ::kill(pid, SIGTERM);
  if (!waitForExit(pid, kStopTimeout)) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
}

}  // namespace platform::web

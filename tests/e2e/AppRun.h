#pragma once
// Runs the real vorla-button program headless, the way automation does, and
// reads back what it wrote: the exit status, stderr, the journal's events
// and the screenshots. Each run gets a fresh output folder; the home folder
// is kept per test so that preferences survive a restart when a test wants.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"

namespace e2e {

struct Event {
  double t = 0;
  std::string type;
  std::string text;                // log
  std::string file;                // sound
  bool vibrate = false;            // sound
  std::string url;                 // open-url
  std::vector<std::string> stack;  // navigation
  std::string key;                 // defaults
  std::optional<bool> boolValue;   // defaults
  std::string line;                // the raw line
};

struct RunResult {
  int status = -1;
  std::string stderrText;
  std::string outDir;
  std::vector<Event> events;

  std::vector<Event> ofType(const std::string& type) const;
  // The app's own log lines, and the ad banner's ("Pennant: ...").
  std::vector<std::string> logLines() const;
  std::vector<std::string> adLogLines() const;
  // The stack of the last navigation event (empty when there is none).
  std::vector<std::string> lastStack() const;
  std::shared_ptr<platform::graphics::Image> screenshot(const std::string& name) const;
  std::string file(const std::string& name) const;
};

// A temporary folder removed at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class AppRun {
 public:
  // The program under test, from $VORLA_BUTTON.
  static std::string program();
  // Runs `script` headless with --home `home` and the extra arguments; the
  // program is `program` when given (another app on the same platform).
  static RunResult headless(const std::string& home, const std::string& script,
                            const std::vector<std::string>& extra = {}, const std::string& program = "");
  // Runs the program with exactly these arguments (no journal read).
  static RunResult raw(const std::vector<std::string>& arguments, const std::string& outDir = "",
                       const std::string& program = "");
};

// Pixel helpers on screenshots (points at scale 1).
struct Rgb {
  int r = 0, g = 0, b = 0;
  int brightness() const { return r + g + b; }
};
Rgb pixelAt(const platform::graphics::Image& image, int x, int y);
bool isNearlyBlack(Rgb p);

}  // namespace e2e

#pragma once
// The headless front end: runs the app on a simulated clock, follows a
// script (see Script.h) and writes what happened into the output folder:
// events.jsonl (see EventRecorder), NAME.png screenshots of the whole
// 320 x 480 screen and NAME.json view dumps.
//
// Time: the main run loop gets a simulated clock starting at 0, and wall
// time (Date::now) is the real time at start, or the time given with
// --wall-time, plus simulated seconds (WallClock). Runs that must write the
// same journal and pictures every time pin it. Before each command the loop settles (due work runs, network work in
// flight finishes), so results never depend on the machine's speed.
//
// Exit status: 0 when the script ran to its end or to `quit`; 2 for a
// script that does not parse (nothing runs); 1 when a command fails while
// running (no control with the title, an output file that cannot be
// written), with the script's line number in the message.
//
// Ownership: the driver owns the journal; the caller owns the delegate and
// keeps it for the duration of run().

#include <memory>
#include <string>

#include "platform/foundation/EventJournal.h"
#include "platform/shell/ApplicationDelegate.h"
#include "platform/shell/LaunchOptions.h"
#include "platform/shell/Script.h"

namespace platform::shell {

class HeadlessDriver {
 public:
  // Real seconds `wait-web` waits at most for web loads to end.
  static constexpr double kWaitWebCap = 60;

  explicit HeadlessDriver(LaunchOptions options) : options_(std::move(options)) {}

  int run(ApplicationDelegate& delegate);

 private:
  // An error message naming the line, or "" when the command succeeded.
  std::string execute(const ScriptCommand& command, bool& quit);
  std::string outputPath(const std::string& name, const char* extension) const;

  LaunchOptions options_;
};

}  // namespace platform::shell

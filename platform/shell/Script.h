#pragma once
// The headless driver's script: one command a line, read completely before
// anything runs so that a mistake anywhere stops the run before it starts.
//
//   wait SECONDS          tap X Y        down X Y       move X Y      up X Y
//   cancel                rotate portrait|landscape-left|landscape-right|upside-down
//   press "TITLE"         screenshot NAME                views NAME    quit
//   web-eval "SCRIPT"     wait-web       memory
//
// Lines whose first non-blank character is '#' are comments; blank lines
// are skipped. Coordinates are portrait screen points (status bar
// included). Titles and scripts are quoted; \" and \\ stand for a quote
// and a backslash. Names are letters, digits, '.', '_' and '-', not starting with
// '.', so output files stay inside the output folder.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::shell {

struct ScriptCommand {
  enum class Kind { Wait, Tap, Down, Move, Up, Cancel, Rotate, Press, Screenshot, Views, Quit, WebEval, WaitWeb, Memory };

  Kind kind = Kind::Quit;
  int line = 0;          // 1-based line of the script
  double seconds = 0;    // wait
  double x = 0, y = 0;   // tap, down, move, up
  int orientation = 0;   // rotate: the device orientation, 1 to 4
  std::string text;      // press: the title; screenshot, views: the name; web-eval: the script
};

class Script {
 public:
  // Waits longer than this are refused as typing mistakes (a day).
  static constexpr double kMaxWait = 86400;
  static constexpr std::size_t kMaxNameLength = 100;

  struct ParseResult {
    std::vector<ScriptCommand> commands;
    int errorLine = 0;  // 0 when the script is good
    std::string error;  // "line N: ..." when it is not
  };

  static ParseResult parse(std::string_view text);

  // The device orientation for a rotate argument (see README), or nullopt.
  static std::optional<int> orientationNamed(std::string_view name);
  static bool isValidName(std::string_view name);
};

}  // namespace platform::shell

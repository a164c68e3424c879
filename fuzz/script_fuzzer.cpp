// Fuzzes the headless driver's script parser with any text. What must hold:
// - a script that is refused names one of its lines, and the message says
//   which ("line N: ..."), and no command of it is kept;
// - a script that parses, printed back one command a line in canonical
//   form, parses to the same commands, each on its own line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "platform/shell/Script.h"

namespace {

using platform::shell::Script;
using platform::shell::ScriptCommand;
using Kind = ScriptCommand::Kind;

// Shortest text that reads back as exactly the same double.
std::string number(double value) {
  char text[32];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    if (std::strtod(text, nullptr) == value && std::signbit(std::strtod(text, nullptr)) == std::signbit(value)) break;
  }
  return text;
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string orientationName(int orientation) {
  for (const char* name : {"portrait", "upside-down", "landscape-left", "landscape-right"}) {
    if (Script::orientationNamed(name) == orientation) return name;
  }
  fuzz::check(false, "a rotation is to one of the named orientations");
  return {};
}

std::string canonical(const ScriptCommand& command) {
  const std::string point = " " + number(command.x) + " " + number(command.y);
  switch (command.kind) {
    case Kind::Wait: return "wait " + number(command.seconds);
    case Kind::Tap: return "tap" + point;
    case Kind::Down: return "down" + point;
    case Kind::Move: return "move" + point;
    case Kind::Up: return "up" + point;
    case Kind::Cancel: return "cancel";
    case Kind::Rotate: return "rotate " + orientationName(command.orientation);
    case Kind::Press: return "press " + quoted(command.text);
    case Kind::Screenshot: return "screenshot " + command.text;
    case Kind::Views: return "views " + command.text;
    case Kind::Quit: return "quit";
    case Kind::WebEval: return "web-eval " + quoted(command.text);
    case Kind::WaitWeb: return "wait-web";
    case Kind::Memory: return "memory";
  }
  return {};
}

bool sameCommand(const ScriptCommand& a, const ScriptCommand& b) {
  auto same = [](double x, double y) { return x == y && std::signbit(x) == std::signbit(y); };
  return a.kind == b.kind && same(a.seconds, b.seconds) && same(a.x, b.x) && same(a.y, b.y) &&
         a.orientation == b.orientation && a.text == b.text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int lines = 1;
  for (const char c : text) lines += c == '\n';

  const auto result = Script::parse(text);
  if (result.errorLine != 0) {
    fuzz::check(result.errorLine >= 1 && result.errorLine <= lines, "an error names a line of the script");
    fuzz::check(result.error.starts_with("line " + std::to_string(result.errorLine) + ": "),
                "an error message says its line");
    fuzz::check(result.commands.empty(), "a refused script keeps no command");
    return 0;
  }
  fuzz::check(result.error.empty(), "a good script has no error message");

  std::string printed;
  for (const auto& command : result.commands) {
    fuzz::check(command.line >= 1 && command.line <= lines, "a command knows its line");
    printed += canonical(command) + "\n";
  }
  const auto again = Script::parse(printed);
  fuzz::check(again.errorLine == 0 && again.commands.size() == result.commands.size(),
              "a script printed in canonical form parses again");
  for (std::size_t i = 0; i < again.commands.size(); ++i) {
    fuzz::check(sameCommand(again.commands[i], result.commands[i]), "a printed script parses to the same commands");
    fuzz::check(again.commands[i].line == static_cast<int>(i) + 1, "each printed command is on its own line");
  }
  return 0;
}

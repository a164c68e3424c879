#include "platform/shell/Script.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace platform::shell {

namespace {

using Kind = ScriptCommand::Kind;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Splits on blanks; a token that starts with a quote runs to the closing
// quote. Returns false (with `error`) for an unterminated quote.
bool tokenize(std::string_view line, std::vector<std::string>& tokens, std::vector<bool>& quoted,
              std::string& error) {
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string token;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) c = line[i++];
        token += c;
      }
      if (!closed) {
        error = "unterminated quoted title";
        return false;
      }
      if (i < line.size() && !isBlank(line[i])) {
        error = "text right after a closing quote";
        return false;
      }
      quoted.push_back(true);
    } else {
      while (i < line.size() && !isBlank(line[i])) token += line[i++];
      quoted.push_back(false);
    }
    tokens.push_back(std::move(token));
  }
  return true;
}

std::optional<double> number(const std::string& text) {
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int> Script::orientationNamed(std::string_view name) {
  // Device orientations as the platform numbers them. Device "landscape
  // left" (3) is the phone held sideways with its home button on the right;
  // the interface then shows in its "landscape right", also numbered 3.
  if (name == "portrait") return 1;
  if (name == "upside-down") return 2;
  if (name == "landscape-left") return 3;
  if (name == "landscape-right") return 4;
  return std::nullopt;
}

bool Script::isValidName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength || name.front() == '.') return false;
  for (unsigned char c : name) {
    if (!std::isalnum(c) && c != '.' && c != '_' && c != '-') return false;
  }
  return true;
}

Script::ParseResult Script::parse(std::string_view text) {
  ParseResult result;
  int lineNumber = 0;
  auto fail = [&](const std::string& message) {
    result.errorLine = lineNumber;
    result.error = "line " + std::to_string(lineNumber) + ": " + message;
    result.commands.clear();
    return result;
  };
  std::size_t start = 0;
  while (start <= text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (line.find('\0') != std::string_view::npos) return fail("contains a NUL byte");

    std::vector<std::string> tokens;
    std::vector<bool> quoted;
    std::string error;
    if (!tokenize(line, tokens, quoted, error)) return fail(error);
    if (tokens.empty() || (!quoted[0] && tokens[0].front() == '#')) {
      if (end == text.size()) break;
      continue;
    }
    const std::string& verb = tokens[0];
    const std::size_t args = tokens.size() - 1;
    auto expectArgs = [&](std::size_t count, const char* shape) -> bool {
      if (args == count) return true;
      fail(verb + " expects " + shape);
      return false;
    };
    ScriptCommand command;
    command.line = lineNumber;
    if (quoted[0]) return fail("a command cannot be quoted");
    if (verb == "wait") {
      if (!expectArgs(1, "SECONDS")) return result;
      auto seconds = number(tokens[1]);
      if (!seconds || *seconds < 0 || *seconds > kMaxWait) return fail("wait expects seconds from 0 to 86400");
      command.kind = Kind::Wait;
      command.seconds = *seconds;
    } else if (verb == "tap" || verb == "down" || verb == "move" || verb == "up") {
      if (!expectArgs(2, "X Y")) return result;
      auto x = number(tokens[1]);
      auto y = number(tokens[2]);
      if (!x || !y) return fail(verb + " expects two numbers X Y");
      command.kind = verb == "tap" ? Kind::Tap : verb == "down" ? Kind::Down : verb == "move" ? Kind::Move : Kind::Up;
      command.x = *x;
      command.y = *y;
    } else if (verb == "cancel" || verb == "quit" || verb == "wait-web" || verb == "memory") {
      if (!expectArgs(0, "nothing")) return result;
      command.kind = verb == "cancel"     ? Kind::Cancel
                     : verb == "quit"     ? Kind::Quit
                     : verb == "wait-web" ? Kind::WaitWeb
                                          : Kind::Memory;
    } else if (verb == "rotate") {
      if (!expectArgs(1, "portrait, landscape-left, landscape-right or upside-down")) return result;
      auto orientation = orientationNamed(tokens[1]);
      if (!orientation) return fail("rotate expects portrait, landscape-left, landscape-right or upside-down");
      command.kind = Kind::Rotate;
      command.orientation = *orientation;
    } else if (verb == "press") {
      if (args != 1 || !quoted[1]) return fail("press expects one quoted title, e.g. press \"OK\"");
      command.kind = Kind::Press;
      command.text = tokens[1];
    } else if (verb == "web-eval") {
      if (args != 1 || !quoted[1]) return fail("web-eval expects one quoted script, e.g. web-eval \"document.title\"");
      command.kind = Kind::WebEval;
      command.text = tokens[1];
    } else if (verb == "screenshot" || verb == "views") {
      if (!expectArgs(1, "NAME")) return result;
      if (quoted[1] || !isValidName(tokens[1])) {
        return fail(verb + " expects a NAME of letters, digits, '.', '_' and '-' (not starting with '.')");
      }
      command.kind = verb == "screenshot" ? Kind::Screenshot : Kind::Views;
      command.text = tokens[1];
    } else {
      return fail("unknown command \"" + verb + "\"");
    }
    result.commands.push_back(std::move(command));
    if (end == text.size()) break;
  }
  return result;
}

}  // namespace platform::shell

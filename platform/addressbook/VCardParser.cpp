#include "platform/addressbook/VCardParser.h"

#include <cctype>
#include <optional>
#include <string>

#include "platform/addressbook/VCardText.h"

namespace platform::addressbook {

namespace {

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; }

std::string uppercase(std::string_view text) {
  std::string upper(text);
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool isName(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!isNameCharacter(c)) return false;
  }
  return true;
}

// Reads "a,"b;c",d" up to the ';' or ':' that ends the parameter; nullopt
// when a quote is never closed.
std::optional<std::vector<std::string>> readParameterValues(std::string_view line, std::size_t& at) {
  std::vector<std::string> values;
  for (;;) {
    std::string value;
    if (at < line.size() && line[at] == '"') {
      const std::size_t close = line.find('"', at + 1);
      if (close == std::string_view::npos) return std::nullopt;
      value = VCardText::decodeParameterValue(line.substr(at + 1, close - at - 1));
      at = close + 1;
    } else {
      const std::size_t end = line.find_first_of(",;:", at);
      if (end == std::string_view::npos) return std::nullopt;
      value = VCardText::decodeParameterValue(line.substr(at, end - at));
      at = end;
    }
    values.push_back(std::move(value));
    if (at < line.size() && line[at] == ',') {
      ++at;
      continue;
    }
    return values;
  }
}

std::optional<VCardLine> parseContentLine(std::string_view line) {
  VCardLine parsed;
  std::size_t at = line.find_first_of(";:");
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view name = line.substr(0, at);
  if (const std::size_t dot = name.find('.'); dot != std::string_view::npos) {
    if (!isName(name.substr(0, dot))) return std::nullopt;
    parsed.group = std::string(name.substr(0, dot));
    name.remove_prefix(dot + 1);
  }
  if (!isName(name)) return std::nullopt;
  parsed.name = uppercase(name);
  while (line[at] == ';') {
    ++at;
    const std::size_t end = line.find_first_of("=;:", at);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view parameterName = line.substr(at, end - at);
    at = end;
    if (line[at] == '=') {
      ++at;
      auto values = readParameterValues(line, at);
      if (!values || at >= line.size()) return std::nullopt;
      parsed.parameters.push_back({uppercase(parameterName), std::move(*values)});
    } else if (!parameterName.empty()) {
      // Older writers name only the value: "TEL;WORK;VOICE:".
      parsed.parameters.push_back({"TYPE", {std::string(parameterName)}});
    }
  }
  if (line[at] != ':') return std::nullopt;
  parsed.value = std::string(line.substr(at + 1));
  return parsed;
}

bool isMarker(const VCardLine& line, std::string_view marker) {
  if (line.name != marker || !line.group.empty()) return false;
  std::string_view value = line.value;
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  return uppercase(value) == "VCARD";
}

}  // namespace

std::vector<VCardLine> VCardParser::parseLines(std::string_view bytes) {
  std::vector<VCardLine> lines;
  std::string logical;
  bool haveLogical = false;
  const auto finish = [&] {
    if (haveLogical) {
      if (auto parsed = parseContentLine(logical)) lines.push_back(std::move(*parsed));
    }
    logical.clear();
    haveLogical = false;
  };
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view physical = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
    if (!physical.empty() && (physical.front() == ' ' || physical.front() == '\t') && haveLogical) {
      logical.append(physical.substr(1));
      continue;
    }
    finish();
    if (physical.empty()) continue;
    logical.assign(physical);
    haveLogical = true;
  }
  finish();
  return lines;
}

std::vector<VCard> VCardParser::parse(std::string_view bytes) {
  std::vector<VCard> cards;
  std::optional<VCard> open;
  for (auto& line : parseLines(bytes)) {
    if (isMarker(line, "BEGIN")) {
      open.emplace();
    } else if (isMarker(line, "END")) {
      if (open) cards.push_back(std::move(*open));
      open.reset();
    } else if (open) {
      open->lines.push_back(std::move(line));
    }
  }
  return cards;
}

}  // namespace platform::addressbook
